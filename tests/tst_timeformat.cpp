#include "core/timeformat.h"
#include "fakeclock.h"

#include <QTest>

using namespace std::chrono;
using namespace std::chrono_literals;

class TestTimeFormat final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void duration_data()
    {
        QTest::addColumn<qint64>("nanoseconds");
        QTest::addColumn<QString>("timeSep");
        QTest::addColumn<QString>("expected");
        const qint64 ms = 1'000'000;
        // clang-format off
        QTest::newRow("zero") << qint64(0) << ":" << "00:00.000";
        QTest::newRow("3 min 25.120 s") << (205'120 * ms) << ":" << "03:25.120";
        QTest::newRow("half a millisecond rounds up") << (1'234 * ms + 500'000) << ":" << "00:01.235";
        QTest::newRow("just under half rounds down") << (1'234 * ms + 499'999) << ":" << "00:01.234";
        QTest::newRow("rounding carries into the minute") << (59'999 * ms + 600'000) << ":" << "01:00.000";
        QTest::newRow("an hour or more shows total minutes") << (3'723'000 * ms) << ":" << "62:03.000";
        QTest::newRow("locale time separator") << (205'120 * ms) << "." << "03.25.120";
        QTest::newRow("negative shows zero") << (-5 * ms) << ":" << "00:00.000";
        // clang-format on
    }
    void duration()
    {
        QFETCH(qint64, nanoseconds);
        QFETCH(QString, timeSep);
        QFETCH(QString, expected);
        timefmt::Separators seps;
        seps.time = timeSep;
        QCOMPARE(timefmt::formatDuration(std::chrono::nanoseconds(nanoseconds), seps), expected);
    }

    void separators_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("date");
        // clang-format off
        QTest::newRow("en_US") << "en_US" << ":" << "/";
        QTest::newRow("ja_JP") << "ja_JP" << ":" << "/";
        QTest::newRow("de_DE") << "de_DE" << ":" << ".";
        QTest::newRow("fi_FI") << "fi_FI" << "." << ".";
        QTest::newRow("C") << "C" << ":" << "/";
        // clang-format on
    }
    void separators()
    {
        QFETCH(QString, locale);
        QFETCH(QString, time);
        QFETCH(QString, date);
        const timefmt::Separators seps = timefmt::separatorsOf(QLocale(locale));
        QCOMPARE(seps.time, time);
        QCOMPARE(seps.date, date);
    }

    void resultLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example") << "NoName"
                                 << QString::fromUtf8("NoName's record『 03:25.120 』　( 2024/05/01 21:30　by "
                                                      "[PLMO] Pellimo by Vaskorin )");
        QTest::newRow("empty name") << ""
                                    << QString::fromUtf8("'s record『 03:25.120 』　( 2024/05/01 21:30　by "
                                                         "[PLMO] Pellimo by Vaskorin )");
    }
    void resultLine()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const timefmt::Separators seps;
        const QString line
            = timefmt::resultLine(name, timefmt::formatDuration(205'120ms, seps),
                                  timefmt::formatDateTime(QDateTime(QDate(2024, 5, 1), QTime(21, 30, 59)), seps),
                                  QStringLiteral("[PLMO] Pellimo by Vaskorin"));
        QCOMPARE(line, expected);
    }

    void stopwatchAcrossClockChanges_data()
    {
        QTest::addColumn<qint64>("wallJumpMs");
        QTest::newRow("no jump") << qint64(0);
        QTest::newRow("clock set back an hour") << qint64(-3'600'000);
        QTest::newRow("clock set forward an hour") << qint64(3'600'000);
        QTest::newRow("across midnight") << qint64(-86'400'000);
    }
    void stopwatchAcrossClockChanges()
    {
        QFETCH(qint64, wallJumpMs);
        FakeClock clock;
        clock.setWall(QDateTime(QDate(2024, 5, 1), QTime(23, 59, 50)));
        Stopwatch sw(clock);
        sw.start(true);
        clock.advance(5s);
        clock.jumpWallClock(wallJumpMs);
        clock.advance(15s);
        QCOMPARE(sw.stop(), nanoseconds(20s));
    }

    void stopwatchResumeSumsStretches()
    {
        FakeClock clock;
        Stopwatch sw(clock);
        sw.start(true);
        clock.advance(2s);
        QCOMPARE(sw.stop(), nanoseconds(2s));
        clock.advance(100s); // the pause does not count
        sw.start(false);
        clock.advance(3s);
        QCOMPARE(sw.tick(), nanoseconds(5s));
        clock.advance(1s);
        QCOMPARE(sw.stop(), nanoseconds(6s));
        sw.start(true); // a fresh start forgets the stored stretch
        clock.advance(1s);
        QCOMPARE(sw.stop(), nanoseconds(1s));
    }
};

QTEST_GUILESS_MAIN(TestTimeFormat)
#include "tst_timeformat.moc"
