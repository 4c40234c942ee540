#pragma once

#include "widgets/glassenums.h"

#include <QList>
#include <QPainterPath>
#include <QPointF>

/**
 * Path and symbol builders of the glass button.
 *
 * Coordinates follow the button's drawing model: integer coordinates are pixel centres, so a
 * 1-pixel line along x = 0 covers exactly column 0 once the painter is shifted by half a pixel.
 * Angles of arcs are in degrees, clockwise from the positive x axis (y grows downwards). Every
 * builder returns one closed figure; pieces that do not meet are joined by straight lines.
 */
namespace glass {

/** Rounds half to even, as the button's integer arithmetic does. */
int roundEven(double v);

/**
 * Appends a cardinal spline through `points` (end points repeated) to `path`, joining it to the
 * current point with a line if needed. Tension 0.5 puts the Bézier control points a sixth of the
 * neighbour-to-neighbour chord away from each point.
 */
void addCardinalCurve(QPainterPath& path, const QList<QPointF>& points, qreal tension = 0.5);

/** Rounded rectangle with corner radius r, not clamped to the box; r <= 0 gives square corners. */
QPainterPath RoundedRectPath(qreal x, qreal y, qreal w, qreal h, qreal r);
/** Rounded rectangle whose bottom corners are square (the highlight). */
QPainterPath TopRoundedPath(qreal x, qreal y, qreal w, qreal h, qreal r);
/** One round end of diameter h and one hollow curved end; `direction` names the round end. */
QPainterPath CurvedPath(int x, int y, int w, int h, TButtonDirection direction);
/** The upper part of a curved shape (the highlight of a curved button). */
QPainterPath TopCurvedPath(int x, int y, int w, int h, TButtonDirection direction);
/**
 * The glow ellipse for the body box given as left, top, right, bottom: far wider and taller than
 * the box and centred on the middle of its bottom edge, (W/2 - 1, H - 3) for a W x H button.
 */
QPainterPath GlowEllipse(int left, int top, int right, int bottom);

/** The area a pen of `width` covers along `path`, filled instead of stroked for crisp rings. */
QPainterPath outlineArea(const QPainterPath& path, qreal width = 1.0);
/**
 * The 1-pixel ring along RoundedRectPath(x, y, w, h, r): the same area the stroker gives (arcs
 * offset by half a pixel stay arcs, square corners stay square), built without it because it
 * runs on every paint.
 */
QPainterPath roundedRing(qreal x, qreal y, qreal w, qreal h, qreal r);
/**
 * The four rounded corners of roundedRing(x, y, w, h, r) for integer arguments and r > 0, each
 * cut to its square of r + 1 pixels; the straight parts between them cover whole pixels.
 */
QPainterPath ringCorners(int x, int y, int w, int h, int r);

/**
 * Filled parts of a background symbol, for w = W - 1 and h = H - 1. Empty for the symbols that
 * are only stroked (arrows, speakers) and for bsNone and bsCustom.
 */
QPainterPath SymbolFillPath(TBackGroundSymbol symbol, int w, int h);
/**
 * Stroked parts of a background symbol, already turned into an area to fill: arrow lines with
 * their heads, the speaker outline and its lines.
 */
QPainterPath SymbolStrokePath(TBackGroundSymbol symbol, int w, int h);

} // namespace glass
