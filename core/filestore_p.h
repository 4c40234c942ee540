#pragma once

// What the two systems' file stores share (filestore_posix.cpp, filestore_win.cpp).

#include "filestore.h"

#include <functional>
#include <QStringView>

namespace filestore::detail {

// There are no system messages for these refusals.
inline constexpr QStringView NotRegularReason = u"Not a regular file";
inline constexpr QStringView TooLargeReason = u"File too large";

/**
 * Reads an open file to its end in chunks: `readChunk(buffer, size, reason)` returns the bytes
 * it read, 0 at the end, or -1 with the reason set. Fails once the content would pass @p maxSize,
 * whatever the file claimed its size to be.
 */
ReadResult readChunks(const std::function<qint64(char*, qint64, Reason*)>& readChunk, qint64 maxSize, QByteArray* bytes,
                      Reason* reason);

} // namespace filestore::detail
