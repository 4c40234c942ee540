#include "fakeclock.h"
#include "widgets/glassbutton.h"
#include "windowsfixture.h"

#include <memory>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <utility>

using namespace std::chrono_literals;

class TestStopwatchForm final : public QObject
{
    Q_OBJECT

    FakeClock m_clock;
    std::unique_ptr<WindowsFixture> m_windows;
    TForm1* m_form = nullptr;

    QString label() const { return m_form->lblTIME->text(); }
    /** A click as the user makes it: on a disabled button it does nothing. */
    static void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    const QStringList& errors() const { return m_windows->errors; }

private Q_SLOTS:
    void init()
    {
        m_windows = std::make_unique<WindowsFixture>(QByteArray(), &m_clock);
        m_form = Form1;
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    void cleanup()
    {
        m_form = nullptr;
        m_windows.reset();
    }

    void resetState()
    {
        QCOMPARE(label(), QStringLiteral("00:00.000"));
        QVERIFY(!m_form->Timer1->isActive());
        QCOMPARE(m_form->Timer1->interval(), 300);
        QVERIFY(m_form->btnSTA->isEnabled());
        QVERIFY(!m_form->btnEND->isEnabled());
        QVERIFY(!m_form->btnCOPY->isEnabled());
        QVERIFY(m_form->btnAllClear->isEnabled());
    }

    void startStopResumeSums()
    {
        click(m_form->btnSTA);
        QVERIFY(m_form->Timer1->isActive());
        QVERIFY(!m_form->btnSTA->isEnabled());
        QVERIFY(m_form->btnEND->isEnabled());
        QVERIFY(!m_form->btnCOPY->isEnabled());
        m_clock.advance(2s);
        m_form->Timer1Timer();
        QCOMPARE(label(), QStringLiteral("00:02.000"));
        m_clock.advance(500ms);
        click(m_form->btnEND);
        QCOMPARE(label(), QStringLiteral("00:02.500"));
        QVERIFY(!m_form->Timer1->isActive());
        QVERIFY(m_form->btnCOPY->isEnabled());
        QVERIFY(m_form->btnSTA->isEnabled());

        m_clock.advance(60s); // paused time does not count
        click(m_form->btnSTA);
        QVERIFY(m_form->btnCOPY->isEnabled()); // Start leaves Copy as it was
        m_clock.advance(3s);
        click(m_form->btnEND);
        QCOMPARE(label(), QStringLiteral("00:05.500"));
    }

    void reStartThenStartIsFresh()
    {
        click(m_form->btnSTA);
        m_clock.advance(7s);
        click(m_form->btnEND);
        click(m_form->btnAllClear);
        QCOMPARE(label(), QStringLiteral("00:00.000"));
        QVERIFY(!m_form->btnCOPY->isEnabled());
        click(m_form->btnSTA);
        m_clock.advance(1s);
        click(m_form->btnEND);
        QCOMPARE(label(), QStringLiteral("00:01.000"));
    }

    void stopShowingZeroMakesNextStartFresh()
    {
        click(m_form->btnSTA);
        m_clock.advance(400us);
        click(m_form->btnEND);
        QCOMPARE(label(), QStringLiteral("00:00.000"));
        click(m_form->btnSTA);
        m_clock.advance(1000200us);
        click(m_form->btnEND);
        QCOMPARE(label(), QStringLiteral("00:01.000")); // a resume would give 00:01.001
    }

    void longAttemptShowsTotalMinutes()
    {
        click(m_form->btnSTA);
        m_clock.advance(1h + 2min + 3s);
        click(m_form->btnEND);
        QCOMPARE(label(), QStringLiteral("62:03.000"));
    }

    void clearLeavesStopwatchRunning()
    {
        click(m_form->btnSTA);
        click(m_form->btnBtnClear);
        QVERIFY(m_form->Timer1->isActive());
        QVERIFY(m_form->btnEND->isEnabled());
    }

    void startMakesTreeTextBlack()
    {
        m_form->treeButton(3)->setFontColor(0x0000FF);
        click(m_form->btnSTA);
        for (int t = 1; t <= 16; ++t)
            QCOMPARE(m_form->treeButton(t)->fontColor(), TColor(0));
    }

    void localeSeparators()
    {
        // A locale that writes "21.30" and "1.5.2024": the label and the line follow it, the
        // reset text keeps its colon.
        QLocale::setDefault(QLocale(QStringLiteral("fi_FI")));
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
        m_clock.setWall(QDateTime(QDate(2024, 5, 1), QTime(21, 30)));
        m_form->edtNAME->setText(QStringLiteral("Vask"));
        click(m_form->btnSTA);
        m_clock.advance(62s + 5ms);
        m_form->Timer1Timer();
        QCOMPARE(label(), QStringLiteral("01.02.005"));
        click(m_form->btnEND);
        QCOMPARE(label(), QStringLiteral("01.02.005"));
        QVERIFY(runGuarded([this] { click(m_form->btnCOPY); }));
        QCOMPARE(
            QGuiApplication::clipboard()->text(),
            QString::fromUtf8("Vask's record『 01.02.005 』　( 2024.05.01 21.31　by [PLMO] Pellimo by Vaskorin )"));
        click(m_form->btnAllClear);
        QCOMPARE(label(), QStringLiteral("00:00.000"));
    }

    void copyFailsWhenAnotherProgramKeepsTheClipboard()
    {
        click(m_form->btnSTA);
        m_clock.advance(3s);
        click(m_form->btnEND);
        // Another client takes the selection straight back, as a clipboard manager that fights over it.
        QClipboard* clipboard = QGuiApplication::clipboard();
        bool taking = false;
        const auto thief = connect(clipboard, &QClipboard::changed, this, [&] {
            if (std::exchange(taking, true))
                return;
            clipboard->setText(QStringLiteral("someone else's text"));
            taking = false;
        });
        // The handler itself, not a click: the error would unwind through Qt's event delivery,
        // which in a test has no guard to stop it, and leave that delivery's state behind.
        const bool ok = runGuarded([this] { m_form->btnCOPYClick(); });
        disconnect(thief);
        QVERIFY(!ok);
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors()[0].startsWith(QString::fromUtf8("クリップボード ")), qPrintable(errors()[0]));
        QVERIFY2(errors()[0].contains(QString::fromUtf8(" を開けません")), qPrintable(errors()[0]));
        // The stopwatch is as it was: the time stays, Copy can be tried again.
        QCOMPARE(label(), QStringLiteral("00:03.000"));
        QVERIFY(m_form->btnCOPY->isEnabled());
        QVERIFY(m_form->btnSTA->isEnabled());
        QVERIFY(!m_form->btnEND->isEnabled());
        QVERIFY(!m_form->Timer1->isActive());
    }

    void copyWhileRunningCopiesLastTick()
    {
        m_form->edtNAME->setText(QStringLiteral("Vask"));
        click(m_form->btnSTA);
        m_clock.advance(2s);
        click(m_form->btnEND);
        click(m_form->btnSTA); // resume
        m_clock.advance(1s);
        m_form->Timer1Timer();
        m_clock.advance(250ms); // the click comes after the tick
        QVERIFY(runGuarded([this] { click(m_form->btnCOPY); }));
        QVERIFY(errors().isEmpty());
        const QString text = QGuiApplication::clipboard()->text();
        const QString expectedStart = QString::fromUtf8("Vask's record『 00:03.000 』　( ");
        QVERIFY2(text.startsWith(expectedStart), qPrintable(text));
        QVERIFY2(text.endsWith(QString::fromUtf8("　by [PLMO] Pellimo by Vaskorin )")), qPrintable(text));
        QVERIFY(!text.contains(u'\n'));
    }
};

QTEST_MAIN(TestStopwatchForm)
#include "tst_stopwatchform.moc"
