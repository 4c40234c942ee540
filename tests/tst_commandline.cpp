// The information options, answered before the single-instance check; every other argument
// means a normal start (which a running instance turns into bringing its window forward).

#include "app/commandline.h"
#include "argv.h"

#include <QtTest>

class TestCommandLine final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void request_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("firstLine"); // empty: a normal start

        QTest::newRow("no arguments") << QStringList() << QString();
        QTest::newRow("version") << QStringList { "--version" } << QStringLiteral("PLMO (Pellimo) " PELLIMO_VERSION);
        QTest::newRow("help") << QStringList { "--help" } << QStringLiteral("Usage: PLMO [--help | --version]");
        QTest::newRow("short help") << QStringList { "-h" } << QStringLiteral("Usage: PLMO [--help | --version]");
        QTest::newRow("first of both wins")
            << QStringList { "--version", "--help" } << QStringLiteral("PLMO (Pellimo) " PELLIMO_VERSION);
        QTest::newRow("after a Qt option")
            << QStringList { "-platform", "xcb", "--version" } << QStringLiteral("PLMO (Pellimo) " PELLIMO_VERSION);
        QTest::newRow("Qt option alone") << QStringList { "-platform", "xcb" } << QString();
        QTest::newRow("unknown option") << QStringList { "--verbose" } << QString();
        QTest::newRow("prefix is not the option") << QStringList { "--vers" } << QString();
        QTest::newRow("after the end of options") << QStringList { "--", "--help" } << QString();
        QTest::newRow("empty argument") << QStringList { "" } << QString();
    }
    void request()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, firstLine);
        const Argv command(args);
        const auto answer = commandline::informationRequest(command.argc(), command.argv());
        QCOMPARE(answer.has_value(), !firstLine.isEmpty());
        if (!answer)
            return;
        QCOMPARE(answer->exitCode, 0);
        const QString text = QString::fromStdString(answer->text);
        QVERIFY(text.endsWith(u'\n'));
        QCOMPARE(text.section(u'\n', 0, 0), firstLine);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
