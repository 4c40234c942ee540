// Pixels of the glass button: rings, tint, highlight, glow, shapes, caption and overlapping siblings,
// rendered into images over known backgrounds.

#include "app/application.h"
#include "pixels.h"
#include "widgets/glassbutton.h"
#include "widgets/glasspaint.h"

#include <cmath>
#include <functional>
#include <QApplication>
#include <QPainter>
#include <QtTest>

namespace {

constexpr QRgb Grey = qRgb(64, 64, 64);
constexpr QRgb Green = qRgb(0, 128, 0);
constexpr TColor RedT = 0x0000FF; // TColor: red in the low byte
constexpr TColor BlueT = 0xFF0000;
constexpr TColor YellowT = 0x00FFFF;

/** Exposes the press and state fields that the mouse would set. */
class Probe : public TCustomGlassButton
{
public:
    using TCustomGlassButton::TCustomGlassButton;
    void setPressed(bool on) { FMouseDownInControl = on; }
    void sync() { syncState(); }
};

QImage render(TCustomGlassButton& b, QRgb background)
{
    QImage img(b.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(background);
    {
        QPainter p(&img);
        b.PaintGlass(p);
    }
    return img.convertToFormat(QImage::Format_ARGB32);
}

/** Source-over of an 8-bit colour with alpha onto an opaque one. */
QRgb over(QRgb dst, QRgb colour, int alpha)
{
    const auto mix = [alpha](int d, int s) {
        return int(std::lround((s * alpha + d * (255 - alpha)) / 255.0));
    };
    return qRgb(mix(qRed(dst), qRed(colour)), mix(qGreen(dst), qGreen(colour)), mix(qBlue(dst), qBlue(colour)));
}

void configure(TCustomGlassButton& b, int w, int h)
{
    b.resize(w, h);
    b.setBackColor(tcolor::White);
    b.setInnerBorderColor(BlueT);
    b.setOuterBorderColor(RedT);
    b.setFontColor(tcolor::Black);
}

/** Columns and rows that hold ink: pixels clearly darker than the blank rendering. */
QRect inkBounds(const QImage& text, const QImage& blank)
{
    QRect r;
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < text.width(); ++x)
            if (qGray(blank.pixel(x, y)) - qGray(text.pixel(x, y)) > 60)
                r |= QRect(x, y, 1, 1);
    return r;
}

using PathFactory = std::function<QPainterPath()>;

} // namespace

Q_DECLARE_METATYPE(PathFactory)

class GlassPaintTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void rings_data();
    void rings();
    void highlightAndTint();
    void glow_data();
    void glow();
    void cornerRadius_data();
    void cornerRadius();
    void curvedDirections_data();
    void curvedDirections();
    void captionColour_data();
    void captionColour();
    void hotkeyUnderline();
    void lineBreaks_data();
    void lineBreaks();
    void backslashNBreaksLine();
    void multiLineCentred();
    void forceTransparent_data();
    void forceTransparent();
    void shapeBuilders_data();
    void shapeBuilders();
    void layersMatchWholePathFills_data();
    void layersMatchWholePathFills();
    void hotkeyPrefix_data();
    void hotkeyPrefix();
    void contentPlacement_data();
    void contentPlacement();
};

void GlassPaintTest::initTestCase()
{
    // The style and the font substitutions the program itself installs at start-up.
    QApplication::setStyle(QStringLiteral("Fusion"));
    installFontSubstitutions();
}

void GlassPaintTest::rings_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("outer");
    QTest::newRow("outer, row 0") << QPoint(20, 0) << true;
    QTest::newRow("outer, column 0") << QPoint(0, 20) << true;
    QTest::newRow("outer, column 39") << QPoint(39, 20) << true;
    QTest::newRow("outer, row 39") << QPoint(20, 39) << true;
    QTest::newRow("inner, row 1") << QPoint(20, 1) << false;
    QTest::newRow("inner, column 1") << QPoint(1, 20) << false;
    QTest::newRow("inner, column 38") << QPoint(38, 20) << false;
    QTest::newRow("inner, row 38") << QPoint(20, 38) << false;
    QTest::newRow("inner, where the corner ends") << QPoint(6, 1) << false;
}

