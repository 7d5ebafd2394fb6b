#include "app/chart_layout.h"

#include <algorithm>
#include <cmath>

namespace varnacle::app {

namespace {

constexpr int kPieMargin = 5;          // free space around the pie on every side
constexpr int kLegendWidth = 100;      // width kept for the legend when texts are shown
constexpr int kLegendGap = 10;         // from the pie's right edge to the legend
constexpr int kLegendRowPitch = 22;    // one legend row
constexpr int kSwatchSize = 18;        // colour square of a legend row
constexpr int kLegendTextIndent = 23;  // from the square's left edge to the name
constexpr int kColumnTextBand = 25;    // label height under the columns

ui::Rect square(int left, int top, int size) {
  return {left, top, left + size, top + size};
}

}  // namespace

int circleProgressSweep(double value, double minimum, double maximum) {
  const double range = maximum - minimum;
  if (!(range > 0.0)) return 0;
  const double sweep = value / range * 360.0;
  if (!std::isfinite(sweep)) return 0;
  return static_cast<int>(std::clamp(sweep, 0.0, 360.0));
}

PieLayout layoutPie(const ui::Rect& bounds, const std::vector<ChartItem>& items, bool showText) {
  PieLayout layout;
  const int legendWidth = showText ? kLegendWidth : 0;
  const int freeWidth = bounds.width() - legendWidth - 2 * kPieMargin;
  const int freeHeight = bounds.height() - 2 * kPieMargin;
  const int diameter = std::max(0, std::min(freeWidth, freeHeight));
  const int pieLeft = bounds.left + kPieMargin + (freeWidth - diameter) / 2;
  const int pieTop = bounds.top + kPieMargin + (freeHeight - diameter) / 2;
  layout.pie = square(pieLeft, pieTop, diameter);
  layout.outerShadow = square(pieLeft - 4, pieTop - 4, diameter + 8);
  layout.innerShadow = square(pieLeft - 1, pieTop - 1, diameter + 2);

  double total = 0.0;
  for (const auto& item : items) total += item.value;
  if (total > 0.0 && std::isfinite(total)) {
    double start = 0.0;
    for (std::size_t i = 0; i < items.size(); ++i) {
      const double sweep = items[i].value / total * 360.0;
      layout.slices.push_back({start, sweep, pieColor(i)});
      start += sweep;
    }
  }

  if (showText) {
    const int rows = static_cast<int>(items.size());
    int legendTop =
        std::max(bounds.top + (freeHeight - kLegendRowPitch * rows) / 2, bounds.top + kPieMargin);
    const int legendLeft = pieLeft + diameter + kLegendGap;
    for (std::size_t i = 0; i < items.size(); ++i) {
      LegendEntry entry;
      entry.box = {legendLeft, legendTop,
                   pieLeft + diameter + legendWidth + kLegendGap + kSwatchSize,
                   legendTop + kSwatchSize};
      entry.swatch = square(legendLeft, legendTop, kSwatchSize);
      entry.text = {legendLeft + kLegendTextIndent, legendTop, entry.box.right, entry.box.bottom};
      layout.legend.push_back(entry);
      legendTop += kLegendRowPitch;
    }
  }
  return layout;
}

ColumnLayout layoutColumns(const ui::Rect& bounds, const std::vector<ChartItem>& items,
                           bool showText, int shadowHeight, int columnWidth) {
  ColumnLayout layout;
  layout.textBand = showText ? kColumnTextBand : 0;
  const int base = bounds.bottom - layout.textBand;
  layout.shadow = {bounds.left, base - shadowHeight, bounds.right, base};
  if (items.empty() || columnWidth <= 0) return layout;

  double maximum = items.front().value;
  for (const auto& item : items) maximum = std::max(maximum, item.value);
  const int height = bounds.height() - layout.textBand;
  const int gap = 2 * (bounds.width() / columnWidth);

  int offset = gap;
  for (const auto& item : items) {
    double share = maximum > 0.0 ? item.value / maximum : 0.0;
    share = std::isfinite(share) ? std::clamp(share, 0.0, 1.0) : 0.0;
    const int left = bounds.left + offset;
    ColumnEntry entry;
    entry.column = {left, base - static_cast<int>(share * height), left + columnWidth, base};
    entry.label = {left - gap, base, left + columnWidth + gap, bounds.bottom};
    layout.columns.push_back(entry);
    offset += columnWidth + gap;
  }
  return layout;
}

}  // namespace varnacle::app
