#pragma once
// Plain geometry and colour values shared by the window library headers.
// Colours are 32-bit 0xAARRGGBB values, as the layouts write them ("#FF0199CB").
#include <algorithm>
#include <cstdint>

namespace varnacle::ui {

using Color = std::uint32_t;

constexpr std::uint8_t alphaOf(Color c) {
  return static_cast<std::uint8_t>(c >> 24);
}
constexpr std::uint8_t redOf(Color c) {
  return static_cast<std::uint8_t>(c >> 16);
}
constexpr std::uint8_t greenOf(Color c) {
  return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t blueOf(Color c) {
  return static_cast<std::uint8_t>(c);
}
constexpr Color argb(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (Color{a} << 24) | (Color{r} << 16) | (Color{g} << 8) | Color{b};
}

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle by its edges; right and bottom are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
  constexpr bool empty() const { return right <= left || bottom <= top; }
  constexpr bool contains(Point p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
  constexpr bool intersects(const Rect& o) const {
    return std::max(left, o.left) < std::min(right, o.right) &&
           std::max(top, o.top) < std::min(bottom, o.bottom);
  }
  // Shrunk by `d` on every side (grown when negative).
  constexpr Rect inset(int d) const { return {left + d, top + d, right - d, bottom - d}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Four distances, one per side: paddings, insets, text paddings.
struct Edges {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const Edges&, const Edges&) = default;
};

}  // namespace varnacle::ui
