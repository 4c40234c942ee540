// Drawing on screens with more device pixels than layout pixels (scale 1.5 and 2): the map is
// sampled from its 800 x 800 source at the device's resolution, the pair lines and the glass
// buttons are drawn at that resolution, not drawn at 96 dpi and enlarged. The map's picture is
// read whatever its file is named.

#include "widgets/glassbutton.h"
#include "widgets/imagebox.h"
#include "widgets/overlayimage.h"
#include "windowsfixture.h"

#include <QPainter>
#include <QtTest>

namespace {

/** The widget as drawn on a screen of this device pixel ratio, over `background` unless it paints its own. */
QImage renderAt(QWidget* w, qreal dpr, QColor background = Qt::transparent,
                QWidget::RenderFlags flags = QWidget::DrawWindowBackground | QWidget::DrawChildren)
{
    QImage image((QSizeF(w->size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(background);
    w->render(&image, QPoint(), QRegion(), flags);
    image.setDevicePixelRatio(1);
    return image.convertToFormat(QImage::Format_ARGB32);
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                      std::abs(qAlpha(a) - qAlpha(b)) });
}

/**
 * Share of the 2 x 2 device-pixel blocks (on even coordinates) whose four pixels are equal, within
 * `rect`. A picture drawn at layout resolution and doubled has only such blocks.
 */
double uniformBlockShare(const QImage& image, const QRect& rect)
{
    int uniform = 0;
    int blocks = 0;
    for (int y = rect.top() & ~1; y + 1 <= rect.bottom(); y += 2) {
        for (int x = rect.left() & ~1; x + 1 <= rect.right(); x += 2) {
            const QRgb p = image.pixel(x, y);
            uniform += p == image.pixel(x + 1, y) && p == image.pixel(x, y + 1) && p == image.pixel(x + 1, y + 1);
            ++blocks;
        }
    }
    return blocks ? double(uniform) / blocks : 0.0;
}

/** The device columns where the opaque run of row `y` starts and ends. */
QPair<int, int> runInRow(const QImage& image, int y)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (qAlpha(image.pixel(x, y)) == 255) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    return { first, last };
}

} // namespace

