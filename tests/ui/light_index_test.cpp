// Finding the lights over a part of a repaint region.
#include <gtest/gtest.h>

#include <random>

#include "ui/qt/light_index.h"

namespace varnacle::ui {
namespace {

std::vector<std::size_t> byLooking(const std::vector<QRect>& places, const QRect& part) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i < places.size(); ++i)
    if (places[i].intersects(part)) out.push_back(i);
  return out;
}

TEST(LightIndex, FindsWhatLookingAtEveryLightFindsInLayoutOrder) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> at(0, 400), size(0, 60);
  for (int round = 0; round < 50; ++round) {
    std::vector<QRect> places;
    for (int i = 0; i < 40; ++i) places.emplace_back(at(random), at(random), size(random), size(random));
    const LightIndex index(places);
    std::vector<std::size_t> found;
    for (int q = 0; q < 40; ++q) {
      const QRect part(at(random), at(random), size(random) + 1, size(random) + 1);
      index.meeting(part, found);
      EXPECT_EQ(found, byLooking(places, part));
    }
  }
}

TEST(LightIndex, KeysInRowsAndOverlappingLights) {
  // Two rows of touching 30 x 30 keys, a tall key spanning both, and a light
  // drawn over the first key (later in layout order, so painted after it).
  std::vector<QRect> places;
  for (int row = 0; row < 2; ++row)
    for (int col = 0; col < 10; ++col) places.emplace_back(col * 30, row * 30, 30, 30);
  places.emplace_back(300, 0, 30, 60);
  places.emplace_back(10, 10, 10, 10);
  const LightIndex index(places);
  std::vector<std::size_t> found;
  index.meeting(QRect(0, 0, 30, 30), found);
  EXPECT_EQ(found, (std::vector<std::size_t>{0, 21}));
  index.meeting(QRect(300, 40, 5, 5), found);
  EXPECT_EQ(found, (std::vector<std::size_t>{20}));
  index.meeting(QRect(29, 29, 2, 2), found);  // the corner of four keys
  EXPECT_EQ(found, (std::vector<std::size_t>{0, 1, 10, 11}));
  index.meeting(QRect(0, 61, 400, 5), found);
  EXPECT_TRUE(found.empty());
  index.meeting(QRect(), found);
  EXPECT_TRUE(found.empty());
}

}  // namespace
}  // namespace varnacle::ui
