// Draws the two garden maps and the application icon into resources/. Run on purpose
// (tools/regenerate-art.sh); the output is committed. Every random choice comes from a seeded
// generator and no text is drawn, so two runs on one machine give byte-identical files.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTextStream>
#include <vector>

namespace {

constexpr int kMapSize = 800;
constexpr double kMapCentre = kMapSize / 2.0;
// The map is shown at 300 x 300; the button table is in those coordinates.
constexpr double kMapScale = 8.0 / 3.0;

struct ScreenPoint
{
    int x;
    int y;
};

// Centre of tree button t = 1..16 on the 300 x 300 map.
// clang-format off
constexpr std::array<ScreenPoint, 16> kTreeCentres{{
    { 83,  33}, {140,  36}, {195,  44}, {153,  94},
    {270,  92}, {249, 143}, {202, 139}, {243, 196},
    {140, 196}, { 98, 241}, {156, 263}, {195, 223},
    { 37,  79}, { 75, 129}, { 25, 132}, { 47, 185},
}};
// clang-format on

// Garden wall: centre line at |dx| = kWallAxis or |dy| = kWallAxis on the straight sides and at
// |dx| + |dy| = kWallDiagonal on the cut corners. Wide enough that the outermost canopies stay inside.
constexpr double kWallAxis = 382.0;
constexpr double kWallDiagonal = 560.0;
constexpr double kWallWidth = 20.0;
constexpr double kGateHalfWidth = 32.0;
constexpr double kPostSize = 26.0;

constexpr double kPathWidth = 46.0;
constexpr double kPlazaRadius = 64.0;
constexpr double kFountainRimRadius = 34.0;
constexpr double kFountainWaterRadius = 25.0;

constexpr double kCanopyRadius = 36.0;
constexpr QPointF kTreeShadowOffset { 10.0, 12.0 };
constexpr QPointF kWallShadowOffset { 6.0, 7.0 };
constexpr int kShadowBlurRadius = 3; // of each of the three box blurs
constexpr double kShadowOpacity = 0.40;

// Light squares behind the buttons (40 x 40 on screen) and the bands behind the bottom row.
constexpr double kSquareSize = 107.0;
constexpr double kSquareRadius = 14.0;
constexpr int kBandTop = 729;
constexpr int kLeftBandLastColumn = 301; // under Setting, the check box and its label
constexpr int kRightBandFirstColumn = 610; // under Clear
constexpr int kLightAlpha = 140; // about 55 % white

constexpr std::array<int, 7> kIconSizes { 16, 24, 32, 48, 64, 128, 256 };
// The sizes Windows asks an executable's icon for.
constexpr std::array<int, 5> kIcoSizes { 16, 24, 32, 48, 256 };
constexpr qsizetype kIcoHeaderSize = 6;
constexpr qsizetype kIcoEntrySize = 16;
constexpr int kPngQuality = 0; // smallest files; the zlib level is fixed, so the bytes are too

// Fixed palette.
constexpr QRgb kMeadow = qRgb(92, 136, 56);
constexpr QRgb kLawn = qRgb(124, 172, 72);
constexpr QRgb kSand = qRgb(216, 194, 148);
constexpr QRgb kSandEdge = qRgb(132, 108, 70);
constexpr QRgb kStone = qRgb(198, 186, 160);
constexpr QRgb kStoneLight = qRgb(226, 216, 194);
constexpr QRgb kStoneDark = qRgb(88, 76, 60);

/** Tiny xorshift generator: the same seed gives the same artwork on every run and machine. */
class XorShift32 final
{
public:
    explicit XorShift32(std::uint32_t seed)
        : m_state(seed != 0 ? seed : 0x9E3779B9u)
    { }

    std::uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }

    double uniform() { return next() / 4294967296.0; }
    double range(double low, double high) { return low + (high - low) * uniform(); }

private:
    std::uint32_t m_state;
};

/** Smooth value noise on a square grid; large cells keep the texture calm when scaled down. */
class ValueNoise final
{
public:
    ValueNoise(int cell, int extent, std::uint32_t seed)
        : m_cell(cell)
        , m_side(extent / cell + 2)
    {
        XorShift32 rng(seed);
        m_values.resize(static_cast<std::size_t>(m_side) * static_cast<std::size_t>(m_side));
        for (double& value : m_values)
            value = rng.range(-1.0, 1.0);
    }

