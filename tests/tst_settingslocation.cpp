// Where the settings file goes: beside the executable when its folder is writable by the user,
// else in the user's configuration folder. The folders are checked as an unprivileged user: CI
// runs as root, for whom every folder is writable.

#include "filestore.h"
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

/** Paths resolved for the files beside some executables, and whether a save to each worked. */
struct Outcome
{
    QStringList resolved;
    QList<bool> saved;
};

Outcome resolveAndSave(const QStringList& besides)
{
    Outcome o;
    IniDocument ini;
    ini.writeString(u"System", u"NAME", QStringLiteral("Tester"));
    for (const QString& beside : besides) {
        o.resolved << settingslocation::resolve(beside);
        try {
            ini.save(o.resolved.last());
            o.saved << true;
        } catch (...) {
            o.saved << false;
        }
    }
    return o;
}

/**
 * resolveAndSave() as the user nobody, in a child process: the test itself keeps its rights.
 * The answer comes back through a pipe, a line with the path and "1" or "0" for each file.
 */
Outcome resolveAndSaveAsNobody(const QStringList& besides, const QString& configHome)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const bool dropped = setgroups(0, nullptr) == 0 && setgid(Nobody) == 0 && setuid(Nobody) == 0;
        qputenv("XDG_CONFIG_HOME", configHome.toLocal8Bit());
        QByteArray answer = "not dropped\n";
        if (dropped) {
            const Outcome o = resolveAndSave(besides);
            answer.clear();
            for (qsizetype i = 0; i < o.resolved.size(); ++i)
                answer += filestore::encodePath(o.resolved[i]) + '\n' + (o.saved[i] ? "1" : "0") + '\n';
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
    Outcome o;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        o.resolved << filestore::decodePath(lines[i]);
        o.saved << (lines[i + 1] == "1");
    }
    return o;
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
        QTest::newRow("writable beside") << beside << true << "/home/u/cfg" << beside;
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
        const QString shared = dir.filePath(QStringLiteral("shared")); // locked, with a file for the user
        const QString config = dir.filePath(QStringLiteral("config"));
        // A folder named in another encoding than UTF-8 is asked about by its own bytes.
        const QString latin1 = filestore::decodePath(QFile::encodeName(dir.path()) + "/caf\xE9");
        for (const QString& folder : { locked, own, shared, config })
            QVERIFY(QDir().mkpath(folder));
        QVERIFY(mkdir(filestore::encodePath(latin1).constData(), 0755) == 0);
        const QString lockedBeside = locked + u"/PLMO_UserSettings.ini";
        const QString ownBeside = own + u"/PLMO_UserSettings.ini";
        const QString sharedBeside = shared + u"/PLMO_UserSettings.ini";
        QFile prepared(sharedBeside);
        QVERIFY(prepared.open(QIODevice::WriteOnly));
        prepared.close();
        const QString latin1Beside = latin1 + u"/PLMO_UserSettings.ini";
        const QStringList besides { lockedBeside, ownBeside, sharedBeside, latin1Beside };

        Outcome o;
        if (geteuid() == 0) {
            // The test folder and the locked ones stay root's (0755); the rest is nobody's.
            QVERIFY(chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
            for (const QString& folder : { locked, shared })
                QVERIFY(chmod(QFile::encodeName(folder).constData(), 0755) == 0);
            for (const QString& path : { own, config, sharedBeside, latin1 })
                QVERIFY(chown(filestore::encodePath(path).constData(), Nobody, Nobody) == 0);
            o = resolveAndSaveAsNobody(besides, config);
        } else {
            for (const QString& folder : { locked, shared })
                QVERIFY(chmod(QFile::encodeName(folder).constData(), 0555) == 0);
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
            o = resolveAndSave(besides);
            qunsetenv("XDG_CONFIG_HOME");
            for (const QString& folder : { locked, shared })
                chmod(QFile::encodeName(folder).constData(), 0755);
        }
        const QString userFile = config + u"/pellimo/PLMO_UserSettings.ini";
        QCOMPARE(o.resolved, QStringList({ userFile, ownBeside, sharedBeside, latin1Beside }));
        QCOMPARE(o.saved, QList<bool>({ true, true, true, true }));
        QVERIFY(!QFile::exists(lockedBeside));
        for (const QString& path : { userFile, ownBeside, sharedBeside, latin1Beside }) {
            QByteArray bytes;
            filestore::Reason reason;
            QCOMPARE(filestore::readFile(path, 1 << 20, &bytes, &reason), filestore::ReadResult::Read);
            QVERIFY2(bytes.startsWith("\xEF\xBB\xBF[System]\r\nNAME=Tester\r\n"), qPrintable(path));
        }
        // QTemporaryDir cannot name the folder that is not UTF-8 to remove it.
        QVERIFY(unlink(filestore::encodePath(latin1Beside).constData()) == 0);
        QVERIFY(rmdir(filestore::encodePath(latin1).constData()) == 0);
    }
};

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "tst_settingslocation.moc"
