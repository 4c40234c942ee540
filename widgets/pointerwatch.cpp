#include "widgets/pointerwatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QSinglePointEvent>
#include <QTimer>

PointerWatch* PointerWatch::instance()
{
    static QPointer<PointerWatch> watch;
    if (!watch && QCoreApplication::instance())
        watch = new PointerWatch(QCoreApplication::instance());
    return watch;
}

void PointerWatch::follow(const QObject* button, QTimer* unHotTimer, const QPointF& globalPos)
{
    m_pointer = globalPos;
    if (m_hot.isEmpty())
        QCoreApplication::instance()->installEventFilter(this);
    m_hot.insert(button, unHotTimer);
}

void PointerWatch::unfollow(const QObject* button)
{
    if (m_hot.remove(button) && m_hot.isEmpty())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool PointerWatch::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (event->isSinglePointEvent())
            moved(static_cast<QSinglePointEvent*>(event)->globalPosition());
        break;
    case QEvent::Leave:
        // A native window left: the pointer is in none of ours until the next enter.
        if (watched->isWindowType())
            moved(std::nullopt);
        break;
    default:
        break;
    }
    return false;
}

void PointerWatch::moved(std::optional<QPointF> pointer)
{
    m_pointer = pointer;
    for (QTimer* timer : std::as_const(m_hot))
        if (!timer->isActive())
            timer->start();
}
