#pragma once

#include "core/tcolor.h"

#include <QBrush>
#include <QColor>

class QPainter;
class QPainterPath;

/**
 * Fills of the glass button's layers that keep Qt's rasterizer on its fast paths: bands of rows
 * instead of one large fill, plain rectangles where an area covers whole pixels, and small
 * paths for the corners only. Each gives the pixels of a plain anti-aliased fillPath() of the
 * same area. The painter is shifted by half a pixel (integer coordinates are pixel centres).
 */
namespace glass {

/** A TColor's three low bytes with the given alpha; system colours are not resolved. */
QColor layerColor(TColor color, int alpha);

/** Spans an anti-aliased area yields a row: two edge pixels and the run between. */
constexpr int AreaSpansPerRow = 3;
/** Spans a one-pixel ring yields a row. */
constexpr int RingSpansPerRow = 2;

/** Fills `path` in bands of whole device rows, each small enough to stay out of the thread pool. */
void fillBanded(QPainter& p, const QPainterPath& path, const QBrush& brush, int spansPerRow = AreaSpansPerRow);

/**
 * Fills the body RoundedRectPath(x, y, w, h, r) for integer arguments, under an opaque inner ring
 * that is drawn later: in the straight rows the half-covered edge columns lie under that ring, so
 * those rows are filled as a rectangle of whole pixels between them.
 */
void fillBodyUnderRing(QPainter& p, int x, int y, int w, int h, int r, const QBrush& brush);

/**
 * Fills the highlight TopRoundedPath(x, y, w, h, r) for integer arguments, under the same opaque
 * inner ring as the body: the corner rows as a path, the rows below them as whole pixels between
 * the ring's columns, and the half-covered bottom row as a half-pixel strip.
 */
void fillHighlightUnderRing(QPainter& p, int x, int y, int w, int h, int r, const QBrush& brush);

/**
 * Fills roundedRing(x, y, w, h, r) for integer arguments: the straight parts of the ring cover
 * whole pixels and are plain rectangles; the four corners are one small path.
 */
void fillRoundedRing(QPainter& p, int x, int y, int w, int h, int r, const QColor& colour);

} // namespace glass
