// The settings file as bytes: what a hand-edited file reads as, and the exact bytes a save writes.

#include "core/inidocument.h"
#include "core/pellimoerror.h"

#include <cstddef>
#include <limits>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int Unset = -7;

/** Bytes of a literal, embedded NULs included. */
template<std::size_t N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

/** A saved file: the BOM, then the bytes of the literal. */
template<std::size_t N> QByteArray saved(const char (&text)[N])
{
    return QByteArray("\xEF\xBB\xBF") + raw(text);
}

QString chars(std::initializer_list<char16_t> units)
{
    QString text;
    for (char16_t unit : units)
        text.append(QChar(unit));
    return text;
}

} // namespace

class TestIniDocument final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readString_data();
    void readString();
    void readInteger_data();
    void readInteger();
    void parseInteger_data();
    void parseInteger();
    void readBool_data();
    void readBool();
    void writeString_data();
    void writeString();
    void writeInteger_data();
    void writeInteger();
    void writeBool_data();
    void writeBool();
    void roundTrip_data();
    void roundTrip();
    void utf16File_data();
    void utf16File();
    void firstSaveWritesTheCloseTimeKeys();
    void rawBytesOfTheNameSurviveRewriting();
    void saveAndOpenAgree();
    void openMissingFileIsEmpty();
    void millionLinesLoad();
    void longLineLoads();
};

void TestIniDocument::readString_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");

    const QString noName = QStringLiteral("NoName");
    QTest::newRow("no file") << QByteArray() << noName;
    QTest::newRow("empty NAME") << raw("[System]\r\nNAME=\r\n") << "";
    QTest::newRow("trimmed name") << raw("[System]\r\nNAME=  Taro Yamada \t\r\n") << "Taro Yamada";
    QTest::newRow("spaces around =") << raw("[System]\r\n  NAME = Taro  \r\n") << "Taro";
    QTest::newRow("value keeps later =") << raw("[System]\r\nNAME=a = b\r\n") << "a = b";
    QTest::newRow("key case ignored") << raw("[System]\r\nname=x\r\n") << "x";
    QTest::newRow("section case ignored") << raw("[SYSTEM]\r\nNAME=x\r\n") << "x";
    QTest::newRow("trimmed header") << raw("  [ System ]\t\r\nNAME=x\r\n") << "x";
    QTest::newRow("missing key") << raw("[System]\r\nForm1Top2=3\r\n") << noName;
    QTest::newRow("other section only") << raw("[Other]\r\nNAME=x\r\n") << noName;
    QTest::newRow("comment dropped") << raw("[System]\r\n;NAME=hidden\r\n") << noName;
    QTest::newRow("comment after trim") << raw("[System]\r\n  ;NAME=hidden\r\nNAME=shown\r\n") << "shown";
    QTest::newRow("first key wins") << raw("[System]\r\nNAME=first\r\nname=second\r\n") << "first";
    QTest::newRow("first section wins") << raw("[System]\r\nNAME=a\r\n[system]\r\nNAME=b\r\n") << "a";
    QTest::newRow("repeated section unread") << raw("[System]\r\nX=1\r\n[System]\r\nNAME=b\r\n") << noName;
    QTest::newRow("before first section") << raw("NAME=x\r\n[System]\r\n") << noName;
    QTest::newRow("unclosed header") << raw("[System\r\nNAME=x\r\n") << noName;
    QTest::newRow("line without =") << raw("[System]\r\nNAME\r\nNAME=x\r\n") << "x";
    QTest::newRow("empty key") << raw("[System]\r\n=x\r\n") << noName;
    QTest::newRow("LF lines") << raw("[System]\nNAME=x\n") << "x";
    QTest::newRow("CR lines") << raw("[System]\rNAME=x\r") << "x";
    QTest::newRow("LF CR is two breaks") << raw("[System]\n\rNAME=x\n\r") << "x";
    QTest::newRow("no final line break") << raw("[System]\r\nNAME=x") << "x";
    QTest::newRow("BOM skipped") << raw("\xEF\xBB\xBF[System]\r\nNAME=x\r\n") << "x";
    QTest::newRow("second BOM is text") << raw("\xEF\xBB\xBF\xEF\xBB\xBF[System]\r\nNAME=x\r\n") << noName;
    QTest::newRow("NUL trimmed") << raw("[System]\r\nNAME=\0x\0\r\n") << "x";
    QTest::newRow("inner NUL kept") << raw("[System]\r\nNAME=a\0b\r\n") << QString::fromUtf16(u"a\0b", 3);
    QTest::newRow("ideographic space kept")
        << raw("[System]\r\nNAME=\xE3\x80\x80x\xE3\x80\x80\r\n") << QStringLiteral(u"\u3000x\u3000");
    QTest::newRow("Japanese") << raw("[System]\r\nNAME=\xE5\xB1\xB1\xE7\x94\xB0\r\n") << QStringLiteral(u"山田");
    QTest::newRow("four-byte character") << raw("[System]\r\nNAME=\xF0\x9F\x8C\xB3\r\n")
                                         << QStringLiteral(u"\U0001F333");
    QTest::newRow("Latin-1 byte") << raw("[System]\r\nNAME=M\xFCller\r\n") << QString("M" + chars({ 0xDCFC }) + "ller");
    QTest::newRow("overlong slash") << raw("[System]\r\nNAME=\xC0\xAF\r\n") << chars({ 0xDCC0, 0xDCAF });
    QTest::newRow("encoded surrogate") << raw("[System]\r\nNAME=\xED\xA0\x80\r\n") << chars({ 0xDCED, 0xDCA0, 0xDC80 });
    QTest::newRow("truncated sequence") << raw("[System]\r\nNAME=\xE2\x82Z\r\n") << chars({ 0xDCE2, 0xDC82, u'Z' });
    QTest::newRow("above U+10FFFF") << raw("[System]\r\nNAME=\xF4\x90\x80\x80\r\n")
                                    << chars({ 0xDCF4, 0xDC90, 0xDC80, 0xDC80 });
    // clang-format on
}

