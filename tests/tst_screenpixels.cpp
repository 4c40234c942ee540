// Window positions at 125 %, 150 % and 200 % (the test runs once per scale, QT_SCALE_FACTOR): the
// settings file, the work area and the frame are screen pixels, Qt's window positions are its own
// pixels. A window saved at 100 % opens at the same place on the screen, the default centres the
// outer size in screen pixels, and a start and a close leave the file as it was.
#include "windowsfixture.h"

#include <cmath>
#include <QFile>
#include <QScreen>
#include <QTest>

namespace {

QByteArray settingsWith(const QByteArray& lines)
{
    return "\xEF\xBB\xBF[System]\r\n" + lines + "\r\n";
}

int keyIn(const QByteArray& file, const QByteArray& key)
{
    const qsizetype at = file.indexOf(QByteArray("\n" + key + "=")) + key.size() + 2;
    return file.mid(at, file.indexOf('\r', at) - at).toInt();
}

} // namespace

class TestScreenPixels final : public QObject
{
    Q_OBJECT

    qreal m_scale = 1;

    /** Qt's position of a window placed at this screen position (Qt rounds to the nearest pixel). */
    QPoint layout(QPoint screen) const { return (QPointF(screen) / m_scale).toPoint(); }

    /** The centred default of a window with this client size, by the outer size in screen pixels. */
    QPoint centred(QSize client, const QMargins& frame) const
    {
        const QSize outer = (QSizeF(client) * m_scale).toSize().grownBy(frame);
        const QRect area = FakePlatform::WorkArea;
        return { int(std::floor(area.width() / 2.0 - outer.width() / 2.0)),
                 int(std::floor(area.height() / 2.0 - outer.height() / 2.0)) };
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_scale = QGuiApplication::primaryScreen()->devicePixelRatio();
        QVERIFY2(m_scale > 1, "run with QT_SCALE_FACTOR above 1");
    }

    void positionsAreScreenPixels_data()
    {
        QTest::addColumn<QByteArray>("settings"); // null: no file
        QTest::addColumn<QPoint>("moveMainTo"); // null: not moved; else Qt's position the user drags to
        QTest::newRow("no file") << QByteArray() << QPoint();
        QTest::newRow("saved at 100 %") << settingsWith(
            "Form1Top2=101\r\nForm1Left2=203\r\nForm2Top=77\r\nForm2Left=331")
                                        << QPoint();
        QTest::newRow("moved by the user")
            << settingsWith("Form1Top2=101\r\nForm1Left2=203\r\nForm2Top=77\r\nForm2Left=331") << QPoint(51, 67);
        // 304 Qt pixels wide, the window shows 80 or more screen pixels of its title bar at every
        // scale here, though fewer than 60 at 100 %: within reach, kept where it was saved.
        QTest::newRow("within reach by its width in screen pixels")
            << settingsWith("Form1Top2=101\r\nForm1Left2=-300\r\nForm2Top=77\r\nForm2Left=331") << QPoint();
    }

    void positionsAreScreenPixels()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QPoint, moveMainTo);

        WindowsFixture windows(settings);
        const QMargins frame = windows.platform.frame;
        const QPoint main = settings.isNull() ? centred(Form1->size(), frame)
                                              : QPoint(keyIn(settings, "Form1Left2"), keyIn(settings, "Form1Top2"));
        const QPoint selection = settings.isNull() ? centred(Form2->size(), frame) : QPoint(331, 77);
        QCOMPARE(Form1->pos(), layout(main));
        if (!moveMainTo.isNull())
            Form1->move(moveMainTo);
        Form1->FormClose();

        QFile file(windows.platform.settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        const QPoint savedMain = moveMainTo.isNull() ? main : (QPointF(moveMainTo) * m_scale).toPoint();
        QCOMPARE(QPoint(keyIn(saved, "Form1Left2"), keyIn(saved, "Form1Top2")), savedMain);
        QCOMPARE(QPoint(keyIn(saved, "Form2Left"), keyIn(saved, "Form2Top")), selection);
        QVERIFY2(windows.errors.isEmpty(), qPrintable(windows.errors.join(u'\n')));
    }
};

QTEST_MAIN(TestScreenPixels)
#include "tst_screenpixels.moc"