void GlassPaintTest::rings()
{
    QFETCH(QPoint, point);
    QFETCH(bool, outer);
    Probe b;
    configure(b, 40, 40);
    const QImage img = render(b, Grey);
    // Crisp one-pixel rings: the exact border colour, not a blend with its neighbours.
    const QRgb expected = rgbOf(outer ? RedT : BlueT);
    QVERIFY2(near(img.pixel(point), expected, 1), qPrintable(describe(img.pixel(point))));
}

void GlassPaintTest::highlightAndTint()
{
    Probe b;
    configure(b, 40, 40);
    b.setBackColor(YellowT);
    const QImage img = render(b, Grey);
    const QRgb tinted = over(Grey, rgbOf(YellowT), 127);
    // The highlight runs from y = 1 (alpha 153) to y = 20 (alpha 51); row 1 is under the inner ring.
    for (int y = 2; y <= 19; ++y) {
        const int alpha = int(std::lround(153 - 102.0 * (y - 1) / 19));
        const QRgb expected = over(tinted, qRgb(255, 255, 255), alpha);
        QVERIFY2(
            near(img.pixel(20, y), expected),
            qPrintable(QStringLiteral("y %1: %2, want %3").arg(y).arg(describe(img.pixel(20, y)), describe(expected))));
    }
    // Below the highlight only the tint.
    for (int y : { 22, 30, 37 })
        QVERIFY2(near(img.pixel(10, y), tinted), qPrintable(QStringLiteral("y %1").arg(y)));
}

void GlassPaintTest::glow_data()
{
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<int>("groupIndex");
    QTest::addColumn<bool>("checkStyle");
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("glow");
    QTest::newRow("normal") << false << 0 << false << false << true << false;
    QTest::newRow("pressed") << true << 0 << false << false << true << true;
    QTest::newRow("check style down") << false << 0 << true << true << true << true;
    QTest::newRow("group down") << false << 1 << false << true << true << true;
    QTest::newRow("group up") << false << 1 << false << false << true << false;
    QTest::newRow("disabled") << false << 0 << false << false << false << false;
    QTest::newRow("disabled, group down") << false << 1 << false << true << false << true;
}

void GlassPaintTest::glow()
{
    QFETCH(bool, pressed);
    QFETCH(int, groupIndex);
    QFETCH(bool, checkStyle);
    QFETCH(bool, down);
    QFETCH(bool, enabled);
    QFETCH(bool, glow);
    Probe plain;
    configure(plain, 40, 40);
    const QImage base = render(plain, Grey);

    Probe b;
    configure(b, 40, 40);
    b.setGroupIndex(groupIndex);
    b.setStyle(checkStyle ? tasCheck : tasButton);
    b.setDown(down);
    b.setPressed(pressed);
    b.setEnabled(enabled);
    b.sync();
    const QImage img = render(b, Grey);
    const auto blueGain = [&](int x, int y) {
        return qBlue(img.pixel(x, y)) - qBlue(base.pixel(x, y));
    };
    if (!glow) {
        QCOMPARE(blueGain(19, 36), 0);
        return;
    }
    // Brightest at the centre of the bottom edge, fading upwards and sideways.
    QVERIFY2(blueGain(19, 36) > 40, qPrintable(QString::number(blueGain(19, 36))));
    QVERIFY(blueGain(19, 36) > blueGain(19, 24));
    QVERIFY(blueGain(19, 36) > blueGain(4, 36));
    QVERIFY(blueGain(19, 24) > 0);
    // Clipped to the body: the rings keep their colours.
    QCOMPARE(img.pixel(19, 38), base.pixel(19, 38));
    QCOMPARE(img.pixel(19, 39), base.pixel(19, 39));
}

void GlassPaintTest::cornerRadius_data()
{
    QTest::addColumn<int>("radius");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QString>("expected");
    QTest::newRow("square, corner pixel is ring") << 0 << QPoint(0, 0) << "outer";
    QTest::newRow("square, inner corner") << 0 << QPoint(1, 1) << "inner";
    QTest::newRow("square, bottom right") << 0 << QPoint(39, 39) << "outer";
    QTest::newRow("round, corner pixel is background") << 4 << QPoint(0, 0) << "background";
    QTest::newRow("round, bottom right is background") << 4 << QPoint(39, 39) << "background";
    QTest::newRow("round, straight edge") << 4 << QPoint(8, 0) << "outer";
}

