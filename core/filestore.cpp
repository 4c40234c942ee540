// The parts of the file store that are the same on every system.
#include "core/filestore.h"

#include "core/filestore_p.h"
#include "core/utf8codec.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace filestore {
namespace {

// A comment line to readers of the settings file, which drop lines that begin with ";".
constexpr char PendingMarker[] = ";PLMO-pending ";

bool hasRawBytes(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF)
            return true;
    }
    return false;
}

QByteArray checksum(const QByteArray& content)
{
    return QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
}

/** The content of one pending-copy line (marker, base64, space, checksum), or nothing. */
std::optional<QByteArray> parsePending(QByteArrayView line)
{
    const qsizetype space = line.lastIndexOf(' ');
    if (space < 0)
        return std::nullopt;
    const QByteArrayView encoded = line.sliced(0, space);
    const auto decoded = QByteArray::fromBase64Encoding(encoded.toByteArray(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || checksum(*decoded) != line.sliced(space + 1))
        return std::nullopt;
    return *decoded;
}

} // namespace

QString decodePath(const QByteArray& bytes)
{
    const QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) == bytes)
        return name;
    return utf8codec::decode(bytes);
}

QByteArray encodePath(const QString& path)
{
    return hasRawBytes(path) ? utf8codec::encode(path) : QFile::encodeName(path);
}

QByteArray pendingCopy(const QByteArray& content)
{
    return QByteArray("\r\n") + PendingMarker + content.toBase64() + ' ' + checksum(content) + "\r\n";
}

QByteArray committedContent(const QByteArray& bytes)
{
    // Later copies lie further on in the file: an in-place save puts its copy past every byte the
    // file held, so the last complete one is the newest content.
    const QByteArray marker = QByteArray("\n") + PendingMarker;
    qsizetype at = bytes.lastIndexOf(marker);
    while (at >= 0) {
        const qsizetype begin = at + marker.size();
        qsizetype end = begin;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        if (end < bytes.size()) { // an unfinished last line is no copy yet
            if (auto content = parsePending(QByteArrayView(bytes).sliced(begin, end - begin)))
                return *content;
        }
        at = at > 0 ? bytes.lastIndexOf(marker, at - 1) : -1;
    }
    return bytes;
}

namespace detail {

Reason missingFolderReason(const QString& folder)
{
    return QStringLiteral("The folder %1 does not exist (any more)").arg(QDir::toNativeSeparators(folder));
}

ReadResult readChunks(const std::function<qint64(char*, qint64, Reason*)>& readChunk, qint64 maxSize, QByteArray* bytes,
                      Reason* reason)
{
    constexpr qint64 ChunkSize = 64 * 1024;
    QByteArray content;
    QByteArray chunk(ChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 count = readChunk(chunk.data(), chunk.size(), reason);
        if (count < 0)
            return ReadResult::Failed;
        if (count == 0)
            break;
        if (content.size() + count > maxSize) {
            *reason = TooLargeReason.toString();
            return ReadResult::Failed;
        }
        content.append(chunk.constData(), count);
    }
    *bytes = std::move(content);
    return ReadResult::Read;
}

} // namespace detail

} // namespace filestore
