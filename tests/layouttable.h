#pragma once

#include <array>
#include <cstddef>
#include <QPoint>
#include <QRect>

// Places on the main window, written out again from its layout for the tests that need them.

/** The garden map (Image1, and Image2 over it) on the main window. */
constexpr QRect MapGeometry(2, 46, 300, 300);

/** Tree buttons btn01..btn16 at 1..16: top-left corners on the main window; each is 40 x 40. */
// clang-format off
constexpr std::array<QPoint, 17> TreeTopLeft{{
    {0, 0},
    {65, 59},   {122, 62},  {177, 70},  {135, 120},
    {252, 118}, {231, 169}, {184, 165}, {225, 222},
    {122, 222}, {80, 267},  {138, 289}, {177, 249},
    {19, 105},  {57, 155},  {7, 158},   {29, 211},
}};
// clang-format on

constexpr int TreeButtonSize = 40;

/** Tree button t (1..16) on the main window. */
inline QRect treeGeometry(int t)
{
    return { TreeTopLeft[std::size_t(t)], QSize(TreeButtonSize, TreeButtonSize) };
}

/** The centre of tree button t (1..16) on the 300 x 300 map. */
inline QPoint treeCentreOnMap(int t)
{
    return TreeTopLeft[std::size_t(t)] + QPoint(TreeButtonSize / 2, TreeButtonSize / 2) - MapGeometry.topLeft();
}
