#pragma once

#include <functional>
#include <QObject>

class QPointF;
class QWidget;

/**
 * Tells when the pointer comes onto a window's bare background, from outside the window or
 * from one of its child widgets (labels included); moving on over the background, or onto a
 * child, tells nothing. Qt sends the window no enter event when the pointer comes back to it
 * from a child, so the window's pointer moves are followed. Watches the children the window has
 * when it is made; owned by the window.
 */
class BackgroundEnter final : public QObject
{
public:
    BackgroundEnter(QWidget* window, std::function<void()> entered);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pointerAt(const QPointF& position);

    QWidget* m_window;
    std::function<void()> m_entered;
    bool m_onBackground = false;
};
