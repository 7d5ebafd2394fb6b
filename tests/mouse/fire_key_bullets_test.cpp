#include "mouse/fire_key_bullets.h"

#include <gtest/gtest.h>

namespace varnacle::mouse {
namespace {

using macro::MacroAction;

TEST(FireKeyBullets, PauseArithmetic) {
  const MacroAction kept{0, 0, 0x85, 4, 1, "carried"};
  const MacroAction p1234 = withPause(kept, 1234);
  EXPECT_EQ(p1234.delayLow, 123);
  EXPECT_EQ(p1234.delayHigh, 0);
  EXPECT_EQ(pauseMs(p1234), 1230);
  EXPECT_EQ(p1234.kind, 0x85);  // the other fields stay
  EXPECT_EQ(p1234.label, "carried");

  const MacroAction max = withPause(kept, 65535);
  EXPECT_EQ(max.delayLow, 153);
  EXPECT_EQ(max.delayHigh, 25);
  EXPECT_EQ(pauseMs(max), 65530);

  EXPECT_EQ(withPause(kept, 99999), max);  // above the limit: the limit
  EXPECT_EQ(pauseMs(withPause(kept, -5)), 0);
  EXPECT_EQ(pauseMs(withPause(kept, 2560)), 2560);
  EXPECT_EQ(withPause(kept, 2560).delayHigh, 1);
}

TEST(FireKeyBullets, MoveLines) {
  EXPECT_EQ(horizontalMove(7, true), (MacroAction{0, 0, 0x84, 7, 1, "mouse_move_to_left_text"}));
  EXPECT_EQ(horizontalMove(7, false), (MacroAction{0, 0, 0x04, 7, 0, "mouse_move_to_right_text"}));
  EXPECT_EQ(verticalMove(300, true), (MacroAction{0, 0, 0x85, 255, 1, "mouse_move_to_up_text"}));
  EXPECT_EQ(verticalMove(-1, false), (MacroAction{0, 0, 0x05, 0, 0, "mouse_move_to_down_text"}));
}

TEST(FireKeyBullets, SaveAndLoadTouchOnlyTheBulletsLastThreeLines) {
  std::vector<std::string> lines;
  for (int i = 0; i < kSequenceLines; ++i)
    lines.push_back(std::to_string(i) + ",0,129,1,1,carried");
  const std::vector<std::string> before = lines;

  saveBullet(lines, 29, Bullet{1234, 12, true, 300, false});
  EXPECT_EQ(lines.size(), static_cast<size_t>(kSequenceLines));
  for (int i = 0; i < 177; ++i) EXPECT_EQ(lines[i], before[i]) << i;
  EXPECT_EQ(lines[177], "123,0,129,1,1,carried");
  EXPECT_EQ(lines[178], "0,0,132,12,1,mouse_move_to_left_text");
  EXPECT_EQ(lines[179], "0,0,5,255,0,mouse_move_to_down_text");
  EXPECT_EQ(loadBullet(lines, 29), (Bullet{1230, 12, true, 255, false}));

  // Out of range bullets change nothing.
  saveBullet(lines, 30, Bullet{10, 1, true, 1, true});
  saveBullet(lines, -1, Bullet{10, 1, true, 1, true});
  EXPECT_EQ(lines.size(), static_cast<size_t>(kSequenceLines));
  EXPECT_EQ(loadBullet(lines, 30), Bullet{});
}

TEST(FireKeyBullets, LoadSkipsLinesOfOtherKindsAndMissingLines) {
  // Vertical line first, then a mouse-button line in place of the horizontal one.
  const std::vector<std::string> lines = {
      "a", "b", "c", "10,1,0,0,0,", "0,0,133,9,1,x", "0,0,129,1,1,mouse_key_left"};
  EXPECT_EQ(loadBullet(lines, 0), (Bullet{2660, 0, false, 9, true}));
  EXPECT_EQ(loadBullet(std::vector<std::string>{"x", "y"}, 0), Bullet{});

  // A short sequence grows to hold the bullet, filled with empty steps.
  std::vector<std::string> shortLines = {"1,0,129,1,1,mouse_key_left"};
  saveBullet(shortLines, 1, Bullet{50, 1, false, 2, true});
  ASSERT_EQ(shortLines.size(), 12u);
  EXPECT_EQ(shortLines[0], "1,0,129,1,1,mouse_key_left");
  EXPECT_EQ(shortLines[6], "0,0,0,0,0,");
  EXPECT_EQ(loadBullet(shortLines, 1), (Bullet{50, 1, false, 2, true}));
}

TEST(FireKeyBullets, ThePathSumsEveryMoveOfEachBulletWithLeftAndUpNegative) {
  std::vector<std::string> lines;
  for (int b = 0; b < kBulletCount; ++b) {
    saveBullet(lines, b, Bullet{100, b % 2 ? 2 : 1, b % 2 == 1, 3, false});
  }
  // A move on one of the carried lines counts as well; other kinds do not.
  lines[0] = macro::formatMacroAction(verticalMove(10, true));
  lines[1] = "0,0,129,1,1,mouse_key_left";
  const auto path = bulletPath(lines);
  EXPECT_EQ(path[0], (PathPoint{0, 0}));
  EXPECT_EQ(path[1], (PathPoint{1, -7}));
  EXPECT_EQ(path[2], (PathPoint{-1, -4}));
  EXPECT_EQ(path[30], (PathPoint{-15, 80}));

  // A short or broken sequence moves only as far as it has move lines.
  const std::vector<std::string> shortLines = {"x", "", "0,0,4,5,0,", "0,0,133,2,1,"};
  const auto partial = bulletPath(shortLines);
  EXPECT_EQ(partial[1], (PathPoint{5, -2}));
  EXPECT_EQ(partial[30], (PathPoint{5, -2}));
}

}  // namespace
}  // namespace varnacle::mouse
