// The settings dialog driven as the user drives it: the Setting button opens it modally, the
// lists are changed, and OK, Cancel, the close box or Esc end it; then the main window's look,
// the map and the settings file's bytes are checked. Also where the dialog first appears.
#include "core/boardtables.h"
#include "forms/settingsfile.h"
#include "widgets/glassbutton.h"
#include "widgets/imagebox.h"
#include "windowsfixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QByteArray Bom = "\xEF\xBB\xBF";

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QComboBox*> lists()
{
    return { Form3->cbiSettingsBtnBGColor, Form3->cbiSettingsTreeBtnTxtColor, Form3->cbiSettingsTreeBtnTxtBold,
             Form3->cbiSettingsTokuBtnTxtColor, Form3->cbiSettingsTokuBtnTxtBold };
}

QList<int> fields()
{
    const DisplaySettings& d = Form1->board().display();
    return { d.btnBGColor, d.treeBtnTxtColor, d.treeBtnTxtBold, d.tokuBtnTxtColor, d.tokuBtnTxtBold };
}

/** Clicks Setting; while the dialog runs, `inDialog` acts on it (it must end the dialog). */
void runDialog(const std::function<void()>& inDialog)
{
    QTimer::singleShot(0, Form3, inDialog);
    QTest::mouseClick(Form1->btnSetting, Qt::LeftButton);
}

} // namespace

