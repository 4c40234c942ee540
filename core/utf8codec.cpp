#include "core/utf8codec.h"

namespace {

constexpr char16_t ReplacementChar = 0xFFFD;

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
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

} // namespace

namespace utf8codec {

bool isRawByte(char16_t c)
{
    return c >= RawByteBase + 0x80 && c <= RawByteBase + 0xFF;
}

QString decode(const char* data, qsizetype size)
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

QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}

void encode(QByteArray& out, QStringView text)
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

QByteArray encode(QStringView text)
{
    QByteArray out;
    encode(out, text);
    return out;
}

} // namespace utf8codec
