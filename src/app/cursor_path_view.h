#pragma once
// CCursorPathUI: the path a fire-key sequence moves the pointer along, drawn
// as a line from the start through the place after each bullet, with a dot
// per bullet and the selected bullet's dot marked, so the pattern shows
// while it is edited.
//
// Layout attributes (besides the plain control's): "linecolor" and
// "selectcolor" (#AARRGGBB). The path is given in mouse counts (y
// downwards) and scaled to fit (cursor_path_layout.h).
//
// Layouts name it "CCursorPathUI" (registered class). UI thread only.
#include <span>
#include <vector>

#include "ui/control.h"

namespace varnacle::app {

class CCursorPathUI : public ui::Control {
 public:
  void setAttribute(std::string_view name, std::string_view value) override;
  void paint(ui::Painter& painter) override;

  // The start and the place after each bullet, in mouse counts.
  void setPath(std::span<const ui::Point> path);
  const std::vector<ui::Point>& path() const { return path_; }
  // The bullet whose dot is marked (its place is path()[bullet + 1]); -1: none.
  void setSelectedBullet(int bullet);
  int selectedBullet() const { return selected_; }

 private:
  std::vector<ui::Point> path_;
  int selected_ = -1;
  ui::Color lineColor_ = 0xFF0199CB;
  ui::Color selectColor_ = 0xFFFFFFFF;
};

}  // namespace varnacle::app
