// Whole windows against reference images: the main window with a board that has lines, a
// claim made twice and a pressed button, and the selection dialog. Small differences of
// anti-aliasing are tolerated; a wrong colour, shape, text or place is not.
//
// To accept a change of the look on purpose: tools/regenerate-golden.sh

#include "widgets/glassbutton.h"
#include "windowsfixture.h"

#include <QDir>
#include <QImage>
#include <QtTest>

namespace {

// A pixel counts as different when a channel is off by more than this.
constexpr int ChannelTolerance = 24;
// Share of different pixels that anti-aliasing may account for.
constexpr double AllowedShare = 0.004;

QImage renderWindow(QWidget* window)
{
    QImage image(window->size(), QImage::Format_ARGB32);
    image.fill(Qt::magenta); // anything not painted by the window shows up
    window->render(&image);
    return image;
}

/** Number of pixels that differ beyond the tolerance; `diff` marks them in red. */
int countDifferences(const QImage& actual, const QImage& expected, QImage* diff)
{
    *diff = QImage(actual.size(), QImage::Format_ARGB32);
    diff->fill(Qt::white);
    int count = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y);
            const QRgb e = expected.pixel(x, y);
            const int d = std::max(
                { std::abs(qRed(a) - qRed(e)), std::abs(qGreen(a) - qGreen(e)), std::abs(qBlue(a) - qBlue(e)) });
            if (d > ChannelTolerance) {
                ++count;
                diff->setPixel(x, y, qRgb(255, 0, 0));
            }
        }
    }
    return count;
}

} // namespace

class GoldenTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windows_data();
    void windows();
};

void GoldenTest::windows_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("main window") << QStringLiteral("mainform");
    QTest::newRow("selection dialog") << QStringLiteral("selectionform");
}

void GoldenTest::windows()
{
    QFETCH(QString, name);
    WindowsFixture windows;
    // Virtues with their vices elsewhere (lines), one option on two trees (red), and a tree
    // button held down (glow).
    const std::pair<int, int> choices[] = { { 3, 1 }, { 12, 9 }, { 7, 2 }, { 14, 10 }, { 9, 10 }, { 5, 4 } };
    for (const auto& [tree, option] : choices) {
        Form1->board().beginChoosing(tree);
        Form2->BitBtn01Click(Form2->optionButton(option));
    }
    QTest::mousePress(Form1->treeButton(16), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(Form1->treeButton(16)->isMouseDownInControl());
    Form1->board().beginChoosing(9);

    const QImage actual = renderWindow(name == u"mainform" ? static_cast<QWidget*>(Form1) : Form2);
    const QString file = QStringLiteral(PELLIMO_GOLDEN_DIR "/%1.png").arg(name);
    if (qEnvironmentVariableIsSet("PELLIMO_REGENERATE_GOLDEN")) {
        QVERIFY(actual.save(file));
        QSKIP("reference image written");
    }

    QImage expected(file);
    QVERIFY2(!expected.isNull(), qPrintable(QStringLiteral("no reference image %1").arg(file)));
    expected = expected.convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(actual.size(), expected.size());
    QImage diff;
    const int different = countDifferences(actual, expected, &diff);
    const int allowed = int(AllowedShare * actual.width() * actual.height());
    if (different > allowed) {
        const QString out = QDir::current().filePath(name);
        actual.save(out + QStringLiteral("-actual.png"));
        diff.save(out + QStringLiteral("-diff.png"));
        QFAIL(qPrintable(QStringLiteral("%1 pixels differ (%2 allowed); see %3-actual.png and -diff.png")
                             .arg(different)
                             .arg(allowed)
                             .arg(out)));
    }
}

QTEST_MAIN(GoldenTest)
#include "tst_golden.moc"