    double at(double x, double y) const
    {
        const double gx = x / m_cell;
        const double gy = y / m_cell;
        const int ix = std::clamp(static_cast<int>(gx), 0, m_side - 2);
        const int iy = std::clamp(static_cast<int>(gy), 0, m_side - 2);
        const double fx = smooth(gx - ix);
        const double fy = smooth(gy - iy);
        const double top = lerp(value(ix, iy), value(ix + 1, iy), fx);
        const double bottom = lerp(value(ix, iy + 1), value(ix + 1, iy + 1), fx);
        return lerp(top, bottom, fy);
    }

private:
    static double smooth(double t) { return t * t * (3.0 - 2.0 * t); }
    static double lerp(double a, double b, double t) { return a + (b - a) * t; }
    double value(int ix, int iy) const { return m_values[static_cast<std::size_t>(iy * m_side + ix)]; }

    int m_cell;
    int m_side;
    std::vector<double> m_values;
};

QRgb scaled(QRgb colour, double factor)
{
    const auto channel = [factor](int value) {
        return std::clamp(static_cast<int>(value * factor + 0.5), 0, 255);
    };
    return qRgb(channel(qRed(colour)), channel(qGreen(colour)), channel(qBlue(colour)));
}

QColor withAlpha(QRgb colour, int alpha)
{
    QColor result(colour);
    result.setAlpha(alpha);
    return result;
}

double smoothStep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

QPointF treeCentre(std::size_t index)
{
    return { kTreeCentres[index].x * kMapScale, kTreeCentres[index].y * kMapScale };
}

/** Distance measure whose level lines are octagons shaped like the wall (kWallAxis on the wall). */
double octagonRadius(double dx, double dy)
{
    const double ax = std::abs(dx);
    const double ay = std::abs(dy);
    return std::max({ ax, ay, (ax + ay) * kWallAxis / kWallDiagonal });
}

QPolygonF wallLine()
{
    const double a = kWallAxis;
    const double b = kWallDiagonal - kWallAxis;
    QPolygonF polygon;
    for (const QPointF& p : { QPointF(-b, -a), QPointF(b, -a), QPointF(a, -b), QPointF(a, b), QPointF(b, a),
                              QPointF(-b, a), QPointF(-a, b), QPointF(-a, -b) })
        polygon << p + QPointF(kMapCentre, kMapCentre);
    return polygon;
}

/** Where each diagonal path passes the wall, and the wall's direction there. */
struct Gate
{
    QPointF centre;
    QPointF along;
};

std::array<Gate, 4> gates()
{
    const double d = kWallDiagonal / 2.0;
    const double s = std::numbers::sqrt2 / 2.0;
    return { {
        { { kMapCentre - d, kMapCentre - d }, { s, -s } },
        { { kMapCentre + d, kMapCentre - d }, { s, s } },
        { { kMapCentre + d, kMapCentre + d }, { s, -s } },
        { { kMapCentre - d, kMapCentre + d }, { s, s } },
    } };
}

QPainterPath rotatedSquare(QPointF centre, QPointF along, double length, double width)
{
    const QPointF across(-along.y(), along.x());
    const QPointF u = along * (length / 2.0);
    const QPointF v = across * (width / 2.0);
    QPainterPath path;
    path.addPolygon(QPolygonF({ centre - u - v, centre + u - v, centre + u + v, centre - u + v }));
    path.closeSubpath();
    return path;
}

QPainterPath wallShape()
{
    QPainterPath line;
    line.addPolygon(wallLine());
    line.closeSubpath();
    QPainterPathStroker stroker;
    stroker.setWidth(kWallWidth);
    stroker.setJoinStyle(Qt::MiterJoin);
    QPainterPath wall = stroker.createStroke(line).simplified();
    for (const Gate& gate : gates())
        wall = wall.subtracted(rotatedSquare(gate.centre, gate.along, 2.0 * kGateHalfWidth, 3.0 * kWallWidth));
    return wall;
}

QPainterPath postsShape()
{
    QPainterPath posts;
    for (const Gate& gate : gates()) {
        for (const double side : { -1.0, 1.0 }) {
            const QPointF centre = gate.centre + gate.along * (side * (kGateHalfWidth + kPostSize / 2.0 - 4.0));
            posts.addPath(rotatedSquare(centre, gate.along, kPostSize, kPostSize));
        }
    }
    return posts;
}

