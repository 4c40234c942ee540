// The board model and its analysis without any window: which trees are in conflict, who claims
// each option, and the pair lines in drawing order, after the operations a user makes.
#include "core/board.h"
#include "core/boardtables.h"

#include <QSignalSpy>
#include <QTest>

namespace {

/** One user operation: tree `tree` given option `option`; option 0 takes it away; tree 0 clears all. */
struct Step
{
    int tree = 0;
    int option = 0;
};
using Steps = QList<Step>;
using Lines = QList<analysis::PairLine>;
/** Option index -> the labels of the trees that claim it, in tree order (options not named are free). */
using Claims = QMap<int, QString>;

QString labels(std::initializer_list<int> trees)
{
    QString s;
    for (int t : trees)
        s += board::treeLabel(t);
    return s;
}

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(analysis::PairLine)

class TestBoardAnalysis final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void analyse_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QList<int>>("conflicts");
        QTest::addColumn<Claims>("claims");
        QTest::addColumn<Lines>("lines");
        // clang-format off
        QTest::newRow("empty board")              << Steps{} << QList<int>{} << Claims{} << Lines{};
        QTest::newRow("one pair")                 << Steps{ { 3, 1 }, { 12, 9 } } << QList<int>{}
            << Claims{ { 1, labels({ 3 }) }, { 9, labels({ 12 }) } } << Lines{ { 3, 12, 1 } };
        QTest::newRow("virtue after its vice")    << Steps{ { 14, 5 }, { 2, 13 } } << QList<int>{}
            << Claims{ { 5, labels({ 14 }) }, { 13, labels({ 2 }) } } << Lines{ { 14, 2, 5 } };
        QTest::newRow("vice held twice: conflict, lines to both")
            << Steps{ { 3, 1 }, { 12, 9 }, { 9, 9 } } << QList<int>{ 9, 12 }
            << Claims{ { 1, labels({ 3 }) }, { 9, labels({ 9, 12 }) } } << Lines{ { 3, 9, 1 }, { 3, 12, 1 } };
        QTest::newRow("virtue held twice: conflict, no line")
            << Steps{ { 3, 1 }, { 1, 1 }, { 12, 9 } } << QList<int>{ 1, 3 }
            << Claims{ { 1, labels({ 1, 3 }) }, { 9, labels({ 12 }) } } << Lines{};
        QTest::newRow("lines by virtue tree, then partner tree")
            << Steps{ { 13, 2 }, { 8, 10 }, { 1, 1 }, { 11, 9 } } << QList<int>{}
            << Claims{ { 1, labels({ 1 }) }, { 9, labels({ 11 }) }, { 2, labels({ 13 }) }, { 10, labels({ 8 }) } }
            << Lines{ { 1, 11, 1 }, { 13, 8, 2 } };
        QTest::newRow("re-choosing moves the claim") << Steps{ { 5, 3 }, { 5, 11 } } << QList<int>{}
            << Claims{ { 11, labels({ 5 }) } } << Lines{};
        QTest::newRow("taking away ends a conflict") << Steps{ { 5, 3 }, { 7, 11 }, { 2, 11 }, { 2, 0 } }
            << QList<int>{} << Claims{ { 3, labels({ 5 }) }, { 11, labels({ 7 }) } } << Lines{ { 5, 7, 3 } };
        QTest::newRow("clear empties every tree") << Steps{ { 3, 1 }, { 12, 9 }, { 0, 0 } } << QList<int>{}
            << Claims{} << Lines{};
        QTest::newRow("a tree outside the board changes nothing") << Steps{ { 0, 3 }, { 17, 3 } } << QList<int>{}
            << Claims{} << Lines{};
        // clang-format on
    }

    void analyse()
    {
        QFETCH(Steps, steps);
        QFETCH(QList<int>, conflicts);
        QFETCH(Claims, claims);
        QFETCH(Lines, lines);

        Board b;
        QSignalSpy spy(&b, &Board::changed);
        for (const Step& s : steps) {
            if (s.tree == 0 && s.option == 0)
                b.clearAll();
            else if (s.option == 0)
                b.clearTree(s.tree);
            else
                b.choose(s.tree, s.option);
        }
        // Every operation tells the windows once, also one that changed nothing.
        QCOMPARE(spy.size(), steps.size());

        const analysis::BoardLook look = b.analyse();
        QCOMPARE(look.lines, std::vector<analysis::PairLine>(lines.begin(), lines.end()));
        for (int t = 1; t <= board::TreeCount; ++t) {
            const analysis::TreeLook expected = conflicts.contains(t) ? analysis::TreeLook::Conflict
                : b.optionOn(t) == 0                                  ? analysis::TreeLook::Empty
                                                                      : analysis::TreeLook::Held;
            QVERIFY2(look.trees[std::size_t(t)] == expected, qPrintable(board::treeLabel(t)));
        }
        for (int k = 1; k <= board::OptionCount; ++k) {
            const analysis::Claims& c = look.claims[std::size_t(k)];
            QCOMPARE(c.labels, claims.value(k));
            QCOMPARE(c.count, int(claims.value(k).size() / 2));
        }
    }

    void emptiedUntilClear()
    {
        // A tree whose option was taken away shows the empty mark until the next clear or choice.
        Board b;
        b.choose(4, 2);
        b.clearTree(4);
        QVERIFY(b.isEmptied(4));
        b.choose(4, 10);
        QVERIFY(!b.isEmptied(4));
        b.clearTree(4);
        b.clearAll();
        QVERIFY(!b.isEmptied(4));
    }

    void settingsNotify()
    {
        // OK in the settings dialog applies the choices anew even when they are unchanged; the
        // stay-on-top choice tells only of a change; what the file held tells nobody.
        Board b;
        QSignalSpy spy(&b, &Board::changed);
        b.restore({ 1, 0, 1, 0, 1 }, false);
        QCOMPARE(spy.size(), 0);
        b.setDisplay(b.display());
        b.setStayOnTop(false);
        b.setStayOnTop(true);
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy[0][0].value<Board::Change>(), Board::Change::DisplayChoices);
        QCOMPARE(spy[1][0].value<Board::Change>(), Board::Change::StayOnTop);
        QCOMPARE(b.display(), (DisplaySettings { 1, 0, 1, 0, 1 }));
    }
};

QTEST_GUILESS_MAIN(TestBoardAnalysis)
#include "tst_boardanalysis.moc"
