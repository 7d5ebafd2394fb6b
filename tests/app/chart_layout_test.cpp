// Geometry of the ring progress and the chart views, checked on concrete
// rectangles without a window.
#include "app/chart_layout.h"

#include <gtest/gtest.h>

namespace varnacle::app {
namespace {

std::vector<ChartItem> itemsWithValues(std::initializer_list<double> values) {
  std::vector<ChartItem> items;
  for (double v : values) items.push_back({"item" + std::to_string(items.size()), v});
  return items;
}

TEST(CircleProgressSweep, TruncatesAndStaysInOneTurnForAnyRange) {
  EXPECT_EQ(circleProgressSweep(1, 0, 7), 51);  // 51.43 truncated, not rounded
  // The value is a share of the range's length, as the ring has always shown it.
  EXPECT_EQ(circleProgressSweep(20, 10, 50), 180);
  EXPECT_EQ(circleProgressSweep(5, 10, 10), 0);  // empty range: no division by zero
  EXPECT_EQ(circleProgressSweep(5, 10, 0), 0);   // inverted range
  EXPECT_EQ(circleProgressSweep(500, 0, 100), 360);
  EXPECT_EQ(circleProgressSweep(-5, 0, 100), 0);
}

TEST(PieLayout, PieAndLegendSitBesideEachOther) {
  const ui::Rect bounds{0, 0, 200, 100};
  const auto layout = layoutPie(bounds, itemsWithValues({1, 3}), /*showText=*/true);
  // 200 - 100 legend - 10 = 90 wide, 100 - 10 = 90 high: a 90 px pie at (5, 5).
  EXPECT_EQ(layout.pie, (ui::Rect{5, 5, 95, 95}));
  EXPECT_EQ(layout.outerShadow, (ui::Rect{1, 1, 99, 99}));
  EXPECT_EQ(layout.innerShadow, (ui::Rect{4, 4, 96, 96}));
  ASSERT_EQ(layout.legend.size(), 2u);
  // Two rows of 22 px centred in the free height: (90 - 44) / 2 = 23.
  EXPECT_EQ(layout.legend[0].box, (ui::Rect{105, 23, 223, 41}));
  EXPECT_EQ(layout.legend[0].swatch, (ui::Rect{105, 23, 123, 41}));
  EXPECT_EQ(layout.legend[0].text, (ui::Rect{128, 23, 223, 41}));
  EXPECT_EQ(layout.legend[1].box.top, 45);
}

TEST(PieLayout, WithoutTextsThePieTakesTheWholeWidthAndHasNoLegend) {
  const auto layout = layoutPie({10, 20, 210, 120}, itemsWithValues({1}), /*showText=*/false);
  // free width 190, free height 90: the pie is centred horizontally.
  EXPECT_EQ(layout.pie, (ui::Rect{65, 25, 155, 115}));
  EXPECT_TRUE(layout.legend.empty());
}

TEST(PieLayout, LongLegendStartsAtTheTopMargin) {
  std::vector<ChartItem> items(10, ChartItem{"x", 1});
  const auto layout = layoutPie({0, 40, 200, 140}, items, true);
  EXPECT_EQ(layout.legend.front().box.top, 45);
  EXPECT_EQ(layout.legend.back().box.top, 45 + 9 * 22);
}

TEST(PieLayout, ZeroTotalDrawsNoSlices) {
  const auto layout = layoutPie({0, 0, 300, 200}, itemsWithValues({0, 0}), true);
  EXPECT_TRUE(layout.slices.empty());
  EXPECT_EQ(layout.legend.size(), 2u);
}

TEST(ColumnLayout, ColumnsStandOnTheTextBandWithGaps) {
  const ui::Rect bounds{0, 0, 100, 125};
  const auto layout = layoutColumns(bounds, itemsWithValues({10, 5, 0}), true, 6, 10);
  EXPECT_EQ(layout.textBand, 25);
  EXPECT_EQ(layout.shadow, (ui::Rect{0, 94, 100, 100}));
  ASSERT_EQ(layout.columns.size(), 3u);
  // gap = 2 * (100 / 10) = 20; columns at 20, 50, 80.
  EXPECT_EQ(layout.columns[0].column, (ui::Rect{20, 0, 30, 100}));   // the largest: full height
  EXPECT_EQ(layout.columns[1].column, (ui::Rect{50, 50, 60, 100}));  // half of it
  EXPECT_EQ(layout.columns[2].column, (ui::Rect{80, 100, 90, 100}));
  EXPECT_EQ(layout.columns[0].label, (ui::Rect{0, 100, 50, 125}));
}

TEST(ColumnLayout, ZeroColumnWidthPlacesNoColumns) {
  const auto layout = layoutColumns({0, 0, 100, 100}, itemsWithValues({1, 2}), true, 0, 0);
  EXPECT_TRUE(layout.columns.empty());
  EXPECT_TRUE(layoutColumns({0, 0, 100, 100}, itemsWithValues({1}), true, 0, -3).columns.empty());
}

TEST(ColumnLayout, NoPositiveValueGivesFlatColumns) {
  const auto layout = layoutColumns({0, 0, 100, 100}, itemsWithValues({0, -4}), false, 0, 10);
  ASSERT_EQ(layout.columns.size(), 2u);
  for (const auto& c : layout.columns) EXPECT_EQ(c.column.height(), 0);
}

}  // namespace
}  // namespace varnacle::app
