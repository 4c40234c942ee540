#pragma once

#include <cstdint>

/** A colour as the program stores it: 0x00BBGGRR, red in the low byte. */
using TColor = std::uint32_t;

namespace tcolor {

/** The glass button's "no colour" value; a layer with it is switched off. */
inline constexpr TColor None = 0x1FFFFFFF;

inline constexpr TColor Black = 0x00000000;
inline constexpr TColor White = 0x00FFFFFF;
inline constexpr TColor Gray = 0x00808080;
inline constexpr TColor Silver = 0x00C0C0C0;
/** Stands for the system's window-text colour; resolved only where text and outlines are drawn. */
inline constexpr TColor WindowText = 0xFF000008;

inline constexpr int red(TColor c)
{
    return int(c & 0xFF);
}
inline constexpr int green(TColor c)
{
    return int((c >> 8) & 0xFF);
}
inline constexpr int blue(TColor c)
{
    return int((c >> 16) & 0xFF);
}
inline constexpr TColor rgb(int r, int g, int b)
{
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
inline constexpr bool isSystem(TColor c)
{
    return (c & 0xFF000000) == 0xFF000000;
}

} // namespace tcolor
