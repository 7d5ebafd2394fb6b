#include "app/cursor_path_layout.h"

#include <algorithm>
#include <cmath>

namespace varnacle::app {

std::vector<ui::Point> layoutCursorPath(const ui::Rect& bounds, std::span<const ui::Point> path,
                                        int margin) {
  const ui::Rect area = bounds.inset(margin);
  if (path.empty() || area.empty()) return {};
  const auto [minX, maxX] = std::minmax_element(
      path.begin(), path.end(), [](const ui::Point& a, const ui::Point& b) { return a.x < b.x; });
  const auto [minY, maxY] = std::minmax_element(
      path.begin(), path.end(), [](const ui::Point& a, const ui::Point& b) { return a.y < b.y; });
  const double spanX = static_cast<double>(maxX->x) - minX->x;
  const double spanY = static_cast<double>(maxY->y) - minY->y;
  double scale = kCursorPathMaxScale;
  if (spanX > 0) scale = std::min(scale, (area.width() - 1) / spanX);
  if (spanY > 0) scale = std::min(scale, (area.height() - 1) / spanY);
  const double centreX = (static_cast<double>(minX->x) + maxX->x) / 2.0;
  const double centreY = (static_cast<double>(minY->y) + maxY->y) / 2.0;
  const double middleX = area.left + (area.width() - 1) / 2.0;
  const double middleY = area.top + (area.height() - 1) / 2.0;
  std::vector<ui::Point> places;
  places.reserve(path.size());
  for (const ui::Point& p : path) {
    places.push_back({static_cast<int>(std::lround(middleX + (p.x - centreX) * scale)),
                      static_cast<int>(std::lround(middleY + (p.y - centreY) * scale))});
  }
  return places;
}

}  // namespace varnacle::app
