#include "widgets/glassfill.h"

#include "widgets/glassshapes.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <QPainter>
#include <QPainterPath>

namespace {

// Qt hands the spans of one fill to its thread pool once there are about a hundred of them, which on
// a button this small costs far more than it saves. An anti-aliased area yields about three spans a
// row (two edge pixels and the run between), a one-pixel ring about two: fill in bands of rows that
// stay below that.
constexpr int SpansPerFill = 90;

/** Whether `v` lies on a whole device pixel boundary. */
bool onPixelBoundary(qreal v)
{
    return std::abs(v - std::round(v)) < 1e-6;
}

/**
 * Fills rectangles that cover whole device pixels. With anti-aliasing on, Qt sends even such a
 * rectangle through its scanline rasterizer, one span a row; with it off, an aligned rectangle is
 * a plain fill of the same pixels. Under a device scale that does not put the rectangles on whole
 * pixels, they keep anti-aliasing.
 */
void fillWholePixels(QPainter& p, std::initializer_list<QRectF> rects, const QBrush& brush)
{
    const QTransform& device = p.deviceTransform();
    const bool aligned
        = device.type() <= QTransform::TxScale && std::all_of(rects.begin(), rects.end(), [&](const QRectF& r) {
              const QRectF d = device.mapRect(r);
              return onPixelBoundary(d.left()) && onPixelBoundary(d.top()) && onPixelBoundary(d.right())
                  && onPixelBoundary(d.bottom());
          });
    if (aligned)
        p.setRenderHint(QPainter::Antialiasing, false);
    for (const QRectF& r : rects) {
        if (r.isEmpty())
            continue;
        if (brush.style() == Qt::SolidPattern)
            p.fillRect(r, brush.color()); // the colour overload skips setting up a brush
        else
            p.fillRect(r, brush);
    }
    if (aligned)
        p.setRenderHint(QPainter::Antialiasing, true);
}

} // namespace

namespace glass {

QColor layerColor(TColor color, int alpha)
{
    return QColor(tcolor::red(color), tcolor::green(color), tcolor::blue(color), alpha);
}

void fillBanded(QPainter& p, const QPainterPath& path, const QBrush& brush, int spansPerRow)
{
    const QRectF bounds = path.controlPointRect();
    const int bandRows = SpansPerFill / spansPerRow;
    const int top = int(std::floor(bounds.top()));
    const int bottom = int(std::ceil(bounds.bottom())) + 1;
    if (bottom - top <= bandRows) {
        p.fillPath(path, brush);
        return;
    }
    const int bands = (bottom - top + bandRows - 1) / bandRows;
    const int rows = (bottom - top + bands - 1) / bands;
    const qreal left = std::floor(bounds.left()) - 1.5;
    const qreal width = std::ceil(bounds.width()) + 3;
    for (int y = top; y < bottom; y += rows) {
        p.save();
        // Whole device rows: the painter is shifted by half a pixel.
        p.setClipRect(QRectF(left, y - 0.5, width, rows), Qt::IntersectClip);
        p.fillPath(path, brush);
        p.restore();
    }
}

// Every anti-aliased path fill has a fixed cost of about a fill of the whole button, whatever its
// size, and one with more than about a hundred spans also goes through the thread pool. So the
// straight parts of rings and bodies, which cover whole pixels, are filled as plain rectangles,
// and only the corners as paths.
void fillBodyUnderRing(QPainter& p, int x, int y, int w, int h, int r, const QBrush& brush)
{
    // From the top edge to the first row boundary below the corner arcs (half a pixel beyond them).
    const qreal zone = r + 0.5;
    if (r <= 0 || 2 * zone > h || w < 2) {
        fillBanded(p, RoundedRectPath(x, y, w, h, r), brush);
        return;
    }
    QPainterPath corners = TopRoundedPath(x, y, w, zone, r);
    corners.addPath(QTransform(1, 0, 0, -1, 0, 2 * y + h).map(corners));
    // Banding would only rasterize the whole path once a band; the corner rows stay few.
    p.fillPath(corners, brush);
    const qreal middle = h - 2 * zone;
    if (middle > 0)
        fillWholePixels(p, { QRectF(x + 0.5, y + zone, w - 1, middle) }, brush);
}

void fillHighlightUnderRing(QPainter& p, int x, int y, int w, int h, int r, const QBrush& brush)
{
    const qreal zone = r + 0.5;
    if (r <= 0 || zone + 1 > h || w < 2) {
        fillBanded(p, TopRoundedPath(x, y, w, h, r), brush);
        return;
    }
    p.fillPath(TopRoundedPath(x, y, w, zone, r), brush);
    fillWholePixels(p, { QRectF(x + 0.5, y + zone, w - 1, h - zone - 0.5) }, brush);
    p.fillRect(QRectF(x + 0.5, y + h - 0.5, w - 1, 0.5), brush);
}

void fillRoundedRing(QPainter& p, int x, int y, int w, int h, int r, const QColor& colour)
{
    r = std::max(r, 0);
    const int c = r + 1; // corner squares, in pixels
    if (w + 1 < 2 * c || h + 1 < 2 * c || w < 1 || h < 1) {
        fillBanded(p, roundedRing(x, y, w, h, r), colour, RingSpansPerRow);
        return;
    }
    if (r > 0)
        p.fillPath(ringCorners(x, y, w, h, r), colour);
    // The straight parts, in the half-pixel shifted coordinates; square corners go with the rows.
    const qreal left = x - 0.5;
    const qreal top = y - 0.5;
    const int rowInset = r > 0 ? c : 0;
    fillWholePixels(p,
                    { QRectF(left + rowInset, top, w + 1 - 2 * rowInset, 1),
                      QRectF(left + rowInset, top + h, w + 1 - 2 * rowInset, 1),
                      QRectF(left, top + c, 1, h + 1 - 2 * c), QRectF(left + w, top + c, 1, h + 1 - 2 * c) },
                    colour);
}

} // namespace glass
