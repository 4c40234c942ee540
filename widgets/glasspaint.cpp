#include "glasspaint.h"

#include <algorithm>
#include <cmath>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QRawFont>
#include <QTextLayout>

namespace {

constexpr int BackgroundAlpha = 255;
constexpr int TintAlpha = 127;
constexpr int GlowCentreAlpha = 173;
constexpr int ShineTopAlpha = 153;
constexpr int ShineBottomAlpha = ShineTopAlpha / 3;
constexpr int SymbolAlpha = 160;
constexpr TColor DisabledText = 0x808080;
constexpr TColor FocusOutline = 0x808080;
// Joins of the one-pixel outlines: sharp up to this ratio, bevelled beyond (the hollow end of a
// curved button turns back on itself).
constexpr qreal OutlineMiterLimit = 10.0;

/** Builds one figure piece by piece, joining pieces that do not meet with straight lines. */
class Figure
{
public:
    void joinTo(QPointF p)
    {
        if (m_empty) {
            m_path.moveTo(p);
            m_empty = false;
        } else if (m_path.currentPosition() != p) {
            m_path.lineTo(p);
        }
    }

    void line(QPointF from, QPointF to)
    {
        joinTo(from);
        m_path.lineTo(to);
    }

    /** Arc of the ellipse in (x, y, w, h); angles clockwise with y down, as the shapes are given. */
    void arc(qreal x, qreal y, qreal w, qreal h, qreal start, qreal sweep)
    {
        if (w <= 0 || h <= 0)
            return; // a corner without radius: the neighbouring lines meet by themselves
        const qreal a = qDegreesToRadians(start);
        joinTo(QPointF(x + w / 2 + w / 2 * std::cos(a), y + h / 2 + h / 2 * std::sin(a)));
        if (quarters(start, sweep)) {
            quarterArcs(x, y, w, h, int(start), int(sweep));
            return;
        }
        // QPainterPath counts angles counter-clockwise.
        m_path.arcTo(QRectF(x, y, w, h), -start, -sweep);
    }

    void curve(const QList<QPointF>& points)
    {
        if (points.isEmpty())
            return;
        joinTo(points.first());
        glass::addCardinalCurve(m_path, points);
    }

    QPainterPath close()
    {
        m_path.closeSubpath();
        return m_path;
    }

    QPainterPath& path() { return m_path; }

private:
    static bool quarters(qreal start, qreal sweep)
    {
        return start == std::trunc(start) && sweep == std::trunc(sweep) && int(start) % 90 == 0 && int(sweep) % 90 == 0;
    }

    /**
     * Arcs made of whole quadrants, as the one Bézier segment per quadrant that arcTo() would
     * build, without its trigonometry: every corner of a button is one of these.
     */
    void quarterArcs(qreal x, qreal y, qreal w, qreal h, int start, int sweep)
    {
        // Unit circle points at 0, 90, 180 and 270 degrees, clockwise with y down.
        static constexpr qreal Cos[] = { 1, 0, -1, 0 };
        static constexpr qreal Sin[] = { 0, 1, 0, -1 };
        constexpr qreal Kappa = 0.5522847498307936; // 4/3 * (sqrt(2) - 1)
        const qreal rx = w / 2;
        const qreal ry = h / 2;
        const QPointF centre(x + rx, y + ry);
        const int step = sweep > 0 ? 1 : -1;
        int q = ((start / 90) % 4 + 4) % 4;
        for (int n = std::abs(sweep) / 90; n > 0; --n) {
            const int next = (q + step + 4) % 4;
            const QPointF from = centre + QPointF(rx * Cos[q], ry * Sin[q]);
            const QPointF to = centre + QPointF(rx * Cos[next], ry * Sin[next]);
            // Tangents along the direction of travel.
            const QPointF t0 = QPointF(-rx * Sin[q], ry * Cos[q]) * step;
            const QPointF t1 = QPointF(-rx * Sin[next], ry * Cos[next]) * step;
            m_path.cubicTo(from + t0 * Kappa, to - t1 * Kappa, to);
            q = next;
        }
    }

    QPainterPath m_path;
    bool m_empty = true;
};

/** The area a 1-pixel pen covers along `path`, filled instead of stroked for crisp rings. */
QPainterPath outlineArea(const QPainterPath& path, qreal width = 1.0)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::SvgMiterJoin);
    stroker.setMiterLimit(OutlineMiterLimit);
    return stroker.createStroke(path);
}

/**
 * The 1-pixel ring along a rounded rectangle: the same area the stroker gives (arcs offset by half a
 * pixel stay arcs, square corners stay square), built without it because it runs on every paint.
 */
