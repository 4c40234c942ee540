// Whether a copy reached the X clipboard. Qt's QClipboard answers from its own copy while it
// believes it owns the selection, and learns that another client took it only from events it has
// not processed yet; so the traffic is let through first and the server is asked afterwards.
#include "platform/platform.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#ifdef PELLIMO_HAVE_X11
#include <poll.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#endif

namespace {

// Clipboard managers and rival clients react within a few milliseconds of a new owner.
constexpr int SettleMs = 200;
// How long the current owner may take to hand over the text; a client that never answers
// would otherwise freeze the window.
constexpr int ReadBackMs = 1000;

#ifdef PELLIMO_HAVE_X11

/** True when the window was created by Qt's own connection to the X server. */
bool isQtWindow(Window window)
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return false;
    const xcb_setup_t* setup = xcb_get_setup(x11->connection());
    return (window & ~Window(setup->resource_id_mask)) == setup->resource_id_base;
}

/** Waits for the SelectionNotify that answers our request, or gives up at the deadline. */
bool waitForSelection(Display* display, Window requestor, XEvent* event)
{
    const QDeadlineTimer deadline(ReadBackMs);
    for (;;) {
        while (XPending(display) > 0) {
            XNextEvent(display, event);
            if (event->type == SelectionNotify && event->xselection.requestor == requestor)
                return true;
        }
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            return false;
        pollfd fd { ConnectionNumber(display), POLLIN, 0 };
        ::poll(&fd, 1, int(remaining));
    }
}

/** The clipboard's text as its current owner hands it over, read through the server. */
std::optional<QString> readThroughServer(Display* display)
{
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom property = XInternAtom(display, "_PELLIMO_CLIPBOARD_CHECK", False);
    const Window requestor = XCreateSimpleWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, 0, 0);
    XConvertSelection(display, clipboard, utf8, property, requestor, CurrentTime);
    XFlush(display);

    std::optional<QString> text;
    XEvent event {};
    if (waitForSelection(display, requestor, &event) && event.xselection.property != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        // The result line is short: a transfer in pieces (INCR) is not expected and counts as no text.
        if (XGetWindowProperty(display, requestor, property, 0, 0x100000, True, AnyPropertyType, &type, &format, &count,
                               &after, &data)
                == Success
            && type == utf8 && format == 8 && after == 0)
            text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(count));
        if (data)
            XFree(data);
    }
    XDestroyWindow(display, requestor);
    return text;
}

bool x11ClipboardHolds(const QString& text)
{
    // A connection of our own: Qt's hands its events to Qt, which could not answer while we wait.
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Window owner = XGetSelectionOwner(display, clipboard);
    bool holds = false;
    if (owner != None) {
        if (isQtWindow(owner))
            holds = QGuiApplication::clipboard()->ownsClipboard() && QGuiApplication::clipboard()->text() == text;
        else
            holds = readThroughServer(display) == text; // a clipboard manager that took over serves it now
    }
    XCloseDisplay(display);
    return holds;
}

#endif // PELLIMO_HAVE_X11

} // namespace

bool clipboardHolds(const QString& text)
{
    // Requests from a clipboard manager are answered here, and a rival's claim arrives; input
    // waits, so that no second click runs inside this one.
    QEventLoop settle;
    QTimer::singleShot(SettleMs, &settle, &QEventLoop::quit);
    settle.exec(QEventLoop::ExcludeUserInputEvents);

#ifdef PELLIMO_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return x11ClipboardHolds(text);
#endif
    return QGuiApplication::clipboard()->text() == text;
}