void TestIniDocument::readString()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);

    const IniDocument document = IniDocument::fromBytes(input);
    QCOMPARE(document.readString(u"System", u"NAME", QStringLiteral("NoName")), expected);
}

void TestIniDocument::readInteger_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("expected");

    QTest::newRow("no file") << QByteArray() << "Form1Top2" << Unset;
    QTest::newRow("decimal") << raw("[System]\r\nForm1Top2=326\r\n") << "Form1Top2" << 326;
    QTest::newRow("Form1Top2=0x20") << raw("[System]\r\nForm1Top2=0x20\r\n") << "Form1Top2" << 32;
    QTest::newRow("form1top2 = 100 [system]") << raw("[system]\r\nform1top2 = 100\r\n") << "Form1Top2" << 100;
    QTest::newRow("spaces trimmed in file") << raw("[System]\r\nForm1Top2=  12  \r\n") << "Form1Top2" << 12;
    QTest::newRow("negative") << raw("[System]\r\nForm1Left2=-1920\r\n") << "Form1Left2" << -1920;
    QTest::newRow("not a number") << raw("[System]\r\nForm1Top2=yes\r\n") << "Form1Top2" << Unset;
    QTest::newRow("empty") << raw("[System]\r\nForm1Top2=\r\n") << "Form1Top2" << Unset;
    QTest::newRow("other keys unaffected") << raw("[System]\r\nForm1Top2=x\r\nForm2Top=5\r\n") << "Form2Top" << 5;
    QTest::newRow("raw byte in value") << raw("[System]\r\nForm1Top2=1\xFF\r\n") << "Form1Top2" << Unset;
    // clang-format on
}

void TestIniDocument::readInteger()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, key);
    QFETCH(int, expected);

    QCOMPARE(IniDocument::fromBytes(input).readInteger(u"System", key, Unset), expected);
}

