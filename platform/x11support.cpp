#include <QGuiApplication>

#ifdef PELLIMO_HAVE_X11
#include "platform/x11support.h"

#include <algorithm>
#include <X11/Xatom.h>
#include <xcb/xcb.h>

namespace x11 {

namespace {

int ignoreXError(Display*, XErrorEvent*)
{
    // Windows of others may vanish between our requests; such errors mean "not found".
    return 0;
}

} // namespace

QuietXErrors::QuietXErrors()
    : m_previous(XSetErrorHandler(ignoreXError))
{ }

QuietXErrors::~QuietXErrors()
{
    XSetErrorHandler(m_previous);
}

WindowProperty::WindowProperty(Display* display, Window window, Atom property, long length, Atom type)
{
    m_read = XGetWindowProperty(display, window, property, 0, length, False, type, &m_type, &m_format, &m_count,
                                &m_after, &m_data)
        == Success;
}

WindowProperty::~WindowProperty()
{
    if (m_data) {
        XFree(m_data);
    }
}

std::span<const unsigned long> WindowProperty::list(Atom type) const
{
    if (!m_read || !m_data || m_type != type || m_format != 32) {
        return {};
    }
    // Format 32 data arrives as an array of long, whatever the size of long.
    return { reinterpret_cast<const unsigned long*>(m_data), m_count };
}

std::vector<Window> windowList(Display* display, const char* atomName)
{
    const Atom atom = XInternAtom(display, atomName, True);
    if (atom == None) {
        return {};
    }
    const WindowProperty property(display, DefaultRootWindow(display), atom, 0x10000, XA_WINDOW);
    const auto ids = property.list(XA_WINDOW);
    return { ids.begin(), ids.end() };
}

bool managerSupports(Display* display, const char* atomName)
{
    const std::vector<Window> check = windowList(display, "_NET_SUPPORTING_WM_CHECK");
    if (check.empty() || check.front() == None) {
        return false;
    }
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", True);
    const Atom wanted = XInternAtom(display, atomName, True);
    if (supported == None || wanted == None) {
        return false;
    }
    const WindowProperty property(display, DefaultRootWindow(display), supported, 0x10000, XA_ATOM);
    const auto atoms = property.list(XA_ATOM);
    return std::find(atoms.begin(), atoms.end(), wanted) != atoms.end();
}

bool connectionBroken()
{
    const auto* native = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return native && native->connection() && xcb_connection_has_error(native->connection()) != 0;
}

Display* qtDisplay()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    const auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return native ? native->display() : nullptr;
}

Display* ownDisplay()
{
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

} // namespace x11

#endif // PELLIMO_HAVE_X11
