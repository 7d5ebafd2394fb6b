#include "app/cursor_path_view.h"

#include "app/cursor_path_layout.h"
#include "ui/attributes.h"

namespace varnacle::app {

namespace {

// Room around the path, so the dots at its ends stay whole.
constexpr int kMargin = 10;
constexpr int kDotRadius = 2;
constexpr int kSelectedRadius = 5;
constexpr int kStartRadius = 4;
// The cross through the start, and its colour.
constexpr int kCrossArm = 8;
constexpr ui::Color kCrossColor = 0x80B8C4D0;

ui::Rect around(ui::Point p, int radius) {
  return {p.x - radius, p.y - radius, p.x + radius + 1, p.y + radius + 1};
}

}  // namespace

void CCursorPathUI::setAttribute(std::string_view name, std::string_view value) {
  if (name == "linecolor") {
    if (const auto c = ui::parseColor(value)) lineColor_ = *c;
  } else if (name == "selectcolor") {
    if (const auto c = ui::parseColor(value)) selectColor_ = *c;
  } else {
    return Control::setAttribute(name, value);
  }
  invalidate();
}

void CCursorPathUI::setPath(std::span<const ui::Point> path) {
  path_.assign(path.begin(), path.end());
  invalidate();
}

void CCursorPathUI::setSelectedBullet(int bullet) {
  selected_ = bullet;
  invalidate();
}

void CCursorPathUI::paint(ui::Painter& painter) {
  Control::paint(painter);
  const std::vector<ui::Point> places = layoutCursorPath(rect(), path_, kMargin);
  if (places.empty()) return;
  painter.setAntialiasing(true);
  const ui::Point start = places.front();
  painter.drawLine({start.x - kCrossArm, start.y}, {start.x + kCrossArm, start.y}, kCrossColor);
  painter.drawLine({start.x, start.y - kCrossArm}, {start.x, start.y + kCrossArm}, kCrossColor);
  for (std::size_t i = 1; i < places.size(); ++i)
    painter.drawLine(places[i - 1], places[i], lineColor_, 2);
  painter.strokeEllipse(around(start, kStartRadius), lineColor_, 2);
  for (std::size_t i = 1; i < places.size(); ++i)
    painter.fillEllipse(around(places[i], kDotRadius), lineColor_);
  const std::size_t marked = static_cast<std::size_t>(selected_) + 1;
  if (selected_ >= 0 && marked < places.size())
    painter.strokeEllipse(around(places[marked], kSelectedRadius), selectColor_, 2);
  painter.setAntialiasing(false);
}

}  // namespace varnacle::app
