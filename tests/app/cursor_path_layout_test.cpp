#include "app/cursor_path_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace varnacle::app {
namespace {

TEST(CursorPathLayout, ThePathFitsCentredWithOneScaleForBothDirections) {
  // 0..20 across, 0..100 down in a 200 x 120 area with margin 10: the height
  // decides, 99 / 100 pixels per count.
  const std::vector<ui::Point> path = {{0, 0}, {20, 50}, {-0, 100}};
  const auto places = layoutCursorPath({0, 0, 200, 120}, path, 10);
  ASSERT_EQ(places.size(), 3u);
  EXPECT_EQ(places[0].y, 10);
  EXPECT_EQ(places[2].y, 109);
  EXPECT_NEAR(places[1].x - places[0].x, 20, 1);  // 20 counts at 0.99 pixels each
  EXPECT_NEAR((places[0].x + places[1].x) / 2.0, 99.5, 1) << "centred across";
  for (const ui::Point& p : places) EXPECT_TRUE(ui::Rect({10, 10, 190, 110}).contains(p));
}

TEST(CursorPathLayout, ShortPathsAreNotBlownUpAndEdgeCasesGiveNothingOrTheCentre) {
  const std::vector<ui::Point> small = {{0, 0}, {1, 2}};
  const auto places = layoutCursorPath({0, 0, 300, 300}, small, 10);
  ASSERT_EQ(places.size(), 2u);
  EXPECT_EQ(places[1].x - places[0].x, kCursorPathMaxScale);
  EXPECT_EQ(places[1].y - places[0].y, 2 * kCursorPathMaxScale);

  // A path that never moves sits in the middle.
  const std::vector<ui::Point> still(31, ui::Point{5, 5});
  for (const ui::Point& p : layoutCursorPath({100, 50, 201, 151}, still, 10))
    EXPECT_EQ(p, (ui::Point{150, 100}));

  EXPECT_TRUE(layoutCursorPath({0, 0, 100, 100}, {}, 10).empty());
  EXPECT_TRUE(layoutCursorPath({0, 0, 15, 100}, small, 10).empty()) << "no room inside the margin";

  // Counts far apart stay inside the area.
  const std::vector<ui::Point> far = {{-7650, 0}, {7650, 7650}};
  for (const ui::Point& p : layoutCursorPath({0, 0, 120, 400}, far, 10))
    EXPECT_TRUE(ui::Rect({10, 10, 110, 390}).contains(p)) << p.x << "," << p.y;
}

}  // namespace
}  // namespace varnacle::app
