// The file store on Windows: reads through Qt's file classes; a save writes a temporary file of
// ours beside the target with the Win32 calls (so that it can be flushed to the disk and named
// with our marker) and moves it over the target with MoveFileEx. Every result is checked.
#include "core/filestore.h"
#include "core/filestore_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <windows.h>

namespace filestore {
namespace {

Reason lastErrorText()
{
    return qt_error_string(int(GetLastError()));
}

std::wstring nativeName(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

/** A name for a temporary file beside @p target: "<name>.PLMO-save-" and six letters or digits. */
QString temporaryName(const QString& target)
{
    static constexpr char Symbols[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString name = target + QLatin1String(detail::TemporaryMarker);
    for (int i = 0; i < detail::TemporarySuffixLength; ++i)
        name += QLatin1Char(Symbols[QRandomGenerator::global()->bounded(int(sizeof Symbols) - 1)]);
    return name;
}

/** Creates a new file of ours, writes @p bytes and flushes them to the disk. */
bool writeNewFile(const QString& name, const QByteArray& bytes, Reason* reason)
{
    const HANDLE file
        = CreateFileW(nativeName(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *reason = lastErrorText();
        return false;
    }
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(left, 1 << 20));
        ok = WriteFile(file, data, chunk, &written, nullptr) && written > 0;
        data += written;
        left -= written;
    }
    ok = ok && FlushFileBuffers(file);
    if (!ok)
        *reason = lastErrorText();
    if (!CloseHandle(file) && ok) {
        *reason = lastErrorText();
        ok = false;
    }
    return ok;
}

} // namespace

bool isWritable(const QString& path)
{
    // Access rules decide on Windows, not the attribute bits QFileInfo looks at: try it.
    // A file counts only where a save can replace it, which needs its folder too.
    const QFileInfo info(path);
    if (info.isFile()) {
        QFile file(path);
        return file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) && isWritable(info.absolutePath());
    }
    if (!info.isDir())
        return false;
    const QString probe = temporaryName(QDir(path).filePath(QStringLiteral("PLMO")));
    Reason ignored;
    if (!writeNewFile(probe, QByteArray(), &ignored))
        return false;
    DeleteFileW(nativeName(probe).c_str());
    return true;
}

bool makeFolders(const QString& path, Reason* reason)
{
    if (QDir().mkpath(path))
        return true;
    *reason = lastErrorText();
    return false;
}

bool canOpenFiles(int)
{
    return true; // handles are limited only by memory
}

ReadResult readFile(const QString& path, qint64 maxSize, QByteArray* bytes, Reason* reason)
{
    const QFileInfo info(path);
    if (!info.exists())
        return ReadResult::Missing;
    if (!info.isFile()) {
        *reason = detail::NotRegularReason.toString();
        return ReadResult::Failed;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return ReadResult::Failed;
    }
    return detail::readChunks(
        [&file](char* buffer, qint64 size, Reason* why) {
            const qint64 count = file.read(buffer, size);
            if (count < 0)
                *why = file.errorString();
            return count;
        },
        maxSize, bytes, reason);
}

bool replaceFile(const QString& path, const QByteArray& bytes, Reason* reason)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *reason = detail::NotRegularReason.toString();
        return false;
    }
    if (!info.absoluteDir().exists()) {
        *reason = detail::missingFolderReason(info.absolutePath());
        return false;
    }
    // No in-place fallback: a file that cannot be replaced whole is not written at all.
    const QString target = info.absoluteFilePath();
    const QString temporary = temporaryName(target);
    Reason why;
    if (!writeNewFile(temporary, bytes, &why)) {
        DeleteFileW(nativeName(temporary).c_str());
        *reason = why;
        return false;
    }
    if (!MoveFileExW(nativeName(temporary).c_str(), nativeName(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *reason = lastErrorText();
        DeleteFileW(nativeName(temporary).c_str());
        return false;
    }
    return true;
}

int removeStaleTemporaries(const QString& path, const QDateTime& before)
{
    const QFileInfo target(path);
    QDir folder = target.absoluteDir();
    int removed = 0;
    const QString pattern = target.fileName() + QLatin1String(detail::TemporaryMarker)
        + QString(detail::TemporarySuffixLength, QLatin1Char('?'));
    const QStringList names = folder.entryList({ pattern }, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QFileInfo entry(folder.filePath(name));
        if (!entry.isSymLink() && entry.lastModified() < before && folder.remove(name))
            ++removed;
    }
    return removed;
}

} // namespace filestore
