// Linux layer: the lock file of instancelock_posix.cpp for the single instance and, when an X
// server is there, Xlib for the window class, activation of the running instance and foreground
// requests. On other Qt platforms (offscreen, Wayland) the X-specific parts do nothing.

#include "filestore.h"
#include "instancelock_posix.h"
#include "platform.h"
#include "platformlog.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <span>
#include <unistd.h>
#include <vector>

namespace {
// Taken before the X headers, which define Expose as a macro.
constexpr QEvent::Type qtExposeEvent = QEvent::Expose;
} // namespace

#ifdef PELLIMO_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace {

constexpr const char* instanceName = "PLMO";
constexpr const char* mainWindowClass = "TForm1";
// _NET_ACTIVE_WINDOW source indication of a pager: window managers with focus-stealing
// prevention refuse source 1 (an application) far more often than source 2.
constexpr long sourcePager = 2;
// Window managers put a frame (sometimes two) between the root and the client window.
constexpr int maxReparentDepth = 3;
constexpr QRect fallbackWorkArea { 0, 0, 1024, 768 };

#ifdef PELLIMO_HAVE_X11

int ignoreXError(Display*, XErrorEvent*)
{
    // The other instance's windows may vanish between our requests; such errors mean "not found".
    return 0;
}

/** Swaps in a quiet X error handler for the lifetime of the object (Xlib's default exits). */
class QuietXErrors final
{
public:
    QuietXErrors()
        : m_previous(XSetErrorHandler(ignoreXError))
    { }
    ~QuietXErrors() { XSetErrorHandler(m_previous); }
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
    WindowProperty(Display* display, Window window, Atom property, long length, Atom type)
    {
        m_read = XGetWindowProperty(display, window, property, 0, length, False, type, &m_type, &m_format, &m_count,
                                    &m_after, &m_data)
            == Success;
    }
    ~WindowProperty()
    {
        if (m_data) {
            XFree(m_data);
        }
    }
    WindowProperty(const WindowProperty&) = delete;
    WindowProperty& operator=(const WindowProperty&) = delete;

    /** Whether the window has the property at all. */
    bool exists() const { return m_read && m_type != None; }

    /** The items of a 32-bit list property of `type`; empty for any other property. */
    std::span<const unsigned long> list(Atom type) const
    {
        if (!m_read || !m_data || m_type != type || m_format != 32) {
            return {};
        }
        // Format 32 data arrives as an array of long, whatever the size of long.
        return { reinterpret_cast<const unsigned long*>(m_data), m_count };
    }

private:
    bool m_read = false;
    Atom m_type = None;
    int m_format = 0;
    unsigned long m_count = 0;
    unsigned long m_after = 0;
    unsigned char* m_data = nullptr;
};

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

/** Window ids from a CARDINAL/WINDOW list property of the root, e.g. _NET_CLIENT_LIST. */
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
    return findInTree(display, DefaultRootWindow(display), className, maxReparentDepth);
}

