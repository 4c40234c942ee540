// The settings file against a hostile file system: permissions, directories, huge files, a full
// disk, FIFOs, odd folder names, owners and a process killed in the middle of a save. This executable re-runs itself as
// the child that opens or saves, as the unprivileged user "nobody" where permissions matter (root ignores them).

#include "core/filestore.h"
#include "core/filestore_p.h"
#include "core/inidocument.h"
#include "core/pellimoerror.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t NobodyId = 65534;
constexpr int ChildWaitMs = 60000;
constexpr int CrashRuns = 250;
constexpr int CrashMaxDelayUs = 20000;
constexpr int CrashLines = 1000;
const QByteArray OldContent = "[System]\r\nNAME = before\r\nForm1Top2=7\r\n";

/** The edit every save child makes: what a close of the main window writes. */
void applyEdit(IniDocument& document)
{
    document.writeString(u"System", u"NAME", QStringLiteral("after"));
    document.writeInteger(u"System", u"Form1Top2", 326);
}

/** What the settings dialog's OK writes. */
void applyDisplayEdit(IniDocument& document)
{
    for (const QStringView key : { u"iSettingsBtnBGColor", u"iSettingsTreeBtnTxtColor", u"iSettingsTreeBtnTxtBold",
                                   u"iSettingsTokuBtnTxtColor", u"iSettingsTokuBtnTxtBold" })
        document.writeInteger(u"System", key, 1);
}

QByteArray editedContent(const QByteArray& before)
{
    IniDocument document = IniDocument::fromBytes(before);
    applyEdit(document);
    return document.toBytes();
}

/** One of the two large documents the crash child saves in turn; they differ in every line and in length. */
IniDocument crashDocument(char fill)
{
    const int lines = fill == 'A' ? CrashLines : CrashLines + CrashLines / 3;
    QByteArray input = "[System]\r\n";
    for (int i = 0; i < lines; ++i)
        input += "k" + QByteArray::number(i) + "=" + QByteArray(400, fill) + "\r\n";
    return IniDocument::fromBytes(input);
}

void print(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

/**
 * The child's side: "open PATH", "save PATH" (close-time keys), "save-display PATH" or
 * "save-loop PATH"; prints "OK" or the error's message.
 */
int runChild(const QStringList& arguments)
{
    if (arguments.size() != 2)
        return 2;
    const QString& action = arguments[0];
    const QString& path = arguments[1];
    try {
        if (action == u"open") {
            IniDocument::open(path);
        } else if (action == u"save" || action == u"save-display") {
            IniDocument document = IniDocument::open(path);
            if (action == u"save")
                applyEdit(document);
            else
                applyDisplayEdit(document);
            document.save(path);
        } else if (action == u"save-loop") {
            const IniDocument documents[] = { crashDocument('B'), crashDocument('A') };
            print(QStringLiteral("ready"));
            for (;;) {
                for (const IniDocument& document : documents) {
                    document.save(path);
                    print(QStringLiteral("saved"));
                }
            }
        } else {
            return 2;
        }
    } catch (const PellimoError& error) {
        print(error.message());
        return 0;
    }
    print(QStringLiteral("OK"));
    return 0;
}

QString openErrorPrefix(const QString& path)
{
    return QStringLiteral("ファイル %1 は開けません。 ").arg(path);
}

QString createErrorPrefix(const QString& path)
{
    return QStringLiteral("ファイル \"%1\" を作成できません。").arg(path);
}

/** True when @p message is the prefix followed by a non-empty reason and then @p suffix. */
bool hasReason(const QString& message, const QString& prefix, const QString& suffix)
{
    return message.startsWith(prefix) && message.endsWith(suffix) && message.size() > prefix.size() + suffix.size()
        && !message.at(prefix.size()).isSpace();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/** The document the program reads from these file bytes, in the bytes it would save. */
QByteArray contentAsRead(const QByteArray& bytes)
{
    return IniDocument::fromBytes(filestore::committedContent(bytes)).toBytes();
}

/** Names in a folder, hidden ones included. */
QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

/** Writes to @p fd until the file system has no byte left. */
void fillToTheBrim(int fd)
{
    const QByteArray block(4096, 'x');
    for (qsizetype size = block.size(); size > 0; size /= 2) {
        while (::write(fd, block.constData(), size_t(size)) == ssize_t(size)) { }
    }
}

/** A fault injected into a save's system calls: calls `from` to `to` (counted from 1) of `call` fail with `error`. */
struct Injection
{
    QByteArray call;
    int from = 0;
    int to = 0;
    int error = 0;
    bool inPlace = false; // no temporary file can be made beside: the save goes in place
    QHash<QByteArray, int> counts;
};
Injection injection;

bool injected(const char* call)
{
    const int count = ++injection.counts[call];
    if (injection.call != call || count < injection.from || count > injection.to)
        return false;
    errno = injection.error;
    return true;
}

void installInjection()
{
    injection = Injection();
    filestore::detail::systemCalls() = {
        [](int fd, const void* data, size_t size, off_t at) -> ssize_t {
            return injected("pwrite") ? -1 : ::pwrite(fd, data, size, at);
        },
        [](int fd) { return injected("fsync") ? -1 : ::fsync(fd); },
        [](int fd, off_t size) { return injected("ftruncate") ? -1 : ::ftruncate(fd, size); },
        [](char* name, int flags) {
            if (injection.inPlace) {
                errno = EACCES;
                return -1;
            }
            return injected("mkostemp") ? -1 : ::mkostemp(name, flags);
        },
    };
}

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

} // namespace

class TestSettingsFaults final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void unprivilegedSave_data();
    void unprivilegedSave();
    void unreadableFileFailsToOpen();
    void directoryPath();
    void missingFolderFailsToSave();
    void sizeLimit_data();
    void sizeLimit();
    void notRegularFile_data();
    void notRegularFile();
    void replaceKeepsOwnerAndMode_data();
    void replaceKeepsOwnerAndMode();
    void folderNameNotUtf8();
    void staleTemporaries_data();
    void staleTemporaries();
    void pendingCopy_data();
    void pendingCopy();
    void fullDisk_data();
    void fullDisk();
    void injectedFaults_data();
    void injectedFaults();
    void newFileModeFollowsUmask_data();
    void newFileModeFollowsUmask();
    void danglingLink_data();
    void danglingLink();
    void oversizedSaveRefused();
    void killedSaveLeavesOldOrNew_data();
    void killedSaveLeavesOldOrNew();

private:
    /** Mounts a small tmpfs at @p folder (root only), or explains in @p reason why not. */
    bool mountSmallDisk(const QString& folder, QString* reason);

    /** Makes the unprivileged child possible, or skips the test with the reason. */
    bool prepareUnprivileged(QString* reason);
    /** Runs this executable as the child; "nobody" when this process is root. */
    QString runChild(const QStringList& arguments, bool unprivileged);
    /** Gives @p path to the child's user with @p mode. */
    bool handOver(const QString& path, mode_t mode);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_childProgram;
    QString m_mounted;
    bool m_root = false;
};

void TestSettingsFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_root = geteuid() == 0;
    m_childProgram = QCoreApplication::applicationFilePath();
    installInjection();
    // The folders under it belong to the child's user; this one only has to let it pass.
    QVERIFY(QFile::setPermissions(m_dir->path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                      | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
}

void TestSettingsFaults::cleanup()
{
    if (!m_mounted.isEmpty()) {
        ::umount2(QFile::encodeName(m_mounted).constData(), MNT_DETACH);
        m_mounted.clear();
    }
    // Give write access back, so that an unprivileged run can remove what it made.
    if (m_dir) {
        const QString path = m_dir->path();
        for (const QString& name : QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            ::chmod(QFile::encodeName(path + u'/' + name).constData(), 0755);
    }
    m_dir.reset();
}

bool TestSettingsFaults::prepareUnprivileged(QString* reason)
{
    if (!m_root)
        return true;
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
        *reason = QStringLiteral("setpriv is not installed; running as root, permission bits stop nothing, so "
                                 "these cases need it to run as an unprivileged user");
        return false;
    }
    // The build folder may be closed to "nobody": give the child a copy it can run.
    const QString copy = m_dir->filePath(QStringLiteral("child"));
    if (!QFile::exists(copy) && !QFile::copy(QCoreApplication::applicationFilePath(), copy)) {
        *reason = QStringLiteral("cannot copy the test executable for the unprivileged child");
        return false;
    }
    ::chmod(QFile::encodeName(copy).constData(), 0755);
    m_childProgram = copy;
    if (runChild({ QStringLiteral("open"), m_dir->filePath(QStringLiteral("none")) }, true) != u"OK") {
        *reason = QStringLiteral("setpriv cannot switch to user %1 here").arg(NobodyId);
        return false;
    }
    return true;
}

QString TestSettingsFaults::runChild(const QStringList& arguments, bool unprivileged)
{
    QProcess process;
    QStringList all = { QStringLiteral("--child") };
    all += arguments;
    if (unprivileged && m_root) {
        all.prepend(m_childProgram);
        all = QStringList { QStringLiteral("--reuid=%1").arg(NobodyId), QStringLiteral("--regid=%1").arg(NobodyId),
                            QStringLiteral("--clear-groups") }
            + all;
        process.setProgram(QStringLiteral("setpriv"));
    } else {
        process.setProgram(m_childProgram);
    }
    process.setArguments(all);
    process.setWorkingDirectory(m_dir->path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The sanitizer's leak check may not run in a process that changed its user; the parent runs it.
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    process.setProcessEnvironment(environment);
    process.start();
    if (!process.waitForFinished(ChildWaitMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        qWarning() << "child failed:" << process.readAllStandardError();
        return QStringLiteral("<child failed>");
    }
    QString output = QString::fromUtf8(process.readAllStandardOutput());
    output.chop(output.endsWith(u'\n') ? 1 : 0);
    return output;
}

bool TestSettingsFaults::handOver(const QString& path, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    if (m_root && ::chown(name.constData(), NobodyId, NobodyId) != 0)
        return false;
    return ::chmod(name.constData(), mode) == 0;
}

void TestSettingsFaults::unprivilegedSave_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("fileMode"); // 0: no file
    QTest::addColumn<bool>("saves");

    // clang-format off
    QTest::newRow("writable folder and file")        << 0755 << 0644 << true;
    QTest::newRow("permissions of the file kept")    << 0755 << 0604 << true;
    QTest::newRow("read-only file")                  << 0755 << 0444 << false;
    QTest::newRow("read-only folder, writable file") << 0555 << 0644 << true;
    QTest::newRow("read-only folder and file")       << 0555 << 0444 << false;
    QTest::newRow("read-only folder, no file")       << 0555 << 0    << false;
    // clang-format on
}

void TestSettingsFaults::unprivilegedSave()
{
    QFETCH(int, folderMode);
    QFETCH(int, fileMode);
    QFETCH(bool, saves);

    QString reason;
    if (!prepareUnprivileged(&reason))
        QSKIP(qPrintable(reason));

    const QString folder = m_dir->filePath(QStringLiteral("app"));
    const QString path = folder + QStringLiteral("/PLMO_UserSettings.ini");
    QVERIFY(QDir().mkdir(folder));
    if (fileMode != 0) {
        QVERIFY(writeFile(path, OldContent));
        QVERIFY(handOver(path, mode_t(fileMode)));
    }
    QVERIFY(handOver(folder, mode_t(folderMode)));

    const QString output = runChild({ QStringLiteral("save"), path }, true);
    if (saves) {
        QCOMPARE(output, QStringLiteral("OK"));
        QCOMPARE(readFile(path), editedContent(fileMode != 0 ? OldContent : QByteArray()));
        QCOMPARE(modeOf(path), mode_t(fileMode));
    } else {
        QVERIFY2(hasReason(output, createErrorPrefix(path), QString()), qPrintable(output));
        if (fileMode != 0) {
            QCOMPARE(readFile(path), OldContent);
            QCOMPARE(modeOf(path), mode_t(fileMode));
        } else {
            QVERIFY(!QFileInfo::exists(path));
        }
    }
    // Nothing left beside the file, not even a temporary one.
    const QStringList expected = fileMode != 0 || saves ? QStringList { QFileInfo(path).fileName() } : QStringList {};
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), expected);
}

