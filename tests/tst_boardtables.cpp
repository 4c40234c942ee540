// The constant board tables, written out once more by hand from the garden's own tables: a
// wrong digit in a label, a swapped name or a colour in the wrong byte order fails a row.
#include "core/boardtables.h"

#include <QTest>

namespace {

QString labelOf(char16_t quadrant, char16_t digit)
{
    return QString(QChar(quadrant)) + QChar(digit);
}

} // namespace

class TestBoardTables final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void indices_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("partner");
        QTest::addColumn<uint>("line");
        QTest::addColumn<uint>("inner");
        QTest::addColumn<uint>("outer");
        QTest::addColumn<uint>("dark");
        QTest::addColumn<uint>("translucent");

        // Colours are TColor values, 0xBBGGRR: red in the low byte.
        // clang-format off
        QTest::newRow("1")  << 1  << labelOf(0x55, 0xFF14) << "Compas." << 9 << 0x00D7FFu << 0x00D7FFu << 0x00D7FFu << 0x00D7FFu << 0xC7EDF7u;
        QTest::newRow("2")  << 2  << labelOf(0x55, 0xFF13) << "Honesty" << 10 << 0xFF0000u << 0xFF0000u << 0xFF0000u << 0xFF0000u << 0xDEBFBFu;
        QTest::newRow("3")  << 3  << labelOf(0x55, 0xFF11) << "Honor"   << 11 << 0x800080u << 0x800080u << 0x800080u << 0x800080u << 0xCFB8D0u;
        QTest::newRow("4")  << 4  << labelOf(0x55, 0xFF12) << "Humili." << 12 << 0x000000u << 0x000000u << 0x000000u << 0x808080u << 0xCACAC9u;
        QTest::newRow("5")  << 5  << labelOf(0x52, 0xFF14) << "Justice" << 13 << 0x008000u << 0x008000u << 0x008000u << 0x008000u << 0xB8D0C6u;
        QTest::newRow("6")  << 6  << labelOf(0x52, 0xFF13) << "Sacrif." << 14 << 0x00A5FFu << 0x00A5FFu << 0x00A5FFu << 0x00A5FFu << 0xC0E1FAu;
        QTest::newRow("7")  << 7  << labelOf(0x52, 0xFF11) << "Spirit." << 15 << 0xF5F5F5u << 0xDCDCDCu << 0xC0C0C0u << 0xC0C0C0u << 0xFDFDFCu;
        QTest::newRow("8")  << 8  << labelOf(0x52, 0xFF12) << "Valor"   << 16 << 0x0000FFu << 0x0000FFu << 0x0000FFu << 0x0000FFu << 0xAFC5F2u;
        QTest::newRow("9")  << 9  << labelOf(0x44, 0xFF12) << "Despise" << 1 << 0x00D7FFu << 0x00D7FFu << 0x00D7FFu << 0x00D7FFu << 0xC7EDF7u;
        QTest::newRow("10") << 10 << labelOf(0x44, 0xFF11) << "Deceit"  << 2 << 0xFF0000u << 0xFF0000u << 0xFF0000u << 0xFF0000u << 0xDEBFBFu;
        QTest::newRow("11") << 11 << labelOf(0x44, 0xFF13) << "Shame"   << 3 << 0x800080u << 0x800080u << 0x800080u << 0x800080u << 0xCFB8D0u;
        QTest::newRow("12") << 12 << labelOf(0x44, 0xFF14) << "Pride"   << 4 << 0x000000u << 0x000000u << 0x000000u << 0x808080u << 0xCACAC9u;
        QTest::newRow("13") << 13 << labelOf(0x4C, 0xFF11) << "Wrong"   << 5 << 0x008000u << 0x008000u << 0x008000u << 0x008000u << 0xB8D0C6u;
        QTest::newRow("14") << 14 << labelOf(0x4C, 0xFF12) << "Coveto." << 6 << 0x00A5FFu << 0x00A5FFu << 0x00A5FFu << 0x00A5FFu << 0xC0E1FAu;
        QTest::newRow("15") << 15 << labelOf(0x4C, 0xFF13) << "Hythlo." << 7 << 0xF5F5F5u << 0xDCDCDCu << 0xC0C0C0u << 0xC0C0C0u << 0xFDFDFCu;
        QTest::newRow("16") << 16 << labelOf(0x4C, 0xFF14) << "Destard" << 8 << 0x0000FFu << 0x0000FFu << 0x0000FFu << 0x0000FFu << 0xAFC5F2u;
        // clang-format on
    }

    void indices()
    {
        QFETCH(int, index);
        QFETCH(QString, label);
        QFETCH(QString, name);
        QFETCH(int, partner);
        QFETCH(uint, line);
        QFETCH(uint, inner);
        QFETCH(uint, outer);
        QFETCH(uint, dark);
        QFETCH(uint, translucent);

        // The label is two UTF-16 code units: an ASCII capital and a full-width digit.
        const QString got = board::treeLabel(index);
        QCOMPARE(got.size(), 2);
        QCOMPARE(got.at(0).unicode(), label.at(0).unicode());
        QCOMPARE(got.at(1).unicode(), label.at(1).unicode());
        QCOMPARE(board::optionName(index), name);

        QCOMPARE(board::isVirtue(index), index <= 8);
        QCOMPARE(board::pairIndex(index), index <= 8 ? index : partner);

        QCOMPARE(board::lineColor(index), TColor(line));
        QCOMPARE(board::optionInnerColor(index), TColor(inner));
        QCOMPARE(board::optionOuterColor(index), TColor(outer));
        QCOMPARE(board::backColor(index, 0), TColor(dark));
        QCOMPARE(board::backColor(index, 1), TColor(translucent));
        QCOMPARE(board::backColor(index, 5), TColor(translucent)); // a hand-edited value
        QCOMPARE(board::backColor(index, -1), TColor(translucent));

        // Both halves of a pair agree in every table and both schemes.
        QCOMPARE(board::lineColor(partner), board::lineColor(index));
        QCOMPARE(board::optionInnerColor(partner), board::optionInnerColor(index));
        QCOMPARE(board::optionOuterColor(partner), board::optionOuterColor(index));
        QCOMPARE(board::backColor(partner, 0), board::backColor(index, 0));
        QCOMPARE(board::backColor(partner, 1), board::backColor(index, 1));
    }

    void namesAreDistinctAndNoneContainsAnother()
    {
        // The conflict pass searches names as substrings; that only equals an exact match
        // because no name is part of another.
        for (int a = 1; a <= board::OptionCount; ++a) {
            for (int b = 1; b <= board::OptionCount; ++b) {
                if (a != b)
                    QVERIFY2(!board::optionName(a).contains(board::optionName(b)), qPrintable(board::optionName(a)));
            }
        }
    }

    void labelsAreDistinct()
    {
        QStringList labels;
        for (int t = 1; t <= board::TreeCount; ++t)
            labels << board::treeLabel(t);
        labels.removeDuplicates();
        QCOMPARE(labels.size(), board::TreeCount);
    }

    void emptyMarkIsFullWidthHyphen()
    {
        QCOMPARE(board::EmptyMark.size(), 1);
        QCOMPARE(board::EmptyMark.at(0).unicode(), char16_t(0xFF0D));
    }
};

QTEST_GUILESS_MAIN(TestBoardTables)
#include "tst_boardtables.moc"
