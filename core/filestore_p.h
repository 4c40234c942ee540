#pragma once

// What the two systems' file stores share (filestore_posix.cpp, filestore_win.cpp).

#include "core/filestore.h"

#include <functional>
#include <QStringView>
#ifndef Q_OS_WIN
#include <sys/types.h>
#endif

namespace filestore::detail {

// There are no system messages for these refusals.
inline constexpr QStringView NotRegularReason = u"Not a regular file";
inline constexpr QStringView TooLargeReason = u"File too large";

/**
 * The marker in the name of our temporary files ("<name>.PLMO-save-XXXXXX"): no person names a
 * backup like that, so the start-up clean-up may remove what carries it and nothing else.
 */
inline constexpr char TemporaryMarker[] = ".PLMO-save-";
inline constexpr int TemporarySuffixLength = 6;

/** Why a save found no folder to write into: it was removed or renamed after the start. */
Reason missingFolderReason(const QString& folder);

/**
 * Reads an open file to its end in chunks: `readChunk(buffer, size, reason)` returns the bytes
 * it read, 0 at the end, or -1 with the reason set. Fails once the content would pass @p maxSize,
 * whatever the file claimed its size to be.
 */
ReadResult readChunks(const std::function<qint64(char*, qint64, Reason*)>& readChunk, qint64 maxSize, QByteArray* bytes,
                      Reason* reason);

#ifndef Q_OS_WIN
/**
 * The system calls a save makes that can fail after the file was opened. Tests swap entries to
 * inject faults (a failing fsync, a write that fails the second time) and to see that they are made.
 */
struct SystemCalls
{
    ssize_t (*pwrite)(int, const void*, size_t, off_t);
    int (*fsync)(int);
    int (*ftruncate)(int, off_t);
    int (*mkostemp)(char*, int);
};
SystemCalls& systemCalls();
#endif

} // namespace filestore::detail
