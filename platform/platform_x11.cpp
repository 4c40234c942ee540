// Linux layer: the lock file of instancelock_posix.cpp for the single instance and, when an X
// server is there, Xlib for the window class, activation of the running instance and foreground
// requests. On other Qt platforms (offscreen, Wayland) the X-specific parts do nothing.

#include "core/filestore.h"
#include "platform/instancelock_posix.h"
#include "platform/nativewindowkeeper_x11.h"
#include "platform/platform.h"
#include "platform/platformlog.h"

#include <climits>
#include <cstring>
#include <memory>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <unistd.h>
#include <vector>

#ifdef PELLIMO_HAVE_X11
#include "platform/frameextents_x11.h"
#include "platform/x11support.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using x11::managerSupports;
using x11::ownDisplay;
using x11::QuietXErrors;
using x11::windowList;
using x11::WindowProperty;
#endif

namespace {

constexpr const char* mainWindowClass = "TForm1";
// _NET_ACTIVE_WINDOW source indication of a pager: window managers with focus-stealing
// prevention refuse source 1 (an application) far more often than source 2.
constexpr long SourcePager = 2;
// Window managers put a frame (sometimes two) between the root and the client window.
constexpr int MaxReparentDepth = 3;
constexpr QRect FallbackWorkArea { 0, 0, 1024, 768 };

#ifdef PELLIMO_HAVE_X11

bool hasClass(Display* display, Window window, const char* className)
{
    XClassHint hint { nullptr, nullptr };
    if (!XGetClassHint(display, window, &hint)) {
        return false;
    }
    const bool match = hint.res_class && std::strcmp(hint.res_class, className) == 0;
    XFree(hint.res_name);
    XFree(hint.res_class);
    return match;
}

/**
 * True for a window that the user can see or has minimised: viewable, or managed by a window
 * manager (which puts WM_STATE on every client it manages, iconic ones included). A window
 * that the first instance has created but not shown yet must not be mapped by us.
 */
bool isShown(Display* display, Window window)
{
    XWindowAttributes attributes {};
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable) {
        return true;
    }
    const Atom wmState = XInternAtom(display, "WM_STATE", True);
    if (wmState == None) {
        return false;
    }
    return WindowProperty(display, window, wmState, 2, AnyPropertyType).exists();
}

bool isCandidate(Display* display, Window window, const char* className)
{
    return hasClass(display, window, className) && isShown(display, window);
}

Window findInTree(Display* display, Window parent, const char* className, int depth)
{
    Window root = None;
    Window up = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) {
        return None;
    }
    Window found = None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        if (isCandidate(display, children[i], className)) {
            found = children[i];
        }
    }
    for (unsigned int i = 0; i < count && found == None && depth > 1; ++i) {
        found = findInTree(display, children[i], className, depth - 1);
    }
    if (children) {
        XFree(children);
    }
    return found;
}

/** The first client window of that class: from the window manager's list, else from the tree. */
Window findClientWindow(Display* display, const char* className)
{
    for (const Window window : windowList(display, "_NET_CLIENT_LIST")) {
        if (isCandidate(display, window, className)) {
            return window;
        }
    }
    return findInTree(display, DefaultRootWindow(display), className, MaxReparentDepth);
}

/**
 * A current server time for the activation request: a zero-length property append on a
 * window of our own makes the server send us a PropertyNotify carrying its clock. Only our
 * own connection is waited on, never another client.
 */
Time serverTime(Display* display)
{
    XSetWindowAttributes attributes {};
    attributes.event_mask = PropertyChangeMask;
    const Window probe = XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, 0, InputOnly,
                                       CopyFromParent, CWEventMask, &attributes);
    const Atom atom = XInternAtom(display, "_PELLIMO_TIMESTAMP", False);
    XChangeProperty(display, probe, atom, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event {};
    XWindowEvent(display, probe, PropertyChangeMask, &event);
    XDestroyWindow(display, probe);
    return event.xproperty.time;
}

void sendActiveWindow(Display* display, Window window, Time time)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = SourcePager;
    event.xclient.data.l[1] = static_cast<long>(time);
    event.xclient.data.l[2] = 0;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

#endif // PELLIMO_HAVE_X11

class X11Platform final : public Platform
{
public:
    bool anotherInstanceRunning() override;
    void activateRunningInstance() override;
    void setWindowClass(QWidget* window, const QString& className) override;
    QRect primaryWorkArea() override;
    std::vector<QRect> workAreas() override;
    void requestFrameMargins(QWidget* window) override;
    QMargins frameMargins(QWidget* window) override;
    void setStayOnTop(QWidget* window, bool onTop) override;
    void forceForeground(QWidget* window) override;
    QString executablePath() override;

private:
#ifdef PELLIMO_HAVE_X11
    /** Qt's connection and the window to ask the frame of; no connection when there is none to ask. */
    std::pair<xcb_connection_t*, xcb_window_t> frameTarget(QWidget* window) const;
    std::unique_ptr<x11::FrameExtentsRequest> m_frameRequest;
#endif
};

bool X11Platform::anotherInstanceRunning()
{
    return instanceLockHeldElsewhere();
}

