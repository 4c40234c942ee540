// Draws the two garden maps and the application icon into resources/. Run on purpose
// (tools/regenerate-art.sh); the output is committed. Every random choice comes from a seeded
// generator and no text is drawn, so two runs on one machine give byte-identical files.

#include "imagefiles.h"
#include "texture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <QDir>
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

// Fixed palette.
constexpr QRgb kMeadow = qRgb(92, 136, 56);
constexpr QRgb kLawn = qRgb(124, 172, 72);
constexpr QRgb kSand = qRgb(216, 194, 148);
constexpr QRgb kSandEdge = qRgb(132, 108, 70);
constexpr QRgb kStone = qRgb(198, 186, 160);
constexpr QRgb kStoneLight = qRgb(226, 216, 194);
constexpr QRgb kStoneDark = qRgb(88, 76, 60);

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
    if (QImageWriter::supportedImageFormats().contains("ico")) {
        std::vector<QImage> pictures;
        for (const int size : kIcoSizes)
            pictures.push_back(drawIcon(size));
        ok = writeIco(pictures, root.filePath(QStringLiteral("resources/icon/pellimo.ico")), err) && ok;
    }

    return ok ? 0 : 1;
}