void TestSettingsFaults::unreadableFileFailsToOpen()
{
    QString reason;
    if (!prepareUnprivileged(&reason))
        QSKIP(qPrintable(reason));

    const QString folder = m_dir->filePath(QStringLiteral("app"));
    const QString path = folder + QStringLiteral("/PLMO_UserSettings.ini");
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(writeFile(path, OldContent));
    QVERIFY(handOver(path, 0200));
    QVERIFY(handOver(folder, 0755));

    const QString output = runChild({ QStringLiteral("open"), path }, true);
    QVERIFY2(hasReason(output, openErrorPrefix(path), QStringLiteral(" ")), qPrintable(output));

    // The close-time save must not go ahead on a document it could not read.
    QVERIFY2(hasReason(runChild({ QStringLiteral("save"), path }, true), openErrorPrefix(path), QStringLiteral(" ")),
             "save child");
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0600) == 0); // to read it back when not root
    QCOMPARE(readFile(path), OldContent);
}

void TestSettingsFaults::directoryPath()
{
    const QString path = m_dir->filePath(QStringLiteral("PLMO_UserSettings.ini"));
    QVERIFY(QDir().mkdir(path));

    try {
        IniDocument::open(path);
        QFAIL("opening a directory succeeded");
    } catch (const PellimoError& error) {
        QVERIFY2(hasReason(error.message(), openErrorPrefix(path), QStringLiteral(" ")), qPrintable(error.message()));
    }

    try {
        IniDocument document;
        applyEdit(document);
        document.save(path);
        QFAIL("saving over a directory succeeded");
    } catch (const PellimoError& error) {
        QVERIFY2(hasReason(error.message(), createErrorPrefix(path), QString()), qPrintable(error.message()));
    }
    QVERIFY(QFileInfo(path).isDir());
}

