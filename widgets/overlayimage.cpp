#include "widgets/overlayimage.h"

#include "widgets/devicescale.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <QPainter>

namespace {

constexpr TColor UnderlayColor = 0x00F8F8F8;

/** The x range where lo <= k * x + m <= hi, intersected into [from, to]. */
void clampLinear(double k, double m, double lo, double hi, double& from, double& to)
{
    if (k == 0.0) {
        if (m < lo || m > hi)
            to = -std::numeric_limits<double>::infinity();
        return;
    }
    const double x1 = (lo - m) / k;
    const double x2 = (hi - m) / k;
    from = std::max(from, std::min(x1, x2));
    to = std::min(to, std::max(x1, x2));
}

/**
 * Fills the pixels whose centres lie within `radius` of the segment a-b: a stroke with round
 * ends. Done by hand, row by row, because QPainter's aliased strokes of different widths step
 * on different rows, and the 1-pixel light edge between two strokes would come and go.
 */
void fillCapsule(QImage& image, QPointF a, QPointF b, double radius, QRgb colour)
{
    constexpr double Inf = std::numeric_limits<double>::infinity();
    const double ex = b.x() - a.x();
    const double ey = b.y() - a.y();
    const double len = std::hypot(ex, ey);
    const double halfBand = radius * len;
    const int top = std::max(0, int(std::floor(std::min(a.y(), b.y()) - radius)));
    const int bottom = std::min(image.height() - 1, int(std::ceil(std::max(a.y(), b.y()) + radius)));
    const int width = image.width();
    uchar* const bits = image.bits(); // detaches once, not once a row
    const qsizetype stride = image.bytesPerLine();
    const auto addDisc = [radius](QPointF c, double cy, double& lo, double& hi) {
        const double dy = cy - c.y();
        if (std::abs(dy) <= radius) {
            const double dx = std::sqrt(radius * radius - dy * dy);
            lo = std::min(lo, c.x() - dx);
            hi = std::max(hi, c.x() + dx);
        }
    };
    for (int y = top; y <= bottom; ++y) {
        const double cy = y + 0.5;
        double lo = Inf;
        double hi = -Inf;
        addDisc(a, cy, lo, hi);
        addDisc(b, cy, lo, hi);
        if (len > 0.0) {
            // The band between the end discs: distance from the line at most radius, and the
            // projection on the segment within it. Both are linear in x along this row.
            double from = -Inf;
            double to = Inf;
            clampLinear(-ey, ex * (cy - a.y()) + ey * a.x(), -halfBand, halfBand, from, to);
            clampLinear(ex, ey * (cy - a.y()) - ex * a.x(), 0.0, len * len, from, to);
            if (from <= to) {
                lo = std::min(lo, from);
                hi = std::max(hi, to);
            }
        }
        if (lo > hi)
            continue; // the stroke misses this row's pixel centres
        const int first = std::max(0, int(std::ceil(lo - 0.5)));
        const int last = std::min(width - 1, int(std::floor(hi - 0.5)));
        if (first > last)
            continue; // beside the bitmap
        auto* line = reinterpret_cast<QRgb*>(bits + y * stride);
        std::fill(line + first, line + last + 1, colour);
    }
}

} // namespace

OverlayImage::OverlayImage(QWidget* parent)
    : QWidget(parent)
{ }

void OverlayImage::setTransparent(bool on)
{
    if (m_transparent == on)
        return;
    m_transparent = on;
    update();
}

void OverlayImage::newBitmap()
{
    // Every choice redraws the lines on a new bitmap: keep the memory of the last one when the
    // size is the same.
    if (m_pixels.size() != size())
        m_pixels = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    m_pixels.fill(Qt::transparent);
    m_inked = QRect();
    m_steps.clear();
    m_sharp = QImage();
    m_penColor = tcolor::Black;
    m_penWidth = 1;
    m_penPos = {};
    update();
}