void TestIniDocument::parseInteger_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");

    constexpr int Max = std::numeric_limits<int>::max();
    constexpr int Min = std::numeric_limits<int>::min();
    QTest::newRow("leading spaces") << " 12" << 12;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("minus zero") << "-0" << 0;
    QTest::newRow("dollar hex") << "$1F" << 31;
    QTest::newRow("dollar lower hex") << "$ff" << 255;
    QTest::newRow("signed dollar hex") << "-$1F" << -31;
    QTest::newRow("0x lower") << "0x1f" << 31;
    QTest::newRow("0X upper") << "0X20" << 32;
    QTest::newRow("0x alone") << "0x" << Unset;
    QTest::newRow("dollar alone") << "$" << Unset;
    QTest::newRow("sign alone") << "-" << Unset;
    QTest::newRow("spaces alone") << "   " << Unset;
    QTest::newRow("0x then sign") << "0x-1" << Unset;
    QTest::newRow("space before 0x") << " 0x20" << Unset;
    QTest::newRow("sign before 0x") << "-0x20" << Unset;
    QTest::newRow("maximum") << "2147483647" << Max;
    QTest::newRow("maximum plus one") << "2147483648" << Unset;
    QTest::newRow("minimum") << "-2147483648" << Min;
    QTest::newRow("minimum minus one") << "-2147483649" << Unset;
    QTest::newRow("hex maximum") << "$7FFFFFFF" << Max;
    QTest::newRow("hex above maximum") << "$80000000" << Unset;
    QTest::newRow("hex minimum") << "-$80000000" << Min;
    QTest::newRow("many digits") << "99999999999999999999" << Unset;
    QTest::newRow("leading zeros") << "00000000000000000042" << 42;
    QTest::newRow("not octal") << "010" << 10;
    QTest::newRow("inner space") << "1 2" << Unset;
    QTest::newRow("trailing space") << "12 " << Unset;
    QTest::newRow("empty") << "" << Unset;
    QTest::newRow("hex without prefix") << "1F" << Unset;
    QTest::newRow("two signs") << "--1" << Unset;
    QTest::newRow("decimal point") << "1.0" << Unset;
    QTest::newRow("full-width digits") << QStringLiteral(u"１２") << Unset;
    QTest::newRow("tab before digits") << "\t1" << Unset;
    // clang-format on
}

void TestIniDocument::parseInteger()
{
    QFETCH(QString, value);
    QFETCH(int, expected);

    // Parsed directly: a loaded file has lost the value's outer spaces to trimming.
    QCOMPARE(IniDocument::parseInteger(value).value_or(Unset), expected);
}

void TestIniDocument::readBool_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");

    QTest::newRow("no file") << QByteArray() << true << true;
    QTest::newRow("chTopmost=0") << raw("[System]\r\nchTopmost=0\r\n") << true << false;
    QTest::newRow("chTopmost=1") << raw("[System]\r\nchTopmost=1\r\n") << false << true;
    QTest::newRow("chTopmost=2") << raw("[System]\r\nchTopmost=2\r\n") << true << true;
    QTest::newRow("chTopmost=-1") << raw("[System]\r\nchTopmost=-1\r\n") << true << true;
    QTest::newRow("chTopmost=yes") << raw("[System]\r\nchTopmost=yes\r\n") << true << true;
    QTest::newRow("yes, default off") << raw("[System]\r\nchTopmost=yes\r\n") << false << false;
    QTest::newRow("chTopmost=0x0") << raw("[System]\r\nchTopmost=0x0\r\n") << true << false;
    QTest::newRow("empty, default on") << raw("[System]\r\nchTopmost=\r\n") << true << true;
    // clang-format on
}

void TestIniDocument::readBool()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);

    QCOMPARE(IniDocument::fromBytes(input).readBool(u"System", u"chTopmost", defaultValue), expected);
}