void TestSettingsFaults::missingFolderFailsToSave()
{
    const QString path = m_dir->filePath(QStringLiteral("gone/PLMO_UserSettings.ini"));
    IniDocument document;
    applyEdit(document);
    try {
        document.save(path);
        QFAIL("saving into a missing folder succeeded");
    } catch (const PellimoError& error) {
        QCOMPARE(error.message(),
                 createErrorPrefix(path)
                     + QStringLiteral("The folder %1 does not exist (any more)").arg(m_dir->filePath("gone")));
    }
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("gone"))));
}

void TestSettingsFaults::sizeLimit_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("opens");

    QTest::newRow("16 MiB") << IniDocument::MaxFileSize << true;
    QTest::newRow("16 MiB and one byte") << IniDocument::MaxFileSize + 1 << false;
    QTest::newRow("20 MiB") << qint64(20) * 1024 * 1024 << false;
}

void TestSettingsFaults::sizeLimit()
{
    QFETCH(qint64, size);
    QFETCH(bool, opens);

    // A valid settings file padded with a huge line in another section.
    const QByteArray head = "[System]\r\nForm1Top2=5\r\n[Pad]\r\nx=";
    QByteArray content = head + QByteArray(size - head.size() - 2, 'x') + "\r\n";
    QCOMPARE(qint64(content.size()), size);
    const QString path = m_dir->filePath(QStringLiteral("PLMO_UserSettings.ini"));
    QVERIFY(writeFile(path, content));

    try {
        const IniDocument document = IniDocument::open(path);
        QVERIFY(opens);
        QCOMPARE(document.readInteger(u"System", u"Form1Top2", 0), 5);
    } catch (const PellimoError& error) {
        QVERIFY2(!opens, qPrintable(error.message()));
        QVERIFY2(hasReason(error.message(), openErrorPrefix(path), QStringLiteral(" ")), qPrintable(error.message()));
    }
    QCOMPARE(readFile(path), content);
}

void TestSettingsFaults::notRegularFile_data()
{
    QTest::addColumn<QString>("kind");

    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("symlink to a FIFO") << "link-fifo";
    QTest::newRow("character device") << "device";
    QTest::newRow("socket") << "socket";
}

