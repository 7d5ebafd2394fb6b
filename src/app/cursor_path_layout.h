#pragma once
// Geometry of the pointer path picture (CCursorPathUI): where each place of
// a path of pointer moves goes in the control. A pure function, so the
// numbers can be checked without a window.
#include <span>
#include <vector>

#include "ui/geometry.h"

namespace varnacle::app {

// At most this many pixels per mouse count, so a short path is not blown up
// to fill the picture.
inline constexpr int kCursorPathMaxScale = 6;

// The places of `path` (mouse counts, y downwards) in `bounds`: the extent of
// the path, scaled by one factor for both directions to fit inside `bounds`
// less `margin` on every side (at most kCursorPathMaxScale pixels per
// count), centred. A path of one place lands in the
// centre; an empty path or an area too small for the margin gives nothing.
std::vector<ui::Point> layoutCursorPath(const ui::Rect& bounds, std::span<const ui::Point> path,
                                        int margin);

}  // namespace varnacle::app
