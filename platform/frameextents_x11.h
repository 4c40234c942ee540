#pragma once

// The frame a window manager puts around a window, known before the window is mapped.
// Include after any Qt header (see x11support.h).

#ifdef PELLIMO_HAVE_X11

#include <optional>
#include <QMargins>
#include <X11/Xlib.h>

namespace x11 {

/** _NET_FRAME_EXTENTS of a window (left, right, top, bottom on the wire), if it has them. */
std::optional<QMargins> frameExtents(Display* display, Window window);

/**
 * Asks the window manager for the frame it would give a client that is not mapped yet
 * (_NET_REQUEST_FRAME_EXTENTS). The request goes out at construction and answer() collects the
 * reply, so that other work can run while the window manager answers.
 *
 * It is asked for a stand-in that carries the client's decoration hints: the window manager
 * answers a frame request with a ConfigureNotify for the window, which would move Qt's idea of
 * an unmapped window back to where the X server has it.
 */
class FrameExtentsRequest final
{
public:
    /** `display` must be a connection of our own (events are read from it), not Qt's. */
    FrameExtentsRequest(Display* display, Window client);
    ~FrameExtentsRequest();
    FrameExtentsRequest(const FrameExtentsRequest&) = delete;
    FrameExtentsRequest& operator=(const FrameExtentsRequest&) = delete;

    Window client() const { return m_client; }

    /**
     * The frame, waiting a moment for the reply if it has not come yet; empty margins when none
     * comes in time (a window manager that never answers must not hold up start-up).
     */
    QMargins answer();

private:
    Display* m_display;
    Window m_client;
    Window m_probe = None;
    Atom m_extents = None;
    std::optional<QMargins> m_answer;
};

} // namespace x11

#endif // PELLIMO_HAVE_X11
