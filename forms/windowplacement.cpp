#include "forms/windowplacement.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace placement {
namespace {

// X11 carries 16-bit window coordinates; keep stored positions where arithmetic cannot overflow.
constexpr int PositionLimit = 30000;

// A window stays within reach while this much of its title bar lies on one screen's work area.
constexpr QSize TitleBarGrip { 60, 24 };

int clampPosition(int v)
{
    return std::clamp(v, -PositionLimit, PositionLimit);
}

bool titleBarReachable(QPoint framePosition, int width, const std::vector<QRect>& workAreas)
{
    // The frame's borders add a few pixels on either side; the window's own width is near enough.
    const QRect titleBar(framePosition, QSize(width, TitleBarGrip.height()));
    return std::any_of(workAreas.begin(), workAreas.end(), [&titleBar](const QRect& area) {
        const QRect seen = titleBar.intersected(area);
        return seen.width() >= TitleBarGrip.width() && seen.height() >= TitleBarGrip.height();
    });
}

} // namespace

QPoint centredDefault(QSize outerSize)
{
    // The work area's own origin is not added: the default is measured from the screen's origin.
    const QRect area = Platform::instance().primaryWorkArea();
    const int top = int(std::floor(area.height() / 2.0 - outerSize.height() / 2.0));
    const int left = int(std::floor(area.width() / 2.0 - outerSize.width() / 2.0));
    return { left, top };
}

bool withinReach(QWidget* window, QPoint framePosition)
{
    return titleBarReachable(framePosition, window->width(), Platform::instance().workAreas());
}

QPoint reachablePosition(QWidget* window, QPoint framePosition)
{
    if (withinReach(window, framePosition))
        return framePosition;
    Platform& platform = Platform::instance();
    const QPoint centred = centredDefault(outerGeometry(window).size());
    if (withinReach(window, centred))
        return centred;
    // The default leaves out the work area's origin, which put it off every screen here (a
    // primary screen away from the desktop's origin): the origin goes in.
    return centred + platform.primaryWorkArea().topLeft();
}

QRect workAreaOf(QRect outer)
{
    Platform& platform = Platform::instance();
    QRect best = platform.primaryWorkArea();
    qint64 bestOverlap = 0;
    for (const QRect& area : platform.workAreas()) {
        const QRect overlap = area.intersected(outer);
        if (qint64(overlap.width()) * overlap.height() > bestOverlap) {
            bestOverlap = qint64(overlap.width()) * overlap.height();
            best = area;
        }
    }
    return best;
}

bool StoredPosition::applicable(QWidget* window) const
{
    return complete() && withinReach(window, { clampPosition(*left), clampPosition(*top) });
}

QPoint StoredPosition::resolve(QWidget* window) const
{
    const QPoint centre = complete() ? QPoint() : centredDefault(outerGeometry(window).size());
    return reachablePosition(window,
                             { clampPosition(left.value_or(centre.x())), clampPosition(top.value_or(centre.y())) });
}

QRect outerGeometry(QWidget* window)
{
    return window->geometry().marginsAdded(Platform::instance().frameMargins(window));
}

namespace {

/**
 * Moves the window's frame to its target once the window manager has reported the frame's
 * size, which arrives some moments after the window is shown and without an event of its own.
 */
class FramePlacer final : public QObject
{
public:
    FramePlacer(QWidget* window, QPoint target)
        : QObject(window)
        , m_window(window)
        , m_target(target)
    {
        window->installEventFilter(this);
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &FramePlacer::check);
        // Placed from its own show handler, the window is past the Show event this filter waits for.
        if (window->isVisible())
            m_timer.start();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            m_timer.start();
        return false;
    }

private:
    void check()
    {
        constexpr int MaxTicks = 100; // a second: without a window manager no frame ever comes
        const bool frameKnown = m_window->frameGeometry() != m_window->geometry();
        if (!frameKnown && ++m_ticks < MaxTicks)
            return;
        if (frameKnown && m_window->frameGeometry().topLeft() != m_target)
            m_window->move(m_target);
        m_timer.stop();
        m_window->removeEventFilter(this);
        deleteLater();
    }

    QWidget* m_window;
    QPoint m_target;
    QTimer m_timer;
    int m_ticks = 0;
};

} // namespace

void applyPosition(QWidget* window, QPoint framePosition)
{
    window->move(framePosition);
    new FramePlacer(window, framePosition);
}

} // namespace placement
