#include "widgets/backgroundenter.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>

BackgroundEnter::BackgroundEnter(QWidget* window, std::function<void()> entered)
    : QObject(window)
    , m_window(window)
    , m_entered(std::move(entered))
{
    // Moves over the background, and over children that do not follow the pointer themselves
    // (the labels), then reach the window.
    window->setMouseTracking(true);
    window->installEventFilter(this);
    for (QObject* child : window->children()) {
        if (child->isWidgetType())
            child->installEventFilter(this);
    }
}

bool BackgroundEnter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window) {
        if (event->type() == QEvent::Enter)
            m_onBackground = false;
        return false;
    }
    switch (event->type()) {
    case QEvent::Enter:
        pointerAt(static_cast<QEnterEvent*>(event)->position());
        break;
    case QEvent::MouseMove:
        pointerAt(static_cast<QMouseEvent*>(event)->position());
        break;
    case QEvent::Leave:
        m_onBackground = false;
        break;
    default:
        break;
    }
    return false;
}

void BackgroundEnter::pointerAt(const QPointF& position)
{
    const bool background = m_window->childAt(position.toPoint()) == nullptr;
    const bool arrived = background && !m_onBackground;
    m_onBackground = background;
    if (arrived)
        m_entered();
}