/** True when a window manager runs and announces _NET_ACTIVE_WINDOW support. */
bool managerSupportsActivation(Display* display)
{
    const std::vector<Window> check = windowList(display, "_NET_SUPPORTING_WM_CHECK");
    if (check.empty() || check.front() == None) {
        return false;
    }
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", True);
    const Atom active = XInternAtom(display, "_NET_ACTIVE_WINDOW", True);
    if (supported == None || active == None) {
        return false;
    }
    const WindowProperty property(display, DefaultRootWindow(display), supported, 0x10000, XA_ATOM);
    const auto atoms = property.list(XA_ATOM);
    return std::find(atoms.begin(), atoms.end(), active) != atoms.end();
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
    event.xclient.data.l[0] = sourcePager;
    event.xclient.data.l[1] = static_cast<long>(time);
    event.xclient.data.l[2] = 0;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

/** Qt's own Xlib connection when the xcb platform runs with one; otherwise nullptr. */
Display* qtDisplay()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

/**
 * A connection of our own for requests that wait for an event (the server time): Qt's
 * connection hands its events to xcb, so Xlib could never read them there.
 */
Display* ownDisplay()
{
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

#endif // PELLIMO_HAVE_X11

/** Writes WM_CLASS (instance "PLMO", the given class) on a native window before it is mapped. */
void writeWindowClass(WId id, const QByteArray& className)
{
#ifdef PELLIMO_HAVE_X11
    QByteArray name(instanceName);
    QByteArray cls = className;
    XClassHint hint { name.data(), cls.data() };
    if (Display* display = qtDisplay()) {
        // Same connection as Qt's own requests, so ours lands after Qt's and before the map.
        XSetClassHint(display, static_cast<Window>(id), &hint);
        XFlush(display);
    } else if (Display* own = ownDisplay()) {
        XSetClassHint(own, static_cast<Window>(id), &hint);
        XSync(own, False);
    }
#else
    Q_UNUSED(id);
    Q_UNUSED(className);
#endif
}

/**
 * Rides along on a top-level's QWindow. Qt's xcb backend recreates the native window in place
 * at show() when the stay-on-top flag of a not yet shown window changed, writing its own
 * WM_CLASS on the new one. So a flag change on a hidden window waits here until the window is
 * exposed, and should the native window be recreated anyway, our WM_CLASS goes back on it.
 */
class NativeWindowKeeper final : public QObject
{
public:
    explicit NativeWindowKeeper(QWidget* widget)
        : QObject(widget)
        , m_widget(widget)
    { }

    static NativeWindowKeeper* of(QWidget* widget)
    {
        for (QObject* child : widget->children()) {
            if (auto* keeper = dynamic_cast<NativeWindowKeeper*>(child)) {
                return keeper;
            }
        }
        auto* keeper = new NativeWindowKeeper(widget);
        widget->windowHandle()->installEventFilter(keeper);
        return keeper;
    }

    void setWindowClass(const QByteArray& className)
    {
        m_className = className;
        m_classedId = m_widget->windowHandle()->winId();
        writeWindowClass(m_classedId, m_className);
    }

    /** Brings the native window's stay-on-top flag in line with the widget's, once it is safe. */
    void syncStayOnTop()
    {
        QWindow* handle = m_widget->windowHandle();
        const bool wanted = m_widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        if (handle->isExposed() && handle->flags().testFlag(Qt::WindowStaysOnTopHint) != wanted) {
            handle->setFlag(Qt::WindowStaysOnTopHint, wanted);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == qtExposeEvent && watched == m_widget->windowHandle()) {
            const WId id = m_widget->windowHandle()->winId();
            if (!m_className.isEmpty() && id != m_classedId) {
                m_classedId = id;
                writeWindowClass(id, m_className);
            }
            syncStayOnTop();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_widget;
    QByteArray m_className;
    WId m_classedId = 0;
};

class X11Platform final : public Platform
{
public:
    bool anotherInstanceRunning() override;
    void activateRunningInstance() override;
    void setWindowClass(QWidget* window, const QString& className) override;
    QRect primaryWorkArea() override;
    void setStayOnTop(QWidget* window, bool onTop) override;
    void forceForeground(QWidget* window) override;
    QString executablePath() override;
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
            if (managerSupportsActivation(display)) {
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
    // Qt writes its own WM_CLASS when it creates the native window, so create it first and
    // overwrite afterwards; the window is not mapped yet, so the manager only sees ours.
    window->winId();
    NativeWindowKeeper::of(window)->setWindowClass(className.toLatin1());
}

QRect X11Platform::primaryWorkArea()
{
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->availableGeometry() : fallbackWorkArea;
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

    if (QApplication::activeWindow()) {
        // One of our windows has the focus already: no foreground change, only the focus step.
        // Outside a modal dialog this gives the focus back to the window's focus widget.
        if (target == window && QApplication::activeWindow() == window) {
            QWidget* focus = window->focusWidget() ? window->focusWidget() : window;
            if (!focus->hasFocus()) {
                focus->setFocus(Qt::ActiveWindowFocusReason);
            }
        }
        return;
    }

#ifdef PELLIMO_HAVE_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb") && target->windowHandle()) {
        if (Display* display = ownDisplay(); display && managerSupportsActivation(display)) {
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
    // The kernel's link holds the path's real bytes. QCoreApplication::applicationFilePath()
    // decodes them lossily, and a folder name that is not UTF-8 then leads nowhere.
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t size = readlink("/proc/self/exe", target.data(), size_t(target.size()));
    if (size > 0 && size < target.size()) {
        target.truncate(size);
        return filestore::decodePath(target);
    }
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}

} // namespace

Platform& nativePlatform()
{
    static X11Platform platform;
    return platform;
}