QPainterPath pathsShape()
{
    QPainterPathStroker stroker;
    stroker.setWidth(kPathWidth);
    stroker.setCapStyle(Qt::FlatCap);
    QPainterPath lines;
    lines.moveTo(-60, -60);
    lines.lineTo(kMapSize + 60, kMapSize + 60);
    lines.moveTo(kMapSize + 60, -60);
    lines.lineTo(-60, kMapSize + 60);
    QPainterPath paths = stroker.createStroke(lines);
    paths.setFillRule(Qt::WindingFill);
    QPainterPath plaza;
    plaza.addEllipse(QPointF(kMapCentre, kMapCentre), kPlazaRadius, kPlazaRadius);
    return paths.united(plaza).simplified();
}

/** A round crown made of a core and a ring of lobes, so that no two trees look alike. */
QPainterPath canopyShape(QPointF centre, double radius, XorShift32& rng)
{
    QPainterPath canopy;
    canopy.setFillRule(Qt::WindingFill);
    canopy.addEllipse(centre, radius * 0.76, radius * 0.76);
    const int lobes = 7 + static_cast<int>(rng.next() % 3);
    const double phase = rng.range(0.0, 2.0 * std::numbers::pi);
    for (int i = 0; i < lobes; ++i) {
        const double angle = phase + i * 2.0 * std::numbers::pi / lobes + rng.range(-0.15, 0.15);
        const double lobe = radius * rng.range(0.34, 0.40);
        const double reach = radius - lobe + rng.range(-0.03, 0.03) * radius;
        canopy.addEllipse(centre + QPointF(std::cos(angle), std::sin(angle)) * reach, lobe, lobe);
    }
    return canopy.simplified();
}

/**
 * Light from the upper left: a small bright spot, then a bluish green that stays clear of the lawn's
 * yellow green at every shade, so a crown never melts into the grass.
 */
QRadialGradient canopyGradient(QPointF centre, double radius, double tint)
{
    const QPointF light = centre + QPointF(-0.36, -0.42) * radius;
    QRadialGradient gradient(light, radius * 1.5, light);
    gradient.setColorAt(0.00, scaled(qRgb(172, 214, 112), tint));
    gradient.setColorAt(0.12, scaled(qRgb(108, 170, 104), tint));
    gradient.setColorAt(0.38, scaled(qRgb(44, 108, 66), tint));
    gradient.setColorAt(1.00, scaled(qRgb(20, 58, 36), tint));
    return gradient;
}

/** Three box blurs in a row come close to a Gaussian; enough for soft shadows. */
void blurAlpha(QImage& layer, int radius)
{
    const int w = layer.width();
    const int h = layer.height();
    std::vector<int> alpha(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < w; ++x)
            alpha[static_cast<std::size_t>(y * w + x)] = qAlpha(line[x]);
    }
    std::vector<int> scratch(alpha.size());
    const auto pass = [&](bool horizontal) {
        const int outer = horizontal ? h : w;
        const int inner = horizontal ? w : h;
        for (int o = 0; o < outer; ++o) {
            const auto at = [&](int i) {
                const int c = std::clamp(i, 0, inner - 1);
                return static_cast<std::size_t>(horizontal ? o * w + c : c * w + o);
            };
            int sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += alpha[at(i)];
            for (int i = 0; i < inner; ++i) {
                scratch[at(i)] = sum / (2 * radius + 1);
                sum += alpha[at(i + radius + 1)] - alpha[at(i - radius)];
            }
        }
        alpha.swap(scratch);
    };
    for (int i = 0; i < 3; ++i) {
        pass(true);
        pass(false);
    }
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgba(0, 0, 0, alpha[static_cast<std::size_t>(y * w + x)]);
    }
}

/** Grass outside the wall, mown lawn with octagonal stripes inside; both with a calm mottling. */
QImage groundLayer()
{
    QImage image(kMapSize, kMapSize, QImage::Format_ARGB32_Premultiplied);
    const ValueNoise coarse(72, kMapSize, 11);
    const ValueNoise fine(24, kMapSize, 12);
    for (int y = 0; y < kMapSize; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kMapSize; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            const double mottle = 0.7 * coarse.at(px, py) + 0.3 * fine.at(px, py);
            const double r = octagonRadius(px - kMapCentre, py - kMapCentre);
            if (r <= kWallAxis) {
                const double wave = std::cos(2.0 * std::numbers::pi * r / 92.0);
                const double stripe = smoothStep(-0.3, 0.3, wave) - 0.5;
                line[x] = scaled(kLawn, 1.0 + 0.05 * stripe + 0.035 * mottle);
            } else {
                line[x] = scaled(kMeadow, 1.0 + 0.07 * mottle);
            }
        }
    }
    return image;
}