void TestIniDocument::writeString_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("expected");

    // clang-format off
    QTest::newRow("new file")
        << QByteArray() << "NoName"
        << saved("[System]\r\nNAME=NoName\r\n\r\n");
    QTest::newRow("empty name")
        << raw("[System]\r\nNAME=Taro\r\n") << ""
        << saved("[System]\r\nNAME=\r\n\r\n");
    QTest::newRow("replaces first match in any case")
        << raw("[system]\r\nname = old\r\nNAME=second\r\n") << "new"
        << saved("[system]\r\nNAME=new\r\nNAME=second\r\n\r\n");
    QTest::newRow("appends to the end of its section")
        << raw("[System]\r\nA=1\r\n[Other]\r\nB=2\r\n") << "x"
        << saved("[System]\r\nA=1\r\nNAME=x\r\n\r\n[Other]\r\nB=2\r\n\r\n");
    QTest::newRow("adds a missing section at the end")
        << raw("[Other]\r\nB=2\r\n") << "x"
        << saved("[Other]\r\nB=2\r\n\r\n[System]\r\nNAME=x\r\n\r\n");
    QTest::newRow("writes into the first of repeated sections")
        << raw("[System]\r\nA=1\r\n[SYSTEM]\r\nNAME=old\r\n") << "x"
        << saved("[System]\r\nA=1\r\nNAME=x\r\n\r\n[SYSTEM]\r\nNAME=old\r\n\r\n");
    QTest::newRow("comments and blanks dropped, extra section kept")
        << raw("; my settings\r\nstray=1\r\n\r\n[System]\r\n; name\r\n\r\nForm1Top2 = 5\r\n\r\n"
               "[Extra]\r\n foo = bar \r\nplain line\r\n")
        << "x"
        << saved("[System]\r\nForm1Top2=5\r\nNAME=x\r\n\r\n[Extra]\r\nfoo=bar\r\nplain line\r\n\r\n");
    QTest::newRow("invalid UTF-8 elsewhere survives")
        << raw("[Other]\r\nk=\xFF\xFE abc \xC0\x80\r\nraw\xE2\x82\r\n[\xA0\xA1]\r\nv=\xED\xA0\x80\r\n")
        << "x"
        << saved("[Other]\r\nk=\xFF\xFE abc \xC0\x80\r\nraw\xE2\x82\r\n\r\n[\xA0\xA1]\r\nv=\xED\xA0\x80\r\n\r\n"
                 "[System]\r\nNAME=x\r\n\r\n");
    QTest::newRow("CR LF in value becomes spaces")
        << QByteArray() << "Taro\r\nYamada"
        << saved("[System]\r\nNAME=Taro  Yamada\r\n\r\n");
    QTest::newRow("lone LF cannot start a section")
        << QByteArray() << "x\n[Evil]\nk=v"
        << saved("[System]\r\nNAME=x [Evil] k=v\r\n\r\n");
    QTest::newRow("tab, NUL and escape become spaces")
        << QByteArray() << QString::fromUtf16(u"a\tb\0c\x1Bz", 7)
        << saved("[System]\r\nNAME=a b c z\r\n\r\n");
    QTest::newRow("DEL and U+2028 kept")
        << QByteArray() << QStringLiteral(u"a\u007Fz\u2028y")
        << saved("[System]\r\nNAME=a\x7Fz\xE2\x80\xA8y\r\n\r\n");
    QTest::newRow("lone high surrogate replaced")
        << QByteArray() << chars({ u'a', 0xD83D, u'x' })
        << saved("[System]\r\nNAME=a\xEF\xBF\xBDx\r\n\r\n");
    QTest::newRow("surrogate pair kept")
        << QByteArray() << chars({0xD83C, 0xDF33})
        << saved("[System]\r\nNAME=\xF0\x9F\x8C\xB3\r\n\r\n");
    QTest::newRow("Japanese")
        << QByteArray() << QStringLiteral(u"山田")
        << saved("[System]\r\nNAME=\xE5\xB1\xB1\xE7\x94\xB0\r\n\r\n");
    // clang-format on
}

void TestIniDocument::writeString()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, value);
    QFETCH(QByteArray, expected);

    IniDocument document = IniDocument::fromBytes(input);
    document.writeString(u"System", u"NAME", value);
    QCOMPARE(document.toBytes(), expected);
}

void TestIniDocument::writeInteger_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("expected");

    // clang-format off
    QTest::newRow("form1top2 = 100 in [system] rewritten")
        << raw("[system]\r\nform1top2 = 100\r\n") << 326
        << saved("[system]\r\nForm1Top2=326\r\n\r\n");
    QTest::newRow("hex value replaced by decimal")
        << raw("[System]\r\nForm1Top2=0x20\r\n") << 32
        << saved("[System]\r\nForm1Top2=32\r\n\r\n");
    QTest::newRow("negative")
        << QByteArray() << -1920
        << saved("[System]\r\nForm1Top2=-1920\r\n\r\n");
    QTest::newRow("zero")
        << QByteArray() << 0
        << saved("[System]\r\nForm1Top2=0\r\n\r\n");
    QTest::newRow("minimum")
        << QByteArray() << std::numeric_limits<int>::min()
        << saved("[System]\r\nForm1Top2=-2147483648\r\n\r\n");
    QTest::newRow("maximum")
        << QByteArray() << std::numeric_limits<int>::max()
        << saved("[System]\r\nForm1Top2=2147483647\r\n\r\n");
    // clang-format on
}

void TestIniDocument::writeInteger()
{
    QFETCH(QByteArray, input);
    QFETCH(int, value);
    QFETCH(QByteArray, expected);

    IniDocument document = IniDocument::fromBytes(input);
    document.writeInteger(u"System", u"Form1Top2", value);
    QCOMPARE(document.toBytes(), expected);
    QCOMPARE(IniDocument::fromBytes(expected).readInteger(u"System", u"Form1Top2", Unset), value);
}

