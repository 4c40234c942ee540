#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

/**
 * Reading and replacing the settings file on the file system, with every error checked. One
 * implementation per system (filestore_posix.cpp, filestore_win.cpp), chosen by CMake; the path
 * conversion and the recovery of an interrupted in-place save are shared (filestore.cpp).
 */
namespace filestore {

/** Why a read or a write failed: the system's own message, e.g. "No space left on device". */
using Reason = QString;

/**
 * A file name's bytes as text, reversibly: valid UTF-8 decodes as QFile::decodeName() does,
 * every other byte becomes a lone surrogate U+DC80..U+DCFF, so that a folder named in another
 * encoding still leads back to the same bytes.
 */
QString decodePath(const QByteArray& bytes);
/** The inverse of decodePath(). */
QByteArray encodePath(const QString& path);

/**
 * Whether this user may write at @p path, an existing file or folder, as the system itself
 * decides (a read-only mount refuses too). False when nothing is there.
 */
bool isWritable(const QString& path);

/**
 * Makes the folder @p path and the folders above it that are missing. False with the system's
 * reason when one cannot be made (no home folder, a read-only one).
 */
bool makeFolders(const QString& path, Reason* reason);

/**
 * Whether this process may still open @p count more files at once. Near the descriptor limit
 * (ulimit -n) a new window cannot get the shared memory it is drawn into, and waits forever.
 */
bool canOpenFiles(int count);

enum class ReadResult { Read, Missing, Failed };

/**
 * Reads the regular file at @p path (or the regular file a symlink there points to) whole,
 * without ever blocking: a FIFO, a device or a folder is refused. Missing when nothing is there.
 */
ReadResult readFile(const QString& path, qint64 maxSize, QByteArray* bytes, Reason* reason);

/**
 * Replaces the file's content with @p bytes so that at every moment the path holds the old or
 * the new content: through a temporary file beside it and a rename, keeping the old file's
 * owner, group and mode (a new file gets the mode the umask allows); or, in a folder we may not
 * write, in place through a pending copy (see committedContent()). The data is flushed to the
 * disk before it takes the file's name. A symlink that points nowhere gets its target created.
 * On any error the old content stays and false is returned; when the folder has gone, the reason
 * says so. Should an in-place save fail after its copy was complete and the old content cannot
 * be put back, the reason says that the new settings will be used.
 */
bool replaceFile(const QString& path, const QByteArray& bytes, Reason* reason);

/**
 * Removes temporary files of replaceFile() for @p path ("<name>.PLMO-save-XXXXXX", a name no
 * person gives a backup) that a killed process left behind: only regular files of ours with that
 * marker, never through a symlink, last changed before @p before.
 * Returns how many were removed.
 */
int removeStaleTemporaries(const QString& path, const QDateTime& before);

/**
 * The bytes an in-place save appends before it overwrites the file's start: the new content in
 * one comment line with its length and checksum. Readers that skip comment lines see the old
 * content as long as this line is incomplete.
 */
QByteArray pendingCopy(const QByteArray& content);

/**
 * The content that the file's bytes stand for: the last complete pending copy when an in-place
 * save was interrupted after writing it, otherwise the bytes as they are.
 */
QByteArray committedContent(const QByteArray& bytes);

} // namespace filestore