void TestSettingsFaults::notRegularFile()
{
    QFETCH(QString, kind);

    const QString path = m_dir->filePath(QStringLiteral("PLMO_UserSettings.ini"));
    const QByteArray name = QFile::encodeName(path);
    const QByteArray fifo = QFile::encodeName(m_dir->filePath(QStringLiteral("fifo")));
    if (kind == u"fifo") {
        QVERIFY(::mkfifo(name.constData(), 0644) == 0);
    } else if (kind == u"link-fifo") {
        QVERIFY(::mkfifo(fifo.constData(), 0644) == 0);
        QVERIFY(::symlink(fifo.constData(), name.constData()) == 0);
    } else if (kind == u"device") {
        QVERIFY(::symlink("/dev/null", name.constData()) == 0);
    } else {
        QVERIFY(::mknod(name.constData(), S_IFSOCK | 0644, 0) == 0);
    }
    struct stat before = {};
    QVERIFY(::stat(name.constData(), &before) == 0);

    // In a child: opening a FIFO for reading would wait for a writer forever.
    QCOMPARE(runChild({ QStringLiteral("open"), path }, false), openErrorPrefix(path) + "Not a regular file ");
    QCOMPARE(runChild({ QStringLiteral("save"), path }, false), openErrorPrefix(path) + "Not a regular file ");
    try {
        IniDocument document;
        applyEdit(document);
        document.save(path);
        QFAIL("saving over something other than a file succeeded");
    } catch (const PellimoError& error) {
        QCOMPARE(error.message(), createErrorPrefix(path) + "Not a regular file");
    }
    struct stat after = {};
    QVERIFY(::stat(name.constData(), &after) == 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
}

void TestSettingsFaults::replaceKeepsOwnerAndMode_data()
{
    QTest::addColumn<uint>("owner");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("throughSymlink");

    // Run once as root over a user's file, the file must stay the user's.
    QTest::newRow("another user's file (root saves)") << uint(NobodyId) << 0640 << false;
    QTest::newRow("own file, private mode") << uint(geteuid()) << 0600 << false;
    QTest::newRow("own file, set-group-id") << uint(geteuid()) << 02664 << false;
    QTest::newRow("through a symlink") << uint(NobodyId) << 0604 << true;
}

void TestSettingsFaults::replaceKeepsOwnerAndMode()
{
    QFETCH(uint, owner);
    QFETCH(int, mode);
    QFETCH(bool, throughSymlink);

    if (owner != geteuid() && !m_root)
        QSKIP("only root may save over another user's file and give it back");
    const QString file = m_dir->filePath(QStringLiteral("real.ini"));
    const QString path = throughSymlink ? m_dir->filePath(QStringLiteral("PLMO_UserSettings.ini")) : file;
    QVERIFY(writeFile(file, OldContent));
    const QByteArray fileName = QFile::encodeName(file);
    QVERIFY(::chown(fileName.constData(), owner, owner) == 0);
    QVERIFY(::chmod(fileName.constData(), mode_t(mode)) == 0);
    if (throughSymlink)
        QVERIFY(::symlink(fileName.constData(), QFile::encodeName(path).constData()) == 0);

    IniDocument document = IniDocument::open(path);
    applyEdit(document);
    document.save(path);

    struct stat info = {};
    QVERIFY(::stat(fileName.constData(), &info) == 0);
    QCOMPARE(uint(info.st_uid), owner);
    QCOMPARE(uint(info.st_gid), owner);
    QCOMPARE(int(info.st_mode & 07777), mode);
    QCOMPARE(readFile(file), editedContent(OldContent));
    QCOMPARE(QFileInfo(path).isSymLink(), throughSymlink);
}

void TestSettingsFaults::folderNameNotUtf8()
{
    // A folder unpacked from a zip made on Windows: its name is Shift-JIS, or anything at all.
    const QByteArray folder = QFile::encodeName(m_dir->path()) + "/\xff\xfe";
    QVERIFY(::mkdir(folder.constData(), 0755) == 0);
    const QString path = filestore::decodePath(folder + "/PLMO_UserSettings.ini");
    QCOMPARE(filestore::encodePath(path), folder + "/PLMO_UserSettings.ini");

    IniDocument document;
    applyEdit(document);
    document.save(path);
    const QByteArray rawPath = folder + "/PLMO_UserSettings.ini";
    QFile file;
    const int fd = ::open(rawPath.constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    QVERIFY(file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    QCOMPARE(file.readAll(), document.toBytes());
    QCOMPARE(IniDocument::open(path).readString(u"System", u"NAME", QString()), QStringLiteral("after"));
    // Nothing landed where the lossy name would have led.
    QVERIFY(!QFileInfo::exists(QString::fromUtf8(folder)));
}

void TestSettingsFaults::staleTemporaries_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind"); // file, symlink, folder, foreign
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<bool>("removed");

    // clang-format off
    QTest::newRow("ours, left by a killed save")   << "PLMO_UserSettings.ini.PLMO-save-aB3xZ9" << "file"    << 3600 << true;
    QTest::newRow("ours, written meanwhile")       << "PLMO_UserSettings.ini.PLMO-save-aB3xZ9" << "file"    << -5   << false;
    QTest::newRow("symlink with our naming")       << "PLMO_UserSettings.ini.PLMO-save-aB3xZ9" << "symlink" << 3600 << false;
    QTest::newRow("folder with our naming")        << "PLMO_UserSettings.ini.PLMO-save-aB3xZ9" << "folder"  << 3600 << false;
    QTest::newRow("another user's file")           << "PLMO_UserSettings.ini.PLMO-save-aB3xZ9" << "foreign" << 3600 << false;
    QTest::newRow("seven characters")              << "PLMO_UserSettings.ini.PLMO-save-aB3xZ9q" << "file"   << 3600 << false;
    QTest::newRow("not letters and digits")        << "PLMO_UserSettings.ini.PLMO-save-aB3-Z9" << "file"    << 3600 << false;
    QTest::newRow("another program's name")        << "OTHER_UserSettings.ini.PLMO-save-aB3xZ9" << "file"   << 3600 << false;
    // A user's own copies: six characters after the dot, but without our marker.
    QTest::newRow("user's .backup")                << "PLMO_UserSettings.ini.backup" << "file"    << 3600 << false;
    QTest::newRow("user's .Backup")                << "PLMO_UserSettings.ini.Backup" << "file"    << 3600 << false;
    QTest::newRow("user's .2024_1")                << "PLMO_UserSettings.ini.2024_1" << "file"    << 3600 << false;
    QTest::newRow("user's .abcdef")                << "PLMO_UserSettings.ini.abcdef" << "file"    << 3600 << false;
    // clang-format on
}

void TestSettingsFaults::staleTemporaries()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(int, ageSeconds);
    QFETCH(bool, removed);

    if (kind == u"foreign" && !m_root)
        QSKIP("only root can make a file of another user");
    const QString path = m_dir->filePath(QStringLiteral("PLMO_UserSettings.ini"));
    const QString entry = m_dir->filePath(name);
    const QString target = m_dir->filePath(QStringLiteral("target"));
    QVERIFY(writeFile(path, OldContent));
    QVERIFY(writeFile(target, OldContent));
    const QByteArray entryName = QFile::encodeName(entry);
    if (kind == u"symlink")
        QVERIFY(::symlink(QFile::encodeName(target).constData(), entryName.constData()) == 0);
    else if (kind == u"folder")
        QVERIFY(QDir().mkdir(entry));
    else
        QVERIFY(writeFile(entry, "partial"));
    if (kind == u"foreign")
        QVERIFY(::chown(entryName.constData(), NobodyId, NobodyId) == 0);
    const QDateTime now = QDateTime::currentDateTime();
    const timespec times[2]
        = { { now.toSecsSinceEpoch() - ageSeconds, 0 }, { now.toSecsSinceEpoch() - ageSeconds, 0 } };
    QVERIFY(::utimensat(AT_FDCWD, entryName.constData(), times, AT_SYMLINK_NOFOLLOW) == 0);

    QCOMPARE(filestore::removeStaleTemporaries(path, now), removed ? 1 : 0);
    QCOMPARE(QFileInfo::exists(entry) || QFileInfo(entry).isSymLink(), !removed);
    QCOMPARE(readFile(path), OldContent);
    QCOMPARE(readFile(target), OldContent);
}

void TestSettingsFaults::pendingCopy_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("content");

    const QByteArray oldFile = OldContent;
    const QByteArray newFile = editedContent(OldContent);
    const QByteArray copy = filestore::pendingCopy(newFile);
    QByteArray corrupt = copy;
    corrupt[copy.size() - 5] = corrupt[copy.size() - 5] == 'a' ? 'b' : 'a';
    const QByteArray older = filestore::pendingCopy("[System]\r\nNAME=older\r\n");

    // The moments of an in-place save: copy being written, copy complete, start overwritten.
    QTest::newRow("no copy") << oldFile << oldFile;
    QTest::newRow("copy cut short") << oldFile + copy.chopped(40) << oldFile + copy.chopped(40);
    QTest::newRow("copy without its line end") << oldFile + copy.chopped(2) << oldFile + copy.chopped(2);
    QTest::newRow("copy complete") << oldFile + copy << newFile;
    QTest::newRow("start half overwritten") << newFile.first(10) + oldFile.sliced(10) + copy << newFile;
    QTest::newRow("checksum wrong") << oldFile + corrupt << oldFile + corrupt;
    QTest::newRow("earlier copy, newer cut short")
        << oldFile + older + copy.chopped(9) << QByteArray("[System]\r\nNAME=older\r\n");
    QTest::newRow("earlier copy, newer complete") << oldFile + older + copy << newFile;
}