QPainterPath roundedRing(qreal x, qreal y, qreal w, qreal h, qreal r)
{
    r = std::max<qreal>(r, 0);
    QPainterPath ring = glass::RoundedRectPath(x - 0.5, y - 0.5, w + 1, h + 1, r > 0 ? r + 0.5 : 0);
    if (w > 1 && h > 1)
        ring.addPath(glass::RoundedRectPath(x + 0.5, y + 0.5, w - 1, h - 1, std::max<qreal>(r - 0.5, 0)));
    ring.setFillRule(Qt::OddEvenFill);
    return ring;
}

// Qt hands the spans of one fill to its thread pool once there are about a hundred of them, which on
// a button this small costs far more than it saves. An anti-aliased area yields about three spans a
// row (two edge pixels and the run between), a one-pixel ring about two: fill in bands of rows that
// stay below that.
constexpr int SpansPerFill = 90;
constexpr int AreaSpansPerRow = 3;
constexpr int RingSpansPerRow = 2;

/** Fills `path` (in the half-pixel shifted coordinates) in bands of whole device rows. */
void fillBanded(QPainter& p, const QPainterPath& path, const QBrush& brush, int spansPerRow = AreaSpansPerRow)
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

// Every anti-aliased path fill has a fixed cost of about a fill of the whole button, whatever its
// size, and one with more than about a hundred spans also goes through the thread pool. So the
// straight parts of rings and bodies, which cover whole pixels, are filled as plain rectangles,
// and only the corners as paths.
/**
 * Fills the body RoundedRectPath(x, y, w, h, r) for integer arguments, under an opaque inner ring
 * that is drawn later: in the straight rows the half-covered edge columns lie under that ring, so
 * those rows are filled as a rectangle of whole pixels between them.
 */
void fillBodyUnderRing(QPainter& p, int x, int y, int w, int h, int r, const QBrush& brush)
{
    // From the top edge to the first row boundary below the corner arcs (half a pixel beyond them).
    const qreal zone = r + 0.5;
    if (r <= 0 || 2 * zone > h || w < 2) {
        fillBanded(p, glass::RoundedRectPath(x, y, w, h, r), brush);
        return;
    }
    QPainterPath corners = glass::TopRoundedPath(x, y, w, zone, r);
    corners.addPath(QTransform(1, 0, 0, -1, 0, 2 * y + h).map(corners));
    // Banding would only rasterize the whole path once a band; the corner rows stay few.
    p.fillPath(corners, brush);
    const qreal middle = h - 2 * zone;
    if (middle > 0)
        fillWholePixels(p, { QRectF(x + 0.5, y + zone, w - 1, middle) }, brush);
}

/**
 * Fills the highlight TopRoundedPath(x, y, w, h, r) for integer arguments, under the same opaque
 * inner ring as the body: the corner rows as a path, the rows below them as whole pixels between
 * the ring's columns, and the half-covered bottom row as a half-pixel strip.
 */
void fillHighlightUnderRing(QPainter& p, int x, int y, int w, int h, int r, const QBrush& brush)
{
    const qreal zone = r + 0.5;
    if (r <= 0 || zone + 1 > h || w < 2) {
        fillBanded(p, glass::TopRoundedPath(x, y, w, h, r), brush);
        return;
    }
    p.fillPath(glass::TopRoundedPath(x, y, w, zone, r), brush);
    fillWholePixels(p, { QRectF(x + 0.5, y + zone, w - 1, h - zone - 0.5) }, brush);
    p.fillRect(QRectF(x + 0.5, y + h - 0.5, w - 1, 0.5), brush);
}

/**
 * Fills roundedRing(x, y, w, h, r) for integer arguments: the straight parts of the ring cover
 * whole pixels and are plain rectangles; the four corners are one small path.
 */