void GlassPaintTest::cornerRadius()
{
    QFETCH(int, radius);
    QFETCH(QPoint, point);
    QFETCH(QString, expected);
    Probe b;
    configure(b, 40, 40);
    b.setCornerRadius(radius);
    const QImage img = render(b, Grey);
    const QRgb want = expected == QLatin1String("outer") ? rgbOf(RedT)
        : expected == QLatin1String("inner")             ? rgbOf(BlueT)
                                                         : Grey;
    QVERIFY2(near(img.pixel(point), want, 1), qPrintable(describe(img.pixel(point))));
}

void GlassPaintTest::curvedDirections_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("covered");
    // An 80 x 40 button: the hollow end bulges 8 pixels in at mid-height, the round end has radius 19.5.
    QTest::newRow("right: hollow at the left middle") << int(bdRight) << QPoint(4, 19) << false;
    QTest::newRow("right: body past the bulge") << int(bdRight) << QPoint(12, 19) << true;
    QTest::newRow("right: left top corner is covered") << int(bdRight) << QPoint(2, 3) << true;
    QTest::newRow("right: round end leaves the corner") << int(bdRight) << QPoint(78, 2) << false;
    QTest::newRow("right: round end at mid-height") << int(bdRight) << QPoint(76, 19) << true;
    QTest::newRow("left: hollow at the right middle") << int(bdLeft) << QPoint(75, 19) << false;
    QTest::newRow("left: body past the bulge") << int(bdLeft) << QPoint(66, 19) << true;
    QTest::newRow("left: round end leaves the corner") << int(bdLeft) << QPoint(1, 2) << false;
    QTest::newRow("left: round end at mid-height") << int(bdLeft) << QPoint(3, 19) << true;
}

void GlassPaintTest::curvedDirections()
{
    QFETCH(int, direction);
    QFETCH(QPoint, point);
    QFETCH(bool, covered);
    Probe b;
    configure(b, 80, 40);
    b.setButtonShape(btsCurvedRectangle);
    b.setButtonDirection(TButtonDirection(direction));
    const QImage img = render(b, Grey);
    QCOMPARE(img.pixel(point) != Grey, covered);
}

void GlassPaintTest::captionColour_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("antiAlias");
    QTest::addColumn<QRgb>("expected");
    const QString tahoma = QStringLiteral("Tahoma"); // not on this system: its substitute counts as installed
    QTest::newRow("enabled") << tahoma << true << int(aaClearType) << qRgb(255, 0, 0);
    QTest::newRow("enabled, anti-aliased") << tahoma << true << int(aaAntiAlias) << qRgb(255, 0, 0);
    QTest::newRow("disabled takes grey") << tahoma << false << int(aaClearType) << qRgb(128, 128, 128);
    QTest::newRow("plain path, enabled") << tahoma << true << int(aaNone) << qRgb(255, 0, 0);
    QTest::newRow("plain path keeps the font colour when disabled")
        << tahoma << false << int(aaNone) << qRgb(255, 0, 0);
    // A face that is neither installed nor mapped: the plain path, so no grey.
    QTest::newRow("face not installed, disabled")
        << QStringLiteral("Pellimo No Such Face") << false << int(aaClearType) << qRgb(255, 0, 0);
}

void GlassPaintTest::captionColour()
{
    QFETCH(QString, face);
    QFETCH(bool, enabled);
    QFETCH(int, antiAlias);
    QFETCH(QRgb, expected);
    Probe b;
    configure(b, 60, 40);
    QFont f(face);
    f.setPixelSize(24);
    b.setFont(f);
    b.setFontColor(RedT);
    b.setCaption(QStringLiteral("\u2588")); // a full block: solid ink at the centre
    b.setAntiAlias(TAntiAlias(antiAlias));
    b.setEnabled(enabled);
    b.sync();
    const QImage img = render(b, Grey);
    // The text block is centred in the caption box (2, 0, 58, 40): one pixel right of the middle.
    QVERIFY2(near(img.pixel(31, 20), expected, 1), qPrintable(describe(img.pixel(31, 20))));
}

