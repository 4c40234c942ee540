#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

/**
 * Lossless UTF-8: bytes that are not well-formed UTF-8 are kept as lone surrogates U+DC80..U+DCFF
 * (one per byte) and encoded back as the same bytes, so that text another tool wrote in another
 * encoding, in the settings file or in a path, survives a round trip unchanged.
 */
namespace utf8codec {

/** Raw byte b (0x80..0xFF) is kept as U+DC00 + b. */
inline constexpr char16_t RawByteBase = 0xDC00;

/** Whether a UTF-16 unit stands for a kept raw byte. */
bool isRawByte(char16_t c);

/** Decodes UTF-8; every byte that is not part of a well-formed sequence becomes U+DC00 + byte. */
QString decode(const char* data, qsizetype size);
QString decode(const QByteArray& bytes);

/**
 * The inverse of decode(): kept raw bytes go back out as the bytes they were, other lone
 * surrogates as U+FFFD. Appends to @p out.
 */
void encode(QByteArray& out, QStringView text);
QByteArray encode(QStringView text);

} // namespace utf8codec