void fillRoundedRing(QPainter& p, int x, int y, int w, int h, int r, const QColor& colour)
{
    r = std::max(r, 0);
    const int c = r + 1; // corner squares, in pixels
    if (w + 1 < 2 * c || h + 1 < 2 * c || w < 1 || h < 1) {
        fillBanded(p, roundedRing(x, y, w, h, r), colour, RingSpansPerRow);
        return;
    }
    if (r > 0) {
        // The top-left corner between the square's edges and the two arcs about (x + r, y + r);
        // the other three are its mirror images.
        const qreal left = x - 0.5;
        const qreal top = y - 0.5;
        Figure f;
        const qreal cx = x + r; // the arcs' centre
        const qreal cy = y + r;
        f.line({ left, top + c }, { left, cy });
        f.arc(left, top, 2 * r + 1, 2 * r + 1, 180, 90);
        f.line({ cx, top }, { left + c, top });
        f.line({ left + c, top + 1 }, { cx, top + 1 });
        f.arc(x + 0.5, y + 0.5, 2 * r - 1, 2 * r - 1, 270, -90);
        f.line({ x + 0.5, cy }, { x + 0.5, top + c });
        const QPainterPath corner = f.close();
        QPainterPath corners = corner;
        corners.addPath(QTransform(-1, 0, 0, 1, 2 * x + w, 0).map(corner));
        corners.addPath(QTransform(1, 0, 0, -1, 0, 2 * y + h).map(corners));
        p.fillPath(corners, colour);
    }
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

QPainterPath arrowLine(QPointF from, QPointF to, qreal width)
{
    const QLineF l(from, to);
    if (l.length() <= 0 || width <= 0)
        return {};
    const QPointF dir = (to - from) / l.length();
    const QPointF normal(-dir.y(), dir.x());
    QPainterPath shaft;
    shaft.moveTo(from);
    shaft.lineTo(to);
    QPainterPath head;
    head.addPolygon(QPolygonF { to + normal * width, to + dir * width, to - normal * width });
    head.closeSubpath();
    return outlineArea(shaft, width).united(head);
}

void addTriangle(QPainterPath& path, QPointF a, QPointF b, QPointF c)
{
    path.addPolygon(QPolygonF { a, b, c });
    path.closeSubpath();
}

/** Font points as the button's font reports them: pixels at 96 dpi, rounded half away from zero. */
int fontPoints(const QFont& font)
{
    if (font.pixelSize() > 0)
        return (font.pixelSize() * 72 + 48) / 96;
    return int(std::lround(font.pointSizeF()));
}

/**
 * Whether the font's face is installed: the face the font resolves to is the one asked for or one
 * the program maps it onto (a substitute counts as installed), and it is an outline (TrueType or
 * OpenType) face, which is what smooth text needs; bitmap faces have no font header table.
 * Asked of the font engine the font already uses: the font database's own query costs as much as
 * a tenth of a button's paint.
 */
bool smoothFaceInstalled(const QFont& font)
{
    const QRawFont face = QRawFont::fromFont(font);
    if (!face.isValid())
        return false;
    const QString asked = font.family();
    const QString got = face.familyName();
    if (got.compare(asked, Qt::CaseInsensitive) != 0) {
        const QStringList subs = QFont::substitutes(asked);
        if (std::none_of(subs.begin(), subs.end(),
                         [&](const QString& s) { return s.compare(got, Qt::CaseInsensitive) == 0; }))
            return false;
    }
    return !face.fontTable("head").isEmpty();
}

struct TextBlock
{
    QRectF bounds; // union of the lines, relative to the layout origin
    qreal height = 0;
};

/**
 * Lays out `layout` in lines of `width`; `lineStep` > 0 fixes the distance between baselines
 * (the plain path), otherwise each line takes its font's line spacing.
 */
TextBlock layoutLines(QTextLayout& layout, qreal width, qreal lineStep)
{
    TextBlock block;
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        const qreal step = lineStep > 0 ? lineStep : line.height();
        block.bounds |= QRectF(line.naturalTextRect().left(), y, line.naturalTextWidth(), step);
        y += step;
    }
    layout.endLayout();
    block.height = y;
    return block;
}

void prepareLayout(QTextLayout& layout, const QString& caption, Qt::Alignment align, QTextOption::WrapMode wrap)
{
    QList<int> underlined;
    layout.setText(glass::stripHotkeyPrefix(glass::captionLines(caption), &underlined));
    QTextOption option(align);
    option.setWrapMode(wrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true); // keeps the shaping of the layout for the drawing of the same paint
    if (!underlined.isEmpty()) {
        QList<QTextLayout::FormatRange> formats;
        for (int pos : underlined) {
            QTextLayout::FormatRange range;
            range.start = pos;
            range.length = 1;
            range.format.setFontUnderline(true);
            formats.append(range);
        }
        layout.setFormats(formats);
    }
}

} // namespace