void GlassPaintTest::hotkeyUnderline()
{
    Probe b;
    configure(b, 60, 40);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(16);
    b.setFont(f);
    b.setCaption(QStringLiteral("n"));
    const QImage plain = render(b, qRgb(255, 255, 255));
    b.setCaption(QStringLiteral("&n"));
    const QImage marked = render(b, qRgb(255, 255, 255));
    b.setCaption(QString());
    const QImage blank = render(b, qRgb(255, 255, 255));

    const QRect glyph = inkBounds(plain, blank);
    const QRect withLine = inkBounds(marked, blank);
    QVERIFY(!glyph.isEmpty());
    // Same letter, plus a line under it.
    QCOMPARE(withLine.top(), glyph.top());
    QVERIFY2(withLine.bottom() > glyph.bottom(),
             qPrintable(QStringLiteral("%1 vs %2").arg(withLine.bottom()).arg(glyph.bottom())));
    int underlineInk = 0;
    for (int x = glyph.left(); x <= glyph.right(); ++x)
        underlineInk += qGray(blank.pixel(x, withLine.bottom())) - qGray(marked.pixel(x, withLine.bottom())) > 60;
    QVERIFY(underlineInk >= glyph.width() / 2);
}

void GlassPaintTest::lineBreaks_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("expected");
    const QString sep(QChar::LineSeparator);
    QTest::newRow("CR LF") << "a\r\nb"
                           << "a" + sep + "b";
    QTest::newRow("LF CR") << "a\n\rb"
                           << "a" + sep + "b";
    QTest::newRow("lone CR") << "a\rb"
                             << "a" + sep + "b";
    QTest::newRow("lone LF") << "a\nb"
                             << "a" + sep + "b";
    QTest::newRow("backslash n") << "a\\nb"
                                 << "a" + sep + "b";
    QTest::newRow("backslash N") << "a\\Nb"
                                 << "a" + sep + "b";
    QTest::newRow("two CR LF") << "a\r\n\r\nb"
                               << "a" + sep + sep + "b";
    QTest::newRow("LF CR then lone LF") << "a\n\r\nb"
                                        << "a" + sep + sep + "b";
    QTest::newRow("backslash alone") << "a\\b"
                                     << "a\\b";
}

void GlassPaintTest::lineBreaks()
{
    QFETCH(QString, caption);
    QFETCH(QString, expected);
    QCOMPARE(glass::captionLines(caption), expected);
}

void GlassPaintTest::backslashNBreaksLine()
{
    Probe b;
    configure(b, 60, 44);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(12);
    b.setFont(f);
    b.setCaption(QStringLiteral("Ab\\nCd"));
    const QImage typed = render(b, Grey);
    b.setCaption(QStringLiteral("Ab\r\nCd"));
    const QImage broken = render(b, Grey);
    b.setCaption(QStringLiteral("Ab Cd"));
    const QImage oneLine = render(b, Grey);
    QCOMPARE(typed, broken);
    QVERIFY(typed != oneLine);
}

void GlassPaintTest::multiLineCentred()
{
    Probe b;
    configure(b, 60, 44);
    b.setBackColor(tcolor::White);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(12);
    f.setBold(true);
    b.setFont(f);
    b.setCaption(QString());
    const QImage blank = render(b, qRgb(255, 255, 255));
    b.setCaption(QStringLiteral("I\r\nWWWW"));
    const QImage img = render(b, qRgb(255, 255, 255));
    const QRect all = inkBounds(img, blank);
    QVERIFY(!all.isEmpty());
    // The two lines, split at the first ink-free row inside the block.
    int split = all.top();
    while (split <= all.bottom() && !inkBounds(img.copy(0, split, 60, 1), blank.copy(0, split, 60, 1)).isEmpty())
        ++split;
    QVERIFY(split < all.bottom());
    const QRect first
        = inkBounds(img.copy(0, all.top(), 60, split - all.top()), blank.copy(0, all.top(), 60, split - all.top()));
    const QRect second = inkBounds(img.copy(0, split, 60, all.bottom() + 1 - split),
                                   blank.copy(0, split, 60, all.bottom() + 1 - split));
    QVERIFY(first.width() < second.width());
    // Each line centred on the caption box (2, 0, 58, 44), whose middle is x = 31.
    const double middle = 31.0;
    QVERIFY2(std::abs((first.left() + first.right() + 1) / 2.0 - middle) <= 1.5,
             qPrintable(QString::number(first.left())));
    QVERIFY2(std::abs((second.left() + second.right() + 1) / 2.0 - middle) <= 1.5,
             qPrintable(QString::number(second.left())));
    // The block sits in the vertical middle (ascent and descent make it uneven by a few pixels).
    QVERIFY2(std::abs(all.top() - (43 - all.bottom())) <= 6,
             qPrintable(QStringLiteral("%1..%2").arg(all.top()).arg(all.bottom())));
}