QImage sandTexture()
{
    QImage image(kMapSize, kMapSize, QImage::Format_ARGB32_Premultiplied);
    const ValueNoise coarse(48, kMapSize, 21);
    const ValueNoise fine(12, kMapSize, 22);
    for (int y = 0; y < kMapSize; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kMapSize; ++x)
            line[x] = scaled(kSand, 1.0 + 0.035 * coarse.at(x + 0.5, y + 0.5) + 0.02 * fine.at(x + 0.5, y + 0.5));
    }
    return image;
}

void drawPaths(QPainter& painter)
{
    const QPainterPath paths = pathsShape();
    painter.save();
    painter.setClipPath(paths);
    painter.drawImage(0, 0, sandTexture());
    painter.restore();
    painter.setPen(QPen(withAlpha(kSandEdge, 170), 3.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(paths);
}

void drawShadows(QPainter& painter, const std::vector<QPainterPath>& canopies)
{
    QImage layer(kMapSize, kMapSize, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter shadow(&layer);
        shadow.setRenderHint(QPainter::Antialiasing);
        shadow.setPen(Qt::NoPen);
        shadow.setBrush(Qt::black);
        shadow.drawPath(wallShape().united(postsShape()).translated(kWallShadowOffset));
        for (const QPainterPath& canopy : canopies)
            shadow.drawPath(canopy.translated(kTreeShadowOffset));
    }
    blurAlpha(layer, kShadowBlurRadius);
    painter.save();
    painter.setOpacity(kShadowOpacity);
    painter.drawImage(0, 0, layer);
    painter.restore();
}

void drawWall(QPainter& painter)
{
    const QPainterPath wall = wallShape();
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kStone));
    painter.drawPath(wall);

    // A lighter coping along the top of the wall and faint joints between the stones.
    painter.setClipPath(wall);
    QPainterPath coping;
    coping.addPolygon(wallLine());
    coping.closeSubpath();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(kStoneLight), 7.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawPath(coping);
    painter.setPen(QPen(withAlpha(kStoneDark, 70), 2.0));
    const QPolygonF corners = wallLine();
    for (qsizetype i = 0; i < corners.size(); ++i) {
        const QPointF from = corners[i];
        const QPointF to = corners[(i + 1) % corners.size()];
        const QPointF step = to - from;
        const double length = std::hypot(step.x(), step.y());
        const QPointF along = step / length;
        const QPointF across(-along.y() * kWallWidth, along.x() * kWallWidth);
        const int stones = static_cast<int>(length / 30.0);
        for (int s = 1; s < stones; ++s) {
            const QPointF at = from + step * (static_cast<double>(s) / stones);
            painter.drawLine(at - across, at + across);
        }
    }
    painter.restore();

    painter.setPen(QPen(QColor(kStoneDark), 2.5, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(wall);

    // Gate posts stand a little proud of the wall.
    const QPainterPath posts = postsShape();
    QLinearGradient light(0, 0, kMapSize, kMapSize);
    light.setColorAt(0.0, QColor(kStoneLight));
    light.setColorAt(1.0, QColor(kStone));
    painter.setBrush(light);
    painter.drawPath(posts);
}

void drawFountain(QPainter& painter)
{
    const QPointF centre(kMapCentre, kMapCentre);
    painter.save();
    painter.setPen(QPen(QColor(kStoneDark), 2.5));
    painter.setBrush(QColor(kStone));
    painter.drawEllipse(centre, kFountainRimRadius, kFountainRimRadius);
    QRadialGradient water(centre + QPointF(-8, -9), kFountainWaterRadius * 1.6);
    water.setColorAt(0.0, QColor(128, 190, 228));
    water.setColorAt(0.5, QColor(64, 136, 190));
    water.setColorAt(1.0, QColor(34, 88, 140));
    painter.setPen(QPen(withAlpha(kStoneDark, 150), 2.0));
    painter.setBrush(water);
    painter.drawEllipse(centre, kFountainWaterRadius, kFountainWaterRadius);
    painter.setPen(QPen(QColor(236, 246, 252, 200), 3.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 10.0, 10.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(240, 250, 255));
    painter.drawEllipse(centre, 4.5, 4.5);
    painter.restore();
}

void drawCanopy(QPainter& painter, const QPainterPath& canopy, QPointF centre, double radius, double tint,
                double outline)
{
    painter.save();
    painter.setPen(QPen(QColor(18, 44, 16, 210), outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(canopyGradient(centre, radius, tint));
    painter.drawPath(canopy);
    painter.restore();
}

QImage drawPlainMap()
{
    QImage image = groundLayer();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawPaths(painter);

    XorShift32 rng(0x5EED7EE5u);
    std::vector<QPainterPath> canopies;
    std::vector<double> tints;
    for (std::size_t i = 0; i < kTreeCentres.size(); ++i) {
        canopies.push_back(canopyShape(treeCentre(i), kCanopyRadius, rng));
        tints.push_back(rng.range(0.93, 1.06));
    }
    drawShadows(painter, canopies);
    drawWall(painter);
    drawFountain(painter);
    for (std::size_t i = 0; i < kTreeCentres.size(); ++i)
        drawCanopy(painter, canopies[i], treeCentre(i), kCanopyRadius, tints[i], 2.5);
    painter.end();
    return image;
}

QImage drawLightMap(const QImage& plain)
{
    QImage image = plain;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, kLightAlpha));
    for (std::size_t i = 0; i < kTreeCentres.size(); ++i) {
        const QPointF c = treeCentre(i);
        const QRectF square(c.x() - kSquareSize / 2.0, c.y() - kSquareSize / 2.0, kSquareSize, kSquareSize);
        painter.drawRoundedRect(square, kSquareRadius, kSquareRadius);
    }
    // Whole pixels, so that every pixel of a band gets the same light.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(QRect(QPoint(0, kBandTop), QPoint(kLeftBandLastColumn, kMapSize - 1)));
    painter.drawRect(QRect(QPoint(kRightBandFirstColumn, kBandTop), QPoint(kMapSize - 1, kMapSize - 1)));
    painter.end();
    return image;
}

QPolygonF regularOctagon(QPointF centre, double inradius)
{
    const double circumradius = inradius / std::cos(std::numbers::pi / 8.0);
    QPolygonF polygon;
    for (int i = 0; i < 8; ++i) {
        const double angle = std::numbers::pi / 8.0 + i * std::numbers::pi / 4.0;
        polygon << centre + QPointF(std::cos(angle), std::sin(angle)) * circumradius;
    }
    return polygon;
}

/** The emblem: an octagonal walled lawn, two crossing paths and one big tree in the middle. */
QImage drawIcon(int size)
{
    const double u = size / 256.0;
    const auto px = [u](double units, double minimum) {
        return std::max(units * u, minimum);
    };
    const QPointF centre(size / 2.0, size / 2.0);

    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const double outline = px(6.0, 1.0);
    const double outer = size / 2.0 - outline / 2.0 - px(2.0, 0.0);
    const double rim = px(20.0, 1.6);
    const QPolygonF wall = regularOctagon(centre, outer);
    const QPolygonF lawn = regularOctagon(centre, outer - rim);

    painter.setPen(QPen(QColor(kStoneDark), outline, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(QColor(kStone));
    painter.drawPolygon(wall);

    QRadialGradient grass(centre, outer);
    grass.setColorAt(0.0, QColor(scaled(kLawn, 1.12)));
    grass.setColorAt(1.0, QColor(scaled(kLawn, 0.82)));
    painter.setPen(QPen(withAlpha(kStoneDark, 160), px(3.0, 0.6)));
    painter.setBrush(grass);
    painter.drawPolygon(lawn);

    QPainterPath clip;
    clip.addPolygon(lawn);
    painter.save();
    painter.setClipPath(clip);
    painter.setPen(QPen(QColor(kSand), px(26.0, 1.6), Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(0, 0), QPointF(size, size));
    painter.drawLine(QPointF(size, 0), QPointF(0, size));
    painter.restore();

    const double radius = 66.0 * u;
    XorShift32 rng(0x1C0Au);
    const QPainterPath canopy = canopyShape(centre, radius, rng);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawPath(canopy.translated(QPointF(7.0, 9.0) * u));
    drawCanopy(painter, canopy, centre, radius, 1.0, px(5.0, 0.8));
    painter.end();
    return image;
}

bool writePng(const QImage& image, const QString& path, QTextStream& err)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    out.setDotsPerMeterX(3780); // 96 dots per inch
    out.setDotsPerMeterY(3780);
    QImageWriter writer(path, "png");
    writer.setQuality(kPngQuality);
    if (!writer.write(out)) {
        err << "artgen: cannot write " << path << ": " << writer.errorString() << Qt::endl;
        return false;
    }
    return true;
}

quint32 readLittle32(const QByteArray& bytes, qsizetype at)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<quint8>(bytes[at + i]);
    return value;
}

/**
 * Qt leaves the row padding of the transparency mask of a BMP icon picture uninitialised; clear it so
 * that the file comes out the same on every run.
 */
void clearMaskPadding(QByteArray& picture)
{
    constexpr quint32 kBmpHeaderSize = 40;
    if (picture.size() < static_cast<qsizetype>(kBmpHeaderSize) || readLittle32(picture, 0) != kBmpHeaderSize)
        return; // a PNG picture has no mask
    const quint32 width = readLittle32(picture, 4);
    const quint32 height = readLittle32(picture, 8) / 2; // colour rows, then mask rows
    const quint32 bitsPerPixel = static_cast<quint8>(picture[14]) | (static_cast<quint8>(picture[15]) << 8);
    const quint32 colourRow = (width * bitsPerPixel + 31) / 32 * 4;
    const quint32 maskRow = (width + 31) / 32 * 4;
    const quint32 maskStart = kBmpHeaderSize + colourRow * height;
    if (bitsPerPixel != 32 || static_cast<qsizetype>(maskStart + maskRow * height) > picture.size())
        return;
    for (quint32 row = 0; row < height; ++row) {
        for (quint32 i = (width + 7) / 8; i < maskRow; ++i)
            picture[maskStart + row * maskRow + i] = 0;
    }
}

void appendLittle16(QByteArray& bytes, quint16 value)
{
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>(value >> 8));
}

void putLittle32(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

/** Qt's ico writer stores one picture per file; the single-picture files are joined into one icon. */
bool writeIco(const QString& path, QTextStream& err)
{
    std::vector<QByteArray> entries;
    std::vector<QByteArray> pictures;
    for (const int size : kIcoSizes) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "ico");
        if (!writer.write(drawIcon(size).convertToFormat(QImage::Format_ARGB32))) {
            err << "artgen: cannot encode the " << size << " px icon: " << writer.errorString() << Qt::endl;
            return false;
        }
        const QByteArray single = buffer.data();
        if (single.size() < kIcoHeaderSize + kIcoEntrySize || single[4] != 1 || single[5] != 0) {
            err << "artgen: unexpected ico layout for " << size << " px" << Qt::endl;
            return false;
        }
        const QByteArray entry = single.mid(kIcoHeaderSize, kIcoEntrySize);
        QByteArray picture = single.mid(readLittle32(entry, 12), readLittle32(entry, 8));
        clearMaskPadding(picture);
        pictures.push_back(picture);
        entries.push_back(entry);
    }

    QByteArray icon;
    appendLittle16(icon, 0); // reserved
    appendLittle16(icon, 1); // icon, not cursor
    appendLittle16(icon, static_cast<quint16>(entries.size()));
    auto offset = static_cast<quint32>(kIcoHeaderSize + kIcoEntrySize * static_cast<qsizetype>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        putLittle32(entries[i], 12, offset);
        icon.append(entries[i]);
        offset += static_cast<quint32>(pictures[i].size());
    }
    for (const QByteArray& picture : pictures)
        icon.append(picture);

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(icon) != icon.size()) {
        err << "artgen: cannot write " << path << ": " << file.errorString() << Qt::endl;
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    // Nothing is shown; do not require a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    const QStringList args = QGuiApplication::arguments();
    const QDir root(args.size() > 1 ? args.at(1) : QStringLiteral("."));
    if (!root.mkpath(QStringLiteral("resources/maps")) || !root.mkpath(QStringLiteral("resources/icon"))) {
        err << "artgen: cannot create the folders under " << root.absolutePath() << Qt::endl;
        return 1;
    }

    const QImage plain = drawPlainMap();
    bool ok = writePng(plain, root.filePath(QStringLiteral("resources/maps/PngImage_1.png")), err);
    ok = writePng(drawLightMap(plain), root.filePath(QStringLiteral("resources/maps/PngImage_2.png")), err) && ok;

    for (const int size : kIconSizes)
        ok = writePng(drawIcon(size), root.filePath(QStringLiteral("resources/icon/pellimo_%1.png").arg(size)), err)
            && ok;
    // The Windows build embeds this; without Qt's ico plugin there is nothing to write it with.
    if (QImageWriter::supportedImageFormats().contains("ico"))
        ok = writeIco(root.filePath(QStringLiteral("resources/icon/pellimo.ico")), err) && ok;

    return ok ? 0 : 1;
}
