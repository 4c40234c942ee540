// The committed map pictures must fit the tree buttons laid over them: a tree under every button on the
// plain map, a light square under every button and light bands under the bottom row on the dark-scheme
// map, and nothing else changed between the two.

#include "layouttable.h"
#include "pixels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <QImage>
#include <QtTest>

namespace {

constexpr int kMapSize = 800;
constexpr double kMapScale = 8.0 / 3.0; // 300-pixel map widget to 800-pixel picture
constexpr int kSquareHalf = 53; // of the 107-pixel square
constexpr int kSquareInset = 5; // keeps probes off the rounded, antialiased edge
constexpr int kBandTop = 729;
constexpr int kGrassRing = 64; // beyond the crown and its shadow
constexpr int kCrownProbe = 16; // well inside the crown
constexpr int kClearlyDifferent = 60;
constexpr double kClearlyLighter = 20.0;

int colourDistance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

double luminance(QRgb c)
{
    return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
}

QImage loadPicture(const QString& path)
{
    QImage image(path);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

/** Empty when b is clearly lighter than a in every channel that can still get lighter. */
QString lighterFault(const QImage& plain, const QImage& light, int x, int y)
{
    const QRgb a = plain.pixel(x, y);
    const QRgb b = light.pixel(x, y);
    if (qRed(b) < qRed(a) || qGreen(b) < qGreen(a) || qBlue(b) < qBlue(a)
        || luminance(b) - luminance(a) < kClearlyLighter)
        return QStringLiteral("pixel (%1, %2): plain #%3, light #%4").arg(x).arg(y).arg(hex(a), hex(b));
    return {};
}

} // namespace

class TestArtwork final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void mapIsOpaque_data();
    void mapIsOpaque();
    void treeStandsUnderButton_data();
    void treeStandsUnderButton();
    void squareUnderButtonIsLighter_data();
    void squareUnderButtonIsLighter();
    void bottomBandIsLighter_data();
    void bottomBandIsLighter();
    void restOfMapIsUnchanged_data();
    void restOfMapIsUnchanged();
    void iconHasTransparentCorners_data();
    void iconHasTransparentCorners();

private:
    void addTreeRows();

    QImage m_plain;
    QImage m_light;
};

void TestArtwork::initTestCase()
{
    // The pictures live in the static UI library; its resources are linked in only when asked for by name.
    Q_INIT_RESOURCE(resources);
    m_plain = loadPicture(QStringLiteral(":/maps/PngImage_1.png"));
    m_light = loadPicture(QStringLiteral(":/maps/PngImage_2.png"));
    QVERIFY2(!m_plain.isNull(), "PngImage_1 is missing from the resources");
    QVERIFY2(!m_light.isNull(), "PngImage_2 is missing from the resources");
}

void TestArtwork::mapIsOpaque_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("PngImage_1") << QStringLiteral(":/maps/PngImage_1.png");
    QTest::newRow("PngImage_2") << QStringLiteral(":/maps/PngImage_2.png");
}

void TestArtwork::mapIsOpaque()
{
    QFETCH(QString, path);
    const QImage image(path);
    QCOMPARE(image.size(), QSize(kMapSize, kMapSize));
    QVERIFY2(image.hasAlphaChannel(), "stored without an alpha channel");
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) has alpha %3").arg(x).arg(y).arg(qAlpha(line[x]))));
        }
    }
}

void TestArtwork::addTreeRows()
{
    QTest::addColumn<int>("cx");
    QTest::addColumn<int>("cy");
    for (int t = 1; t <= 16; ++t) {
        const QPoint centre = treeCentreOnMap(t);
        QTest::addRow("btn%02d", t) << static_cast<int>(std::lround(centre.x() * kMapScale))
                                    << static_cast<int>(std::lround(centre.y() * kMapScale));
    }
}

void TestArtwork::treeStandsUnderButton_data()
{
    addTreeRows();
}