void GlassPaintTest::forceTransparent_data()
{
    QTest::addColumn<bool>("lowerForce");
    QTest::addColumn<bool>("upperForce");
    QTest::addColumn<bool>("lowerShows");
    QTest::newRow("upper forces transparency") << false << true << true;
    QTest::newRow("both force transparency") << true << true << true;
    QTest::newRow("only the lower one, which lies hidden") << true << false << false;
    QTest::newRow("neither") << false << false << false;
}

void GlassPaintTest::forceTransparent()
{
    QFETCH(bool, lowerForce);
    QFETCH(bool, upperForce);
    QFETCH(bool, lowerShows);
    QWidget window;
    window.resize(100, 60);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, Qt::white);
    window.setPalette(pal);
    window.setAutoFillBackground(true);
    // A plain widget under both buttons stands for the map picture.
    QWidget map(&window);
    map.setGeometry(0, 0, 100, 60);
    QPalette mapPal = map.palette();
    mapPal.setColor(QPalette::Window, QColor(Green));
    map.setPalette(mapPal);
    map.setAutoFillBackground(true);
    TGlassButton lower(&window);
    lower.setGeometry(10, 10, 40, 40);
    lower.setBackColor(RedT);
    lower.setForceTransparent(lowerForce);
    TGlassButton upper(&window);
    upper.setGeometry(30, 10, 40, 40);
    upper.setBackColor(BlueT);
    upper.setForceTransparent(upperForce);
    const QImage img = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);

    // Below both highlights, inside both bodies.
    const QPoint overlap(40, 35);
    const QRgb expected
        = lowerShows ? over(over(Green, rgbOf(RedT), 127), rgbOf(BlueT), 127) : over(Green, rgbOf(BlueT), 127);
    QVERIFY2(near(img.pixel(overlap), expected),
             qPrintable(describe(img.pixel(overlap)) + " want " + describe(expected)));
    // Outside the overlap each button shows only itself over the map.
    QVERIFY(near(img.pixel(20, 35), over(Green, rgbOf(RedT), 127)));
    QVERIFY(near(img.pixel(60, 35), over(Green, rgbOf(BlueT), 127)));
}

void GlassPaintTest::layersMatchWholePathFills_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("radius");
    QTest::addColumn<bool>("pressed");
    QTest::newRow("tree button") << QSize(40, 40) << 4 << false;
    QTest::newRow("tree button, pressed") << QSize(40, 40) << 4 << true;
    QTest::newRow("option button") << QSize(75, 40) << 4 << false;
    QTest::newRow("square corners") << QSize(40, 40) << 0 << false;
    QTest::newRow("radius 1") << QSize(30, 20) << 1 << true;
    QTest::newRow("radius 1, not pressed") << QSize(30, 20) << 1 << false;
    QTest::newRow("stopwatch button") << QSize(60, 44) << 4 << false;
    QTest::newRow("radius 8") << QSize(50, 40) << 8 << false;
    QTest::newRow("low button") << QSize(71, 26) << 4 << false;
    QTest::newRow("corners meet") << QSize(40, 40) << 19 << false;
    QTest::newRow("radius larger than the button") << QSize(20, 12) << 15 << true;
    QTest::newRow("flat button") << QSize(60, 5) << 4 << false;
}

