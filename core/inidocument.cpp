#include "inidocument.h"

#include "filestore.h"
#include "filestore_p.h"
#include "pellimoerror.h"

#include <limits>
#include <QDir>
#include <QFileInfo>
#include <QStringBuilder>
#include <QStringDecoder>

namespace {

constexpr char16_t RawByteBase = 0xDC00; // raw byte b (0x80..0xFF) is kept as U+DC00 + b
constexpr char16_t ReplacementChar = 0xFFFD;
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

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool isRawByte(char16_t c)
{
    return c >= RawByteBase + 0x80 && c <= RawByteBase + 0xFF;
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

bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

/**
 * Length of the well-formed UTF-8 sequence at @p p (at most @p n bytes), or 0 when the bytes there
 * are not one; overlong forms, surrogates and values above U+10FFFF are not well-formed.
 */
int sequenceLength(const unsigned char* p, qsizetype n)
{
    const unsigned char b = p[0];
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return n >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (n < 3 || !isContinuation(p[1]) || !isContinuation(p[2]))
            return 0;
        if ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] > 0x9F))
            return 0;
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (n < 4 || !isContinuation(p[1]) || !isContinuation(p[2]) || !isContinuation(p[3]))
            return 0;
        if ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] > 0x8F))
            return 0;
        return 4;
    }
    return 0;
}

/** Decodes UTF-8; every byte that is not part of a well-formed sequence becomes U+DC00 + byte. */
QString decodeLine(const char* data, qsizetype size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    bool ascii = true;
    for (qsizetype i = 0; i < size && ascii; ++i)
        ascii = p[i] < 0x80;
    if (ascii)
        return QString::fromLatin1(data, size);

    // A byte gives at most one UTF-16 unit (four bytes give two), so size units always suffice.
    QString text(size, Qt::Uninitialized);
    QChar* const begin = text.data();
    QChar* out = begin;
    qsizetype i = 0;
    while (i < size) {
        const int length = sequenceLength(p + i, size - i);
        char32_t cp = 0;
        switch (length) {
        case 0:
            *out++ = QChar(char16_t(RawByteBase + p[i]));
            ++i;
            continue;
        case 1:
            cp = p[i];
            break;
        case 2:
            cp = (char32_t(p[i] & 0x1F) << 6) | (p[i + 1] & 0x3F);
            break;
        case 3:
            cp = (char32_t(p[i] & 0x0F) << 12) | (char32_t(p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F);
            break;
        default:
            cp = (char32_t(p[i] & 0x07) << 18) | (char32_t(p[i + 1] & 0x3F) << 12) | (char32_t(p[i + 2] & 0x3F) << 6)
                | (p[i + 3] & 0x3F);
            break;
        }
        if (cp >= 0x10000) {
            *out++ = QChar(QChar::highSurrogate(cp));
            *out++ = QChar(QChar::lowSurrogate(cp));
        } else {
            *out++ = QChar(char16_t(cp));
        }
        i += length;
    }
    text.truncate(out - begin);
    return text;
}

char* putUtf8(char* out, char32_t cp)
{
    if (cp < 0x80) {
        *out++ = char(cp);
    } else if (cp < 0x800) {
        *out++ = char(0xC0 | (cp >> 6));
        *out++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = char(0xE0 | (cp >> 12));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    } else {
        *out++ = char(0xF0 | (cp >> 18));
        *out++ = char(0x80 | ((cp >> 12) & 0x3F));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    }
    return out;
}

/** The inverse of decodeLine(): kept raw bytes go back out as the bytes they were. */
void encodeLine(QByteArray& out, QStringView text)
{
    // A UTF-16 unit takes at most three bytes (a surrogate pair four for its two units).
    const qsizetype start = out.size();
    out.resize(start + 3 * text.size());
    char* const begin = out.data();
    char* p = begin + start;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            *p++ = char(c);
        } else if (isHighSurrogate(c) && i + 1 < size && isLowSurrogate(text[i + 1].unicode())) {
            p = putUtf8(p, QChar::surrogateToUcs4(c, text[i + 1].unicode()));
            ++i;
        } else if (isRawByte(c)) {
            *p++ = char(c - RawByteBase);
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            p = putUtf8(p, ReplacementChar);
        } else {
            p = putUtf8(p, c);
        }
    }
    out.truncate(p - begin);
}

QByteArray encodeLine(QStringView text)
{
    QByteArray out;
    encodeLine(out, text);
    return out;
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
    return encodeLine(text);
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
            const QString header = decodeLine(data + begin + 1, length - 2);
            document.m_sections.append(Section { trimControls(header).toString(), {} });
            current = &document.m_sections.last();
            continue;
        }
        if (!current)
            continue;

        QString line = decodeLine(data + begin, length);
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
        encodeLine(out, section.name);
        out.append(']');
        out.append(LineEnd);
        for (const QString& line : section.lines) {
            encodeLine(out, line);
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

QString IniDocument::decodeText(const QByteArray& bytes)
{
    return decodeLine(bytes.constData(), bytes.size());
}

QByteArray IniDocument::encodeText(QStringView text)
{
    return encodeLine(text);
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
        } else if (isHighSurrogate(c) && i + 1 < size && isLowSurrogate(result[i + 1].unicode())) {
            ++i;
        } else if ((isHighSurrogate(c) || isLowSurrogate(c)) && !isRawByte(c)) {
            result[i] = QChar(ReplacementChar);
        }
    }
    return result;
}