void X11Platform::activateRunningInstance()
{
#ifdef PELLIMO_HAVE_X11
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        qCWarning(lcPlatform, "cannot open the X display to bring the running instance to the front");
        return;
    }
    {
        const QuietXErrors quiet;
        const Window window = findClientWindow(display, mainWindowClass);
        if (window != None) {
            if (managerSupports(display, "_NET_ACTIVE_WINDOW")) {
                // The window manager restores an iconic window on activation; the map request
                // covers managers that only deiconify on MapRequest.
                sendActiveWindow(display, window, serverTime(display));
                XMapRaised(display, window);
            } else {
                // Without a window manager an "iconic" window is merely unmapped.
                XMapRaised(display, window);
                XSync(display, False);
                XSetInputFocus(display, window, RevertToParent, CurrentTime);
            }
        } else {
            qCWarning(lcPlatform, "the running instance has no %s window on this display to bring to the front",
                      mainWindowClass);
        }
        XSync(display, False);
    }
    XCloseDisplay(display);
#endif
}

void X11Platform::setWindowClass(QWidget* window, const QString& className)
{
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    // No native window is asked for here: a dialog's one comes at its first opening, classed
    // before it is mapped. (Asking a dialog's id would by default also turn every widget of its
    // parent window into a native X window: 28 for the main window.)
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    NativeWindowKeeper::of(window)->setWindowClass(className.toLatin1());
}

QRect X11Platform::primaryWorkArea()
{
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->availableGeometry() : FallbackWorkArea;
}

std::vector<QRect> X11Platform::workAreas()
{
    std::vector<QRect> areas;
    if (qGuiApp) {
        for (const QScreen* screen : QGuiApplication::screens()) {
            areas.push_back(screen->availableGeometry());
        }
    }
    if (areas.empty()) {
        areas.push_back(primaryWorkArea());
    }
    return areas;
}

#ifdef PELLIMO_HAVE_X11
std::pair<xcb_connection_t*, xcb_window_t> X11Platform::frameTarget(QWidget* window) const
{
    // After the server went away, the window is saved where it stands; creating its native
    // window would end the process before the save.
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb") || x11::connectionBroken()) {
        return { nullptr, XCB_NONE };
    }
    const auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!native || !native->connection()) {
        return { nullptr, XCB_NONE };
    }
    // The QWindow's id: QWidget::winId() goes stale when Qt recreates the native window in place.
    window->winId();
    return { native->connection(), static_cast<xcb_window_t>(window->windowHandle()->winId()) };
}
#endif

void X11Platform::requestFrameMargins(QWidget* window)
{
#ifdef PELLIMO_HAVE_X11
    if (const auto [connection, id] = frameTarget(window); connection) {
        m_frameRequest = std::make_unique<x11::FrameExtentsRequest>(connection, id);
    }
#else
    Q_UNUSED(window);
#endif
}

QMargins X11Platform::frameMargins(QWidget* window)
{
#ifdef PELLIMO_HAVE_X11
    const auto [connection, id] = frameTarget(window);
    std::unique_ptr<x11::FrameExtentsRequest> asked = std::move(m_frameRequest);
    if (!connection) {
        return {};
    }
    if (!asked || asked->client() != id) {
        asked = std::make_unique<x11::FrameExtentsRequest>(connection, id);
    }
    return asked->answer();
#else
    Q_UNUSED(window);
    return {};
#endif
}

void X11Platform::setStayOnTop(QWidget* window, bool onTop)
{
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) {
        return;
    }
    // setWindowFlags() would hide the window: record the flag on the widget only, which is what
    // a native window created later starts with, and hand it to an existing native window
    // through its QWindow (at once when shown, else once it is exposed).
    window->overrideWindowFlags(window->windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop));
    if (window->windowHandle()) {
        NativeWindowKeeper::of(window)->syncStayOnTop();
    }
}

void X11Platform::forceForeground(QWidget* window)
{
    if (!window) {
        return;
    }
    // While a modal dialog runs, the main window takes no input: bring the dialog forward
    // instead, so that it stays usable.
    QWidget* target = window;
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->window() != window) {
        target = modal->window();
    }

    if (QWidget* active = QApplication::activeWindow()) {
        // The foreground is ours already: no forcing, only the focus step. Focus in another of
        // our top-level windows means activating that window (what focusing a window of another
        // top-level does on Windows); the window manager grants it, as the focus is ours.
        if (active != target) {
            target->raise();
            target->activateWindow();
        }
        QWidget* focus = target->focusWidget() ? target->focusWidget() : target;
        if (!focus->hasFocus()) {
            focus->setFocus(Qt::ActiveWindowFocusReason);
        }
        return;
    }

#ifdef PELLIMO_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb") && target->windowHandle()) {
        if (Display* display = ownDisplay(); display && managerSupports(display, "_NET_ACTIVE_WINDOW")) {
            const QuietXErrors quiet;
            // The QWindow's id, not QWidget::winId(): the latter goes stale when Qt recreates the
            // native window in place.
            sendActiveWindow(display, static_cast<Window>(target->windowHandle()->winId()), serverTime(display));
            // Synchronously, so that any error arrives while the quiet handler is installed.
            XSync(display, False);
        }
    }
#endif
    // Unlike the Windows foreground lock, nothing system-wide is changed here, so nothing needs
    // restoring afterwards.
    target->raise();
    target->activateWindow();
}

QString X11Platform::executablePath()
{
    // Read once: the link changes when the file is renamed or replaced while the program runs
    // (" (deleted)" is appended then), and the settings must stay with the path of the start.
    static const QString path = [] {
        // The kernel's link holds the path's real bytes. QCoreApplication::applicationFilePath()
        // decodes them lossily, and a folder name that is not UTF-8 then leads nowhere.
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t size = readlink("/proc/self/exe", target.data(), size_t(target.size()));
        if (size > 0 && size < target.size()) {
            target.truncate(size);
            return filestore::decodePath(target);
        }
        return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    }();
    return path;
}

} // namespace

Platform& nativePlatform()
{
    static X11Platform platform;
    return platform;
}
