#include "core/inidocument.h"

#include "core/filestore.h"
#include "core/filestore_p.h"
#include "core/pellimoerror.h"
#include "core/utf8codec.h"

#include <limits>
#include <QDir>
#include <QFileInfo>
#include <QStringBuilder>
#include <QStringDecoder>

namespace {

constexpr char Bom[] = "\xEF\xBB\xBF";
constexpr char LineEnd[] = "\r\n";

bool isTrimmed(char16_t c)
{
    return c <= 0x20;
}

bool isTrimmedByte(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

/** Strips U+0000..U+0020 at both ends; QString::trimmed() would also strip U+3000 and keep U+0000. */
QStringView trimControls(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text[begin].unicode()))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin);
}

QString displayPath(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

[[noreturn]] void throwOpenError(const QString& path, const QString& reason)
{
    throw PellimoError(QStringLiteral("ファイル %1 は開けません。 %2 ").arg(displayPath(path), reason));
}

} // namespace

IniDocument IniDocument::open(const QString& path)
{
    QByteArray bytes;
    filestore::Reason reason;
    switch (filestore::readFile(path, MaxFileSize, &bytes, &reason)) {
    case filestore::ReadResult::Missing:
        return {};
    case filestore::ReadResult::Failed:
        throwOpenError(path, reason);
    case filestore::ReadResult::Read:
        break;
    }
    // A save that was cut short in place leaves the new content in a copy at the end.
    return fromBytes(filestore::committedContent(bytes));
}

namespace {

/**
 * A file saved as UTF-16 (Notepad's "Unicode"), recognised by its byte order mark, as the UTF-8
 * that the reader takes; nothing for any other file. Its next save writes it as UTF-8.
 */
std::optional<QByteArray> fromUtf16(const QByteArray& bytes)
{
    QStringConverter::Encoding encoding;
    if (bytes.startsWith("\xFF\xFE"))
        encoding = QStringConverter::Utf16LE;
    else if (bytes.startsWith("\xFE\xFF"))
        encoding = QStringConverter::Utf16BE;
    else
        return std::nullopt;
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes).sliced(2));
    return utf8codec::encode(text);
}

} // namespace

IniDocument IniDocument::fromBytes(const QByteArray& input)
{
    const std::optional<QByteArray> converted = fromUtf16(input);
    const QByteArray& bytes = converted ? *converted : input;
    IniDocument document;
    const char* data = bytes.constData();
    qsizetype size = bytes.size();
    if (bytes.startsWith(Bom)) {
        data += 3;
        size -= 3;
    }

    // CR and LF never occur inside a multi-byte UTF-8 sequence, and neither do the trimmed bytes
    // 0x00..0x20, so lines are split and trimmed as bytes and only the rest is decoded.
    Section* current = nullptr;
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        qsizetype next = end;
        if (next < size)
            next += (data[next] == '\r' && next + 1 < size && data[next + 1] == '\n') ? 2 : 1;

        qsizetype begin = pos;
        while (begin < end && isTrimmedByte(data[begin]))
            ++begin;
        qsizetype stop = end;
        while (stop > begin && isTrimmedByte(data[stop - 1]))
            --stop;
        pos = next;

        const qsizetype length = stop - begin;
        if (length == 0 || data[begin] == ';')
            continue;
        if (length >= 2 && data[begin] == '[' && data[stop - 1] == ']') {
            const QString header = utf8codec::decode(data + begin + 1, length - 2);
            document.m_sections.append(Section { trimControls(header).toString(), {} });
            current = &document.m_sections.last();
            continue;
        }
        if (!current)
            continue;

        QString line = utf8codec::decode(data + begin, length);
        const qsizetype equals = line.indexOf(u'=');
        const bool spaced = equals >= 0
            && ((equals > 0 && isTrimmed(line[equals - 1].unicode()))
                || (equals + 1 < line.size() && isTrimmed(line[equals + 1].unicode())));
        if (spaced) {
            const QStringView text(line);
            line = trimControls(text.first(equals)) % u'=' % trimControls(text.sliced(equals + 1));
        }
        current->lines.append(std::move(line));
    }
    return document;
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out(Bom);
    for (const Section& section : m_sections) {
        out.append('[');
        utf8codec::encode(out, section.name);
        out.append(']');
        out.append(LineEnd);
        for (const QString& line : section.lines) {
            utf8codec::encode(out, line);
            out.append(LineEnd);
        }
        out.append(LineEnd);
    }
    return out;
}

void IniDocument::throwCreateError(const QString& path, const QString& reason)
{
    throw PellimoError(QStringLiteral("ファイル \"%1\" を作成できません。%2").arg(displayPath(path), reason));
}