namespace glass {

int roundEven(double v)
{
    return int(std::nearbyint(v));
}

QColor layerColor(TColor color, int alpha)
{
    return QColor(tcolor::red(color), tcolor::green(color), tcolor::blue(color), alpha);
}

void addCardinalCurve(QPainterPath& path, const QList<QPointF>& points, qreal tension)
{
    if (points.isEmpty())
        return;
    if (path.elementCount() == 0)
        path.moveTo(points.first());
    else if (path.currentPosition() != points.first())
        path.lineTo(points.first());
    const qsizetype n = points.size();
    const qreal k = tension / 3;
    for (qsizetype i = 0; i + 1 < n; ++i) {
        const QPointF before = points[std::max<qsizetype>(i - 1, 0)];
        const QPointF after = points[std::min<qsizetype>(i + 2, n - 1)];
        const QPointF c1 = points[i] + (points[i + 1] - before) * k;
        const QPointF c2 = points[i + 1] - (after - points[i]) * k;
        path.cubicTo(c1, c2, points[i + 1]);
    }
}

QPainterPath RoundedRectPath(qreal x, qreal y, qreal w, qreal h, qreal r)
{
    r = std::max<qreal>(r, 0);
    Figure f;
    f.arc(x, y, 2 * r, 2 * r, 180, 90);
    f.line({ x + r, y }, { x + w - r, y });
    f.arc(x + w - 2 * r, y, 2 * r, 2 * r, 270, 90);
    f.line({ x + w, y + r }, { x + w, y + h - r });
    f.arc(x + w - 2 * r, y + h - 2 * r, 2 * r, 2 * r, 0, 90);
    f.line({ x + w - r, y + h }, { x + r, y + h });
    f.arc(x, y + h - 2 * r, 2 * r, 2 * r, 90, 90);
    f.line({ x, y + h - r }, { x, y + r });
    return f.close();
}

QPainterPath TopRoundedPath(qreal x, qreal y, qreal w, qreal h, qreal r)
{
    r = std::max<qreal>(r, 0);
    Figure f;
    f.arc(x, y, 2 * r, 2 * r, 180, 90);
    f.line({ x + r, y }, { x + w - r, y });
    f.arc(x + w - 2 * r, y, 2 * r, 2 * r, 270, 90);
    f.line({ x + w, y + r }, { x + w, y + h });
    f.line({ x + w, y + h }, { x, y + h });
    f.line({ x, y + h }, { x, y + r });
    return f.close();
}

QPainterPath CurvedPath(int x, int y, int w, int h, TButtonDirection direction)
{
    Figure f;
    if (direction == bdRight) {
        f.curve({ QPointF(x, y), QPointF(x + h / 6, y + h / 4), QPointF(roundEven(x + h / 4.85), y + h / 2),
                  QPointF(x + h / 6, y + 3 * h / 4), QPointF(x, y + h) });
        f.line(QPointF(x, y + h), QPointF(x + w - h, y + h));
        f.arc(x + w - h, y, h, h, 90, -180);
        f.line(QPointF(x + w - h, y), QPointF(x, y));
    } else {
        f.arc(x, y, h, h, 90, 180);
        f.line(QPointF(x + h, y), QPointF(x + w, y));
        f.curve({ QPointF(x + w, y), QPointF(x + w - h / 6, y + h / 4), QPointF(roundEven(x + w - h / 4.7), y + h / 2),
                  QPointF(x + w - h / 6, y + 3 * h / 4), QPointF(x + w, y + h) });
        f.line(QPointF(x + h, y + h), QPointF(x + w, y + h));
    }
    return f.close();
}

QPainterPath TopCurvedPath(int x, int y, int w, int h, TButtonDirection direction)
{
    Figure f;
    if (direction == bdRight) {
        const int tipX = roundEven(x + h / 2.35);
        f.curve({ QPointF(x, y), QPointF(x + h / 3, y + h / 2), QPointF(tipX, y + h) });
        f.line(QPointF(tipX, y + h), QPointF(x + w - h, y + h));
        f.arc(x + w - 2 * h, y, 2 * h, 2 * h, 0, -90);
    } else {
        f.arc(x, y, 2 * h, 2 * h, 180, 90);
        f.line(QPointF(x + h, y), QPointF(x + w, y));
        f.curve({ QPointF(x + w, y), QPointF(x + w - h / 3, y + h / 2), QPointF(roundEven(x + w - h / 2.35), y + h) });
    }
    return f.close();
}

QPainterPath GlowEllipse(int left, int top, int right, int bottom)
{
    qreal x = left;
    qreal y = top;
    qreal ew = right - left;
    qreal eh = bottom - top;
    x -= 0.35 * ew;
    y -= 0.15 * eh;
    ew *= 1.7;
    eh *= 2.3;
    QPainterPath path;
    path.addEllipse(QRectF(x, y, ew, eh));
    path.closeSubpath();
    return path;
}

QPainterPath SymbolFillPath(TBackGroundSymbol symbol, int w, int h)
{
    const qreal fw = w;
    const qreal fh = h;
    QPainterPath path;
    switch (symbol) {
    case bsPlay: {
        const int a = w / 4 + w / 20;
        addTriangle(path, QPointF(a, h / 4), QPointF(w + w / 20 - w / 4, h / 2), QPointF(a, h - h / 4));
        break;
    }
    case bsPause:
        path.addRect(QRectF(fw / 4, fh / 4, (fw / 2 - fw / 10) / 2, fh / 2));
        path.addRect(QRectF(fw / 2 + fw / 20, fh / 4, (fw / 2 - fw / 10) / 2, fh / 2));
        break;
    case bsStop:
        // The height takes a tenth of the width off, not of the height.
        path.addRect(QRectF(fw / 4 + fw / 20, fh / 4 + fh / 20, fw / 2 - fw / 10, fh / 2 - fw / 10));
        break;
    case bsFastForward:
        addTriangle(path, QPointF(w / 4, h / 4), QPointF(w / 2, h / 2), QPointF(w / 4, h - h / 4));
        addTriangle(path, QPointF(w / 2, h / 4), QPointF(3 * w / 4, h / 2), QPointF(w / 2, h - h / 4));
        path.addRect(QRectF(3 * fw / 4, fh / 4, fw / 12, fh / 2));
        break;
    case bsForward:
        for (const auto& [c, d] :
             { std::pair { w / 4 + w / 12, w / 2 + w / 12 }, { w / 2 + w / 12, 3 * w / 4 + w / 12 } })
            addTriangle(path, QPointF(c, h / 4), QPointF(d, h / 2), QPointF(c, h - h / 4));
        break;
    case bsBackward:
        for (const auto& [c, d] :
             { std::pair { w / 4 - w / 12, w / 2 - w / 12 }, { w / 2 - w / 12, 3 * w / 4 - w / 12 } })
            addTriangle(path, QPointF(c, h / 2), QPointF(d, h / 4), QPointF(d, h - h / 4));
        break;
    case bsFastBackward:
        for (const auto& [c, d] : { std::pair { w / 4, w / 2 }, { w / 2, 3 * w / 4 } })
            addTriangle(path, QPointF(c, h / 2), QPointF(d, h / 4), QPointF(d, h - h / 4));
        path.addRect(QRectF(fw / 4 - fw / 12, fh / 4, fw / 12, fh / 2));
        break;
    case bsRecord: {
        const qreal d = std::min(fw, fh) / 2;
        path.addEllipse(QRectF((fw - d) / 2, (fh - d) / 2, d, d));
        break;
    }
    default:
        break;
    }
    return path;
}

QPainterPath SymbolStrokePath(TBackGroundSymbol symbol, int w, int h)
{
    const qreal fw = w;
    const qreal fh = h;
    switch (symbol) {
    case bsArrowLeft:
        return arrowLine(QPointF(fw - fw / 5, fh / 2), QPointF(fw / 8, fh / 2), fh / 4);
    case bsArrowRight:
        return arrowLine(QPointF(fw / 6, fh / 2), QPointF(fw - fw / 8, fh / 2), fh / 4);
    case bsArrowUp:
        return arrowLine(QPointF(fw / 2, fh - fh / 5), QPointF(fw / 2, fh / 8), fh / 4);
    case bsArrowDown:
        return arrowLine(QPointF(fw / 2, fh / 5), QPointF(fw / 2, fh - fh / 8), fh / 4);
    case bsSpeaker:
    case bsNoSpeaker: {
        const int t = w / 15;
        const int o = w / 2;
        QPainterPath box;
        box.addPolygon(QPolygonF {
            QPointF(o - w / 6 - t, h / 4 + h / 10),
            QPointF(o - t, h / 4 + h / 10),
            QPointF(o + w / 5 - t, h / 4),
            QPointF(o + w / 5 - t, 3 * h / 4),
            QPointF(o - t, 3 * h / 4 - h / 10),
            QPointF(o - w / 6 - t, 3 * h / 4 - h / 10),
        });
        box.closeSubpath();
        const qreal pen = fw / 20;
        QPainterPath lines;
        const qreal lineX = fw / 2 - fw / 15;
        const qreal lineTop = fh / 4 + fh / 10 + fw / 40;
        lines.moveTo(lineX, lineTop);
        lines.lineTo(lineX, fh - lineTop);
        if (symbol == bsNoSpeaker) {
            lines.moveTo(roundEven(fw / 2 - fw / 3.5 - fw / 15), 3 * fh / 4 - fh / 10);
            lines.lineTo(fw / 2 + fw / 3 - fw / 15, fh / 4 + fh / 12 + fw / 40);
        }
        QPainterPath area = outlineArea(box, pen);
        area.addPath(outlineArea(lines, pen));
        return area;
    }
    default:
        return {};
    }
}

QString captionLines(const QString& caption)
{
    QString text = caption;
    text.replace(QLatin1String("\\n"), QLatin1String("\n\r"), Qt::CaseInsensitive);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            out.append(c);
            continue;
        }
        // A CR LF or LF CR pair is one break.
        if (i + 1 < text.size() && (text[i + 1] == u'\r' || text[i + 1] == u'\n') && text[i + 1] != c)
            ++i;
        out.append(QChar::LineSeparator);
    }
    return out;
}