class TestHiDpi final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepareWindowsTestApplication(); }

    void mapIsSampledFromItsSource_data()
    {
        QTest::addColumn<qreal>("dpr");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("150 %") << 1.5;
        QTest::newRow("200 %") << 2.0;
    }
    void mapIsSampledFromItsSource()
    {
        QFETCH(qreal, dpr);
        const QPixmap source(QStringLiteral(":/maps/PngImage_1.png"));
        QCOMPARE(source.size(), QSize(800, 800));
        ImageBox box;
        box.setGeometry(0, 0, 300, 300);
        QVERIFY(box.setPictureFile(QStringLiteral(":/maps/PngImage_1.png")));
        const QImage drawn = renderAt(&box, dpr);
        const QSize device = (QSizeF(300, 300) * dpr).toSize();
        QCOMPARE(drawn.size(), device);
        const QImage expected = source.toImage()
                                    .scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                    .convertToFormat(QImage::Format_ARGB32);
        int worst = 0;
        for (int y = 0; y < device.height(); y += 7)
            for (int x = 0; x < device.width(); x += 5)
                worst = std::max(worst, channelDistance(drawn.pixel(x, y), expected.pixel(x, y)));
        QVERIFY2(worst <= 2, qPrintable(QStringLiteral("largest channel difference %1").arg(worst)));
        if (dpr == 2.0)
            QVERIFY(uniformBlockShare(drawn, drawn.rect()) < 0.5);
    }

    // The picture is read in the format its name gives, without asking every image plug-in; a
    // name that does not match the contents must still give the picture.
    void pictureIsReadWhateverItsName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("named as it is") << QStringLiteral("map.png");
        QTest::newRow("named as another format") << QStringLiteral("map.jpg");
        QTest::newRow("named as no format Qt knows") << QStringLiteral("map.dat");
        QTest::newRow("no suffix") << QStringLiteral("map");
    }
    void pictureIsReadWhateverItsName()
    {
        QFETCH(QString, name);
        const QString source = QStringLiteral(":/maps/PngImage_1.png");
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        QVERIFY(QFile::copy(source, file));
        ImageBox box;
        box.setGeometry(0, 0, 300, 300);
        QVERIFY(box.setPictureFile(file));
        QCOMPARE(box.picture().toImage(), QPixmap(source).toImage());
    }

    void pairLineEdgesFollowDevicePixels()
    {
        OverlayImage overlay;
        overlay.setGeometry(0, 0, 300, 300);
        overlay.setTransparent(true);
        overlay.newBitmap();
        // The worked example's underlay and pair stroke, and a diagonal one.
        overlay.setPenColor(0xF8F8F8);
        overlay.setPenWidth(6);
        overlay.moveTo(195, 48);
        overlay.lineTo(195, 227);
        overlay.setPenColor(0x0000FF);
        overlay.setPenWidth(4);
        overlay.moveTo(195, 48);
        overlay.lineTo(195, 227);
        overlay.moveTo(20, 20);
        overlay.lineTo(120, 77);

        // At 100 % the widget shows its bitmap unchanged.
        const QImage flat = renderAt(&overlay, 1.0, Qt::white, QWidget::DrawChildren);
        QCOMPARE(flat.convertToFormat(QImage::Format_RGB32), overlay.bitmap().convertToFormat(QImage::Format_RGB32));

        const QImage sharp = renderAt(&overlay, 2.0, Qt::transparent, QWidget::DrawChildren);
        QCOMPARE(sharp.size(), QSize(600, 600));
        // Straight stroke: 4 layout pixels red (8 device pixels) between 1-pixel light edges (2 each).
        const int y = 2 * 140;
        const auto [from, to] = runInRow(sharp.copy(2 * 180, y, 2 * 30, 1), 0);
        QCOMPARE(to - from + 1, 2 * 6);
        for (int x = from; x <= to; ++x) {
            const QRgb p = sharp.pixel(2 * 180 + x, y);
            const bool edge = x < from + 2 || x > to - 2;
            QCOMPARE(p, edge ? qRgb(0xF8, 0xF8, 0xF8) : qRgb(0xFF, 0, 0));
        }
        // Diagonal stroke: its edges step on single device pixels, so some rows start on an odd
        // device column; a bitmap drawn at 96 dpi and doubled starts every row on an even one.
        int oddStarts = 0;
        for (int row = 2 * 30; row < 2 * 70; ++row)
            oddStarts += runInRow(sharp.copy(0, row, 2 * 150, 1), 0).first % 2;
        QVERIFY2(oddStarts > 10, qPrintable(QStringLiteral("%1 rows start on an odd column").arg(oddStarts)));
    }

    void glassButtonIsDrawnAtDeviceResolution()
    {
        QWidget parent;
        parent.resize(60, 60);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, Qt::white);
        parent.setPalette(pal);
        parent.setAutoFillBackground(true);
        auto* b = new TGlassButton(&parent);
        b->setGeometry(10, 10, 40, 40);
        b->setCaption(QStringLiteral("U４"));
        b->setBackColor(0xFFFFFF);
        b->setInnerBorderColor(0x000000);
        b->setOuterBorderColor(0x0000FF);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        const QImage image = renderAt(&parent, 2.0);
        // The outer ring is one layout pixel: two device pixels of red, then two of black.
        const int y = 2 * 30;
        QCOMPARE(image.pixel(2 * 10, y), qRgb(0xFF, 0, 0));
        QCOMPARE(image.pixel(2 * 10 + 1, y), qRgb(0xFF, 0, 0));
        QCOMPARE(image.pixel(2 * 10 + 2, y), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(2 * 10 + 3, y), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(2 * 10 + 4, y) == qRgb(0, 0, 0), false);
        // Rounded corners and the caption are anti-aliased in device pixels, not in doubled ones.
        QVERIFY(uniformBlockShare(image, QRect(2 * 10, 2 * 10, 2 * 8, 2 * 8)) < 0.9);
        QVERIFY(uniformBlockShare(image, QRect(2 * 14, 2 * 20, 2 * 24, 2 * 14)) < 0.9);
    }
};

QTEST_MAIN(TestHiDpi)
#include "tst_hidpi.moc"