void TestIniDocument::writeBool_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("value");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("on") << QByteArray() << true << saved("[System]\r\nchTopmost=1\r\n\r\n");
    QTest::newRow("off") << QByteArray() << false << saved("[System]\r\nchTopmost=0\r\n\r\n");
    QTest::newRow("replaces yes") << raw("[System]\r\nCHTOPMOST=yes\r\n") << true
                                  << saved("[System]\r\nchTopmost=1\r\n\r\n");
    QTest::newRow("replaces -1") << raw("[System]\r\nchTopmost=-1\r\n") << false
                                 << saved("[System]\r\nchTopmost=0\r\n\r\n");
    // clang-format on
}

void TestIniDocument::writeBool()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, value);
    QFETCH(QByteArray, expected);

    IniDocument document = IniDocument::fromBytes(input);
    document.writeBool(u"System", u"chTopmost", value);
    QCOMPARE(document.toBytes(), expected);
}

void TestIniDocument::roundTrip_data()
{
    QTest::addColumn<QByteArray>("input");

    // Files in the saved form come back byte for byte.
    QTest::newRow("empty document") << saved("");
    QTest::newRow("settings") << saved("[System]\r\nForm1Top2=326\r\nNAME=\r\nchTopmost=1\r\n\r\n");
    QTest::newRow("repeated sections") << saved("[System]\r\nA=1\r\n\r\n[system]\r\nA=2\r\n\r\n[System]\r\n\r\n");
    QTest::newRow("empty section name") << saved("[]\r\n=\r\nx=\r\n\r\n");
    QTest::newRow("lines without =") << saved("[S]\r\nplain\r\n[not a header\r\n\r\n");
    QTest::newRow("brackets in a name") << saved("[[x]]\r\na]b=[c]\r\n\r\n");
    QTest::newRow("inner NUL and controls") << saved("[S]\r\na\0b=c\x01\x1Fz\r\n\r\n");
    QTest::newRow("invalid UTF-8") << saved(
        "[\xFF]\r\n\xC0\xC1\xF5\xF8\xFE=\xED\xBF\xBF\xF4\x90\x80\x80\xE0\x80\r\n\r\n");
    QTest::newRow("BOM as text inside") << saved("[S]\r\nk=\xEF\xBB\xBF\r\n\r\n");
}

void TestIniDocument::roundTrip()
{
    QFETCH(QByteArray, input);

    QCOMPARE(IniDocument::fromBytes(input).toBytes(), input);
}

void TestIniDocument::utf16File_data()
{
    QTest::addColumn<QByteArray>("input");

    // As Notepad saves it with "Unicode" (LE) or "Unicode big endian", both with their BOM.
    const QString text = QStringLiteral(u"\uFEFF[System]\r\nNAME=山田 \U0001F333\r\nForm1Top2=7\r\n[Other]\r\nk=v");
    QTest::newRow("UTF-16 LE") << QByteArray(QStringEncoder(QStringConverter::Utf16LE).encode(text));
    QTest::newRow("UTF-16 BE") << QByteArray(QStringEncoder(QStringConverter::Utf16BE).encode(text));
}

void TestIniDocument::utf16File()
{
    QFETCH(QByteArray, input);

    const IniDocument document = IniDocument::fromBytes(input);
    QCOMPARE(document.readInteger(u"System", u"Form1Top2", 0), 7);
    // Saved as UTF-8 with its BOM, like every file the program writes.
    QCOMPARE(
        document.toBytes(),
        saved(
            "[System]\r\nNAME=\xE5\xB1\xB1\xE7\x94\xB0 \xF0\x9F\x8C\xB3\r\nForm1Top2=7\r\n\r\n[Other]\r\nk=v\r\n\r\n"));
}

