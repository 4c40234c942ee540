#pragma once

#include <optional>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

/**
 * The settings file in memory: sections of lines, read and written by section and key.
 *
 * Every access opens a document, reads or writes a few keys, saves when it wrote, and drops it.
 * Sections and keys are matched without regard to letter case; the first match wins.
 *
 * Text is UTF-8; a file that begins with a UTF-16 byte order mark (LE or BE) is read as UTF-16
 * and saved as UTF-8 like any other. UTF-8 is read and written losslessly (utf8codec.h): lines
 * that the program never touches survive a save unchanged even when another tool wrote them in
 * another encoding.
 */
class IniDocument final
{
public:
    /** Largest file that open() accepts; the settings file is a few hundred bytes. */
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    IniDocument() = default;

    /**
     * Loads the file at @p path. A missing file gives an empty document. Throws PellimoError
     * "ファイル %s は開けません。 %s " when something other than a regular file is there (a folder,
     * a FIFO, a device), or the file cannot be read or is larger than MaxFileSize.
     */
    static IniDocument open(const QString& path);

    /**
     * Parses the bytes of a settings file, UTF-8 or UTF-16 with its byte order mark. Never fails:
     * anything unreadable is kept or dropped as data.
     */
    static IniDocument fromBytes(const QByteArray& bytes);

    /** The bytes save() writes: UTF-8 with BOM, CR LF after every line, an empty line after each section. */
    QByteArray toBytes() const;

    /**
     * Replaces the file at @p path with toBytes() so that a failure or a crash leaves either the
     * old or the new content, never a mix (filestore::replaceFile()). Throws PellimoError
     * "ファイル "%s" を作成できません。%s" with the system's reason on any error, a full disk
     * included; the old file then stays as it was. A document larger than MaxFileSize is refused
     * the same way ("File too large"): open() would not read it back.
     */
    void save(const QString& path) const;

    /** Throws the error of a save that could not create @p path, for @p reason. */
    [[noreturn]] static void throwCreateError(const QString& path, const QString& reason);

    int readInteger(QStringView section, QStringView key, int defaultValue) const;
    /** The key's integer, or nothing when the key is missing or its value is not an integer. */
    std::optional<int> readInteger(QStringView section, QStringView key) const;
    QString readString(QStringView section, QStringView key, const QString& defaultValue) const;
    bool readBool(QStringView section, QStringView key, bool defaultValue) const;

    /**
     * Writers set "key=value" in the first section named @p section (added at the end when
     * missing): the first line whose key matches in any letter case is replaced, otherwise the
     * line is appended to the section. The key is spelled as given.
     */
    void writeInteger(QStringView section, QStringView key, int value);
    void writeString(QStringView section, QStringView key, const QString& value);
    void writeBool(QStringView section, QStringView key, bool value);

    /**
     * A value as the readers see it: optional leading spaces, an optional sign, then decimal
     * digits, or hexadecimal digits after "$" (a leading "0x"/"0X" counts as "$"); the result
     * must fit a signed 32-bit integer. Anything else gives no value.
     */
    static std::optional<int> parseInteger(QStringView text);

    /**
     * What a written text turns into: C0 control characters become spaces, so that a pasted line
     * break cannot split the value into lines of its own; broken surrogates other than kept raw
     * bytes become U+FFFD.
     */
    static QString sanitizeValue(const QString& value);

private:
    struct Section
    {
        QString name;
        QList<QString> lines;
    };

    const Section* findSection(QStringView name) const;
    Section* findSection(QStringView name);
    static qsizetype findKey(const Section& section, QStringView key);
    void writeLine(QStringView section, QStringView key, const QString& value);

    QList<Section> m_sections;
};
