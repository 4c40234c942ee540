// The overlay bitmap on its own: the white brush and the pair lines drawn by setLines().
#include "pixels.h"
#include "widgets/overlayimage.h"

#include <QTest>

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Underlay = 0xFFF8F8F8;

} // namespace

class TestOverlayImage final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void overlayFillRect_data()
    {
        QTest::addColumn<QRect>("fill");
        QTest::newRow("nothing drawn there") << QRect(0, 0, 40, 40);
        QTest::newRow("the line's left half") << QRect(0, 0, 150, 300);
        QTest::newRow("across the line") << QRect(100, 95, 50, 10);
        QTest::newRow("the whole bitmap") << QRect(0, 0, 300, 300);
        QTest::newRow("reaching past the bitmap") << QRect(-20, 90, 400, 20);
    }

    void overlayFillRect()
    {
        // The white brush clears exactly the rectangle and leaves the ink outside it.
        QFETCH(QRect, fill);
        OverlayImage overlay;
        overlay.resize(300, 300);
        overlay.newBitmap();
        overlay.setPenColor(0x0000FF);
        overlay.setPenWidth(6);
        overlay.moveTo(50, 100);
        overlay.lineTo(250, 100);
        const QImage drawn = overlay.bitmap();
        overlay.fillRect(fill);
        const QImage image = overlay.bitmap();
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 300; ++x) {
                const QRgb want = fill.contains(x, y) ? White : drawn.pixel(x, y);
                if (image.pixel(x, y) != want)
                    QFAIL(qPrintable(
                        QStringLiteral("(%1, %2): %3, want %4").arg(x).arg(y).arg(hex(image.pixel(x, y)), hex(want))));
            }
        }
        QCOMPARE(hex(drawn.pixel(200, 100)), hex(0xFFFF0000));
    }

    void setLinesReplacesTheDrawing()
    {
        // Each line 4 wide over a 6-wide light underlay; a later line lies on top of an earlier
        // one; new lines replace what was drawn before.
        OverlayImage overlay;
        overlay.resize(300, 300);
        overlay.setLines({ { QPoint(50, 100), QPoint(250, 100), 0x0000FF } });
        overlay.setLines(
            { { QPoint(150, 20), QPoint(150, 280), 0x008000 }, { QPoint(20, 150), QPoint(280, 150), 0xFF0000 } });
        const QImage image = overlay.bitmap();
        QCOMPARE(hex(image.pixel(100, 100)), hex(White));
        QCOMPARE(hex(image.pixel(150, 60)), hex(0xFF008000));
        QCOMPARE(hex(image.pixel(147, 60)), hex(Underlay));
        QCOMPARE(hex(image.pixel(152, 60)), hex(Underlay));
        QCOMPARE(hex(image.pixel(150, 150)), hex(0xFF0000FF));
        QCOMPARE(hex(image.pixel(150, 147)), hex(Underlay));
        overlay.setLines({});
        QCOMPARE(overlay.bitmap().pixel(150, 60), White);
    }
};

QTEST_MAIN(TestOverlayImage)
#include "tst_overlayimage.moc"