void TestSettingsFaults::pendingCopy()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, content);

    QCOMPARE(filestore::committedContent(bytes), content);
    // Without a complete copy the file reads as the old one: an unfinished copy is a comment line.
    if (content == bytes)
        QCOMPARE(contentAsRead(bytes), IniDocument::fromBytes(OldContent).toBytes());
}

bool TestSettingsFaults::mountSmallDisk(const QString& folder, QString* reason)
{
    if (!m_root) {
        *reason = QStringLiteral("mounting a small tmpfs needs root; the full-disk cases were NOT run");
        return false;
    }
    if (!QDir().mkpath(folder)
        || ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=256k,mode=0755") != 0) {
        *reason = QStringLiteral("cannot mount a tmpfs here (%1); the full-disk cases were NOT run")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_mounted = folder;
    return true;
}

void TestSettingsFaults::fullDisk_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("readOnlyFolder");

    QTest::newRow("close-time keys") << "save" << false;
    QTest::newRow("settings dialog's OK") << "save-display" << false;
    QTest::newRow("close-time keys, read-only folder (in place)") << "save" << true;
}

void TestSettingsFaults::fullDisk()
{
    QFETCH(QString, action);
    QFETCH(bool, readOnlyFolder);

    QString reason;
    if ((readOnlyFolder && !prepareUnprivileged(&reason))
        || !mountSmallDisk(m_dir->filePath(QStringLiteral("disk")), &reason))
        QSKIP(qPrintable(reason));

    const QString folder = m_mounted + QStringLiteral("/app");
    const QString path = folder + QStringLiteral("/PLMO_UserSettings.ini");
    QVERIFY(QDir().mkdir(folder));
    // A name long enough that the edited file needs more room than the old one.
    const QByteArray old = OldContent + "[Keep]\r\n" + QByteArray(3000, 'k') + "=1\r\n";
    QVERIFY(writeFile(path, old));
    QVERIFY(handOver(path, 0644));
    const int filler = ::open(QFile::encodeName(m_mounted + QStringLiteral("/filler")).constData(),
                              O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    QVERIFY(filler >= 0);
    fillToTheBrim(filler);
    ::close(filler);
    QVERIFY(handOver(folder, readOnlyFolder ? 0555 : 0755));

    const QString output = runChild({ action, path }, readOnlyFolder);
    QCOMPARE(output, createErrorPrefix(path) + QString::fromLocal8Bit(std::strerror(ENOSPC)));
    QCOMPARE(readFile(path), old);
    QCOMPARE(entriesOf(folder), QStringList { QFileInfo(path).fileName() });
}

void TestSettingsFaults::injectedFaults_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::addColumn<QByteArray>("call");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("newContent"); // what the next start reads
    QTest::addColumn<QString>("note"); // after the system's reason in the message

    const QString kept = QStringLiteral(" (the new settings were kept in the file's recovery line and will be used)");
    // clang-format off
    QTest::newRow("fsync before the rename")             << false << QByteArray("fsync")     << 1 << 1  << false << QString();
    QTest::newRow("in place: fsync of the copy")         << true  << QByteArray("fsync")     << 1 << 1  << false << QString();
    QTest::newRow("in place: second write, rolled back") << true  << QByteArray("pwrite")    << 2 << 2  << false << QString();
    QTest::newRow("in place: cut to length, rolled back") << true << QByteArray("ftruncate") << 1 << 1  << false << QString();
    QTest::newRow("in place: second write and way back") << true  << QByteArray("pwrite")    << 2 << 99 << true  << kept;
    // clang-format on
}