void IniDocument::save(const QString& path) const
{
    const QByteArray bytes = toBytes();
    // A file that open() would refuse at the next start is not written: the old one stays.
    if (bytes.size() > MaxFileSize)
        throwCreateError(path, filestore::detail::TooLargeReason.toString());
    filestore::Reason reason;
    if (!filestore::replaceFile(path, bytes, &reason))
        throwCreateError(path, reason);
}

const IniDocument::Section* IniDocument::findSection(QStringView name) const
{
    for (const Section& section : m_sections) {
        if (QStringView(section.name).compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    }
    return nullptr;
}

IniDocument::Section* IniDocument::findSection(QStringView name)
{
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

qsizetype IniDocument::findKey(const Section& section, QStringView key)
{
    // A line without "=" has no key and matches nothing.
    for (qsizetype i = 0; i < section.lines.size(); ++i) {
        const QString& line = section.lines[i];
        const qsizetype equals = line.indexOf(u'=');
        if (equals >= 0 && QStringView(line).first(equals).compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniDocument::readString(QStringView section, QStringView key, const QString& defaultValue) const
{
    const Section* found = findSection(section);
    if (!found)
        return defaultValue;
    const qsizetype index = findKey(*found, key);
    if (index < 0)
        return defaultValue;
    const QString& line = found->lines[index];
    return line.sliced(line.indexOf(u'=') + 1);
}

std::optional<int> IniDocument::readInteger(QStringView section, QStringView key) const
{
    const Section* found = findSection(section);
    if (!found)
        return std::nullopt;
    const qsizetype index = findKey(*found, key);
    if (index < 0)
        return std::nullopt;
    const QString& line = found->lines[index];
    return parseInteger(QStringView(line).sliced(line.indexOf(u'=') + 1));
}

int IniDocument::readInteger(QStringView section, QStringView key, int defaultValue) const
{
    return readInteger(section, key).value_or(defaultValue);
}

bool IniDocument::readBool(QStringView section, QStringView key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniDocument::writeInteger(QStringView section, QStringView key, int value)
{
    writeLine(section, key, QString::number(value));
}

void IniDocument::writeString(QStringView section, QStringView key, const QString& value)
{
    writeLine(section, key, sanitizeValue(value));
}

void IniDocument::writeBool(QStringView section, QStringView key, bool value)
{
    writeLine(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniDocument::writeLine(QStringView section, QStringView key, const QString& value)
{
    Section* found = findSection(section);
    if (!found) {
        m_sections.append(Section { section.toString(), {} });
        found = &m_sections.last();
    }
    QString line = key % u'=' % value;
    const qsizetype index = findKey(*found, key);
    if (index >= 0)
        found->lines[index] = std::move(line);
    else
        found->lines.append(std::move(line));
}

std::optional<int> IniDocument::parseInteger(QStringView text)
{
    constexpr qint64 Limit = qint64(std::numeric_limits<int>::max()) + 1;

    qsizetype i = 0;
    const qsizetype size = text.size();
    bool hex = false;
    bool negative = false;
    // "0x1F" is read as "$1F"; it takes neither spaces nor a sign before it.
    if (size > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        hex = true;
        i = 2;
    } else {
        while (i < size && text[i] == u' ')
            ++i;
        if (i < size && (text[i] == u'+' || text[i] == u'-')) {
            negative = text[i] == u'-';
            ++i;
        }
        if (i < size && text[i] == u'$') {
            hex = true;
            ++i;
        }
    }
    if (i == size)
        return std::nullopt;

    qint64 magnitude = 0;
    for (; i < size; ++i) {
        const char16_t c = text[i].unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * (hex ? 16 : 10) + digit;
        if (magnitude > Limit)
            return std::nullopt;
    }
    if (!negative && magnitude == Limit)
        return std::nullopt;
    return int(negative ? -magnitude : magnitude);
}

QString IniDocument::sanitizeValue(const QString& value)
{
    // Control characters become spaces rather than vanishing, so that "Taro\r\nYamada" keeps its
    // two words apart; surrogates that pair up or stand for a raw byte read from the file stay.
    QString result = value;
    const qsizetype size = result.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = result[i].unicode();
        if (c < 0x20) {
            result[i] = u' ';
        } else if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(result[i + 1].unicode())) {
            ++i;
        } else if (QChar::isSurrogate(c) && !utf8codec::isRawByte(c)) {
            result[i] = QChar(QChar::ReplacementCharacter);
        }
    }
    return result;
}
