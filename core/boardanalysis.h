#pragma once

#include <array>
#include <QList>
#include <QString>
#include <vector>

/**
 * The analysis of a board as pure functions over the tables of the main window.
 * Tables are indexed 0..17 as everywhere in the program; entry 0 is ignored.
 */
namespace analysis {

/** Who claims one option: the tree labels in tree order (no separator) and their count. */
struct Claims
{
    QString labels;
    int count = 0;
};

/** Claims of option `option` (1..16): trees whose selection equals its name exactly. */
Claims claimsOf(int option, const QList<QString>& selections, const QList<QString>& names,
                const QList<QString>& labels);

/** Option index 1..16 of a selection (the last exact match), or 0 when nothing matches. */
int optionIndexOf(const QString& selection, const QList<QString>& names);

/** Tree status during one analysis. */
enum TreeStatus : int { Empty = 0, Alone = 1, Handled = 8, Conflict = 9 };

/** One pair line: from the virtue tree to a tree holding the partner vice, in the pair's option. */
struct PairLine
{
    int from = 0;
    int to = 0;
    int option = 0; // the virtue's option index, 1..8
    bool operator==(const PairLine&) const = default;
};

struct TreeAnalysis
{
    /** Status after the first two passes: 0 empty, 1 held alone, 9 conflict. Index 0 unused. */
    std::array<int, 17> status {};
    /** Option index held by each tree, 0 for none. Index 0 unused. */
    std::array<int, 17> option {};
    /** Lines in drawing order: ascending virtue tree, then ascending partner tree. */
    std::vector<PairLine> lines;
};

/** Runs the three passes over the selections: looks, conflicts, pairs. */
TreeAnalysis analyseTrees(const QList<QString>& selections, const QList<QString>& names);

} // namespace analysis