QString stripHotkeyPrefix(const QString& text, QList<int>* underlined)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            out.append(text[i]);
            continue;
        }
        if (++i >= text.size())
            break;
        if (text[i] != u'&' && underlined)
            underlined->append(int(out.size()));
        out.append(text[i]);
    }
    return out;
}

} // namespace glass

// ---- The button's painting ------------------------------------------------------------------------

QColor TCustomGlassButton::toArgb(TColor color) const
{
    if (color == tcolor::WindowText)
        return palette().color(QPalette::WindowText);
    return glass::layerColor(color, 255);
}

const QImage& TCustomGlassButton::chosenPicture() const
{
    if (!isEnabled() && !m_pictureDisabled.isNull())
        return m_pictureDisabled;
    if (((FMouseDownInControl && FMouseInControl) || FDown) && !m_pictureDown.isNull())
        return m_pictureDown;
    return m_picture;
}

namespace {

/**
 * The glass buttons among `parent`'s children, up to `last` if given, that overlap `area`.
 * Geometry is looked at first: it is cheaper than the type check, and few siblings overlap.
 */
template<typename Visit>
void forOverlappingGlass(const QWidget* parent, const QObject* last, const QRect& area, Visit visit)
{
    for (QObject* child : parent->children()) {
        if (child == last)
            return;
        if (!child->isWidgetType() || !static_cast<QWidget*>(child)->geometry().intersects(area))
            continue;
        if (auto* other = qobject_cast<TCustomGlassButton*>(child))
            visit(other);
    }
}

} // namespace

