#pragma once

#include <optional>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

/**
 * Where top-level windows go: the centred default, positions kept within reach of the user, and a
 * window's frame put where its position says, whatever the window manager's timing.
 */
namespace placement {

/** Default position of a window of this outer size: centred on the primary work area's size. */
QPoint centredDefault(QSize outerSize);

/** Whether enough of the window's title bar to grab it (60 x 24 pixels) lies on one screen's work area. */
bool withinReach(QWidget* window, QPoint framePosition);

/**
 * Where a window whose frame would stand at @p framePosition goes: there, while it is within
 * reach; else centred as for a missing position, so that a position saved on a bigger screen, or
 * on a screen gone since, cannot leave the window out of reach. The window's outer size is asked
 * only for the centring.
 */
QPoint reachablePosition(QWidget* window, QPoint framePosition);

/** The work area of the screen that holds most of this rectangle; the primary's when none does. */
QRect workAreaOf(QRect outer);

/**
 * A window's position as the settings file holds it. A coordinate the file lacks, or holds
 * unreadably, comes from the centred default, which needs the window's outer size: on X11 the
 * window manager is asked for it, so it is asked only when needed.
 */
struct StoredPosition
{
    std::optional<int> left;
    std::optional<int> top;

    bool complete() const { return left && top; }
    /** Whether the position can be applied as stored: complete and within reach (asks no frame). */
    bool applicable(QWidget* window) const;
    /** The position to apply to @p window, within reach (reachablePosition). */
    QPoint resolve(QWidget* window) const;
};

/**
 * A top-level window's outer rectangle, frame included, in screen pixels, as the window system has
 * it or, before the first show, as it will be.
 */
QRect outerGeometry(QWidget* window);

/** A top-level window's outer top-left corner in screen pixels, as the settings file keeps it. */
QPoint screenPosition(const QWidget* window);

/**
 * Puts a window's outer (frame) top-left corner at a stored position in screen pixels.
 * QWidget::move() on a window not yet shown places the client area there on X11, since the frame
 * is not known yet, and the window would creep by the frame's size at every start.
 */
void applyPosition(QWidget* window, QPoint framePosition);

} // namespace placement