void TestSettingsFaults::injectedFaults()
{
    QFETCH(bool, inPlace);
    QFETCH(QByteArray, call);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, newContent);
    QFETCH(QString, note);

    const QString path = m_dir->filePath(QStringLiteral("PLMO_UserSettings.ini"));
    QVERIFY(writeFile(path, OldContent));
    injection.inPlace = inPlace;
    injection.call = call;
    injection.from = from;
    injection.to = to;
    injection.error = EIO;
    IniDocument document = IniDocument::open(path);
    applyEdit(document);
    try {
        document.save(path);
        QFAIL("the save succeeded in spite of the fault");
    } catch (const PellimoError& error) {
        QCOMPARE(error.message(), createErrorPrefix(path) + QString::fromLocal8Bit(std::strerror(EIO)) + note);
    }
    QCOMPARE(contentAsRead(readFile(path)), newContent ? editedContent(OldContent) : contentAsRead(OldContent));
    if (!newContent)
        QCOMPARE(readFile(path), OldContent);
    QCOMPARE(entriesOf(m_dir->path()), QStringList { QFileInfo(path).fileName() });
}

void TestSettingsFaults::newFileModeFollowsUmask_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("mode");

    QTest::newRow("umask 002") << 002 << 0664;
    QTest::newRow("umask 022") << 022 << 0644;
    QTest::newRow("umask 077") << 077 << 0600;
}

void TestSettingsFaults::newFileModeFollowsUmask()
{
    QFETCH(int, mask);
    QFETCH(int, mode);

    const QString path = m_dir->filePath(QStringLiteral("PLMO_UserSettings.ini"));
    const mode_t before = ::umask(mode_t(mask));
    IniDocument document;
    applyEdit(document);
    document.save(path);
    ::umask(before);
    QCOMPARE(int(modeOf(path)), mode);
}

void TestSettingsFaults::danglingLink_data()
{
    QTest::addColumn<QString>("target"); // relative to the test folder, as the link holds it
    QTest::addColumn<QString>("missingFolder"); // empty: the save creates the target

    QTest::newRow("target in an existing folder") << "real.ini" << QString();
    QTest::newRow("target in a missing folder") << "gone/real.ini"
                                                << "gone";
}

void TestSettingsFaults::danglingLink()
{
    QFETCH(QString, target);
    QFETCH(QString, missingFolder);

    // An editor's or a dotfile manager's link whose file is not there yet.
    const QString path = m_dir->filePath(QStringLiteral("PLMO_UserSettings.ini"));
    QVERIFY(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0);
    IniDocument document;
    applyEdit(document);
    try {
        document.save(path);
        QVERIFY(missingFolder.isEmpty());
        QCOMPARE(readFile(m_dir->filePath(target)), document.toBytes());
    } catch (const PellimoError& error) {
        QCOMPARE(error.message(),
                 createErrorPrefix(path)
                     + QStringLiteral("The folder %1 does not exist (any more)").arg(m_dir->filePath(missingFolder)));
    }
    QVERIFY(QFileInfo(path).isSymLink());
}

