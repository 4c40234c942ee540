// The single-instance lock, exercised across real processes: this executable re-runs itself as
// a probe that claims the lock, prints 1 when another instance holds it (else 0) and, in "hold"
// mode, keeps running until it is killed.

#include "platform/platform.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* probeVariable = "PELLIMO_LOCK_PROBE";
constexpr int probeWaitMs = 20000;

int runProbe(const QByteArray& mode)
{
    const bool taken = Platform::instance().anotherInstanceRunning();
    std::printf("%d\n", taken ? 1 : 0);
    std::fflush(stdout);
    if (mode == "hold") {
        for (;;) {
            pause();
        }
    }
    return 0;
}

QString privateTmpFolder()
{
    return QStringLiteral("/tmp/pellimo-%1").arg(geteuid());
}

/** Removes the lock files of this test from the private folder, then the folder if it is empty. */
void removeTestLocks(const QString& folder)
{
    QDir dir(folder);
    for (const QString& name : dir.entryList({ QStringLiteral("Pellimo-*-_pellimo-test-*") }, QDir::Files)) {
        dir.remove(name);
    }
    QDir().rmdir(folder); // fails harmlessly while a real instance keeps its lock there
}

/** Environment of a probe: DISPLAY as given, the runtime folder as given (unset when null). */
struct ProbeEnv
{
    QString display;
    QString runtimeDir;
    bool hasRuntimeDir = true;
};

} // namespace

class TestSingleInstance final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QProcess> startProbe(const ProbeEnv& env, const char* mode,
                                         QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment vars = QProcessEnvironment::systemEnvironment();
        vars.insert(QString::fromLatin1(probeVariable), QString::fromLatin1(mode));
        vars.insert(QStringLiteral("DISPLAY"), env.display);
        if (env.hasRuntimeDir) {
            vars.insert(QStringLiteral("XDG_RUNTIME_DIR"), env.runtimeDir);
        } else {
            vars.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        }
        process->setProcessEnvironment(vars);
        process->setProcessChannelMode(channels);
        process->start(QCoreApplication::applicationFilePath(), {});
        return process;
    }

    /** Output of the probe's claim: "1" = another instance runs, "0" = we are first. */
    static QByteArray answer(QProcess& process)
    {
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(probeWaitMs)) {
                return "no answer";
            }
        }
        return process.readLine().trimmed();
    }

    QByteArray claimOnce(const ProbeEnv& env)
    {
        auto process = startProbe(env, "claim");
        const QByteArray result = answer(*process);
        process->waitForFinished(probeWaitMs);
        return result;
    }

    static void killHard(QProcess& process)
    {
        // SIGKILL: the holder gets no chance to clean up, as in a crash.
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        process.waitForFinished(probeWaitMs);
    }

