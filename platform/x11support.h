#pragma once

// Small Xlib helpers shared by the units of the X11 layer. Include after any Qt header: the X
// headers define macros (None, Expose, Bool) that Qt's own names collide with.

#ifdef PELLIMO_HAVE_X11

#include <span>
#include <vector>
#include <X11/Xlib.h>

namespace x11 {

/** Swaps in a quiet X error handler for the lifetime of the object (Xlib's default exits). */
class QuietXErrors final
{
public:
    QuietXErrors();
    ~QuietXErrors();
    QuietXErrors(const QuietXErrors&) = delete;
    QuietXErrors& operator=(const QuietXErrors&) = delete;

private:
    XErrorHandler m_previous;
};

/**
 * One property of a window as XGetWindowProperty reads it (up to `length` 32-bit units, of
 * `type` or AnyPropertyType), freed with XFree when the object goes.
 */
class WindowProperty final
{
public:
    WindowProperty(Display* display, Window window, Atom property, long length, Atom type);
    ~WindowProperty();
    WindowProperty(const WindowProperty&) = delete;
    WindowProperty& operator=(const WindowProperty&) = delete;

    /** Whether the window has the property at all. */
    bool exists() const { return m_read && m_type != None; }

    /** The items of a 32-bit list property of `type`; empty for any other property. */
    std::span<const unsigned long> list(Atom type) const;

private:
    bool m_read = false;
    Atom m_type = None;
    int m_format = 0;
    unsigned long m_count = 0;
    unsigned long m_after = 0;
    unsigned char* m_data = nullptr;
};

/** Window ids from a CARDINAL/WINDOW list property of the root, e.g. _NET_CLIENT_LIST. */
std::vector<Window> windowList(Display* display, const char* atomName);

/** True when a window manager runs and lists `atomName` in _NET_SUPPORTED. */
bool managerSupports(Display* display, const char* atomName);

/**
 * True when Qt's connection to the X server has broken (the server went away): nothing more may
 * be asked of the window system then, and Qt is about to end the process.
 */
bool connectionBroken();

/** Qt's own Xlib connection when the xcb platform runs with one; otherwise nullptr. */
Display* qtDisplay();

/**
 * A connection of our own for requests that wait for an event (the server time): Qt's
 * connection hands its events to xcb, so Xlib could never read them there.
 */
Display* ownDisplay();

} // namespace x11

#endif // PELLIMO_HAVE_X11