void OverlayImage::lineTo(int x, int y)
{
    if (!m_pixels.isNull()) {
        const QRgb colour = qRgb(tcolor::red(m_penColor), tcolor::green(m_penColor), tcolor::blue(m_penColor));
        const double radius = std::max(m_penWidth, 1) / 2.0;
        fillCapsule(m_pixels, m_penPos, QPoint(x, y), radius, stored(colour));
        m_steps.push_back({ m_penPos, QPoint(x, y), radius, stored(colour) });
        m_sharp = QImage();
        // Everything the stroke can touch, whole pixels around both ends.
        const int reach = int(std::ceil(radius)) + 1;
        m_inked |= QRect(m_penPos, QPoint(x, y)).normalized().adjusted(-reach, -reach, reach, reach);
    }
    m_penPos = QPoint(x, y);
    update();
}

void OverlayImage::fillRect(const QRect& rect)
{
    // The brush is white, and outside the inked area every pixel is white already.
    const QRect dirty = rect & m_inked & m_pixels.rect();
    if (dirty.isEmpty())
        return;
    QPainter p(&m_pixels);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(dirty, QColor(Qt::transparent));
    m_steps.push_back({ dirty.topLeft(), dirty.bottomRight() + QPoint(1, 1) });
    m_sharp = QImage();
    update();
}

void OverlayImage::setLines(const std::vector<Line>& lines)
{
    newBitmap();
    for (const Line& line : lines) {
        setPenColor(UnderlayColor);
        setPenWidth(6);
        moveTo(line.from.x(), line.from.y());
        lineTo(line.to.x(), line.to.y());
        setPenColor(line.colour);
        setPenWidth(4);
        moveTo(line.from.x(), line.from.y());
        lineTo(line.to.x(), line.to.y());
    }
}

const QImage& OverlayImage::sharpPixels(qreal dpr)
{
    if (!m_sharp.isNull() && m_sharp.devicePixelRatio() == dpr)
        return m_sharp;
    m_sharp = QImage((QSizeF(m_pixels.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    m_sharp.fill(Qt::transparent);
    for (const Step& s : m_steps) {
        if (s.radius > 0) {
            fillCapsule(m_sharp, QPointF(s.from) * dpr, QPointF(s.to) * dpr, s.radius * dpr, s.colour);
        } else {
            QPainter p(&m_sharp);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(QRectF(QPointF(s.from) * dpr, QPointF(s.to) * dpr), QColor(Qt::transparent));
        }
    }
    m_sharp.setDevicePixelRatio(dpr);
    return m_sharp;
}

QImage OverlayImage::bitmap() const
{
    if (m_pixels.isNull())
        return {};
    QImage image(m_pixels.size(), QImage::Format_RGB32);
    const int width = m_pixels.width();
    for (int y = 0; y < m_pixels.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(m_pixels.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            to[x] = from[x] == 0 ? 0xFFFFFFFFu : from[x];
    }
    return image;
}

void OverlayImage::paintEvent(QPaintEvent*)
{
    if (m_pixels.isNull())
        return;
    QPainter p(this);
    if (!m_transparent)
        p.fillRect(rect(), Qt::white);
    const qreal dpr = deviceScale(p, devicePixelRatioF());
    if (m_pixels.size() == size() && dpr != 1.0) {
        const QImage& sharp = sharpPixels(dpr);
        // The inked area widened to whole device pixels, so that they are copied one to one.
        const QRectF ink = m_inked & m_pixels.rect();
        const QRect device = QRectF(ink.topLeft() * dpr, ink.size() * dpr).toAlignedRect() & sharp.rect();
        if (!device.isEmpty())
            p.drawImage(QRectF(QPointF(device.topLeft()) / dpr, QSizeF(device.size()) / dpr), sharp, device);
    } else if (m_pixels.size() == size()) {
        // Nothing outside the drawn strokes but see-through pixels: skip blending them.
        const QRect ink = m_inked & m_pixels.rect();
        if (!ink.isEmpty())
            p.drawImage(ink.topLeft(), m_pixels, ink);
    } else {
        p.drawImage(rect(), m_pixels);
    }
}

void OverlayImage::enterEvent(QEnterEvent* event)
{
    Q_EMIT mouseEntered();
    QWidget::enterEvent(event);
}
