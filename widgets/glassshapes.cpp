#include "widgets/glassshapes.h"

#include <algorithm>
#include <cmath>
#include <QLineF>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QtMath>
#include <QTransform>
#include <utility>

namespace {

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
    return glass::outlineArea(shaft, width).united(head);
}

void addTriangle(QPainterPath& path, QPointF a, QPointF b, QPointF c)
{
    path.addPolygon(QPolygonF { a, b, c });
    path.closeSubpath();
}

} // namespace

namespace glass {

int roundEven(double v)
{
    return int(std::nearbyint(v));
}

QPainterPath outlineArea(const QPainterPath& path, qreal width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::SvgMiterJoin);
    stroker.setMiterLimit(OutlineMiterLimit);
    return stroker.createStroke(path);
}

QPainterPath roundedRing(qreal x, qreal y, qreal w, qreal h, qreal r)
{
    r = std::max<qreal>(r, 0);
    QPainterPath ring = RoundedRectPath(x - 0.5, y - 0.5, w + 1, h + 1, r > 0 ? r + 0.5 : 0);
    if (w > 1 && h > 1)
        ring.addPath(RoundedRectPath(x + 0.5, y + 0.5, w - 1, h - 1, std::max<qreal>(r - 0.5, 0)));
    ring.setFillRule(Qt::OddEvenFill);
    return ring;
}

QPainterPath ringCorners(int x, int y, int w, int h, int r)
{
    // The top-left corner between the square's edges and the two arcs about (x + r, y + r);
    // the other three are its mirror images.
    const int c = r + 1;
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
    return corners;
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

} // namespace glass
