// The main window as PLMO builds it: layout, stacking, captions and fonts, the enabling after
// the two resets, the tree click, and the map picture chosen by the background scheme.
#include "core/boardtables.h"
#include "fakeclock.h"
#include "layouttable.h"
#include "pixels.h"
#include "widgets/glassbutton.h"
#include "widgets/imagebox.h"
#include "widgets/overlayimage.h"
#include "windowsfixture.h"

#include <climits>
#include <QCheckBox>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

constexpr TColor GlowBlue = 0xFFBD8D;

QByteArray settingsWith(const QByteArray& lines)
{
    return "\xEF\xBB\xBF[System]\r\n" + lines + "\r\n";
}

int points(const QFont& font)
{
    return font.pointSize() > 0 ? font.pointSize() : qRound(font.pixelSize() * 72.0 / 96.0);
}

/** The program's own widgets on the main window, bottom first (the dialogs are windows of their own). */
QStringList stackingOrder(const QWidget* window)
{
    QStringList names;
    for (const QObject* child : window->children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (w && !w->isWindow())
            names << w->objectName();
    }
    return names;
}

} // namespace

class TestMainForm final : public QObject
{
    Q_OBJECT

    FakeClock m_clock;
    std::unique_ptr<WindowsFixture> m_windows;

    TForm1& f() const { return *Form1; }
    QWidget* widget(const QString& name) const { return f().findChild<QWidget*>(name); }

private Q_SLOTS:
    void init() { m_windows = std::make_unique<WindowsFixture>(QByteArray(), &m_clock); }
    void cleanup()
    {
        // Windows and error reporter go first, so that a failed check leaves nothing behind.
        const QStringList errors = m_windows->errors;
        m_windows.reset();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
    }

