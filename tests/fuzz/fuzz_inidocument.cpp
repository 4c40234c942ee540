// libFuzzer target: any bytes load, save and load again to the same values, and the saved form is
// stable, so that a save never changes what the next start reads.

#include "core/inidocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <QByteArray>
#include <QString>

namespace {

// Letter case is not varied here: the unit tests cover it, and every lookup costs fuzzing speed.
constexpr QStringView Sections[] = { u"System", u"Other", u"" };
constexpr QStringView Keys[] = { u"Form1Top2", u"NAME", u"chTopmost", u"k", u"" };
constexpr int Missing = 0x5A5A5A5A;

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_inidocument: %s\n", what);
        std::abort();
    }
}

QString trimControls(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

/** Everything the program could read agrees between the two documents. */
void checkSameReads(const IniDocument& a, const IniDocument& b)
{
    const QString none = QStringLiteral("<none>");
    for (QStringView section : Sections) {
        for (QStringView key : Keys) {
            check(a.readString(section, key, none) == b.readString(section, key, none), "text differs");
            check(a.readInteger(section, key, Missing) == b.readInteger(section, key, Missing), "integer differs");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    // Loading and saving without a write: the saved form loads to the same values and saves to itself.
    IniDocument document = IniDocument::fromBytes(input);
    const QByteArray saved = document.toBytes();
    check(saved.startsWith("\xEF\xBB\xBF"), "no byte order mark");
    const IniDocument reloaded = IniDocument::fromBytes(saved);
    checkSameReads(document, reloaded);
    check(reloaded.toBytes() == saved, "saved form is not stable");

    // A close-time write: a name taken from the input (raw bytes, control characters and all) and a number.
    const QString name = document.readString(u"System", u"NAME", QString::fromUtf8(input.left(64)));
    const int top = int(qHash(input));
    document.writeString(u"System", u"NAME", name);
    document.writeInteger(u"System", u"Form1Top2", top);
    const QByteArray written = document.toBytes();
    const IniDocument afterWrite = IniDocument::fromBytes(written);
    check(afterWrite.readInteger(u"System", u"Form1Top2", Missing) == top, "written integer lost");
    check(afterWrite.readString(u"System", u"NAME", QString()) == trimControls(IniDocument::sanitizeValue(name)),
          "written text changed");
    const QByteArray rewritten = afterWrite.toBytes();
    check(IniDocument::fromBytes(rewritten).toBytes() == rewritten, "rewritten form not stable");

    // Whatever reads as a number writes back as the same number.
    const int parsed = reloaded.readInteger(u"System", u"Form1Top2", Missing);
    if (parsed != Missing)
        check(IniDocument::parseInteger(QString::number(parsed)) == parsed, "number does not round-trip");
    return 0;
}
