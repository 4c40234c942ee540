#pragma once

#include "glassbutton.h"

#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QString>

/**
 * Shape builders and small helpers of the glass button's painting.
 *
 * Coordinates follow the button's drawing model: integer coordinates are pixel centres, so a
 * 1-pixel line along x = 0 covers exactly column 0 once the painter is shifted by half a pixel.
 * Angles of arcs are in degrees, clockwise from the positive x axis (y grows downwards). Every
 * builder returns one closed figure; pieces that do not meet are joined by straight lines.
 */
namespace glass {

/** Rounds half to even, as the button's integer arithmetic does. */
int roundEven(double v);

/** A TColor's three low bytes with the given alpha; system colours are not resolved. */
QColor layerColor(TColor color, int alpha);

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

/**
 * The caption as it is laid out: every backslash-n (either case) becomes a line break, and CR LF,
 * LF CR, lone CR and lone LF each become one QChar::LineSeparator.
 */
QString captionLines(const QString& caption);

/**
 * Removes hotkey prefixes: "&x" shows x underlined, "&&" shows one "&", a trailing "&" vanishes.
 * `underlined` receives the positions, in the result, of the characters to underline.
 */
QString stripHotkeyPrefix(const QString& text, QList<int>* underlined = nullptr);

} // namespace glass
