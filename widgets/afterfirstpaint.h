#pragma once

#include <functional>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

/**
 * Runs `action` once after the first paint of `window`, queued, so that the painted pixels reach
 * the screen first.
 */
inline void runAfterFirstPaint(QWidget* window, std::function<void()> action)
{
    class Watch final : public QObject
    {
    public:
        Watch(QObject* parent, std::function<void()> action)
            : QObject(parent)
            , m_action(std::move(action))
        { }

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint) {
                watched->removeEventFilter(this);
                QTimer::singleShot(0, this, [this] {
                    m_action();
                    deleteLater();
                });
            }
            return false;
        }

    private:
        std::function<void()> m_action;
    };
    window->installEventFilter(new Watch(window, std::move(action)));
}
