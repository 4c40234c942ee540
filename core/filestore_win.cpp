// The file store on Windows: Qt's file classes, which map to the Win32 calls, with every result
// checked. QSaveFile replaces the file through a temporary file and MoveFileEx.
#include "filestore.h"
#include "filestore_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace filestore {

bool isWritable(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && info.isWritable();
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
    // No in-place fallback: a file that cannot be replaced whole is not written at all.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *reason = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        *reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

int removeStaleTemporaries(const QString& path, const QDateTime& before)
{
    const QFileInfo target(path);
    QDir folder = target.absoluteDir();
    int removed = 0;
    const QStringList names = folder.entryList({ target.fileName() + QStringLiteral(".??????") }, QDir::Files);
    for (const QString& name : names) {
        const QFileInfo entry(folder.filePath(name));
        if (!entry.isSymLink() && entry.lastModified() < before && folder.remove(name))
            ++removed;
    }
    return removed;
}

} // namespace filestore