bool TCustomGlassButton::coveredByLowerGlass() const
{
    const QWidget* parent = parentWidget();
    if (!parent)
        return false;
    bool covered = false;
    forOverlappingGlass(parent, this, geometry(),
                        [&covered](const TCustomGlassButton* other) { covered = covered || !other->isHidden(); });
    return covered;
}

void TCustomGlassButton::redrawParentBackground(QPainter& p)
{
    // Qt has already painted the lower siblings here, glass buttons included; this button shows
    // only the window and its plain widgets, so paint those again over a clean image.
    QWidget* parent = parentWidget();
    const QRect own = geometry();
    const qreal dpr = devicePixelRatioF();
    QImage under((QSizeF(size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    under.setDevicePixelRatio(dpr);
    under.fill(Qt::transparent);
    parent->render(&under, QPoint(), QRegion(own), QWidget::DrawWindowBackground);
    for (QObject* child : parent->children()) {
        if (child == this)
            break;
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow() || w->isHidden() || qobject_cast<TCustomGlassButton*>(w))
            continue;
        const QRect inter = own & w->geometry();
        if (inter.isEmpty())
            continue;
        w->render(&under, inter.topLeft() - own.topLeft(), QRegion(inter.translated(-w->pos())), QWidget::DrawChildren);
    }
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, under);
    p.restore();
}

void TCustomGlassButton::paintOverlappingSiblings(QPainter& p)
{
    const QRect own = geometry();
    forOverlappingGlass(parentWidget(), nullptr, own, [&](TCustomGlassButton* other) {
        if (other == this)
            return;
        const QRect inter = own & other->geometry();
        // Drawing the sibling clipped to the overlap gives the same pixels as drawing it into a
        // bitmap of its own over this button's background and copying the overlap back.
        p.save();
        p.setClipRect(inter.translated(-own.topLeft()), Qt::IntersectClip);
        p.translate(other->pos() - own.topLeft());
        other->PaintGlass(p);
        p.restore();
    });
}

void TCustomGlassButton::paintEvent(QPaintEvent*)
{
    syncState();
    QPainter p(this);
    if (coveredByLowerGlass())
        redrawParentBackground(p);
    if (m_forceTransparent && parentWidget())
        paintOverlappingSiblings(p);
    PaintGlass(p);
}

void TCustomGlassButton::PaintGlass(QPainter& p)
{
    using namespace glass;
    const int W = width();
    const int H = height();
    const bool curved = m_buttonShape == btsCurvedRectangle;

    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.translate(0.5, 0.5); // integer coordinates are pixel centres

    if (curved)
        fillBanded(p, outlineArea(CurvedPath(0, 0, W - 1, H - 1, m_buttonDirection)), toArgb(m_outerBorderColor),
                   RingSpansPerRow);
    else
        fillRoundedRing(p, 0, 0, W - 1, H - 1, m_cornerRadius, toArgb(m_outerBorderColor));

    const QPainterPath body = curved ? CurvedPath(1, 1, W - 3, H - 3, m_buttonDirection) : QPainterPath();
    const auto fillBody = [&](const QBrush& brush) {
        if (curved)
            fillBanded(p, body, brush);
        else
            fillBodyUnderRing(p, 1, 1, W - 3, H - 3, m_cornerRadius, brush);
    };
    if (m_backgroundColor != tcolor::None)
        fillBody(layerColor(m_backgroundColor, BackgroundAlpha));
    fillBody(layerColor(m_backColor, TintAlpha));

    if (isPressedLook()) {
        const QRectF box = GlowEllipse(1, 1, W - 3, H - 3).boundingRect();
        const qreal rx = box.width() / 2;
        const qreal ry = box.height() / 2;
        if (rx > 0 && ry > 0) {
            // A path gradient over an ellipse is a radial gradient stretched to the ellipse. Its rim
            // colour is fully transparent and the gradient pads beyond the rim, so filling the body
            // with it equals filling the ellipse clipped to the body.
            QRadialGradient gradient(box.center(), rx);
            gradient.setColorAt(0, layerColor(m_glowColor, GlowCentreAlpha));
            gradient.setColorAt(1, layerColor(m_glowColor, 0));
            QBrush brush(gradient);
            brush.setTransform(QTransform::fromTranslate(box.center().x(), box.center().y())
                                   .scale(1, ry / rx)
                                   .translate(-box.center().x(), -box.center().y()));
            fillBody(brush);
        }
    }

    if (W - 3 > 0 && (H - 3) / 2 > 0) {
        const int sh = (H - 3) / 2 + 1;
        QLinearGradient gradient(QPointF(0, 1), QPointF(0, 1 + sh));
        gradient.setColorAt(0, layerColor(m_shineColor, ShineTopAlpha));
        gradient.setColorAt(1, layerColor(m_shineColor, ShineBottomAlpha));
        if (curved)
            fillBanded(p, TopCurvedPath(1, 1, W - 3, sh, m_buttonDirection), gradient);
        else
            fillHighlightUnderRing(p, 1, 1, W - 3, sh, m_cornerRadius, gradient);
    }

    if (m_backGroundSymbolColor != tcolor::None && m_backGroundSymbol != bsNone) {
        if (m_backGroundSymbol == bsCustom) {
            p.save();
            FireCustomBackgroundSymbol(p, QRect(0, 0, W - 1, H - 1));
            p.restore();
        } else {
            const QColor c = layerColor(m_backGroundSymbolColor, SymbolAlpha);
            const QPainterPath filled = SymbolFillPath(m_backGroundSymbol, W - 1, H - 1);
            if (!filled.isEmpty())
                fillBanded(p, filled, c);
            const QPainterPath stroked = SymbolStrokePath(m_backGroundSymbol, W - 1, H - 1);
            if (!stroked.isEmpty())
                fillBanded(p, stroked, c);
        }
    }

    if (curved)
        fillBanded(p, outlineArea(body), toArgb(m_innerBorderColor), RingSpansPerRow);
    else
        fillRoundedRing(p, 1, 1, W - 3, H - 3, m_cornerRadius, toArgb(m_innerBorderColor));
    p.restore();

    DrawButtonContent(p);
}

void TCustomGlassButton::DrawButtonContent(QPainter& p)
{
    using namespace glass;
    const int w = width();
    const int h = height();
    const bool curved = m_buttonShape == btsCurvedRectangle;

    if (hasFocus() && m_showFocusRect) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, true);
        p.translate(0.5, 0.5);
        const QPainterPath focus = curved ? CurvedPath(6, 5, w - 12, h - 10, m_buttonDirection)
                                          : RoundedRectPath(4, 4, w - 8, h - 8, m_cornerRadius - 2);
        fillBanded(p, outlineArea(focus), toArgb(FocusOutline), RingSpansPerRow);
        p.restore();
    }

    const QImage& picture = chosenPicture();
    int pw = picture.isNull() ? 0 : int(picture.deviceIndependentSize().width());
    const int ph = picture.isNull() ? 0 : int(picture.deviceIndependentSize().height());
    const QString caption = m_showCaption ? m_caption : QString();
    if (caption.isEmpty()) {
        if (!picture.isNull())
            p.drawImage(QPoint(std::max((w - pw) / 2, 0), std::max((h - ph) / 2, 0)), picture);
        return;
    }
    if (pw > 0)
        pw += 2;

    Qt::Alignment hAlign = Qt::AlignHCenter;
    if (m_layout == blGlyphLeftAdjusted)
        hAlign = Qt::AlignLeft;
    else if (m_layout == blGlyphRightAdjusted)
        hAlign = Qt::AlignRight;
    Qt::Alignment vAlign = Qt::AlignVCenter;
    if (m_layout == blGlyphTopAdjusted)
        vAlign = Qt::AlignTop;
    else if (m_layout == blGlyphBottomAdjusted)
        vAlign = Qt::AlignBottom;
    const auto vOffset = [vAlign](qreal room, qreal used) {
        if (vAlign == Qt::AlignTop)
            return qreal(0);
        return vAlign == Qt::AlignBottom ? room - used : (room - used) / 2;
    };

    // The anti-aliased path takes the size in whole points, as the font reports it.
    QFont smoothFont = font();
    smoothFont.setStrikeOut(false);
    const int dpi = p.device() ? p.device()->logicalDpiY() : 96;
    smoothFont.setPointSizeF(fontPoints(font()) * 96.0 / (dpi > 0 ? dpi : 96));
    smoothFont.setHintingPreference(m_antiAlias == aaAntiAlias ? QFont::PreferNoHinting : QFont::PreferDefaultHinting);
    // Captions are short words and labels, drawn without kerning or ligatures: Latin text then skips
    // the shaper, which is a good part of a caption's cost.
    smoothFont.setStyleStrategy(QFont::StyleStrategy(smoothFont.styleStrategy() | QFont::PreferNoShaping));
    // Asked of the font the caption is laid out in: the face it resolves to is loaded once for both.
    const bool smoothPath = m_antiAlias != aaNone && smoothFaceInstalled(smoothFont);

    // Measured in the whole client rectangle; only the picture's place depends on it.
    QRectF measured;
    if (pw > 0) {
        QTextLayout layout(QString(), smoothFont, p.device());
        prepareLayout(layout, caption, hAlign, QTextOption::WrapAtWordBoundaryOrAnywhere);
        const TextBlock block = layoutLines(layout, w, 0);
        measured = block.bounds.translated(0, vOffset(h, block.height));
        measured.setHeight(block.height);
    }
    const qreal bx = measured.x();
    const qreal bw = measured.width();
    const qreal bh = measured.height();

    const int k = curved ? h / 4 : 0;
    const auto m = [](int v) {
        return std::max(v, 0);
    };
    QRect box;
    int px = 0;
    int py = 0;
    switch (m_layout) {
    case blGlyphLeft:
        box = QRect(pw + 2, 0, w - pw - 2, h);
        px = std::max(2, roundEven(bx - pw / 2));
        py = m((h - ph) / 2);
        break;
    case blGlyphTop:
        box = QRect(0, ph, w, h - ph - 2);
        px = m((w - pw) / 2);
        py = std::max(2, m(roundEven(h - ph - 2 - bh) / 2));
        break;
    case blGlyphRight:
        box = QRect(2, 0, w - pw - 4, h);
        px = m(roundEven(w - pw - 4 - bw) / 2) + roundEven(bw) + 4;
        if (px > w - pw)
            px = w - pw - 2;
        py = m((h - ph) / 2);
        break;
    case blGlyphBottom:
        box = QRect(0, 2, w, h - ph - 2);
        px = m((w - pw) / 2);
        py = m(roundEven(h - ph - 2 - bh) / 2) + roundEven(bh + 2);
        if (py > h - ph)
            py = h - ph - 2;
        break;
    case blGlyphLeftAdjusted:
        box = QRect(pw + 2 + k, 0, w - pw - 2, h);
        px = std::max(2, 2 + k);
        py = m((h - ph) / 2);
        break;
    case blGlyphRightAdjusted:
        box = QRect(2, 0, w - pw - 4 - k, h);
        px = w - pw - 2 - k;
        py = m((h - ph) / 2);
        break;
    case blGlyphTopAdjusted:
        box = QRect(0, ph, w, h - ph - 2);
        px = m((w - pw) / 2);
        py = 2;
        break;
    case blGlyphBottomAdjusted:
        box = QRect(0, 2, w, h - ph - 2);
        px = m((w - pw) / 2);
        py = m(h / 2) + roundEven(bh + 2);
        if (py > h - ph)
            py = h - ph - 2;
        break;
    }

    if (box.width() > 0 && box.height() > 0) {
        p.save();
        if (smoothPath) {
            QTextLayout layout(QString(), smoothFont, p.device());
            prepareLayout(layout, caption, hAlign, QTextOption::WrapAtWordBoundaryOrAnywhere);
            const TextBlock block = layoutLines(layout, box.width(), 0);
            p.setClipRect(box, Qt::IntersectClip);
            p.setPen(isEnabled() ? toArgb(m_fontColor) : toArgb(DisabledText));
            layout.draw(&p, QPointF(box.x(), box.y() + vOffset(box.height(), block.height)));
        } else {
            // The plain path: whole pixels, words kept whole, the font colour even when disabled.
            QFont plainFont = font();
            if (m_antiAlias == aaNone)
                plainFont.setStyleStrategy(QFont::NoAntialias);
            QRect r(box.x(), box.y(), box.width(), box.height());
            if (m_layout == blGlyphLeftAdjusted)
                r.setLeft(r.left() + 2);
            QTextLayout layout(QString(), plainFont, p.device());
            prepareLayout(layout, caption, hAlign, QTextOption::WordWrap);
            const int lineHeight = QFontMetrics(plainFont, p.device()).height();
            const int th = int(layoutLines(layout, r.width(), lineHeight).height);
            int top = r.top();
            const int bottom = r.top() + r.height();
            if (m_layout == blGlyphTop)
                top = (py + ph) + (bottom - (py + ph) - th) / 2;
            else if (m_layout == blGlyphBottomAdjusted)
                top = bottom - th;
            else if (m_layout != blGlyphTopAdjusted)
                top = (bottom - top - th) / 2;
            p.setClipRect(QRect(QPoint(r.left(), top), QPoint(r.right(), bottom - 1)), Qt::IntersectClip);
            p.setPen(toArgb(m_fontColor));
            layout.draw(&p, QPointF(r.left(), top));
        }
        p.restore();
    }

    if (!picture.isNull())
        p.drawImage(QPoint(px, py), picture);
}
