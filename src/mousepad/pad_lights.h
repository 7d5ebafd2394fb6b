#pragma once
// The 15 lights of the mouse pad picture ("mp_dkey_0" ... "mp_dkey_14") and
// the seven columns the column effects (modes 6 and 7) light them by.
// Lights 0-4 run down the pad's left edge, 5-9 along its bottom edge from
// left to right, 10-14 up its right edge; so column 0 is the left edge,
// columns 1-5 the bottom lights one by one, column 6 the right edge.
#include <array>

namespace varnacle::mousepad {

inline constexpr int kPadLights = 15;
inline constexpr int kPadColumnCount = 7;

// The lights of each column, -1 where a column has fewer than five.
inline constexpr std::array<std::array<int, 5>, kPadColumnCount> PadLightColumns = {{
    {0, 1, 2, 3, 4},
    {5, -1, -1, -1, -1},
    {6, -1, -1, -1, -1},
    {7, -1, -1, -1, -1},
    {8, -1, -1, -1, -1},
    {9, -1, -1, -1, -1},
    {14, 13, 12, 11, 10},
}};

}  // namespace varnacle::mousepad