    void window()
    {
        QCOMPARE(f().windowTitle(), QStringLiteral("[PLMO] Pellimo by Vaskorin"));
        QCOMPARE(f().size(), QSize(304, 348));
        QCOMPARE(f().minimumSize(), QSize(304, 348));
        QCOMPARE(f().maximumSize(), QSize(304, 348));
        QVERIFY(f().windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(f().windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(f().palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(f().font().family(), QStringLiteral("Meiryo UI"));
        QCOMPARE(f().font().pixelSize(), 11);
        QVERIFY(!f().font().bold());
        for (int size : { 16, 32, 48, 256 })
            QVERIFY(!f().windowIcon().pixmap(size).isNull());
        QCOMPARE(f().Timer1->interval(), 300);
        // Settings file absent: the name and the stay-on-top default, centred on 1920 x 1040.
        QCOMPARE(f().edtNAME->text(), QStringLiteral("NoName"));
        QCOMPARE(f().board().stayOnTop(), true);
        QVERIFY(f().chTopmost->isChecked());
        // Centred by the outer size: 304 x 348 and the fake frame (3, 24, 3, 3) on 1920 x 1040.
        QCOMPARE(f().pos(), QPoint(805, 332));
        // The selection dialog likewise, by its own outer size 310 x 259.
        QCOMPARE(Form2->position(), QPoint(805, 390));
    }

    void createdInOrder()
    {
        // Each window's class is set before the next window exists; the dialogs belong to the main window.
        QCOMPARE(
            m_windows->platform.callsOf(QStringLiteral("setWindowClass")),
            QStringList({ QStringLiteral("setWindowClass Form1 TForm1"), QStringLiteral("setWindowClass Form2 TForm2"),
                          QStringLiteral("setWindowClass Form3 TForm3") }));
        QCOMPARE(Form2->parentWidget(), &f());
        QCOMPARE(Form3->parentWidget(), &f());
        // The selection dialog's creation handler ran: its buttons show the main window's option names.
        QVERIFY(Form2->optionButton(1)->caption().startsWith(board::optionName(1)));
        QVERIFY(!board::optionName(1).isEmpty());
        destroyForms();
        QVERIFY(!Form1 && !Form2 && !Form3);
        createForms(&m_clock); // the fixture deletes these
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("pixels"); // font pixel size; 0: sized in points, see `pointSize`
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<bool>("bold");

        const QString meiryo = QStringLiteral("Meiryo UI");
        // clang-format off
        QTest::newRow("Image1")      << "Image1"      << MapGeometry            << QString()         << meiryo << 11 << 0 << false;
        QTest::newRow("Image2")      << "Image2"      << MapGeometry            << QString()         << meiryo << 11 << 0 << false;
        QTest::newRow("lblTIME")     << "lblTIME"     << QRect(123, 1, 83, 20)  << "00:00.000"       << meiryo << 16 << 0 << false;
        QTest::newRow("Label1")      << "Label1"      << QRect(70, 319, 36, 14) << "Always"          << meiryo << 11 << 0 << false;
        QTest::newRow("btn01")       << "btn01"       << treeGeometry(1)         << "U\uFF14"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn02")       << "btn02"       << treeGeometry(2)         << "U\uFF13"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn03")       << "btn03"       << treeGeometry(3)         << "U\uFF11"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn04")       << "btn04"       << treeGeometry(4)         << "U\uFF12"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn05")       << "btn05"       << treeGeometry(5)         << "R\uFF14"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn06")       << "btn06"       << treeGeometry(6)         << "R\uFF13"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn07")       << "btn07"       << treeGeometry(7)         << "R\uFF11"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn08")       << "btn08"       << treeGeometry(8)         << "R\uFF12"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn09")       << "btn09"       << treeGeometry(9)         << "D\uFF12"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn10")       << "btn10"       << treeGeometry(10)        << "D\uFF11"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn11")       << "btn11"       << treeGeometry(11)        << "D\uFF13"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn12")       << "btn12"       << treeGeometry(12)        << "D\uFF14"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn13")       << "btn13"       << treeGeometry(13)        << "L\uFF11"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn14")       << "btn14"       << treeGeometry(14)        << "L\uFF12"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn15")       << "btn15"       << treeGeometry(15)        << "L\uFF13"        << meiryo << 0 << 10 << true;
        QTest::newRow("btn16")       << "btn16"       << treeGeometry(16)        << "L\uFF14"        << meiryo << 0 << 10 << true;
        QTest::newRow("btnBtnClear") << "btnBtnClear" << QRect(231, 320, 71, 26) << "Clear"          << meiryo << 11 << 0 << true;
        QTest::newRow("btnAllClear") << "btnAllClear" << QRect(256, 1, 46, 44)  << "Re-\r\nStart"    << meiryo << 12 << 0 << true;
        QTest::newRow("btnSTA")      << "btnSTA"      << QRect(0, 1, 60, 44)    << "Start\r\nmeas."  << meiryo << 12 << 0 << true;
        QTest::newRow("btnEND")      << "btnEND"      << QRect(60, 1, 60, 44)   << "Stop\r\nmeas."   << meiryo << 12 << 0 << true;
        QTest::newRow("edtNAME")     << "edtNAME"     << QRect(123, 22, 83, 22) << "NoName"          << meiryo << 11 << 0 << false;
        QTest::newRow("btnCOPY")     << "btnCOPY"     << QRect(210, 1, 46, 44)  << "Copy\r\nresult"  << "Tahoma" << 12 << 0 << true;
        QTest::newRow("btnSetting")  << "btnSetting"  << QRect(2, 320, 50, 26)  << "Setting"         << meiryo << 11 << 0 << true;
        QTest::newRow("chTopmost")   << "chTopmost"   << QRect(54, 328, 59, 17) << "on Top"          << meiryo << 11 << 0 << false;
        // clang-format on
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(QString, face);
        QFETCH(int, pixels);
        QFETCH(int, pointSize);
        QFETCH(bool, bold);

        QWidget* w = widget(name);
        QVERIFY(w);
        QCOMPARE(w->parentWidget(), &f());
        QCOMPARE(w->geometry(), geometry);

        const QFont font = w->font();
        QCOMPARE(font.family(), face);
        if (pixels)
            QCOMPARE(font.pixelSize(), pixels);
        else
            QCOMPARE(points(font), pointSize);
        QCOMPARE(font.bold(), bold);
        // The layout's faces are Windows fonts; here they stand in through a substitution.
        const QString shown = QFontInfo(font).family();
        const QStringList allowed = QStringList { face } + QFont::substitutes(face);
        QVERIFY2(allowed.contains(shown, Qt::CaseInsensitive), qPrintable(shown));

        if (auto* b = qobject_cast<TGlassButton*>(w)) {
            QCOMPARE(b->caption(), caption);
            const bool tree = name.startsWith(u"btn") && name.size() == 5 && name.at(3).isDigit();
            QCOMPARE(b->forceTransparent(),
                     tree || name == u"btnAllClear" || name == u"btnSTA" || name == u"btnEND" || name == u"btnCOPY");
            QCOMPARE(b->tabStop(), name == u"btnCOPY");
            QCOMPARE(b->foreColor(), tcolor::White);
            QCOMPARE(b->glowColor(), GlowBlue);
            QCOMPARE(b->shineColor(), tcolor::White);
            QCOMPARE(b->backColor(), tcolor::White);
            QCOMPARE(b->innerBorderColor(), tcolor::Black);
            // Tree buttons: black text, and the dialog's reset gave them black outer borders too.
            QCOMPARE(b->outerBorderColor(), tree ? tcolor::Black : tcolor::White);
            QCOMPARE(b->fontColor(), tree ? tcolor::Black : tcolor::WindowText);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            QCOMPARE(l->text(), caption);
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            QCOMPARE(e->text(), caption);
            QCOMPARE(e->focusPolicy() & Qt::TabFocus, 0);
        } else if (auto* c = qobject_cast<QCheckBox*>(w)) {
            QCOMPARE(c->text(), caption);
            QCOMPARE(c->focusPolicy() & Qt::TabFocus, 0);
        }
    }

    void timeLabelIsRightAligned() { QVERIFY(f().lblTIME->alignment() & Qt::AlignRight); }

    void stacking()
    {
        QStringList expected { QStringLiteral("Image1"), QStringLiteral("Image2"), QStringLiteral("lblTIME"),
                               QStringLiteral("Label1") };
        for (int t = 1; t <= 16; ++t)
            expected << QStringLiteral("btn%1").arg(t, 2, 10, QLatin1Char('0'));
        expected << QStringLiteral("btnBtnClear") << QStringLiteral("btnAllClear") << QStringLiteral("btnSTA")
                 << QStringLiteral("btnEND") << QStringLiteral("edtNAME") << QStringLiteral("btnCOPY")
                 << QStringLiteral("btnSetting") << QStringLiteral("chTopmost");
        QCOMPARE(stackingOrder(&f()), expected);

        // What the pointer meets: tree buttons over the overlay, the overlay over the map.
        QCOMPARE(f().childAt(85, 79), f().treeButton(1));
        QCOMPARE(f().childAt(150, 200), f().Image2);
        QCOMPARE(f().childAt(60, 338), f().chTopmost);
    }

    void alwaysStandsOverOnTop()
    {
        // "Always" is a label of its own; the check box text "on Top" must start under it and
        // sit below it, so that the two read as one caption.
        QStyleOptionButton option;
        option.initFrom(f().chTopmost);
        option.text = f().chTopmost->text();
        const QRect text = f().chTopmost->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, f().chTopmost);
        const QRect shown = text.translated(f().chTopmost->pos());
        const QRect always = f().Label1->geometry();
        QVERIFY2(std::abs(shown.left() - always.left()) <= 3,
                 qPrintable(QStringLiteral("text at %1, label at %2").arg(shown.left()).arg(always.left())));
        QVERIFY(shown.center().y() > always.center().y());
        QCOMPARE(f().chTopmost->property("caption").toString(), QStringLiteral("\n\ron Top"));
    }

    void enabling_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("trees"); // the sixteen tree buttons and "Clear"
        QTest::addColumn<bool>("start");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("time");

        const QString zero = QStringLiteral("00:00.000");
        // clang-format off
        QTest::newRow("after creation")    << QStringList{}                               << true  << true  << false << false << false << zero;
        QTest::newRow("Clear")             << QStringList{"clear"}                        << true  << true  << false << false << false << zero;
        QTest::newRow("Re-Start")          << QStringList{"restart"}                      << true  << true  << false << false << false << zero;
        QTest::newRow("running, Clear")    << QStringList{"start", "tick", "clear", "tick"}   << true << false << true << false << true << "00:04.000";
        QTest::newRow("running, Re-Start") << QStringList{"start", "tick", "restart"}     << true  << true  << false << false << false << zero;
        QTest::newRow("stopped, Clear")    << QStringList{"start", "tick", "stop", "clear"}   << true << true << false << true << false << "00:02.000";
        QTest::newRow("stopped, Re-Start") << QStringList{"start", "tick", "stop", "restart"} << true << true << false << false << false << zero;
        QTest::newRow("disabled, Clear")   << QStringList{"disable", "clear"}             << false << true  << false << false << false << zero;
        QTest::newRow("disabled, Re-Start") << QStringList{"disable", "restart"}          << true  << true  << false << false << false << zero;
        // clang-format on
    }

    void enabling()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, trees);
        QFETCH(bool, start);
        QFETCH(bool, stop);
        QFETCH(bool, copy);
        QFETCH(bool, running);
        QFETCH(QString, time);

        const QMap<QString, std::function<void()>> actions {
            { QStringLiteral("start"),
              [this] {
                  f().btnSTAClick();
              } },
            { QStringLiteral("stop"),
              [this] {
                  f().btnENDClick();
              } },
            { QStringLiteral("tick"),
              [this] {
                  m_clock.advance(2s);
                  f().Timer1Timer();
              } },
            { QStringLiteral("clear"),
              [this] {
                  f().btnBtnClearClick();
              } },
            { QStringLiteral("restart"),
              [this] {
                  f().btnAllClearClick();
              } },
            { QStringLiteral("disable"),
              [this] {
                  f().excBtnEnabled(false);
              } },
        };
        for (const QString& step : steps)
            actions.value(step)();

        for (int t = 1; t <= 16; ++t)
            QCOMPARE(f().treeButton(t)->isEnabled(), trees);
        QCOMPARE(f().btnBtnClear->isEnabled(), trees);
        QCOMPARE(f().btnSTA->isEnabled(), start);
        QCOMPARE(f().btnEND->isEnabled(), stop);
        QCOMPARE(f().btnCOPY->isEnabled(), copy);
        QVERIFY(f().btnAllClear->isEnabled());
        QVERIFY(f().btnSetting->isEnabled());
        QCOMPARE(f().Timer1->isActive(), running);
        QCOMPARE(f().lblTIME->text(), time);
    }

    void resetsKeepSelectionIndexAndSettings_data()
    {
        QTest::addColumn<bool>("restart");
        QTest::newRow("Clear") << false;
        QTest::newRow("Re-Start") << true;
    }

    void resetsKeepSelectionIndexAndSettings()
    {
        QFETCH(bool, restart);
        f().board().beginChoosing(10);
        Form2->BitBtn01Click(Form2->optionButton(4));
        f().board().beginChoosing(13);
        DisplaySettings display = f().board().display();
        display.treeBtnTxtColor = 1;
        display.tokuBtnTxtBold = 1;
        f().board().setDisplay(display);
        if (restart)
            f().btnAllClearClick();
        else
            f().btnBtnClearClick();
        QCOMPARE(f().board().treeBeingChosen(), 13);
        QCOMPARE(f().board().display().treeBtnTxtColor, 1);
        QCOMPARE(f().board().display().tokuBtnTxtBold, 1);
        QCOMPARE(f().board().optionOn(10), 0);
        QCOMPARE(f().treeButton(10)->caption(), QStringLiteral("D\uFF11"));
        QCOMPARE(f().treeButton(10)->fontColor(), tcolor::Black);
        QCOMPARE(f().treeButton(10)->backColor(), tcolor::White);
    }

    void clearBeforeTheDialogExists()
    {
        // During creation the tree reset runs before the selection dialog exists: a main window
        // with no dialog on its board resets its trees and leaves every other dialog alone.
        TForm1 alone(&m_clock);
        Form2->optionButton(1)->setCaption(QStringLiteral("untouched"));
        alone.treeButton(2)->setCaption(QStringLiteral("Honor\r\nU\uFF13"));
        alone.excBtnClearForm1();
        QCOMPARE(Form2->optionButton(1)->caption(), QStringLiteral("untouched"));
        QCOMPARE(alone.treeButton(2)->caption(), QStringLiteral("U\uFF13"));
    }

    void treeClickIndex_data()
    {
        QTest::addColumn<int>("tree");
        QTest::newRow("btn01") << 1;
        QTest::newRow("btn09") << 9;
        QTest::newRow("btn10") << 10;
        QTest::newRow("btn16") << 16;
    }

    void treeClickIndex()
    {
        QFETCH(int, tree);
        f().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f()));
        m_windows->platform.calls.clear();
        int seenIndex = 0;
        bool dialogShown = false;
        QTimer::singleShot(0, Form2, [&] {
            seenIndex = f().board().treeBeingChosen();
            dialogShown = Form2->isVisible();
            QTest::mouseClick(Form2->optionButton(18), Qt::LeftButton); // "Close"
        });
        QTest::mouseClick(f().treeButton(tree), Qt::LeftButton);
        QVERIFY(dialogShown);
        QCOMPARE(seenIndex, tree);
        QCOMPARE(f().board().treeBeingChosen(), tree);
        QVERIFY(!Form2->isVisible());
        QCOMPARE(m_windows->platform.callsOf(QStringLiteral("setStayOnTop")),
                 QStringList({ QStringLiteral("setStayOnTop Form1 off"), QStringLiteral("setStayOnTop Form1 on") }));
    }

    void mouseEnter_data()
    {
        QTest::addColumn<bool>("inDialog"); // the path is in the selection dialog, else in the main window
        QTest::addColumn<QList<QPoint>>("path"); // pointer positions in the window, from outside
        QTest::addColumn<bool>("topmost");
        QTest::addColumn<int>("activations");

        const QPoint background(121, 10); // between btnEND and lblTIME
        const QPoint time(150, 10); // lblTIME
        const QPoint always(80, 322); // Label1, over the map
        const QPoint tree(85, 79); // btn01
        const QPoint map(150, 200); // Image2 over Image1
        const QPoint dialogBackground(40, 185); // under BitBtn13, left of BitBtn17
        const QPoint option(30, 20); // BitBtn01
        using Path = QList<QPoint>;
        // clang-format off
        QTest::newRow("bare background")            << false << Path{ background }                   << true  << 1;
        QTest::newRow("lblTIME from outside")       << false << Path{ time }                         << true  << 0;
        QTest::newRow("Label1 from outside")        << false << Path{ always }                       << true  << 0;
        QTest::newRow("lblTIME, then background")   << false << Path{ time, background }             << true  << 1;
        QTest::newRow("Label1, then the map")       << false << Path{ always, map }                  << true  << 1;
        QTest::newRow("background, label, back")    << false << Path{ background, time, background } << true  << 2;
        QTest::newRow("background, further on it")  << false << Path{ QPoint(121, 5), QPoint(121, 20) } << true << 1;
        QTest::newRow("tree button, then the map")  << false << Path{ tree, map }                    << true  << 2;
        QTest::newRow("edtNAME")                    << false << Path{ QPoint(150, 30) }              << true  << 1;
        QTest::newRow("chTopmost")                  << false << Path{ QPoint(60, 338) }              << true  << 1;
        QTest::newRow("stay-on-top off")            << false << Path{ background, tree, map }        << false << 0;
        QTest::newRow("dialog: bare background")    << true  << Path{ dialogBackground }             << true  << 1;
        QTest::newRow("dialog: option button")      << true  << Path{ option }                       << true  << 1;
        QTest::newRow("dialog: option, background") << true  << Path{ option, dialogBackground }     << true  << 2;
        QTest::newRow("dialog: stay-on-top off")    << true  << Path{ dialogBackground, option, dialogBackground } << false << 0;
        // clang-format on
    }

    void mouseEnter()
    {
        QFETCH(bool, inDialog);
        QFETCH(QList<QPoint>, path);
        QFETCH(bool, topmost);
        QFETCH(int, activations);
        if (inDialog) {
            // Beside the main window: the offscreen platform sends the pointer to the first window
            // under it, whatever stands in front.
            m_windows.reset();
            m_windows = std::make_unique<WindowsFixture>(settingsWith("Form2Top=100\r\nForm2Left=1300"), &m_clock);
        }
        f().chTopmost->setChecked(topmost);
        f().show();
        QVERIFY(QTest::qWaitForWindowExposed(&f()));
        QWidget* window = &f();
        if (inDialog) {
            window = Form2;
            Form2->show();
            QVERIFY(QTest::qWaitForWindowExposed(Form2));
        }
        // Activation itself brings the window forward too; let it happen before counting.
        QApplication::setActiveWindow(window);
        QTRY_VERIFY(window->isActiveWindow());
        // The pointer starts on another window, away from the main window.
        QWidget elsewhere;
        elsewhere.setGeometry(0, 0, 50, 50);
        elsewhere.show();
        QVERIFY(QTest::qWaitForWindowExposed(&elsewhere));
        QTest::mouseMove(&elsewhere, QPoint(20, 20));
        m_windows->platform.calls.clear();
        for (const QPoint& p : path)
            QTest::mouseMove(window, p);
        const qsizetype counted = m_windows->platform.callsOf(QStringLiteral("forceForeground")).size();
        // Off the window again before it goes: Qt remembers the last window under the pointer.
        QTest::mouseMove(&elsewhere, QPoint(30, 30));
        QCOMPARE(counted, activations);
    }

    void mapPicture_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("scheme");
        QTest::addColumn<QString>("picture");
        QTest::newRow("no file") << QByteArray() << 0 << QStringLiteral(":/maps/PngImage_2.png");
        QTest::newRow("0") << settingsWith("iSettingsBtnBGColor=0") << 0 << QStringLiteral(":/maps/PngImage_2.png");
        QTest::newRow("1") << settingsWith("iSettingsBtnBGColor=1") << 1 << QStringLiteral(":/maps/PngImage_1.png");
        QTest::newRow("5") << settingsWith("iSettingsBtnBGColor=5") << 5 << QStringLiteral(":/maps/PngImage_1.png");
        QTest::newRow("-1") << settingsWith("iSettingsBtnBGColor=-1") << -1 << QStringLiteral(":/maps/PngImage_1.png");
    }

    void mapPicture()
    {
        QFETCH(QByteArray, settings);
        QFETCH(int, scheme);
        QFETCH(QString, picture);
        m_windows.reset();
        m_windows = std::make_unique<WindowsFixture>(settings, &m_clock);
        QCOMPARE(f().board().display().btnBGColor, scheme);

        const QImage plain(QStringLiteral(":/maps/PngImage_1.png"));
        const QImage squares(QStringLiteral(":/maps/PngImage_2.png"));
        const QImage expected(picture);
        QCOMPARE(expected.size(), QSize(800, 800));
        // Under tree 1 (map centre 83, 33) the two pictures differ by the light square; at the
        // bottom left (map 58, 276) by the light band.
        const QPoint underTree(83 * 8 / 3, 33 * 8 / 3);
        const QPoint inBand(58 * 8 / 3, 276 * 8 / 3);
        QVERIFY(plain.pixel(underTree) != squares.pixel(underTree));
        QVERIFY(plain.pixel(inBand) != squares.pixel(inBand));

        const QImage shown = f().Image1->picture().toImage();
        QCOMPARE(shown.size(), QSize(800, 800));
        QCOMPARE(shown.pixel(underTree), expected.pixel(underTree));
        QCOMPARE(shown.pixel(inBand), expected.pixel(inBand));

        // On the window, through the empty overlay: the picture scaled to 300 x 300.
        QImage window(f().size(), QImage::Format_ARGB32);
        window.fill(Qt::black);
        f().render(&window);
        const QImage scaled = expected.scaled(300, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY2(near(window.pixel(60, 322), scaled.pixel(58, 276), 3),
                 qPrintable(QString::number(window.pixel(60, 322), 16)));
        QVERIFY(near(window.pixel(110, 200), scaled.pixel(108, 154), 3));
    }

    void longName_data()
    {
        QTest::addColumn<int>("storedLength");
        QTest::addColumn<QString>("typed"); // after a Backspace at the end of the edit; empty: not edited
        QTest::addColumn<int>("savedLength");

        QTest::newRow("longer name in the file, not edited") << 40000 << QString() << 40000;
        QTest::newRow("longer name in the file, edited") << 300 << QStringLiteral("x") << 256;
        QTest::newRow("typing past the limit") << 250 << QStringLiteral("abcdefghij") << 256;
        QTest::newRow("short name, edited") << 6 << QStringLiteral("!?") << 7;
    }

    void longName()
    {
        QFETCH(int, storedLength);
        QFETCH(QString, typed);
        QFETCH(int, savedLength);

        const QString stored(storedLength, u'n');
        m_windows.reset();
        m_windows = std::make_unique<WindowsFixture>(settingsWith("NAME=" + stored.toUtf8()), &m_clock);
        QCOMPARE(f().edtNAME->text(), stored.left(256));
        if (!typed.isEmpty()) {
            f().edtNAME->end(false);
            QTest::keyClick(f().edtNAME, Qt::Key_Backspace);
            QTest::keyClicks(f().edtNAME, typed);
        }
        f().FormClose();

        QFile file(m_windows->platform.settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const qsizetype at = bytes.indexOf("NAME=") + 5;
        const QByteArray saved = bytes.mid(at, bytes.indexOf('\r', at) - at);
        QCOMPARE(saved.size(), savedLength);
        const QString expected = typed.isEmpty() ? stored : QString(stored.left(256).chopped(1) + typed).left(256);
        QCOMPARE(QString::fromUtf8(saved), expected);
    }

    void frameAskedOnlyForDefaults_data()
    {
        QTest::addColumn<QByteArray>("settings"); // null: no file
        QTest::addColumn<QStringList>("asked"); // frame calls while the windows are built
        QTest::addColumn<QPoint>("form1");
        QTest::addColumn<QPoint>("form2");

        const QStringList main { QStringLiteral("requestFrameMargins Form1"), QStringLiteral("frameMargins Form1") };
        QTest::newRow("no file") << QByteArray() << main << QPoint(805, 332) << QPoint(805, 390);
        QTest::newRow("all stored") << settingsWith("Form1Top2=40\r\nForm1Left2=30\r\nForm2Top=50\r\nForm2Left=60")
                                    << QStringList() << QPoint(30, 40) << QPoint(60, 50);
        QTest::newRow("left missing") << settingsWith("Form1Top2=40\r\nForm2Top=50\r\nForm2Left=60") << main
                                      << QPoint(805, 40) << QPoint(60, 50);
        QTest::newRow("top unreadable") << settingsWith("Form1Top2=x\r\nForm1Left2=30\r\nForm2Left=60") << main
                                        << QPoint(30, 332) << QPoint(60, 390);
    }

    void frameAskedOnlyForDefaults()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, asked);
        QFETCH(QPoint, form1);
        QFETCH(QPoint, form2);

        m_windows.reset();
        m_windows = std::make_unique<WindowsFixture>(settings, &m_clock);
        // The selection dialog's default waits for its first show, or for the save at close.
        QCOMPARE(m_windows->platform.callsOf(QStringLiteral("requestFrameMargins"))
                     + m_windows->platform.callsOf(QStringLiteral("frameMargins")),
                 asked);
        QCOMPARE(f().pos(), form1);
        QCOMPARE(Form2->position(), form2);
        f().FormClose();
        QFile file(m_windows->platform.settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QVERIFY(saved.contains(QByteArray("Form2Top=" + QByteArray::number(form2.y()) + "\r\n")));
        QVERIFY(saved.contains(QByteArray("Form2Left=" + QByteArray::number(form2.x()) + "\r\n")));
    }

    void outOfReach_data()
    {
        QTest::addColumn<QList<QRect>>("screens"); // work areas, the primary's first
        QTest::addColumn<QPoint>("stored1"); // the main window's position in the file
        QTest::addColumn<QPoint>("stored2"); // the selection dialog's
        QTest::addColumn<QPoint>("form1");
        QTest::addColumn<QPoint>("form2");

        // The primary work area is 1920 x 1040; centred, the windows stand at (805, 332) and (805, 390).
        const QList<QRect> primary { FakePlatform::WorkArea };
        const QList<QRect> twoScreens { FakePlatform::WorkArea, QRect(-1280, 0, 1280, 1024) };
        const QPoint main(805, 332);
        const QPoint dialog(805, 390);
        using P = QPoint;
        // clang-format off
        QTest::newRow("within reach")               << primary    << P(30, 40)     << P(60, 50)   << P(30, 40)     << P(60, 50);
        QTest::newRow("60 pixels of the title bar") << primary    << P(1860, 1016) << P(-244, 0)  << P(1860, 1016) << P(-244, 0);
        QTest::newRow("59 pixels wide")             << primary    << P(1861, 1016) << P(-245, 0)  << main << dialog;
        QTest::newRow("23 pixels high")             << primary    << P(30, -1)     << P(60, 1017) << main << dialog;
        QTest::newRow("saved on a bigger screen")   << primary    << P(3000, 2000) << P(900, 5000) << main << dialog;
        QTest::newRow("largest numbers")            << primary    << P(INT_MAX, INT_MIN) << P(INT_MIN, INT_MAX) << main << dialog;
        QTest::newRow("on a second screen")         << twoScreens << P(-1000, 100) << P(-1280, 0) << P(-1000, 100) << P(-1280, 0);
        QTest::newRow("the second screen gone")     << primary    << P(-1000, 100) << P(-1280, 0) << main << dialog;
        // clang-format on
    }

    void outOfReach()
    {
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, stored1);
        QFETCH(QPoint, stored2);
        QFETCH(QPoint, form1);
        QFETCH(QPoint, form2);

        auto positions = [](QPoint main, QPoint dialog) {
            return QStringLiteral("Form1Left2=%1\r\nForm1Top2=%2\r\nForm2Left=%3\r\nForm2Top=%4")
                .arg(main.x())
                .arg(main.y())
                .arg(dialog.x())
                .arg(dialog.y())
                .toLatin1();
        };
        m_windows.reset();
        m_windows = std::make_unique<WindowsFixture>(settingsWith(positions(stored1, stored2)), &m_clock,
                                                     SettingsDialogBuild::WithTheOthers, screens);
        QCOMPARE(f().pos(), form1);
        QCOMPARE(Form2->position(), form2);
        // The close saves where the windows are.
        f().FormClose();
        QFile file(m_windows->platform.settingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), settingsWith(positions(form1, form2) + "\r\nNAME=NoName\r\nchTopmost=1\r\n"));
    }

    void settingsDialogAfterFirstPaint()
    {
        m_windows.reset();
        m_windows = std::make_unique<WindowsFixture>(QByteArray(), &m_clock, SettingsDialogBuild::AfterFirstPaint);
        QVERIFY(!Form3);
        f().show();
        QVERIFY(QTest::qWaitFor([] { return Form3 != nullptr; }));
        QCOMPARE(Form3->parentWidget(), &f());
        QVERIFY(m_windows->platform.calls.contains(QStringLiteral("setWindowClass Form3 TForm3")));
    }

    void settingsFileIsBesideTheExecutable()
    {
        m_windows.reset();
        m_windows = std::make_unique<WindowsFixture>(
            settingsWith("Form1Top2=40\r\nForm1Left2=30\r\nNAME=Vask\r\nchTopmost=0\r\niSettingsTreeBtnTxtBold=1"),
            &m_clock);
        QCOMPARE(f().pos(), QPoint(30, 40));
        QCOMPARE(f().edtNAME->text(), QStringLiteral("Vask"));
        QCOMPARE(f().board().stayOnTop(), false);
        QVERIFY(!f().chTopmost->isChecked());
        QCOMPARE(f().board().display().treeBtnTxtBold, 1);
        QCOMPARE(m_windows->platform.callsOf(QStringLiteral("setStayOnTop")).last(),
                 QStringLiteral("setStayOnTop Form1 off"));
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
