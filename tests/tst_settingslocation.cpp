// Where the settings file goes: beside the executable when its folder is writable by the user,
// else in the user's configuration folder. The folders are checked as an unprivileged user: CI
// runs as root, for whom every folder is writable.

#include "inidocument.h"
#include "settingslocation.h"

#include <grp.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

/** Paths resolved for the files beside two executables, and whether a save to each worked. */
struct Outcome
{
    QString fromLocked;
    QString fromOwn;
    bool savedLocked = false;
    bool savedOwn = false;
};

Outcome resolveAndSave(const QString& lockedBeside, const QString& ownBeside)
{
    Outcome o;
    o.fromLocked = settingslocation::resolve(lockedBeside);
    o.fromOwn = settingslocation::resolve(ownBeside);
    IniDocument ini;
    ini.writeString(u"System", u"NAME", QStringLiteral("Tester"));
    try {
        ini.save(o.fromLocked);
        o.savedLocked = true;
        ini.save(o.fromOwn);
        o.savedOwn = true;
    } catch (...) { }
    return o;
}

/**
 * resolveAndSave() as the user nobody, in a child process: the test itself keeps its rights.
 * The answer comes back through a pipe as four lines.
 */
Outcome resolveAndSaveAsNobody(const QString& lockedBeside, const QString& ownBeside, const QString& configHome)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const bool dropped = setgroups(0, nullptr) == 0 && setgid(Nobody) == 0 && setuid(Nobody) == 0;
        qputenv("XDG_CONFIG_HOME", configHome.toLocal8Bit());
        QByteArray answer = "not dropped\n\n0\n0\n";
        if (dropped) {
            const Outcome o = resolveAndSave(lockedBeside, ownBeside);
            answer = o.fromLocked.toUtf8() + '\n' + o.fromOwn.toUtf8() + '\n' + (o.savedLocked ? "1" : "0") + '\n'
                + (o.savedOwn ? "1" : "0") + '\n';
        }
        const ssize_t written = write(fds[1], answer.constData(), size_t(answer.size()));
        _exit(written == answer.size() ? 0 : 1);
    }
    close(fds[1]);
    QByteArray all;
    char buffer[512];
    ssize_t n = 0;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        all.append(buffer, n);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const QList<QByteArray> lines = all.split('\n');
    if (lines.size() < 4)
        return {};
    return { QString::fromUtf8(lines[0]), QString::fromUtf8(lines[1]), lines[2] == "1", lines[3] == "1" };
}

} // namespace

class TestSettingsLocation final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choose_data()
    {
        QTest::addColumn<QString>("beside");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("xdgConfigHome");
        QTest::addColumn<QString>("expected");

        const QString beside = QStringLiteral("/opt/tools/PLMO_UserSettings.ini");
        QTest::newRow("writable folder") << beside << true << "/home/u/cfg" << beside;
        QTest::newRow("installed, XDG_CONFIG_HOME set") << "/usr/bin/PLMO_UserSettings.ini" << false << "/home/u/cfg"
                                                        << "/home/u/cfg/pellimo/PLMO_UserSettings.ini";
        QTest::newRow("installed, XDG_CONFIG_HOME unset") << "/usr/bin/PLMO_UserSettings.ini" << false << ""
                                                          << "/home/u/.config/pellimo/PLMO_UserSettings.ini";
        QTest::newRow("relative XDG_CONFIG_HOME is ignored") << "/usr/bin/PLMO_UserSettings.ini" << false << "cfg"
                                                             << "/home/u/.config/pellimo/PLMO_UserSettings.ini";
        QTest::newRow("trailing slash") << "/usr/bin/PLMO_UserSettings.ini" << false << "/home/u/cfg/"
                                        << "/home/u/cfg/pellimo/PLMO_UserSettings.ini";
        QTest::newRow("other program name, same file") << "/usr/local/bin/pellimo_UserSettings.ini" << false << ""
                                                       << "/home/u/.config/pellimo/PLMO_UserSettings.ini";
    }
    void choose()
    {
        QFETCH(QString, beside);
        QFETCH(bool, writable);
        QFETCH(QString, xdgConfigHome);
        QFETCH(QString, expected);
        QCOMPARE(settingslocation::choose(beside, writable, xdgConfigHome, QStringLiteral("/home/u")), expected);
    }

    void realFoldersAsUnprivilegedUser()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString locked = dir.filePath(QStringLiteral("usr-bin"));
        const QString own = dir.filePath(QStringLiteral("own"));
        const QString config = dir.filePath(QStringLiteral("config"));
        for (const QString& folder : { locked, own, config })
            QVERIFY(QDir().mkpath(folder));
        const QString lockedBeside = locked + u"/PLMO_UserSettings.ini";
        const QString ownBeside = own + u"/PLMO_UserSettings.ini";

        Outcome o;
        if (geteuid() == 0) {
            // The test folder and `locked` stay root's (0755); `own` and `config` are nobody's.
            QVERIFY(chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
            QVERIFY(chmod(QFile::encodeName(locked).constData(), 0755) == 0);
            for (const QString& folder : { own, config })
                QVERIFY(chown(QFile::encodeName(folder).constData(), Nobody, Nobody) == 0);
            o = resolveAndSaveAsNobody(lockedBeside, ownBeside, config);
        } else {
            QVERIFY(chmod(QFile::encodeName(locked).constData(), 0555) == 0);
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
            o = resolveAndSave(lockedBeside, ownBeside);
            qunsetenv("XDG_CONFIG_HOME");
            chmod(QFile::encodeName(locked).constData(), 0755);
        }
        const QString userFile = config + u"/pellimo/PLMO_UserSettings.ini";
        QCOMPARE(o.fromLocked, userFile);
        QCOMPARE(o.fromOwn, ownBeside);
        QVERIFY(o.savedLocked);
        QVERIFY(o.savedOwn);
        QVERIFY(!QFile::exists(lockedBeside));
        QFile saved(userFile);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("\xEF\xBB\xBF[System]\r\nNAME=Tester\r\n\r\n"));
        QVERIFY(QFile::exists(ownBeside));
    }
};

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "tst_settingslocation.moc"
