// The platform chosen before start-up: XWayland in a Wayland session where it exists (a Wayland
// client cannot stay on top or come forward), the native client with a notice where it does not,
// and the user's own choice always kept.

#include "app/sessionplatform.h"
#include "argv.h"

#include <map>
#include <QtTest>

namespace {

using Variables = std::map<std::string, std::string>;

/** "NAME=value" pairs; a pair without "=" names a variable that is unset. */
Variables variables(const QStringList& pairs)
{
    Variables v;
    for (const QString& pair : pairs)
        if (pair.contains(u'='))
            v[pair.section(u'=', 0, 0).toStdString()] = pair.section(u'=', 1).toStdString();
    return v;
}

} // namespace

class TestSessionPlatform final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choose_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("platform"); // empty: Qt's own choice
        QTest::addColumn<QString>("notice"); // a word the notice holds, empty: no notice

        const QStringList none;
        QTest::newRow("X11 session") << QStringList { "DISPLAY=:0", "XDG_SESSION_TYPE=x11" } << none << ""
                                     << "";
        QTest::newRow("Wayland with XWayland")
            << QStringList { "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0" } << none << "xcb"
            << "XWayland";
        QTest::newRow("Wayland by session type only")
            << QStringList { "XDG_SESSION_TYPE=wayland", "DISPLAY=:1" } << none << "xcb"
            << "XWayland";
        QTest::newRow("Wayland without XWayland") << QStringList { "WAYLAND_DISPLAY=wayland-0" } << none << ""
                                                  << "Always on Top";
        QTest::newRow("empty DISPLAY is no XWayland")
            << QStringList { "WAYLAND_DISPLAY=wayland-0", "DISPLAY=" } << none << ""
            << "without XWayland";
        QTest::newRow("user chose wayland")
            << QStringList { "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0", "QT_QPA_PLATFORM=wayland" } << none << ""
            << "";
        QTest::newRow("user chose with -platform")
            << QStringList { "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0" } << QStringList { "-platform", "wayland" } << ""
            << "";
        QTest::newRow("user chose with -platform=")
            << QStringList { "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0" } << QStringList { "-platform=wayland" } << ""
            << "";
        QTest::newRow("empty QT_QPA_PLATFORM is no choice")
            << QStringList { "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:0", "QT_QPA_PLATFORM=" } << none << "xcb"
            << "XWayland";
        QTest::newRow("no display at all") << none << none << ""
                                           << "";
    }
    void choose()
    {
        QFETCH(QStringList, environment);
        QFETCH(QStringList, args);
        QFETCH(QString, platform);
        QFETCH(QString, notice);
        const Variables v = variables(environment);
        const sessionplatform::Environment lookup = [&v](const char* name) -> std::optional<std::string> {
            const auto it = v.find(name);
            return it == v.end() ? std::nullopt : std::optional<std::string>(it->second);
        };
        const Argv command(args);
        const sessionplatform::Choice choice = sessionplatform::choose(lookup, command.argc(), command.argv());
        QCOMPARE(QString::fromStdString(choice.platform.value_or("")), platform);
        const QString text = QString::fromStdString(choice.notice);
        if (notice.isEmpty()) {
            QVERIFY(text.isEmpty());
        } else {
            QVERIFY2(text.contains(notice), qPrintable(text));
            // One line, ending the line.
            QCOMPARE(text.count(u'\n'), 1);
            QVERIFY(text.endsWith(u'\n'));
        }
    }
};

QTEST_GUILESS_MAIN(TestSessionPlatform)
#include "tst_sessionplatform.moc"
