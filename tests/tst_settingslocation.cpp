// Where the settings file goes: beside the executable when its folder is writable by the user,
// else in the user's configuration folder. The folders are checked as an unprivileged user: CI
// runs as root, for whom every folder is writable.

#include "core/filestore.h"
#include "core/inidocument.h"
#include "core/pellimoerror.h"
#include "forms/settingslocation.h"

#include <cerrno>
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

/**
 * For the files beside some executables: the file resolved, the name a start reads ("-" for none)
 * and what a close's save (open, write the name, save) gave: "OK" or the error's message.
 */
struct Outcome
{
    QStringList resolved;
    QStringList names;
    QStringList results;
};

Outcome resolveAndSave(const QStringList& besides)
{
    Outcome o;
    for (const QString& beside : besides) {
        const settingslocation::Location where = settingslocation::resolve(beside);
        o.resolved << where.file;
        try {
            o.names << IniDocument::open(where.readFrom).readString(u"System", u"NAME", QStringLiteral("-"));
            settingslocation::makeFolder(where);
            IniDocument ini = IniDocument::open(where.file);
            ini.writeString(u"System", u"NAME", QStringLiteral("Tester"));
            ini.save(where.file);
            o.results << QStringLiteral("OK");
        } catch (const PellimoError& error) {
            o.results << error.message();
        }
    }
    return o;
}

/**
 * resolveAndSave() as the user nobody, in a child process: the test itself keeps its rights.
 * The answer comes back through a pipe, three lines for each file.
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
                answer += filestore::encodePath(o.resolved[i]) + '\n' + o.names[i].toUtf8() + '\n'
                    + o.results[i].toUtf8() + '\n';
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
    for (qsizetype i = 0; i + 2 < lines.size(); i += 3) {
        o.resolved << filestore::decodePath(lines[i]);
        o.names << QString::fromUtf8(lines[i + 1]);
        o.results << QString::fromUtf8(lines[i + 2]);
    }
    return o;
}

/** Runs resolveAndSave() as an unprivileged user: nobody in a child when root, else this process. */
Outcome resolveAndSaveUnprivileged(const QStringList& besides, const QString& configHome, const QStringList& locked)
{
    if (geteuid() == 0)
        return resolveAndSaveAsNobody(besides, configHome);
    for (const QString& folder : locked)
        chmod(QFile::encodeName(folder).constData(), 0555);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    const Outcome o = resolveAndSave(besides);
    qunsetenv("XDG_CONFIG_HOME");
    for (const QString& folder : locked)
        chmod(QFile::encodeName(folder).constData(), 0755);
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

        // A file beside the program in the locked folder: the user's file starts from it.
        QFile besideFile(lockedBeside);
        QVERIFY(besideFile.open(QIODevice::WriteOnly));
        besideFile.write("[System]\r\nNAME=Beside\r\n[Other]\r\nk=v\r\n");
        besideFile.close();

        if (geteuid() == 0) {
            // The test folder and the locked ones stay root's (0755); the rest is nobody's.
            QVERIFY(chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
            for (const QString& folder : { locked, shared })
                QVERIFY(chmod(QFile::encodeName(folder).constData(), 0755) == 0);
            QVERIFY(chmod(QFile::encodeName(lockedBeside).constData(), 0644) == 0);
            for (const QString& path : { own, config, sharedBeside, latin1 })
                QVERIFY(chown(filestore::encodePath(path).constData(), Nobody, Nobody) == 0);
        }
        const Outcome o = resolveAndSaveUnprivileged(besides, config, { locked, shared });
        const QString userFile = config + u"/pellimo/PLMO_UserSettings.ini";
        QCOMPARE(o.resolved, QStringList({ userFile, ownBeside, sharedBeside, latin1Beside }));
        QCOMPARE(o.names, QStringList({ "Beside", "-", "-", "-" }));
        QCOMPARE(o.results, QStringList({ "OK", "OK", "OK", "OK" }));
        for (const QString& path : { userFile, ownBeside, sharedBeside, latin1Beside }) {
            QByteArray bytes;
            filestore::Reason reason;
            QCOMPARE(filestore::readFile(path, 1 << 20, &bytes, &reason), filestore::ReadResult::Read);
            QVERIFY2(bytes.startsWith("\xEF\xBB\xBF[System]\r\nNAME=Tester\r\n"), qPrintable(path));
        }
        // Taken over whole, other sections too; the file beside is left as it was.
        QVERIFY(IniDocument::open(userFile).readString(u"Other", u"k", QString()) == u"v");
        QCOMPARE(IniDocument::open(lockedBeside).readString(u"System", u"NAME", QString()), QStringLiteral("Beside"));
        // QTemporaryDir cannot name the folder that is not UTF-8 to remove it.
        QVERIFY(unlink(filestore::encodePath(latin1Beside).constData()) == 0);
        QVERIFY(rmdir(filestore::encodePath(latin1).constData()) == 0);
    }

    void saveStartsFrom_data()
    {
        QTest::addColumn<bool>("ownExists");
        QTest::addColumn<QString>("readFrom"); // "own", "beside" or "unreadable" (a folder)
        QTest::addColumn<QString>("expected"); // the hotkey kept in the saved file, "" for none
        QTest::newRow("taken over") << true << "own"
                                    << "Ctrl+F1";
        QTest::newRow("take-over failed: from the file beside") << false << "beside"
                                                                << "Ctrl+F2";
        QTest::newRow("own file written since") << true << "beside"
                                                << "Ctrl+F1";
        QTest::newRow("file beside unreadable") << false << "unreadable"
                                                << "";
    }

    void saveStartsFrom()
    {
        // A save writes its own keys into the document it starts from; what else the file held,
        // such as the hotkeys, must survive a failed take-over.
        QFETCH(bool, ownExists);
        QFETCH(QString, readFrom);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto fileWith = [&](const QString& name, const QString& key) {
            const QString path = dir.filePath(name);
            IniDocument ini = IniDocument::open(path);
            ini.writeString(u"Hotkeys", u"StartStop", key);
            ini.save(path);
            return path;
        };
        settingslocation::Location where { dir.filePath(QStringLiteral("own.ini")), QString(), true };
        if (ownExists)
            fileWith(QStringLiteral("own.ini"), QStringLiteral("Ctrl+F1"));
        where.readFrom = readFrom == u"own" ? where.file
            : readFrom == u"beside"         ? fileWith(QStringLiteral("beside.ini"), QStringLiteral("Ctrl+F2"))
                                            : dir.path();
        IniDocument ini = settingslocation::openForSave(where);
        ini.writeString(u"System", u"NAME", QStringLiteral("Tester"));
        ini.save(where.file);
        const IniDocument saved = IniDocument::open(where.file);
        QCOMPARE(saved.readString(u"System", u"NAME", QString()), QStringLiteral("Tester"));
        QCOMPARE(saved.readString(u"Hotkeys", u"StartStop", QString()), expected);
    }

    void folderThatCannotBeMade()
    {
        // No home, or one the user may not write: the box names the folder and the system's reason.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString locked = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        const QString beside = locked + u"/PLMO_UserSettings.ini";
        const Outcome o = resolveAndSaveUnprivileged({ beside }, locked + u"/config", { locked });
        const QString file = locked + u"/config/pellimo/PLMO_UserSettings.ini";
        QCOMPARE(o.resolved, QStringList { file });
        QCOMPARE(o.results,
                 QStringList { QStringLiteral("ファイル \"%1\" を作成できません。The folder %2 cannot be made: %3")
                                   .arg(file, locked + u"/config/pellimo", qt_error_string(EACCES)) });
    }
};

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "tst_settingslocation.moc"