private Q_SLOTS:
    void secondClaim_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("otherFolder");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("same display") << ":42" << false << QByteArray("1");
        QTest::newRow("same display, other screen") << ":42.1" << false << QByteArray("1");
        QTest::newRow("same display, local socket named") << "unix:42" << false << QByteArray("1");
        QTest::newRow("same display, leading zero") << ":042" << false << QByteArray("1");
        QTest::newRow("same display, local protocol named") << "unix/:42.0" << false << QByteArray("1");
        QTest::newRow("other display") << ":43" << false << QByteArray("0");
        QTest::newRow("other host, same number") << "far:42" << false << QByteArray("0");
        QTest::newRow("other session (own runtime folder)") << ":42" << true << QByteArray("0");
    }

    void secondClaim()
    {
        QFETCH(QString, display);
        QFETCH(bool, otherFolder);
        QFETCH(QByteArray, expected);

        QTemporaryDir runtime;
        QTemporaryDir otherRuntime;
        QVERIFY(runtime.isValid() && otherRuntime.isValid());

        auto holder = startProbe({ QStringLiteral(":42"), runtime.path() }, "hold");
        QCOMPARE(answer(*holder), QByteArray("0"));

        const ProbeEnv second { display, otherFolder ? otherRuntime.path() : runtime.path() };
        QCOMPARE(claimOnce(second), expected);
        killHard(*holder);
    }

    void lockFreedWhenHolderDies_data()
    {
        QTest::addColumn<bool>("killed");

        QTest::newRow("killed with SIGKILL") << true;
        QTest::newRow("ended normally") << false;
    }

    void lockFreedWhenHolderDies()
    {
        QFETCH(bool, killed);

        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        const ProbeEnv env { QStringLiteral(":7"), runtime.path() };

        if (killed) {
            auto holder = startProbe(env, "hold");
            QCOMPARE(answer(*holder), QByteArray("0"));
            QCOMPARE(claimOnce(env), QByteArray("1"));
            killHard(*holder);
        } else {
            QCOMPARE(claimOnce(env), QByteArray("0"));
        }
        // The lock file stays behind; only the lock on it must be gone.
        QVERIFY(!QDir(runtime.path()).entryList({ QStringLiteral("Pellimo*") }, QDir::Files).isEmpty());

        auto next = startProbe(env, "hold");
        QCOMPARE(answer(*next), QByteArray("0"));
        QCOMPARE(claimOnce(env), QByteArray("1"));
        killHard(*next);
    }

    void unusableRuntimeFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QByteArray>("second"); // the second start's answer

        // A missing runtime folder is made, as Qt would make it; one that can be neither made nor
        // opened gives way to the private folder under /tmp, where the two starts meet; one that
        // opens but takes no file leaves both without a lock.
        QTest::newRow("missing folder") << "missing" << false << QByteArray("1");
        QTest::newRow("missing folder and parent") << "missing/deeper" << false << QByteArray("1");
        QTest::newRow("a file in place of the folder") << "plain-file" << false << QByteArray("1");
        QTest::newRow("folder without write permission") << "read-only" << true << QByteArray("0");
        QTest::newRow("kernel file system") << "/proc/self" << false << QByteArray("0");
    }

    void unusableRuntimeFolder()
    {
        QFETCH(QString, folder);
        QFETCH(bool, readOnly);
        QFETCH(QByteArray, second);

        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QString path = folder.startsWith(QLatin1Char('/')) ? folder : base.filePath(folder);
        if (folder == QLatin1String("plain-file")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        if (readOnly) {
            if (geteuid() == 0) {
                QSKIP("root writes into read-only folders");
            }
            QVERIFY(QDir().mkdir(path));
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0500) == 0);
        }

        const ProbeEnv env { QStringLiteral(":pellimo-test-%1").arg(QCoreApplication::applicationPid()), path };
        auto first = startProbe(env, "hold");
        QCOMPARE(answer(*first), QByteArray("0"));
        QCOMPARE(claimOnce(env), second);
        killHard(*first);
        removeTestLocks(privateTmpFolder());
    }

    void unusableFolderIsReported()
    {
        // The start takes the lock elsewhere and says why in one line that a user can send us.
        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QString folder = base.filePath(QStringLiteral("missing/deeper"));
        const QString display = QStringLiteral(":pellimo-test-%1").arg(QCoreApplication::applicationPid());
        auto probe = startProbe({ display, folder }, "claim", QProcess::SeparateChannels);
        QCOMPARE(answer(*probe), QByteArray("0"));
        QVERIFY(probe->waitForFinished(probeWaitMs));
        removeTestLocks(privateTmpFolder());
        const QList<QByteArray> lines = probe->readAllStandardError().trimmed().split('\n');
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first(),
                 "pellimo.platform: single-instance lock: cannot open the folder " + QFile::encodeName(folder)
                     + ": No such file or directory; using " + QFile::encodeName(privateTmpFolder()) + " instead");
    }

    void privateTmpFallback()
    {
        const QString folder = privateTmpFolder();
        const ProbeEnv env { QStringLiteral(":pellimo-test-%1").arg(QCoreApplication::applicationPid()), {}, false };

        auto holder = startProbe(env, "hold");
        QCOMPARE(answer(*holder), QByteArray("0"));
        QCOMPARE(claimOnce(env), QByteArray("1"));
        killHard(*holder);

        struct stat st = {};
        QVERIFY(::lstat(QFile::encodeName(folder).constData(), &st) == 0);
        QVERIFY(S_ISDIR(st.st_mode));
        QCOMPARE(st.st_uid, geteuid());
        QCOMPARE(st.st_mode & 0777, mode_t(0700));

        removeTestLocks(folder);
    }

    void foreignLock_data()
    {
        QTest::addColumn<QString>("kind");

        // Root can make both: a file of another user in our folder, and our folder open to all.
        QTest::newRow("lock file of another user, held") << "foreign-file";
        QTest::newRow("runtime folder shared with everyone") << "shared-folder";
    }

    void foreignLock()
    {
        QFETCH(QString, kind);

        if (geteuid() != 0) {
            QSKIP("only root can give a lock file or a folder to another user");
        }
        QTemporaryDir runtime;
        QVERIFY(runtime.isValid());
        const QByteArray folder = QFile::encodeName(runtime.path());
        const QString display = QStringLiteral(":pellimo-test-%1").arg(QCoreApplication::applicationPid());
        const QString lockName
            = QStringLiteral("Pellimo-%1-_pellimo-test-%2.lock").arg(geteuid()).arg(QCoreApplication::applicationPid());
        QFile foreign(runtime.filePath(lockName));
        if (kind == QLatin1String("foreign-file")) {
            // Another user's lock under our name, held: it is not one of our instances.
            QVERIFY(foreign.open(QIODevice::ReadWrite));
            QVERIFY(::fchown(foreign.handle(), 65534, 65534) == 0);
            QVERIFY(::flock(foreign.handle(), LOCK_EX | LOCK_NB) == 0);
        } else {
            QVERIFY(::chmod(folder.constData(), 01777) == 0);
        }

        auto runProbe = [&](const char* mode) {
            auto process = std::make_unique<QProcess>();
            QProcessEnvironment vars = QProcessEnvironment::systemEnvironment();
            vars.insert(QString::fromLatin1(probeVariable), QString::fromLatin1(mode));
            vars.insert(QStringLiteral("DISPLAY"), display);
            vars.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
            process->setProcessEnvironment(vars);
            process->start(QCoreApplication::applicationFilePath(), {});
            return process;
        };
        auto first = runProbe("hold");
        const QByteArray firstAnswer = answer(*first);
        auto second = runProbe("claim");
        const QByteArray secondAnswer = answer(*second);
        second->waitForFinished(probeWaitMs);
        const QString secondErrors = QString::fromLocal8Bit(second->readAllStandardError());
        killHard(*first);
        const QString firstErrors = QString::fromLocal8Bit(first->readAllStandardError());
        removeTestLocks(privateTmpFolder());

        QCOMPARE(firstAnswer, QByteArray("0"));
        if (kind == QLatin1String("foreign-file")) {
            // Both carry on as first instances, and each says why, once.
            QCOMPARE(secondAnswer, QByteArray("0"));
            for (const QString& errors : { firstErrors, secondErrors }) {
                QCOMPARE(errors.count(QStringLiteral("belongs to another user")), 1);
                QVERIFY2(errors.contains(lockName), qPrintable(errors));
            }
        } else {
            // The lock moved to the private folder under /tmp, where the two instances meet.
            QCOMPARE(secondAnswer, QByteArray("1"));
            QVERIFY(QDir(runtime.path()).isEmpty());
            QCOMPARE(firstErrors, QString());
        }
    }

    void untrustedTmpFolder_data()
    {
        QTest::addColumn<QString>("kind");

        QTest::newRow("symlink planted by someone else") << "symlink";
        QTest::newRow("folder open to everyone") << "open";
        QTest::newRow("folder of another user") << "foreign";
    }

    void untrustedTmpFolder()
    {
        QFETCH(QString, kind);

        const QString folder = privateTmpFolder();
        const QByteArray folderPath = QFile::encodeName(folder);
        if (QFileInfo(folder).exists() || QFileInfo(folder).isSymLink()) {
            QSKIP("the private folder exists already; not touching it");
        }
        if (kind == QLatin1String("foreign") && geteuid() != 0) {
            QSKIP("only root can give a folder to another user");
        }

        QTemporaryDir target;
        QVERIFY(target.isValid());
        if (kind == QLatin1String("symlink")) {
            QVERIFY(::symlink(QFile::encodeName(target.path()).constData(), folderPath.constData()) == 0);
        } else {
            QVERIFY(::mkdir(folderPath.constData(), 0700) == 0);
            if (kind == QLatin1String("open")) {
                QVERIFY(::chmod(folderPath.constData(), 0777) == 0);
            } else {
                QVERIFY(::chown(folderPath.constData(), 65534, 65534) == 0);
            }
        }

        // Refusing the folder means no lock: both starts are first instances.
        const ProbeEnv env { QStringLiteral(":pellimo-test-%1").arg(QCoreApplication::applicationPid()), {}, false };
        auto first = startProbe(env, "hold");
        const QByteArray firstAnswer = answer(*first);
        const QByteArray secondAnswer = claimOnce(env);
        killHard(*first);
        const bool nothingWritten = QDir(target.path()).isEmpty() && QDir(folder).isEmpty();

        if (kind == QLatin1String("symlink")) {
            QFile::remove(folder);
        } else {
            removeTestLocks(folder);
        }
        QCOMPARE(firstAnswer, QByteArray("0"));
        QCOMPARE(secondAnswer, QByteArray("0"));
        QVERIFY(nothingWritten);
    }
};

int main(int argc, char** argv)
{
    if (const QByteArray mode = qgetenv(probeVariable); !mode.isEmpty()) {
        // The probe claims before any application object exists, as the program does.
        return runProbe(mode);
    }
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
