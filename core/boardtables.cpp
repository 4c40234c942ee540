#include "core/boardtables.h"

#include <array>

namespace board {
namespace {

struct PairRow
{
    TColor line; // sList1Col
    TColor inner; // sList2Col
    TColor outer; // sList2OCo
    TColor dark; // sListBCol, scheme 0
    TColor translucent; // sListBCol, any other scheme
};

// clang-format off
constexpr std::array<PairRow, 8> PairRows{{
    {0x0000D7FF, 0x0000D7FF, 0x0000D7FF, 0x0000D7FF, 0x00C7EDF7}, // Compas. / Despise: gold
    {0x00FF0000, 0x00FF0000, 0x00FF0000, 0x00FF0000, 0x00DEBFBF}, // Honesty / Deceit: blue
    {0x00800080, 0x00800080, 0x00800080, 0x00800080, 0x00CFB8D0}, // Honor / Shame: purple
    {0x00000000, 0x00000000, 0x00000000, 0x00808080, 0x00CACAC9}, // Humili. / Pride: black, gray
    {0x00008000, 0x00008000, 0x00008000, 0x00008000, 0x00B8D0C6}, // Justice / Wrong: green
    {0x0000A5FF, 0x0000A5FF, 0x0000A5FF, 0x0000A5FF, 0x00C0E1FA}, // Sacrif. / Coveto.: orange
    {0x00F5F5F5, 0x00DCDCDC, 0x00C0C0C0, 0x00C0C0C0, 0x00FDFDFC}, // Spirit. / Hythlo.: near white
    {0x000000FF, 0x000000FF, 0x000000FF, 0x000000FF, 0x00AFC5F2}, // Valor / Destard: red
}};

constexpr std::array<const char16_t*, 17> TreeLabels{
    u"",
    u"U\uFF14", u"U\uFF13", u"U\uFF11", u"U\uFF12",
    u"R\uFF14", u"R\uFF13", u"R\uFF11", u"R\uFF12",
    u"D\uFF12", u"D\uFF11", u"D\uFF13", u"D\uFF14",
    u"L\uFF11", u"L\uFF12", u"L\uFF13", u"L\uFF14",
};

constexpr std::array<const char16_t*, 17> OptionNames{
    u"",
    u"Compas.", u"Honesty", u"Honor", u"Humili.", u"Justice", u"Sacrif.", u"Spirit.", u"Valor",
    u"Despise", u"Deceit",  u"Shame", u"Pride",   u"Wrong",   u"Coveto.", u"Hythlo.", u"Destard",
};
// clang-format on

const PairRow& row(int k)
{
    return PairRows.at(std::size_t(pairIndex(k) - 1));
}

} // namespace

QString treeLabel(int t)
{
    return QString::fromUtf16(TreeLabels.at(std::size_t(t)));
}

QString optionName(int k)
{
    return QString::fromUtf16(OptionNames.at(std::size_t(k)));
}

TColor lineColor(int k)
{
    return row(k).line;
}
TColor optionInnerColor(int k)
{
    return row(k).inner;
}
TColor optionOuterColor(int k)
{
    return row(k).outer;
}
TColor backColor(int k, int scheme)
{
    return scheme == 0 ? row(k).dark : row(k).translucent;
}

} // namespace board
