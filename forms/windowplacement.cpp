#include "forms/windowplacement.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>
#include <QEvent>
#include <QGuiApplication>
#include <QLine>
#include <QScreen>
#include <QTimer>
#include <QVariant>
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

/**
 * Qt lays windows out in its own pixels: the screen's pixels divided by the screen's scale (1.25 at
 * 125 %), about the screen's top-left corner, which stays where it is. The settings file, the work
 * area and the frame are in the screen's pixels, so that a window keeps its place on the screen when
 * the scale changes; these convert as Qt does, rounding to the nearest pixel.
 */
struct ScreenScale
{
    QPoint origin;
    qreal factor = 1;
};

ScreenScale screenScaleAt(QPoint p, bool inScreenPixels)
{
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect layout = screen->geometry();
        const qreal factor = screen->devicePixelRatio();
        const QRect area = inScreenPixels ? QRect(layout.topLeft(), (QSizeF(layout.size()) * factor).toSize()) : layout;
        if (area.contains(p))
            return { layout.topLeft(), factor };
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? ScreenScale { primary->geometry().topLeft(), primary->devicePixelRatio() } : ScreenScale {};
}

QRect toScreenPixels(QRect layout)
{
    const ScreenScale s = screenScaleAt(layout.topLeft(), false);
    return { (layout.topLeft() - s.origin) * s.factor + s.origin, layout.size() * s.factor };
}

QPoint fromScreenPixels(QPoint screen)
{
    const ScreenScale s = screenScaleAt(screen, true);
    return (screen - s.origin) / s.factor + s.origin;
}

// Where applyPosition() put a window: (Qt's position, the screen position asked for).
constexpr const char* AppliedPositionProperty = "pellimoAppliedPosition";

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
    // The width in screen pixels, as the position and the work areas are.
    return titleBarReachable(framePosition, toScreenPixels(window->geometry()).width(),
                             Platform::instance().workAreas());
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
    return toScreenPixels(window->geometry()).marginsAdded(Platform::instance().frameMargins(window));
}

QPoint screenPosition(const QWidget* window)
{
    // Qt's pixels cannot hit every screen pixel at 150 %, and Qt rounds the frame and the client
    // area each on its own, so a window reads back up to a pixel from where it was put. A window
    // not moved since gives back the screen position it was placed at, so that a start and a close
    // do not shift it.
    const QVariant stored = window->property(AppliedPositionProperty);
    const QLine applied = stored.toLine();
    const QPoint moved = window->pos() - applied.p1();
    if (stored.isValid() && std::abs(moved.x()) <= 1 && std::abs(moved.y()) <= 1)
        return applied.p2();
    return toScreenPixels(QRect(window->pos(), QSize())).topLeft();
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
        constexpr int MaxTicks = 300; // three seconds, for a busy window manager; without one no frame ever comes
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
    const QPoint position = fromScreenPixels(framePosition);
    window->setProperty(AppliedPositionProperty, QLine(position, framePosition));
    window->move(position);
    new FramePlacer(window, position);
}

} // namespace placement
