#include "keyboard/key_positions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace varnacle::keyboard {
namespace {

TEST(KeyPositionsTest, NamesTheKeysOfEveryRowFromTheCaptureTable) {
  EXPECT_EQ(positionKeyName(0), "keyboard_key_Esc");
  EXPECT_EQ(positionKeyName(21), "keyboard_key_`");
  EXPECT_EQ(positionKeyName(42), "keyboard_key_Tab");
  EXPECT_EQ(positionKeyName(63), "keyboard_key_Caplk");
  EXPECT_EQ(positionKeyName(84), "keyboard_key_LShift");
  EXPECT_EQ(positionKeyName(105), "keyboard_key_LCtrl");
  EXPECT_EQ(positionKeyName(108), "keyboard_key_Space");
  EXPECT_EQ(positionKeyName(118), "keyboard_key_Num Enter");
  EXPECT_EQ(positionKeyName(125), "keyboard_key_RWin");
}

TEST(KeyPositionsTest, PositionsWithoutANamedKeyHaveNoName) {
  for (std::size_t empty : {16u, 20u, 62u, 79u, 100u, 124u})
    EXPECT_EQ(positionKeyName(empty), "") << empty;
  EXPECT_EQ(positionKeyName(kFnKeyPosition), "");
  EXPECT_EQ(positionKeyName(kExtraBackslashPosition), "");
  EXPECT_EQ(positionKeyName(kKeyPositionCount), "");
}

// Two positions with the same default record would leave the second without a
// device key whatever the keyboard has.
TEST(KeyPositionsTest, EveryKeyHasItsOwnDefaultRecordAndItsOwnName) {
  std::set<std::string> names;
  int keys = 0;
  for (std::size_t n = 0; n < kKeyPositionCount; ++n) {
    if (kExpectedDefaultRecords[n] == kNoKeyRecord) continue;
    ++keys;
    for (std::size_t m = n + 1; m < kKeyPositionCount; ++m)
      EXPECT_FALSE(kExpectedDefaultRecords[m] == kExpectedDefaultRecords[n]) << n << " " << m;
    if (n != kFnKeyPosition && n != kExtraBackslashPosition) {
      const std::string name(positionKeyName(n));
      EXPECT_FALSE(name.empty()) << n;
      EXPECT_TRUE(names.insert(name).second) << name;
    }
  }
  EXPECT_EQ(keys, 106);  // a full-size layout, the Fn key and the extra key beside left Shift
}

}  // namespace
}  // namespace varnacle::keyboard