// The painter splits rings and body into straight parts and corners; the pixels must be those
// of filling each layer's whole shape at once.
void GlassPaintTest::layersMatchWholePathFills()
{
    QFETCH(QSize, size);
    QFETCH(int, radius);
    QFETCH(bool, pressed);
    using namespace glass;
    const int W = size.width();
    const int H = size.height();
    Probe b;
    configure(b, W, H);
    b.setBackColor(YellowT);
    b.setCornerRadius(radius);
    b.setPressed(pressed);
    b.setGlowColor(0xFFBD8D);
    b.sync();
    const QImage actual = render(b, Green);

    QImage expected(size, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Green);
    {
        QPainter p(&expected);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(0.5, 0.5);
        const auto ring = [](qreal x, qreal y, qreal w, qreal h, qreal r) {
            QPainterPath path = RoundedRectPath(x - 0.5, y - 0.5, w + 1, h + 1, r > 0 ? r + 0.5 : 0);
            path.addPath(RoundedRectPath(x + 0.5, y + 0.5, w - 1, h - 1, std::max<qreal>(r - 0.5, 0)));
            path.setFillRule(Qt::OddEvenFill);
            return path;
        };
        p.fillPath(ring(0, 0, W - 1, H - 1, radius), QColor(rgbOf(RedT)));
        const QPainterPath body = RoundedRectPath(1, 1, W - 3, H - 3, radius);
        p.fillPath(body, layerColor(YellowT, 127));
        if (pressed) {
            const QRectF box = GlowEllipse(1, 1, W - 3, H - 3).boundingRect();
            QRadialGradient glow(box.center(), box.width() / 2);
            glow.setColorAt(0, layerColor(0xFFBD8D, 173));
            glow.setColorAt(1, layerColor(0xFFBD8D, 0));
            QBrush brush(glow);
            brush.setTransform(QTransform::fromTranslate(box.center().x(), box.center().y())
                                   .scale(1, box.height() / box.width())
                                   .translate(-box.center().x(), -box.center().y()));
            p.fillPath(body, brush);
        }
        if ((H - 3) / 2 > 0) {
            const int sh = (H - 3) / 2 + 1;
            QLinearGradient shine(QPointF(0, 1), QPointF(0, 1 + sh));
            shine.setColorAt(0, layerColor(tcolor::White, 153));
            shine.setColorAt(1, layerColor(tcolor::White, 51));
            p.fillPath(TopRoundedPath(1, 1, W - 3, sh, radius), shine);
        }
        p.fillPath(ring(1, 1, W - 3, H - 3, radius), QColor(rgbOf(BlueT)));
    }
    const QImage want = expected.convertToFormat(QImage::Format_ARGB32);
    // Where both edges of a tight ring cross one pixel, the even-odd fill of the whole ring folds
    // its coverage a little differently from the single outline of a corner piece.
    constexpr int FoldTolerance = 6;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            QVERIFY2(near(actual.pixel(x, y), want.pixel(x, y), FoldTolerance),
                     qPrintable(QStringLiteral("(%1, %2): %3, want %4")
                                    .arg(x)
                                    .arg(y)
                                    .arg(describe(actual.pixel(x, y)), describe(want.pixel(x, y)))));
        }
    }
}

