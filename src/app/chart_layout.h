#pragma once
// Geometry of the program's own chart and ring controls: where every slice, legend
// entry, column and label goes. Pure functions, no drawing, so the numbers can be
// checked without a window; CChartViewUI and CCircleProgressUI paint from them.
//
// Angles are degrees clockwise from the positive x axis (y down), as ui::Painter
// measures them.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "ui/geometry.h"

namespace varnacle::app {

// One entry of a chart: a name for the legend and a value.
struct ChartItem {
  std::string name;
  double value = 0.0;
};

// Slice colours of the pie view, RGB; slice i takes entry i mod 18, made opaque.
inline constexpr std::array<ui::Color, 18> kPieColors = {
    0x3F96F5, 0xFF5A01, 0x6AF4C0, 0xF5EA6A, 0xFC7B97, 0xA2F53F, 0x9D90FC, 0xD290FC, 0x7FB0CB,
    0xF4C471, 0xA2C285, 0xBD1717, 0xBD17B3, 0x6117BD, 0x172BBD, 0x12884C, 0x887912, 0x882612,
};

// The opaque slice colour of item `index`.
constexpr ui::Color pieColor(std::size_t index) {
  return 0xFF000000u | kPieColors[index % kPieColors.size()];
}

// Ring progress: the sweep of the filled part for `value` between `minimum` and
// `maximum`, truncated to whole degrees. value / (maximum - minimum) of a full turn,
// kept within 0..360; an empty or inverted range gives 0.
int circleProgressSweep(double value, double minimum, double maximum);

// Width of the ring that the ring progress leaves around its white centre.
inline constexpr int kCircleProgressRingWidth = 10;

struct PieSlice {
  double startDeg = 0.0;
  double sweepDeg = 0.0;
  ui::Color color = 0;
};

struct LegendEntry {
  ui::Rect box;     // the whole entry; drawn only where it meets the area to paint
  ui::Rect swatch;  // 18 x 18 square in the slice colour
  ui::Rect text;    // the item's name, one line, vertically centred
};

struct PieLayout {
  ui::Rect pie;                     // the square the pie is inscribed in
  ui::Rect outerShadow;             // soft shadow, 4 px around the pie
  ui::Rect innerShadow;             // darker rim, 1 px around the pie
  std::vector<PieSlice> slices;     // empty when the values do not add up to more than 0
  std::vector<LegendEntry> legend;  // empty when texts are hidden
};

inline constexpr ui::Color kPieOuterShadowColor = 0x1E1E1E1E;
inline constexpr ui::Color kPieInnerShadowColor = 0x64646464;

// Lays out the pie view in `bounds`. Items with a total of 0 or less have no
// slices (the shares are undefined); the shadow and the legend are still placed.
PieLayout layoutPie(const ui::Rect& bounds, const std::vector<ChartItem>& items, bool showText);

struct ColumnEntry {
  ui::Rect column;  // the column image's rectangle
  ui::Rect label;   // the item's name, centred on one line
};

struct ColumnLayout {
  int textBand = 0;  // height kept free for the labels under the columns
  ui::Rect shadow;   // the shadow image's rectangle (empty without a shadow height)
  std::vector<ColumnEntry> columns;
};

// Lays out the column view in `bounds`. The gap between columns is
// 2 x (bounds width / columnWidth); a column width of 0 or less places no
// columns (there is no gap to compute), and a largest value of 0 or less gives
// columns of height 0.
ColumnLayout layoutColumns(const ui::Rect& bounds, const std::vector<ChartItem>& items,
                           bool showText, int shadowHeight, int columnWidth);

}  // namespace varnacle::app
