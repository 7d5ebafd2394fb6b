#pragma once
// CCircleProgressUI: a progress shown as a ring. The background colour fills the
// whole disc; the foreground colour fills the share value / (maximum - minimum)
// of a turn, starting straight down and turning clockwise; a white centre leaves
// a ring 10 pixels wide.
//
// Layouts name it "CCircleProgressUI" (registered class) and its class name is
// "CircleProgress". UI thread only.
#include "ui/control.h"

namespace varnacle::app {

class CCircleProgressUI : public ui::Progress {
 public:
  std::string_view className() const override { return "CircleProgress"; }
  void paint(ui::Painter& painter) override;
};

}  // namespace varnacle::app
