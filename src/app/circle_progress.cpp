#include "app/circle_progress.h"

#include "app/chart_layout.h"

namespace varnacle::app {

namespace {
constexpr double kRingStartDeg = 90.0;  // straight down
constexpr ui::Color kRingCentreColor = 0xFFFFFFFF;
}  // namespace

void CCircleProgressUI::paint(ui::Painter& painter) {
  const ui::Rect r = rect();
  if (r.empty()) return;
  painter.fillPie(r, 0.0, 360.0, bkColor());
  if (!bkImage().empty()) paintImage(painter, bkImage());
  const int sweep = circleProgressSweep(value(), minValue(), maxValue());
  painter.fillPie(r, kRingStartDeg, sweep, foreColor());
  painter.fillEllipse(r.inset(kCircleProgressRingWidth), kRingCentreColor);
  paintText(painter);
}

}  // namespace varnacle::app