void TestArtwork::treeStandsUnderButton()
{
    QFETCH(int, cx);
    QFETCH(int, cy);
    // A ring around the button's centre is mostly grass; a path, the wall or a shadow may cross a few
    // of its points, so the crown has to stand out against the majority of them.
    std::array<QRgb, 8> ring {};
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const double angle = static_cast<double>(i) * std::numbers::pi / 4.0;
        const int x = std::clamp(cx + static_cast<int>(std::lround(kGrassRing * std::cos(angle))), 0, kMapSize - 1);
        const int y = std::clamp(cy + static_cast<int>(std::lround(kGrassRing * std::sin(angle))), 0, kMapSize - 1);
        ring[i] = m_plain.pixel(x, y);
    }
    // The centre and four points around it, so that a tree beside the button does not pass.
    const std::array<QPoint, 5> crown { QPoint(cx, cy), QPoint(cx - kCrownProbe, cy), QPoint(cx + kCrownProbe, cy),
                                        QPoint(cx, cy - kCrownProbe), QPoint(cx, cy + kCrownProbe) };
    for (const QPoint& p : crown) {
        const QRgb inside = m_plain.pixel(p);
        std::array<int, 8> distances {};
        std::transform(ring.begin(), ring.end(), distances.begin(),
                       [inside](QRgb grass) { return colourDistance(inside, grass); });
        std::sort(distances.begin(), distances.end());
        if (distances[3] < kClearlyDifferent)
            QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) #%3 looks like the grass around it (median distance %4)")
                                 .arg(p.x())
                                 .arg(p.y())
                                 .arg(hex(inside))
                                 .arg(distances[3])));
    }
}

void TestArtwork::squareUnderButtonIsLighter_data()
{
    addTreeRows();
}

void TestArtwork::squareUnderButtonIsLighter()
{
    QFETCH(int, cx);
    QFETCH(int, cy);
    constexpr int kSteps = 12;
    const int from = -kSquareHalf + kSquareInset;
    const int span = 2 * (kSquareHalf - kSquareInset);
    for (int i = 0; i <= kSteps; ++i) {
        for (int j = 0; j <= kSteps; ++j) {
            const QString fault
                = lighterFault(m_plain, m_light, cx + from + span * i / kSteps, cy + from + span * j / kSteps);
            if (!fault.isEmpty())
                QFAIL(qPrintable(fault));
        }
    }
}

void TestArtwork::bottomBandIsLighter_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::newRow("behind Setting, on Top and Always") << 0 << 301;
    QTest::newRow("behind Clear") << 610 << 799;
}

void TestArtwork::bottomBandIsLighter()
{
    QFETCH(int, left);
    QFETCH(int, right);
    // Every row of the band and every column; the band is flat, so whole lines are cheap enough.
    for (int y = kBandTop; y < kMapSize; ++y) {
        for (int x = left; x <= right; ++x) {
            const QString fault = lighterFault(m_plain, m_light, x, y);
            if (!fault.isEmpty())
                QFAIL(qPrintable(fault));
        }
    }
}

void TestArtwork::restOfMapIsUnchanged_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::newRow("fountain") << QPoint(400, 400);
    QTest::newRow("top left corner") << QPoint(5, 5);
    QTest::newRow("between the bands") << QPoint(450, 790);
    QTest::newRow("right of the left band") << QPoint(302, 760);
    QTest::newRow("left of the right band") << QPoint(609, 760);
    QTest::newRow("above the left band") << QPoint(150, 728);
    QTest::newRow("above the right band") << QPoint(700, 728);
    QTest::newRow("between btn04 and btn07") << QPoint(470, 300);
}

void TestArtwork::restOfMapIsUnchanged()
{
    QFETCH(QPoint, point);
    QCOMPARE(m_light.pixel(point), m_plain.pixel(point));
}

void TestArtwork::iconHasTransparentCorners_data()
{
    QTest::addColumn<int>("size");
    for (const int size : { 16, 24, 32, 48, 64, 128, 256 })
        QTest::newRow(qPrintable(QStringLiteral("pellimo_%1").arg(size))) << size;
}

void TestArtwork::iconHasTransparentCorners()
{
    QFETCH(int, size);
    const QImage icon = loadPicture(QStringLiteral(":/icon/pellimo_%1.png").arg(size));
    QVERIFY2(!icon.isNull(), "icon is missing from the resources");
    QCOMPARE(icon.size(), QSize(size, size));
    // An octagon: clear corners, so the emblem sits on any panel; an opaque green tree in the middle.
    for (const QPoint& corner : { QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1) })
        QCOMPARE(qAlpha(icon.pixel(corner)), 0);
    const QRgb middle = icon.pixel(size / 2, size / 2);
    QCOMPARE(qAlpha(middle), 255);
    QVERIFY(qGreen(middle) > qRed(middle) && qGreen(middle) > qBlue(middle));
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
