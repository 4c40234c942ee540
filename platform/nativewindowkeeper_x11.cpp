#include "platform/nativewindowkeeper_x11.h"

#include <QEvent>
#include <QWidget>

namespace {
// Taken before the X headers, which define Expose as a macro.
constexpr QEvent::Type QtExposeEvent = QEvent::Expose;
} // namespace

#ifdef PELLIMO_HAVE_X11
#include "platform/x11support.h"

#include <X11/Xutil.h>
#endif

namespace {

/** Writes WM_CLASS (instance "PLMO", the given class) on a native window before it is mapped. */
void writeWindowClass(WId id, const QByteArray& className)
{
#ifdef PELLIMO_HAVE_X11
    QByteArray name("PLMO");
    QByteArray cls = className;
    XClassHint hint { name.data(), cls.data() };
    if (Display* display = x11::qtDisplay()) {
        // Same connection as Qt's own requests, so ours lands after Qt's and before the map.
        XSetClassHint(display, static_cast<Window>(id), &hint);
        XFlush(display);
    } else if (Display* own = x11::ownDisplay()) {
        XSetClassHint(own, static_cast<Window>(id), &hint);
        XSync(own, False);
    }
#else
    Q_UNUSED(id);
    Q_UNUSED(className);
#endif
}

} // namespace

NativeWindowKeeper::NativeWindowKeeper(QWidget* widget)
    : QObject(widget)
    , m_widget(widget)
{ }

NativeWindowKeeper* NativeWindowKeeper::of(QWidget* widget)
{
    for (QObject* child : widget->children()) {
        if (auto* keeper = dynamic_cast<NativeWindowKeeper*>(child)) {
            return keeper;
        }
    }
    auto* keeper = new NativeWindowKeeper(widget);
    widget->installEventFilter(keeper);
    keeper->watchHandle();
    return keeper;
}

void NativeWindowKeeper::setWindowClass(const QByteArray& className)
{
    m_className = className;
    reclass();
}

void NativeWindowKeeper::syncStayOnTop()
{
    QWindow* handle = m_widget->windowHandle();
    const bool wanted = m_widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (handle && handle->isExposed() && handle->flags().testFlag(Qt::WindowStaysOnTopHint) != wanted) {
        handle->setFlag(Qt::WindowStaysOnTopHint, wanted);
    }
}

bool NativeWindowKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_widget && event->type() == QEvent::WinIdChange) {
        watchHandle();
        reclass();
    } else if (watched == m_handle && event->type() == QtExposeEvent) {
        reclass();
        syncStayOnTop();
    }
    return QObject::eventFilter(watched, event);
}

void NativeWindowKeeper::watchHandle()
{
    QWindow* handle = m_widget->windowHandle();
    if (handle && handle != m_handle) {
        handle->installEventFilter(this);
        m_handle = handle;
    }
}

void NativeWindowKeeper::reclass()
{
    // The QWindow's id: QWidget::winId() goes stale when the backend swaps the window in place.
    QWindow* handle = m_widget->windowHandle();
    if (m_className.isEmpty() || !handle || !handle->handle()) {
        return;
    }
    const WId id = handle->winId();
    if (id != m_classedId) {
        m_classedId = id;
        writeWindowClass(id, m_className);
    }
}