void GlassPaintTest::shapeBuilders_data()
{
    using namespace glass;
    QTest::addColumn<PathFactory>("path");
    QTest::addColumn<QRectF>("bounds");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<bool>("contains");
    const PathFactory body = [] {
        return RoundedRectPath(1, 1, 37, 37, 4);
    };
    QTest::newRow("rounded rect, edge middle") << body << QRectF(1, 1, 37, 37) << QPointF(1.5, 20) << true;
    QTest::newRow("rounded rect, cut corner") << body << QRectF(1, 1, 37, 37) << QPointF(1.4, 1.4) << false;
    // The corner is a quarter circle of radius 4 about (5, 5): its middle lies at (2.17, 2.17).
    QTest::newRow("rounded rect, just inside the arc") << body << QRectF(1, 1, 37, 37) << QPointF(2.25, 2.25) << true;
    QTest::newRow("rounded rect, just outside the arc") << body << QRectF(1, 1, 37, 37) << QPointF(2.1, 2.1) << false;
    QTest::newRow("rounded rect, bottom right arc") << body << QRectF(1, 1, 37, 37) << QPointF(36.75, 36.75) << true;
    QTest::newRow("rounded rect, beyond bottom right arc")
        << body << QRectF(1, 1, 37, 37) << QPointF(36.9, 36.9) << false;
    const PathFactory square = [] {
        return RoundedRectPath(0, 0, 39, 39, 0);
    };
    QTest::newRow("radius 0, corner") << square << QRectF(0, 0, 39, 39) << QPointF(0.2, 0.2) << true;
    const PathFactory large = [] {
        return RoundedRectPath(0, 0, 39, 19, 30);
    };
    // The corner arcs overshoot the box: the radius is not clamped.
    QTest::newRow("radius over half the height is used") << large << QRectF(0, -11, 39, 41) << QPointF(45, 5) << false;
    const PathFactory top = [] {
        return TopRoundedPath(1, 1, 37, 19, 4);
    };
    QTest::newRow("top rounded, square bottom corner") << top << QRectF(1, 1, 37, 19) << QPointF(1.3, 19.7) << true;
    QTest::newRow("top rounded, round top corner") << top << QRectF(1, 1, 37, 19) << QPointF(1.4, 1.4) << false;
    const PathFactory right = [] {
        return CurvedPath(0, 0, 79, 39, bdRight);
    };
    QTest::newRow("curved right, bulge reaches x 8") << right << QRectF(0, 0, 79, 39) << QPointF(7.5, 19) << false;
    QTest::newRow("curved right, past the bulge") << right << QRectF(0, 0, 79, 39) << QPointF(8.5, 19) << true;
    QTest::newRow("curved right, round end") << right << QRectF(0, 0, 79, 39) << QPointF(78.5, 19.5) << true;
    const PathFactory left = [] {
        return CurvedPath(0, 0, 79, 39, bdLeft);
    };
    QTest::newRow("curved left, bulge") << left << QRectF(0, 0, 79, 39) << QPointF(71.5, 19) << false;
    QTest::newRow("curved left, round end") << left << QRectF(0, 0, 79, 39) << QPointF(0.5, 19.5) << true;
    const PathFactory topRight = [] {
        return TopCurvedPath(1, 1, 77, 19, bdRight);
    };
    QTest::newRow("top curved right, left tip") << topRight << QRectF(1, 1, 77, 19) << QPointF(10, 19.5) << true;
    QTest::newRow("top curved right, hollow") << topRight << QRectF(1, 1, 77, 19) << QPointF(3, 15) << false;
    const PathFactory topLeft = [] {
        return TopCurvedPath(1, 1, 77, 19, bdLeft);
    };
    QTest::newRow("top curved left, hollow") << topLeft << QRectF(1, 1, 77, 19) << QPointF(76, 15) << false;
    QTest::newRow("top curved left, round corner") << topLeft << QRectF(1, 1, 77, 19) << QPointF(1.5, 19.5) << true;
    const PathFactory glow = [] {
        return GlowEllipse(1, 1, 37, 37);
    };
    QTest::newRow("glow centre") << glow << QRectF(1 - 0.35 * 36, 1 - 0.15 * 36, 1.7 * 36, 2.3 * 36) << QPointF(19, 37)
                                 << true;
    const PathFactory play = [] {
        return SymbolFillPath(bsPlay, 39, 39);
    };
    QTest::newRow("play triangle") << play << QRectF(10, 9, 21, 21) << QPointF(15, 19) << true;
    const PathFactory arrow = [] {
        return SymbolStrokePath(bsArrowRight, 39, 39);
    };
    QTest::newRow("arrow right, shaft") << arrow << QRectF(6.5, 9.75, 37.375, 19.5) << QPointF(20, 19.5) << true;
}

void GlassPaintTest::shapeBuilders()
{
    QFETCH(PathFactory, path);
    QFETCH(QRectF, bounds);
    QFETCH(QPointF, point);
    QFETCH(bool, contains);
    const QPainterPath p = path();
    const QRectF got = p.boundingRect();
    QVERIFY2(std::abs(got.left() - bounds.left()) < 0.01 && std::abs(got.top() - bounds.top()) < 0.01
                 && std::abs(got.right() - bounds.right()) < 0.01 && std::abs(got.bottom() - bounds.bottom()) < 0.01,
             qPrintable(QStringLiteral("%1 %2 %3 %4").arg(got.x()).arg(got.y()).arg(got.width()).arg(got.height())));
    QCOMPARE(p.contains(point), contains);
}

void GlassPaintTest::hotkeyPrefix_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QList<int>>("underlined");
    QTest::newRow("marked letter") << "&Copy"
                                   << "Copy" << QList<int> { 0 };
    QTest::newRow("double ampersand") << "Salt && Pepper"
                                      << "Salt & Pepper" << QList<int> {};
    QTest::newRow("escaped then marked") << "&&&x"
                                         << "&x" << QList<int> { 1 };
    QTest::newRow("trailing ampersand") << "x&"
                                        << "x" << QList<int> {};
    QTest::newRow("no prefix") << "Clear"
                               << "Clear" << QList<int> {};
}

