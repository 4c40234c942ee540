#pragma once

#include <array>
#include <QString>
#include <vector>

/**
 * The analysis of a board as a pure function of the option each tree holds. Arrays are indexed
 * as everywhere in the program: trees 1..16, options 1..16, entry 0 unused; option 0 is none.
 */
namespace analysis {

/** The option index held by each tree (0: none), at 1..16. */
using Holdings = std::array<int, 17>;

/** How a tree is shown: nothing held, an option held alone, or an option that other trees hold too. */
enum class TreeLook { Empty, Held, Conflict };

/** Who claims one option: the tree labels in tree order (no separator) and their count. */
struct Claims
{
    QString labels;
    int count = 0;
};

/** One pair line: from the virtue tree to a tree holding the partner vice, in the pair's option. */
struct PairLine
{
    int from = 0;
    int to = 0;
    int option = 0; // the virtue's option index, 1..8
    bool operator==(const PairLine&) const = default;
};

/** What the windows show of a board. */
struct BoardLook
{
    /** Per tree (1..16) its look. */
    std::array<TreeLook, 17> trees {};
    /** Per option (1..16) the trees that claim it. */
    std::array<Claims, 17> claims {};
    /** Lines in drawing order: ascending virtue tree, then ascending partner tree. */
    std::vector<PairLine> lines;
};

/**
 * Looks, conflicts and pairs: an option held by two or more trees is a conflict on each; a virtue
 * held alone links to every tree that holds its vice.
 */
BoardLook analyse(const Holdings& held);

} // namespace analysis
