#pragma once

// The frame a window manager puts around a window, known before the window is mapped.

#ifdef PELLIMO_HAVE_X11

#include <cstdint>
#include <optional>
#include <QMargins>
#include <xcb/xcb.h>

namespace x11 {

/**
 * The frame of a top-level window of Qt's, on Qt's own X connection: read from the window when
 * the window manager framed it already, else asked of the window manager
 * (_NET_REQUEST_FRAME_EXTENTS). The question goes out at construction and answer() collects
 * the reply, so that other work can run while the window manager answers.
 *
 * It is asked for a stand-in that carries the client's decoration hints: the window manager
 * answers a frame request with a ConfigureNotify for the window, which would move Qt's idea of
 * an unmapped window back to where the X server has it.
 */
class FrameExtentsRequest final
{
public:
    FrameExtentsRequest(xcb_connection_t* connection, xcb_window_t client);
    ~FrameExtentsRequest();
    FrameExtentsRequest(const FrameExtentsRequest&) = delete;
    FrameExtentsRequest& operator=(const FrameExtentsRequest&) = delete;

    xcb_window_t client() const { return m_client; }

    /**
     * The frame, waiting a moment for the reply if it has not come yet. Empty margins without a
     * window manager that answers such questions, or when none comes in time (a window manager
     * that never answers must not hold up start-up).
     */
    QMargins answer();

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_client;
    xcb_window_t m_standIn = XCB_NONE;
    xcb_atom_t m_extents = XCB_NONE;
    std::optional<QMargins> m_answer;
};

} // namespace x11

#endif // PELLIMO_HAVE_X11