void TestIniDocument::firstSaveWritesTheCloseTimeKeys()
{
    // The close-time access of a first run, then a confirmed settings dialog.
    IniDocument first;
    first.writeInteger(u"System", u"Form1Top2", 326);
    first.writeInteger(u"System", u"Form1Left2", 808);
    first.writeString(u"System", u"NAME", QStringLiteral("NoName"));
    first.writeInteger(u"System", u"Form2Top", 389);
    first.writeInteger(u"System", u"Form2Left", 808);
    first.writeBool(u"System", u"chTopmost", true);
    const QByteArray firstBytes = first.toBytes();
    QCOMPARE(firstBytes,
             QByteArray("\xEF\xBB\xBF[System]\r\nForm1Top2=326\r\nForm1Left2=808\r\nNAME=NoName\r\nForm2Top=389\r\n"
                        "Form2Left=808\r\nchTopmost=1\r\n\r\n"));

    IniDocument second = IniDocument::fromBytes(firstBytes);
    second.writeInteger(u"System", u"iSettingsBtnBGColor", 1);
    second.writeInteger(u"System", u"iSettingsTreeBtnTxtColor", 0);
    second.writeInteger(u"System", u"iSettingsTreeBtnTxtBold", 1);
    second.writeInteger(u"System", u"iSettingsTokuBtnTxtColor", 0);
    second.writeInteger(u"System", u"iSettingsTokuBtnTxtBold", 1);
    QCOMPARE(
        second.toBytes(),
        QByteArray("\xEF\xBB\xBF[System]\r\nForm1Top2=326\r\nForm1Left2=808\r\nNAME=NoName\r\nForm2Top=389\r\n"
                   "Form2Left=808\r\nchTopmost=1\r\niSettingsBtnBGColor=1\r\niSettingsTreeBtnTxtColor=0\r\n"
                   "iSettingsTreeBtnTxtBold=1\r\niSettingsTokuBtnTxtColor=0\r\niSettingsTokuBtnTxtBold=1\r\n\r\n"));
}

void TestIniDocument::rawBytesOfTheNameSurviveRewriting()
{
    // A name typed in another encoding is written back as the same bytes, not as U+FFFD.
    const QByteArray input = saved("[System]\r\nNAME=M\xFCller \x82\xA0\r\n\r\n");
    IniDocument document = IniDocument::fromBytes(input);
    document.writeString(u"System", u"NAME", document.readString(u"System", u"NAME", QString()));
    QCOMPARE(document.toBytes(), input);
}

void TestIniDocument::saveAndOpenAgree()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("PLMO_UserSettings.ini"));

    IniDocument document = IniDocument::fromBytes(raw("[Other]\r\nk=\xFF\r\n"));
    document.writeString(u"System", u"NAME", QStringLiteral(u"山田 太郎"));
    document.writeInteger(u"System", u"Form2Top", -5);
    document.save(path);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), document.toBytes());
    file.close();

    const IniDocument reopened = IniDocument::open(path);
    QCOMPARE(reopened.toBytes(), document.toBytes());
    QCOMPARE(reopened.readString(u"system", u"name", QString()), QStringLiteral(u"山田 太郎"));
    QCOMPARE(reopened.readInteger(u"System", u"Form2Top", Unset), -5);

    // A second save replaces the file whole.
    IniDocument smaller;
    smaller.writeBool(u"System", u"chTopmost", false);
    smaller.save(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), saved("[System]\r\nchTopmost=0\r\n\r\n"));
}

void TestIniDocument::openMissingFileIsEmpty()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const IniDocument document = IniDocument::open(dir.filePath(QStringLiteral("none.ini")));
    QCOMPARE(document.toBytes(), saved(""));
    QCOMPARE(document.readInteger(u"System", u"Form1Top2", Unset), Unset);
    QVERIFY(document.readBool(u"System", u"chTopmost", true));
}

void TestIniDocument::millionLinesLoad()
{
    constexpr int Lines = 1000000;
    QByteArray input = "[System]\r\n";
    input.reserve(Lines * 12);
    for (int i = 0; i < Lines; ++i)
        input += "k" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
    input += "NAME=last\n";

    IniDocument document = IniDocument::fromBytes(input);
    QCOMPARE(document.readString(u"System", u"NAME", QString()), QStringLiteral("last"));
    QCOMPARE(document.readInteger(u"System", u"k999999", Unset), 999999);
    document.writeInteger(u"System", u"Form1Top2", 1);
    const QByteArray output = document.toBytes();
    QVERIFY(output.endsWith("NAME=last\r\nForm1Top2=1\r\n\r\n"));
}

void TestIniDocument::longLineLoads()
{
    QByteArray value(8 * 1024 * 1024, 'x');
    value[100] = '\xFF';
    const QByteArray input = "[System]\r\nNAME=" + value + "\r\n";
    const QString name = IniDocument::fromBytes(input).readString(u"System", u"NAME", QString());
    QCOMPARE(name.size(), value.size());
    QCOMPARE(name.at(100), QChar(0xDCFF));
    QCOMPARE(IniDocument::fromBytes(input).toBytes(), saved("[System]\r\nNAME=") + value + "\r\n\r\n");
}

QTEST_GUILESS_MAIN(TestIniDocument)
#include "tst_inidocument.moc"
