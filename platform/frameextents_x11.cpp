#include <QtGlobal>

#ifdef PELLIMO_HAVE_X11
#include "frameextents_x11.h"
#include "x11support.h"

#include <array>
#include <chrono>
#include <poll.h>
#include <X11/Xatom.h>

namespace x11 {

namespace {

// A window manager answers a frame request at once; one that never does must not hold up start-up.
constexpr std::chrono::milliseconds answerWait { 250 };

// What decides the frame, copied from the client onto the stand-in. All names are interned in
// one round trip, the two of the request itself last.
constexpr std::array<const char*, 8> atomNames { "_MOTIF_WM_HINTS",    "_NET_WM_WINDOW_TYPE",
                                                 "WM_TRANSIENT_FOR",   "WM_NORMAL_HINTS",
                                                 "WM_HINTS",           "_NET_WM_STATE",
                                                 "_NET_FRAME_EXTENTS", "_NET_REQUEST_FRAME_EXTENTS" };
constexpr std::size_t copiedCount = 6;

} // namespace

std::optional<QMargins> frameExtents(Display* display, Window window)
{
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", True);
    if (extents == None) {
        return std::nullopt;
    }
    const WindowProperty property(display, window, extents, 4, XA_CARDINAL);
    const auto values = property.list(XA_CARDINAL);
    if (values.size() != 4) {
        return std::nullopt;
    }
    const auto at = [&](std::size_t i) {
        return static_cast<int>(values[i]);
    };
    return QMargins(at(0), at(2), at(1), at(3));
}

FrameExtentsRequest::FrameExtentsRequest(Display* display, Window client)
    : m_display(display)
    , m_client(client)
{
    const QuietXErrors quiet;
    std::array<Atom, atomNames.size()> atoms {};
    XInternAtoms(display, const_cast<char**>(atomNames.data()), int(atomNames.size()), False, atoms.data());
    m_extents = atoms[copiedCount];

    Window root = None;
    int x = 0;
    int y = 0;
    unsigned int width = 1;
    unsigned int height = 1;
    unsigned int border = 0;
    unsigned int depth = 0;
    XGetGeometry(display, client, &root, &x, &y, &width, &height, &border, &depth);
    XSetWindowAttributes attributes {};
    attributes.event_mask = PropertyChangeMask;
    m_probe = XCreateWindow(display, DefaultRootWindow(display), x, y, width, height, 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWEventMask, &attributes);
    for (std::size_t i = 0; i < copiedCount; ++i) {
        WindowProperty(display, client, atoms[i], 1024, AnyPropertyType).copyTo(display, m_probe, atoms[i]);
    }

    XEvent request {};
    request.xclient.type = ClientMessage;
    request.xclient.window = m_probe;
    request.xclient.message_type = atoms[copiedCount + 1];
    request.xclient.format = 32;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
    XFlush(display);
}

FrameExtentsRequest::~FrameExtentsRequest()
{
    const QuietXErrors quiet;
    XDestroyWindow(m_display, m_probe);
    // Synchronously, so that any error arrives while the quiet handler is installed.
    XSync(m_display, False);
}

QMargins FrameExtentsRequest::answer()
{
    const QuietXErrors quiet;
    const auto deadline = std::chrono::steady_clock::now() + answerWait;
    while (!m_answer) {
        XEvent event {};
        while (!m_answer && XCheckTypedWindowEvent(m_display, m_probe, PropertyNotify, &event)) {
            if (event.xproperty.atom == m_extents) {
                m_answer = frameExtents(m_display, m_probe);
            }
        }
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (m_answer || left.count() <= 0) {
            break;
        }
        pollfd fd { ConnectionNumber(m_display), POLLIN, 0 };
        poll(&fd, 1, static_cast<int>(left.count()));
    }
    return m_answer.value_or(QMargins());
}

} // namespace x11

#endif // PELLIMO_HAVE_X11
