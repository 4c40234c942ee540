#pragma once

#include "core/tcolor.h"

#include <QString>

/**
 * The constant board tables: tree labels, option names and the colour rows.
 * Indices follow the program's convention: trees 1..16, options 1..16, 0 unused.
 */
namespace board {

inline constexpr int TreeCount = 16;
inline constexpr int OptionCount = 16;
/** Every per-tree and per-option table has this many entries (0..17). */
inline constexpr int TableSize = 18;
/** Option 17 is the dialog's "cancel selection" entry; it indexes no table. */
inline constexpr int CancelOption = 17;

/** Full-width hyphen-minus: stands for an empty entry. */
inline const QString EmptyMark = QStringLiteral("\uFF0D");

/** Label of tree t (1..16): quadrant letter and a full-width digit. */
QString treeLabel(int t);
/** Name of option k (1..16); the periods belong to the names. */
QString optionName(int k);
/** Pair index: k for a virtue (1..8), k - 8 for a vice (9..16). */
constexpr int pairIndex(int k)
{
    return k > 8 ? k - 8 : k;
}
/** Whether option k (1..16) is a virtue. */
constexpr bool isVirtue(int k)
{
    return k >= 1 && k <= 8;
}

/** Line and map border colour of option k (`sList1Col`). */
TColor lineColor(int k);
/** Inner border colour of option button k (`sList2Col`). */
TColor optionInnerColor(int k);
/** Outer border colour of option button k (`sList2OCo`). */
TColor optionOuterColor(int k);
/** Background of option k under the scheme; 0 is dark, any other value translucent (`sListBCol`). */
TColor backColor(int k, int scheme);

} // namespace board
