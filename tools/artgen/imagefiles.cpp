#include "imagefiles.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>

namespace {

constexpr qsizetype kIcoHeaderSize = 6;
constexpr qsizetype kIcoEntrySize = 16;
constexpr int kPngQuality = 0; // smallest files; the zlib level is fixed, so the bytes are too

quint32 readLittle32(const QByteArray& bytes, qsizetype at)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<quint8>(bytes[at + i]);
    return value;
}

/**
 * Qt leaves the row padding of the transparency mask of a BMP icon picture uninitialised; clear it so
 * that the file comes out the same on every run.
 */
void clearMaskPadding(QByteArray& picture)
{
    constexpr quint32 kBmpHeaderSize = 40;
    if (picture.size() < static_cast<qsizetype>(kBmpHeaderSize) || readLittle32(picture, 0) != kBmpHeaderSize)
        return; // a PNG picture has no mask
    const quint32 width = readLittle32(picture, 4);
    const quint32 height = readLittle32(picture, 8) / 2; // colour rows, then mask rows
    const quint32 bitsPerPixel = static_cast<quint8>(picture[14]) | (static_cast<quint8>(picture[15]) << 8);
    const quint32 colourRow = (width * bitsPerPixel + 31) / 32 * 4;
    const quint32 maskRow = (width + 31) / 32 * 4;
    const quint32 maskStart = kBmpHeaderSize + colourRow * height;
    if (bitsPerPixel != 32 || static_cast<qsizetype>(maskStart + maskRow * height) > picture.size())
        return;
    for (quint32 row = 0; row < height; ++row) {
        for (quint32 i = (width + 7) / 8; i < maskRow; ++i)
            picture[maskStart + row * maskRow + i] = 0;
    }
}

void appendLittle16(QByteArray& bytes, quint16 value)
{
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>(value >> 8));
}

void putLittle32(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

bool writePng(const QImage& image, const QString& path, QTextStream& err)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    out.setDotsPerMeterX(3780); // 96 dots per inch
    out.setDotsPerMeterY(3780);
    QImageWriter writer(path, "png");
    writer.setQuality(kPngQuality);
    if (!writer.write(out)) {
        err << "artgen: cannot write " << path << ": " << writer.errorString() << Qt::endl;
        return false;
    }
    return true;
}

// Qt's ico writer stores one picture per file; the single-picture files are joined into one icon.
bool writeIco(const std::vector<QImage>& images, const QString& path, QTextStream& err)
{
    std::vector<QByteArray> entries;
    std::vector<QByteArray> pictures;
    for (const QImage& image : images) {
        const int size = image.width();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "ico");
        if (!writer.write(image.convertToFormat(QImage::Format_ARGB32))) {
            err << "artgen: cannot encode the " << size << " px icon: " << writer.errorString() << Qt::endl;
            return false;
        }
        const QByteArray single = buffer.data();
        if (single.size() < kIcoHeaderSize + kIcoEntrySize || single[4] != 1 || single[5] != 0) {
            err << "artgen: unexpected ico layout for " << size << " px" << Qt::endl;
            return false;
        }
        const QByteArray entry = single.mid(kIcoHeaderSize, kIcoEntrySize);
        QByteArray picture = single.mid(readLittle32(entry, 12), readLittle32(entry, 8));
        clearMaskPadding(picture);
        pictures.push_back(picture);
        entries.push_back(entry);
    }

    QByteArray icon;
    appendLittle16(icon, 0); // reserved
    appendLittle16(icon, 1); // icon, not cursor
    appendLittle16(icon, static_cast<quint16>(entries.size()));
    auto offset = static_cast<quint32>(kIcoHeaderSize + kIcoEntrySize * static_cast<qsizetype>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        putLittle32(entries[i], 12, offset);
        icon.append(entries[i]);
        offset += static_cast<quint32>(pictures[i].size());
    }
    for (const QByteArray& picture : pictures)
        icon.append(picture);

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(icon) != icon.size()) {
        err << "artgen: cannot write " << path << ": " << file.errorString() << Qt::endl;
        return false;
    }
    return true;
}