void GlassPaintTest::hotkeyPrefix()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QList<int>, underlined);
    QList<int> got;
    QCOMPARE(glass::stripHotkeyPrefix(text, &got), shown);
    QCOMPARE(got, underlined);
}

void GlassPaintTest::contentPlacement_data()
{
    // A 100 x 40 button with a 16 x 16 picture; the caption, laid out across the whole button,
    // starts at x = 30 and is 40 wide and 15 high unless a row says otherwise.
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("curved");
    QTest::addColumn<QRectF>("text");
    QTest::addColumn<QRect>("captionBox");
    QTest::addColumn<QPoint>("picture");
    const QRectF text(30, 12, 40, 15);
    // clang-format off
    QTest::newRow("left")                    << int(blGlyphLeft)           << false << text                     << QRect(20, 0, 80, 40)  << QPoint(21, 12);
    QTest::newRow("left, half rounds even")  << int(blGlyphLeft)           << false << QRectF(30.5, 12, 40, 15) << QRect(20, 0, 80, 40)  << QPoint(22, 12);
    QTest::newRow("left, text at the edge")  << int(blGlyphLeft)           << false << QRectF(4, 12, 92, 15)    << QRect(20, 0, 80, 40)  << QPoint(2, 12);
    QTest::newRow("top")                     << int(blGlyphTop)            << false << text                     << QRect(0, 16, 100, 22) << QPoint(41, 3);
    QTest::newRow("top, tall text")          << int(blGlyphTop)            << false << QRectF(30, 0, 40, 30)    << QRect(0, 16, 100, 22) << QPoint(41, 2);
    QTest::newRow("right")                   << int(blGlyphRight)          << false << text                     << QRect(2, 0, 78, 40)   << QPoint(63, 12);
    QTest::newRow("right, wide text")        << int(blGlyphRight)          << false << QRectF(5, 12, 90, 15)    << QRect(2, 0, 78, 40)   << QPoint(80, 12);
    QTest::newRow("bottom")                  << int(blGlyphBottom)         << false << text                     << QRect(0, 2, 100, 22)  << QPoint(41, 20);
    QTest::newRow("bottom, tall text")       << int(blGlyphBottom)         << false << QRectF(30, 0, 40, 30)    << QRect(0, 2, 100, 22)  << QPoint(41, 22);
    QTest::newRow("left adjusted")           << int(blGlyphLeftAdjusted)   << false << text                     << QRect(20, 0, 80, 40)  << QPoint(2, 12);
    QTest::newRow("left adjusted, curved")   << int(blGlyphLeftAdjusted)   << true  << text                     << QRect(30, 0, 80, 40)  << QPoint(12, 12);
    QTest::newRow("right adjusted")          << int(blGlyphRightAdjusted)  << false << text                     << QRect(2, 0, 78, 40)   << QPoint(80, 12);
    QTest::newRow("right adjusted, curved")  << int(blGlyphRightAdjusted)  << true  << text                     << QRect(2, 0, 68, 40)   << QPoint(70, 12);
    QTest::newRow("top adjusted")            << int(blGlyphTopAdjusted)    << false << text                     << QRect(0, 16, 100, 22) << QPoint(41, 2);
    QTest::newRow("bottom adjusted")         << int(blGlyphBottomAdjusted) << false << QRectF(30, 0, 40, 1)     << QRect(0, 2, 100, 22)  << QPoint(41, 23);
    QTest::newRow("bottom adjusted, clamps") << int(blGlyphBottomAdjusted) << false << text                     << QRect(0, 2, 100, 22)  << QPoint(41, 22);
    QTest::newRow("curved leaves the rest")  << int(blGlyphLeft)           << true  << text                     << QRect(20, 0, 80, 40)  << QPoint(21, 12);
    // clang-format on
}

void GlassPaintTest::contentPlacement()
{
    QFETCH(int, layout);
    QFETCH(bool, curved);
    QFETCH(QRectF, text);
    QFETCH(QRect, captionBox);
    QFETCH(QPoint, picture);
    const glass::ContentPlacement got
        = glass::placeContent(TButtonLayout(layout), QSize(100, 40), QSize(16, 16), curved, text);
    QCOMPARE(got.captionBox, captionBox);
    QCOMPARE(got.picture, picture);
}

QTEST_MAIN(GlassPaintTest)
#include "tst_glasspaint.moc"