void TestSettingsFaults::oversizedSaveRefused()
{
    // A document that open() would refuse at the next start is not written at all.
    const QString path = m_dir->filePath(QStringLiteral("PLMO_UserSettings.ini"));
    QVERIFY(writeFile(path, OldContent));
    IniDocument document = IniDocument::open(path);
    document.writeString(u"Pad", u"x", QString(IniDocument::MaxFileSize, u'x'));
    try {
        document.save(path);
        QFAIL("a file too large to read back was written");
    } catch (const PellimoError& error) {
        QCOMPARE(error.message(), createErrorPrefix(path) + QStringLiteral("File too large"));
    }
    QCOMPARE(readFile(path), OldContent);
}

void TestSettingsFaults::killedSaveLeavesOldOrNew_data()
{
    QTest::addColumn<bool>("readOnlyFolder");

    // A replaced file holds the old or the new bytes; one written in place may hold both for a
    // moment, and must then read as one of them.
    QTest::newRow("writable folder (rename)") << false;
    QTest::newRow("read-only folder (in place)") << true;
}

void TestSettingsFaults::killedSaveLeavesOldOrNew()
{
    QFETCH(bool, readOnlyFolder);

    QString reason;
    if (readOnlyFolder && !prepareUnprivileged(&reason))
        QSKIP(qPrintable(reason));

    const QString folder = m_dir->filePath(QStringLiteral("app"));
    const QString path = folder + QStringLiteral("/PLMO_UserSettings.ini");
    QVERIFY(QDir().mkdir(folder));
    const QByteArray contentA = crashDocument('A').toBytes();
    const QByteArray contentB = crashDocument('B').toBytes();
    QVERIFY(writeFile(path, contentA));
    if (readOnlyFolder) {
        QVERIFY(handOver(path, 0644));
        QVERIFY(handOver(folder, 0555));
    }

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    qInfo("seed %u", seed);

    int sawA = 0;
    int sawB = 0;
    int mixed = 0;
    for (int run = 0; run < CrashRuns; ++run) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(environment);
        const QStringList arguments = { QStringLiteral("--child"), QStringLiteral("save-loop"), path };
        if (readOnlyFolder && m_root) {
            // setpriv runs the child in its own process: the pid is the child's.
            process.start(QStringLiteral("setpriv"),
                          QStringList { QStringLiteral("--reuid=%1").arg(NobodyId),
                                        QStringLiteral("--regid=%1").arg(NobodyId), QStringLiteral("--clear-groups"),
                                        m_childProgram }
                              + arguments);
        } else {
            process.start(m_childProgram, arguments);
        }
        QVERIFY(process.waitForStarted(ChildWaitMs));
        // Let zero or one save finish, then kill at a random moment of the next ones.
        const int saves = random.bounded(2);
        for (int line = 0; line <= saves; ++line) {
            while (!process.canReadLine())
                QVERIFY2(process.waitForReadyRead(ChildWaitMs), process.readAllStandardError().constData());
            QCOMPARE(process.readLine(), QByteArray(line == 0 ? "ready\n" : "saved\n"));
        }
        QThread::usleep(random.bounded(CrashMaxDelayUs));
        ::kill(pid_t(process.processId()), SIGKILL);
        QVERIFY(process.waitForFinished(ChildWaitMs));
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);

        const QByteArray bytes = readFile(path);
        const QByteArray content = readOnlyFolder ? contentAsRead(bytes) : bytes;
        if (content == contentA) {
            ++sawA;
        } else if (content == contentB) {
            ++sawB;
        } else {
            QFAIL(qPrintable(
                QStringLiteral("run %1: the file holds %2 bytes, neither old nor new").arg(run).arg(bytes.size())));
        }
        if (bytes != content)
            ++mixed;
    }
    qInfo("%d runs: old content %d times, new content %d times, torn 0 times; read through a pending copy %d times",
          CrashRuns, sawA, sawB, mixed);
    // At least one save must have completed, or the runs proved nothing.
    QVERIFY(sawB > 0);
    // A kill between creating the temporary file and the rename leaves it behind; the next
    // start's clean-up takes every one, and nothing else was left.
    filestore::removeStaleTemporaries(path, QDateTime::currentDateTime().addSecs(1));
    QCOMPARE(entriesOf(folder), QStringList { QFileInfo(path).fileName() });
}

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1 && arguments[1] == u"--child")
        return runChild(arguments.mid(2));
    TestSettingsFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsfaults.moc"