class TestSettingsForm final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void window()
    {
        WindowsFixture windows;
        const Qt::WindowFlags flags = Form3->windowFlags();
        for (Qt::WindowType hint : { Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint,
                                     Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint })
            QVERIFY(flags.testFlag(hint));
        QCOMPARE(Form3->minimumSize(), QSize(205, 359));
        QCOMPARE(Form3->maximumSize(), QSize(205, 359));
        for (QPushButton* b : { Form3->btnOK, Form3->btnCancel })
            QVERIFY(!b->isDefault() && !b->autoDefault());
    }

    void confirm_data()
    {
        QTest::addColumn<QByteArray>("settings"); // the file before; null: no file
        QTest::addColumn<QList<int>>("choices"); // what the user picks in the five lists; -2 leaves one
        QTest::addColumn<QString>("end");
        QTest::addColumn<QList<int>>("shown"); // the lists' indices when the dialog opened
        QTest::addColumn<QByteArray>("written"); // the file after; null: not written (unchanged)
        QTest::addColumn<QList<int>>("after"); // the five fields after

        const QByteArray none;
        const QList<int> zeros { 0, 0, 0, 0, 0 };
        const QList<int> picked { 1, 1, 1, 0, 1 };
        const QList<int> keep { -2, -2, -2, -2, -2 };
        const QByteArray pickedFile = Bom
            + "[System]\r\niSettingsBtnBGColor=1\r\niSettingsTreeBtnTxtColor=1\r\niSettingsTreeBtnTxtBold=1\r\n"
              "iSettingsTokuBtnTxtColor=0\r\niSettingsTokuBtnTxtBold=1\r\n\r\n";
        const QByteArray five = Bom + "[System]\r\nNAME=Vask\r\niSettingsTreeBtnTxtBold=5\r\n\r\n";
        // clang-format off
        QTest::newRow("OK with changed choices") << none << picked << "OK"     << zeros << pickedFile << picked;
        QTest::newRow("OK, nothing changed")     << none << keep   << "OK"     << zeros
            << Bom + "[System]\r\niSettingsBtnBGColor=0\r\niSettingsTreeBtnTxtColor=0\r\niSettingsTreeBtnTxtBold=0\r\n"
                     "iSettingsTokuBtnTxtColor=0\r\niSettingsTokuBtnTxtBold=0\r\n\r\n" << zeros;
        QTest::newRow("Cancel")                  << none << picked << "Cancel" << zeros << none << zeros;
        QTest::newRow("close box")               << none << picked << "close"  << zeros << none << zeros;
        QTest::newRow("Esc, then Cancel")        << none << picked << "Esc"    << zeros << none << zeros;
        QTest::newRow("stored 5, OK")            << five << keep   << "OK"     << QList<int>{ 0, 0, -1, 0, 0 }
            << Bom + "[System]\r\nNAME=Vask\r\niSettingsTreeBtnTxtBold=-1\r\niSettingsBtnBGColor=0\r\n"
                     "iSettingsTreeBtnTxtColor=0\r\niSettingsTokuBtnTxtColor=0\r\niSettingsTokuBtnTxtBold=0\r\n\r\n"
            << QList<int>{ 0, 0, -1, 0, 0 };
        QTest::newRow("stored 5, Cancel")        << five << picked << "Cancel" << QList<int>{ 0, 0, -1, 0, 0 } << none
            << QList<int>{ 0, 0, 5, 0, 0 };
        // clang-format on
    }

    void confirm()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QList<int>, choices);
        QFETCH(QString, end);
        QFETCH(QList<int>, shown);
        QFETCH(QByteArray, written);
        QFETCH(QList<int>, after);

        WindowsFixture windows(settings);
        TForm1& f = *Form1;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        // Tree 1 holds "Honor" (option 3), so the tree's look follows the display choices.
        f.board().beginChoosing(1);
        Form2->BitBtn01Click(Form2->optionButton(3));
        const QString path = windows.platform.settingsPath();
        const QByteArray before = fileBytes(path);
        const TColor treeText = f.treeButton(1)->fontColor();
        const QImage mapBefore = f.Image1->picture().toImage();
        windows.platform.calls.clear();

        QList<int> seen;
        bool stillOpenAfterEsc = true;
        runDialog([&] {
            for (QComboBox* c : lists())
                seen << c->currentIndex();
            for (int i = 0; i < 5; ++i) {
                if (choices[i] != -2)
                    lists()[i]->setCurrentIndex(choices[i]);
            }
            if (end == u"OK") {
                QTest::mouseClick(Form3->btnOK, Qt::LeftButton);
            } else if (end == u"Cancel") {
                QTest::mouseClick(Form3->btnCancel, Qt::LeftButton);
            } else if (end == u"close") {
                Form3->close();
            } else {
                QTest::keyClick(Form3, Qt::Key_Escape);
                QTest::keyClick(Form3, Qt::Key_Return);
                stillOpenAfterEsc = Form3->isVisible();
                QTest::mouseClick(Form3->btnCancel, Qt::LeftButton);
            }
        });
        QVERIFY(!Form3->isVisible());
        QVERIFY(stillOpenAfterEsc);
        QCOMPARE(seen, shown);
        QCOMPARE(fields(), after);
        QCOMPARE(fileBytes(path), written.isNull() ? before : written);
        QVERIFY(windows.errors.isEmpty());
        // Around the dialog the main window leaves the stay-on-top band and comes back.
        QCOMPARE(windows.platform.callsOf(QStringLiteral("setStayOnTop")),
                 QStringList({ QStringLiteral("setStayOnTop Form1 off"), QStringLiteral("setStayOnTop Form1 on") }));

        // The look: the map by the scheme, the tree holding an option by the text colour.
        const bool applied = !written.isNull();
        const int scheme = f.board().display().btnBGColor;
        const QImage expectedMap(scheme == 0 ? QStringLiteral(":/maps/PngImage_2.png")
                                             : QStringLiteral(":/maps/PngImage_1.png"));
        const QPoint underTree(83 * 8 / 3, 33 * 8 / 3);
        QCOMPARE(f.Image1->picture().toImage().pixel(underTree),
                 applied ? expectedMap.pixel(underTree) : mapBefore.pixel(underTree));
        QCOMPARE(f.treeButton(1)->fontColor(),
                 applied ? (f.board().display().treeBtnTxtColor != 0 ? 0x808080u : 0x202020u) : treeText);
        QCOMPARE(f.treeButton(1)->backColor(), board::backColor(3, applied ? scheme : 0));
        QCOMPARE(Form2->optionButton(3)->fontColor(), f.board().display().tokuBtnTxtColor != 0 ? 0x404040u : 0xB0B0B0u);
    }

    void closeSave_data()
    {
        QTest::addColumn<QByteArray>("settings"); // the file at start; null: none
        QTest::addColumn<QList<int>>("choices"); // confirmed with OK; empty: the dialog not used
        QTest::addColumn<bool>("okFails"); // OK's save fails (a folder in the file's place)
        QTest::addColumn<QByteArray>("meanwhile"); // another program's file at the close; null: untouched
        QTest::addColumn<QByteArray>("written"); // the file after the close

        const QList<int> picked { 1, 1, 1, 0, 1 };
        const QByteArray closeKeys
            = "Form1Top2=332\r\nForm1Left2=805\r\nNAME=NoName\r\nForm2Top=390\r\nForm2Left=805\r\n"
              "chTopmost=1\r\n";
        // What the next start would not read back from the file: the default 0 of the fourth is right.
        const QByteArray pickedAgain = "iSettingsBtnBGColor=1\r\niSettingsTreeBtnTxtColor=1\r\n"
                                       "iSettingsTreeBtnTxtBold=1\r\niSettingsTokuBtnTxtBold=1\r\n";
        const QByteArray none;
        // clang-format off
        QTest::newRow("first close, no OK: the six keys alone")
            << none << QList<int>{} << false << none << Bom + "[System]\r\n" + closeKeys + "\r\n";
        QTest::newRow("first close into an empty file")
            << QByteArray("") << QList<int>{} << false << none << Bom + "[System]\r\n" + closeKeys + "\r\n";
        QTest::newRow("OK saved: nothing more at the close")
            << none << picked << false << none
            << Bom + "[System]\r\niSettingsBtnBGColor=1\r\niSettingsTreeBtnTxtColor=1\r\niSettingsTreeBtnTxtBold=1\r\n"
                     "iSettingsTokuBtnTxtColor=0\r\niSettingsTokuBtnTxtBold=1\r\n" + closeKeys + "\r\n";
        QTest::newRow("OK's save failed, then the close")
            << none << picked << true << none << Bom + "[System]\r\n" + closeKeys + pickedAgain + "\r\n";
        QTest::newRow("file emptied after OK, then the close")
            << none << picked << false << QByteArray("") << Bom + "[System]\r\n" + closeKeys + pickedAgain + "\r\n";
        QTest::newRow("file changed by another program")
            << QByteArray("[System]\r\niSettingsBtnBGColor=1\r\n") << QList<int>{} << false
            << QByteArray("[Other]\r\nk=v\r\n[System]\r\nNAME=Vask\r\niSettingsBtnBGColor=0\r\nx\r\n")
            << Bom + "[Other]\r\nk=v\r\n\r\n[System]\r\nNAME=NoName\r\niSettingsBtnBGColor=1\r\nx\r\n"
                     "Form1Top2=332\r\nForm1Left2=805\r\nForm2Top=390\r\nForm2Left=805\r\nchTopmost=1\r\n\r\n";
        // clang-format on
    }

    void closeSave()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QList<int>, choices);
        QFETCH(bool, okFails);
        QFETCH(QByteArray, meanwhile);
        QFETCH(QByteArray, written);

        WindowsFixture windows(settings);
        const QString path = windows.platform.settingsPath();
        if (!choices.isEmpty()) {
            QTimer::singleShot(0, Form3, [&] {
                for (int i = 0; i < 5; ++i)
                    lists()[i]->setCurrentIndex(choices[i]);
                if (okFails)
                    QVERIFY(QDir().mkdir(path));
                QTest::mouseClick(Form3->btnOK, Qt::LeftButton);
            });
            // Guarded here, as the application object guards the click: the failed save's
            // exception must not unwind through Qt's event delivery.
            runGuarded([] { Form1->btnSettingClick(); });
            QCOMPARE(windows.errors.size(), okFails ? 1 : 0);
            if (okFails)
                QVERIFY(QDir().rmdir(path));
        }
        if (!meanwhile.isNull())
            QVERIFY(windows.platform.writeSettings(meanwhile));
        Form1->close();
        QCOMPARE(fileBytes(path), written);
        QCOMPARE(windows.errors.size(), okFails ? 1 : 0);
    }

    void placement_data()
    {
        QTest::addColumn<QList<QRect>>("screens"); // work areas, the primary's first
        QTest::addColumn<QPoint>("mainClient"); // the main window's client position
        QTest::addColumn<QPoint>("first");
        // The fake frame is 3, 24, 3, 3: main outer 310 x 375 from the client position less (3, 24),
        // dialog outer 211 x 386; left = outer left + (310 - 211) / 2, top = outer top + (375 - 386) / 2.
        const QList<QRect> primary { FakePlatform::WorkArea };
        const QList<QRect> leftOfIt { QRect(1280, 0, 1920, 1040), QRect(0, 0, 1280, 1024) };
        const QList<QRect> aboveIt { QRect(0, 1080, 1920, 1040), QRect(0, 0, 1920, 1080) };
        // clang-format off
        QTest::newRow("centred over the main window") << primary  << QPoint(103, 224)  << QPoint(100 + 49, 200 - 5);
        QTest::newRow("kept below the desktop's top") << primary  << QPoint(503, 26)   << QPoint(500 + 49, 0);
        QTest::newRow("monitor left of the primary")  << leftOfIt << QPoint(403, 224)  << QPoint(400 + 49, 200 - 5);
        QTest::newRow("monitor above the primary")    << aboveIt  << QPoint(503, 26)   << QPoint(500 + 49, 0);
        // Centred over a main window that shows only 60 pixels, it would show 11: the primary's centre.
        QTest::newRow("out of reach: centred")        << primary  << QPoint(1863, 224) << QPoint(854, 327);
        // clang-format on
    }

    void placement()
    {
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, mainClient);
        QFETCH(QPoint, first);
        WindowsFixture windows;
        windows.platform.screens.assign(screens.begin(), screens.end());
        Form1->setGeometry(QRect(mainClient, Form1->size()));
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        QCOMPARE(placement::outerGeometry(Form1).topLeft(), mainClient - QPoint(3, 24));

        // First show: centred; the user moves it; second show: where it was left. The frame of a
        // window being shown arrives a moment later, and until then pos() is the client's.
        const auto settledAt = [](QPoint expected) {
            static_cast<void>(QTest::qWaitFor([&] { return Form3->pos() == expected; }, 2000));
            return Form3->pos();
        };
        QPoint atFirst;
        const QPoint moved(700, 650);
        runDialog([&] {
            atFirst = settledAt(first);
            Form3->move(moved);
            Form3->close();
        });
        QCOMPARE(atFirst, first);
        QPoint atSecond;
        runDialog([&] {
            atSecond = settledAt(moved);
            Form3->close();
        });
        QCOMPARE(atSecond, moved);
    }

    void firstPosition_data()
    {
        QTest::addColumn<QRect>("mainOuter");
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QPoint>("first");
        const QRect screen(0, 0, 1920, 1040);
        const QRect panels(60, 30, 1860, 1010); // task bars on the left and at the top
        // clang-format off
        QTest::newRow("centred, odd difference truncated") << QRect(100, 200, 310, 375) << screen << QPoint(149, 195);
        QTest::newRow("left of the desktop")               << QRect(-83, 400, 310, 375) << screen << QPoint(0, 395);
        QTest::newRow("onto the work area, not to 0")      << QRect(20, 10, 310, 375)   << panels << QPoint(69, 30);
        QTest::newRow("right and below stay as they are")  << QRect(1800, 900, 310, 375) << screen << QPoint(1849, 895);
        // clang-format on
    }

    void firstPosition()
    {
        QFETCH(QRect, mainOuter);
        QFETCH(QRect, workArea);
        QFETCH(QPoint, first);
        QCOMPARE(TForm3::firstPosition(mainOuter, QSize(211, 386), workArea), first);
    }
};

QTEST_MAIN(TestSettingsForm)
#include "tst_settingsform.moc"
