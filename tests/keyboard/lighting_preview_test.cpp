// The keyboard preview's steps without a window: the ripple masks, the decay
// ladders, the bounce, the spark stages, the key order, the reactive clicks
// and the pacing of each mode.
#include "keyboard/lighting_preview.h"

#include <gtest/gtest.h>

#include <vector>

#include "keyboard/keyboard_lighting.h"

namespace varnacle::keyboard {
namespace {

using mouse::HueWheel;
using mouse::packTint;

Record recordOf(int mode, bool multi, uint8_t direction = 1, uint8_t speed = 0) {
  Record r{};
  r[kLightMode] = static_cast<uint8_t>(mode);
  r[kBrightness] = 14;  // alpha 255
  r[kSpeed] = speed;
  r[kDirection] = direction;
  r[kSevenColor] = multi ? 1 : 0;
  r[kRed] = 10;
  r[kGreen] = 20;
  r[kBlue] = 30;
  return r;
}

struct Stepper {
  Record record;
  CustomTable custom{};
  KeyboardPreviewState state;
  Frame step(uint32_t ticks = 0, bool tick = false) {
    return stepKeyboardPreview({record, custom, ticks, tick}, state);
  }
};

const Tint& tintOf(const Frame& frame, int position) {
  for (const Tint& t : frame)
    if (t.light == position) return t;
  static const Tint none{-1, 0, 0};
  ADD_FAILURE() << "position " << position << " not in the frame";
  return none;
}

TEST(KeyboardRippleTest, EachMaskSpreadsOneColumnSidewaysAndOneRowUpOrDown) {
  Masks masks{};
  for (auto& m : masks) m[5] = 1 << 2;
  const Masks next = stepRipple(masks);
  EXPECT_EQ(next[kLeftDown][5], 1 << 3);
  EXPECT_EQ(next[kLeftDown][4], 1 << 2);
  EXPECT_EQ(next[kLeftUp][5], 1 << 1);
  EXPECT_EQ(next[kLeftUp][4], 1 << 2);
  EXPECT_EQ(next[kRightDown][5], 1 << 3);
  EXPECT_EQ(next[kRightDown][6], 1 << 2);
  EXPECT_EQ(next[kRightUp][5], 1 << 1);
  EXPECT_EQ(next[kRightUp][6], 1 << 2);
  for (std::size_t c : {0u, 3u, 7u, 22u}) {
    for (const auto& m : next) EXPECT_EQ(m[c], 0) << c;
  }
  EXPECT_EQ(next[kLeftDown][6], 0) << "the left masks take nothing from the left";
  EXPECT_EQ(next[kRightDown][4], 0);
}

TEST(KeyboardRippleTest, BitsAtTheEdgesAreLost) {
  Masks masks{};
  masks[kLeftDown][22] = 0x80;   // moved past bit 7
  masks[kLeftUp][0] = 0x01;      // moved below bit 0, and nothing left of column 0
  masks[kRightDown][22] = 0x02;  // nothing right of column 22
  masks[kRightUp][0] = 0x01;
  const Masks next = stepRipple(masks);
  EXPECT_EQ(next[kLeftDown][22], 0);
  EXPECT_EQ(next[kLeftDown][21], 0x80) << "the old column 22 moves left whole";
  EXPECT_EQ(next[kLeftUp][0], 0);
  EXPECT_EQ(next[kRightDown][22], 0x04);
  EXPECT_EQ(next[kRightDown][0], 0) << "no wrap to column 0";
  EXPECT_EQ(next[kRightUp][0], 0);
  EXPECT_EQ(next[kRightUp][1], 0x01);
}

TEST(KeyboardRippleTest, MarkingSetsTheKeysColumnAndRowInAllFourMasks) {
  KeyboardPreviewState state;
  state.mark(52);  // column 11, row 2
  for (const auto& m : state.masks) EXPECT_EQ(m[11], 1 << 2);
  state.mark(105);  // column 0, row 5
  for (const auto& m : state.masks) EXPECT_EQ(m[0], 1 << 5);
  const Masks before = state.masks;
  state.mark(16);  // no key there
  state.mark(400);
  EXPECT_EQ(state.masks, before);
}

TEST(KeyboardRippleTest, BothDecayLaddersAtEveryThreshold) {
  struct Case {
    uint8_t from, bounce, ripple;
  };
  const Case cases[] = {{255, 215, 225}, {128, 88, 98}, {127, 97, 107}, {64, 34, 44}, {63, 53, 53},
                        {32, 22, 22},    {31, 23, 26},  {17, 9, 12},    {16, 16, 12}, {9, 9, 5},
                        {8, 0, 0},       {1, 0, 0},     {0, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(rippleDecayed(c.from, kBounceDecay), c.bounce) << int(c.from);
    EXPECT_EQ(rippleDecayed(c.from, kRippleDecay), c.ripple) << int(c.from);
  }
}

TEST(KeyboardRippleTest, ModeFiveBouncesAtTheTopAndBottomRowsOfColumnNine) {
  for (const uint8_t edge : {uint8_t{0x01}, uint8_t{0x40}}) {
    SCOPED_TRACE(int(edge));
    Stepper s{recordOf(kBouncingMode, false), {}, {}};
    s.state.masks[kLeftUp][9] = edge;  // one mask alone holds it
    s.step();
    // The edge bit went into all four masks before they stepped.
    EXPECT_EQ(s.state.masks[kRightDown][10], edge);
    EXPECT_EQ(s.state.masks[kRightUp][10], edge);
    EXPECT_EQ(s.state.masks[kLeftDown][8], edge);
  }
  Stepper other{recordOf(kBouncingMode, false), {}, {}};
  other.state.masks[kLeftUp][9] = 0x41;
  other.step();
  EXPECT_EQ(other.state.masks[kRightDown][10], 0) << "only exactly 0x01 or 0x40 bounces";

  KeyboardPreview preview;
  preview.restart(kBouncingMode);
  for (const auto& m : preview.state().masks) EXPECT_EQ(m[9], 0x40);
  preview.restart(3);
  for (const auto& m : preview.state().masks) EXPECT_EQ(m[9], 0);
}

TEST(KeyboardRippleTest, ModeSixRunsItsStagesInOrderAndStartsAgain) {
  Stepper s{recordOf(6, true), {}, {}};
  const Frame first = s.step();
  EXPECT_EQ(s.state.intensity[0], 225 - 30) << "position 0 is painted, and decays, twice a frame";
  EXPECT_EQ(s.state.intensity[118], 225);
  EXPECT_NE(s.state.hue[118], s.state.hue[0]) << "each lit key takes the next hue";
  EXPECT_EQ(tintOf(first, 118).alpha, 255 * 225 / 256);
  // From the start: the frame numbers at which the stage changes.
  Stepper fresh{recordOf(6, true), {}, {}};
  std::vector<int> stages{0};
  std::vector<int> changedAt;
  for (int frame = 1; frame <= 2000 && stages.size() < 6; ++frame) {
    fresh.step();
    if (fresh.state.stage != stages.back()) {
      stages.push_back(fresh.state.stage);
      changedAt.push_back(frame);
    }
  }
  EXPECT_EQ(stages, (std::vector<int>{0, 1, 2, 3, 4, 0}));
  ASSERT_EQ(changedAt.size(), 5u);
  EXPECT_EQ(changedAt[0], 20) << "20 spark entries, one a frame";
  EXPECT_GT(changedAt[1] - changedAt[0], 31) << "31 pairs, then the wait for position 72";
  EXPECT_EQ(changedAt[2] - changedAt[1], 1) << "the ripple starts in one frame";
  EXPECT_EQ(fresh.state.step, 0);
}

TEST(KeyboardPreviewTest, ModeSevenFollowsTheKeyOrderFiveStepsApart) {
  Stepper multi{recordOf(7, true), {}, {}};
  Frame frame = multi.step();
  EXPECT_EQ(multi.state.phase, 1);
  for (std::size_t i : {0u, 10u, 50u, 103u}) {
    const Tint& t = tintOf(frame, Mode7KeyOrder[i]);
    EXPECT_EQ(t.color, packTint(HueWheel[(1 + 5 * i) % 192])) << i;
    EXPECT_EQ(t.alpha, 255);
  }
  EXPECT_EQ(frame.size(), kLedCount) << "every position is tinted";
  EXPECT_EQ(tintOf(frame, 100).alpha, 0) << "a position outside the order is dark";

  Stepper backwards{recordOf(7, false, 0), {}, {}};
  frame = backwards.step();
  EXPECT_EQ(backwards.state.phase, 95) << "single colour: 96 steps, backwards from 0";
  const Tint& t = tintOf(frame, Mode7KeyOrder[3]);
  EXPECT_EQ(t.color, packTint({10, 20, 30}));
  EXPECT_EQ(t.alpha, 255 * mouse::WaveCurve[(95 + 15) % 96] / 256);
}

TEST(KeyboardPreviewTest, ModeNineRipplesOnTheTickCounterAndPaintsOnTheTickFlag) {
  Stepper s{recordOf(kReactiveMode, false, 1, 2), {}, {}};  // interval 3 x 2 + 2 = 8 ticks
  s.state.mark(52);
  EXPECT_TRUE(s.step(8, false).empty()) << "not past the interval, no tick: nothing";
  EXPECT_EQ(s.state.intensity[52], 0);
  EXPECT_TRUE(s.step(9, false).empty());
  EXPECT_EQ(s.state.intensity[52], 255) << "past the interval the ripple stepped";
  EXPECT_EQ(s.state.rippleMark, 9u);
  const Frame frame = s.step(12, true);
  ASSERT_EQ(frame.size(), kLedCount);
  EXPECT_EQ(s.state.intensity[52], 225);
  EXPECT_EQ(tintOf(frame, 52).alpha, 255 * 225 / 256);
  EXPECT_EQ(tintOf(frame, 52).color, packTint({10, 20, 30}));
}

TEST(KeyboardPreviewTest, CustomModeShowsEachKeysLedColourAndUnknownModesNothing) {
  Stepper s{recordOf(kCustomMode, false), {}, {}};
  s.custom[14] = {1, 2, 3};
  const Frame frame = s.step();
  EXPECT_EQ(tintOf(frame, 13).color, packTint({1, 2, 3})) << "position 13 is LED 14";
  EXPECT_EQ(tintOf(frame, 13).alpha, 255);
  EXPECT_EQ(tintOf(frame, 16).alpha, 0) << "no LED";
  s.record[kLightMode] = 10;
  EXPECT_TRUE(s.step().empty());
}

TEST(KeyboardPreviewTest, BreathingTakesTheNextColourAfterEachBreathWithoutTheRecord) {
  Stepper s{recordOf(2, true), {}, {}};
  const Record before = s.record;
  for (int i = 0; i < 128; ++i) s.step();
  EXPECT_EQ(s.state.breathColor, 1);
  const Frame frame = s.step();
  EXPECT_EQ(tintOf(frame, 0).color, packTint(HueWheel[64]));
  EXPECT_EQ(s.record, before);
}

TEST(KeyboardPreviewTest, TheWaitsOfEveryModeAtEverySpeed) {
  const std::vector<int> ladder = {13, 17, 21, 25, 29, 33, 37, 41, 45, 49, 53, 57, 61, 65};
  auto from = [&](int first) {
    std::vector<int> v{first};
    v.insert(v.end(), ladder.begin(), ladder.end());
    return v;
  };
  const std::vector<int> breathing = {9, 13, 17, 21, 25, 29, 33, 37, 41, 45, 49, 53, 57, 61, 63};
  const std::vector<int> reactive = {0, 9, 13, 17, 21, 25, 29, 33, 37, 41, 45, 49, 53, 57, 61};
  const std::vector<std::vector<int>> expected = {from(2), from(9), breathing, from(9), from(3),
                                                  from(9), from(9), from(3),   from(9), reactive};
  for (int mode = 0; mode < kKeyboardModeCount; ++mode) {
    for (int speed = 0; speed <= 14; ++speed) {
      EXPECT_EQ(keyboardPassDelay(mode, speed).count(),
                expected[static_cast<std::size_t>(mode)][static_cast<std::size_t>(speed)])
          << "mode " << mode << " speed " << speed;
    }
    EXPECT_EQ(keyboardPassDelay(mode, 200), keyboardPassDelay(mode, 14)) << mode;
  }
  const int pauses[] = {0, 20, 0, 0, 12, 40, 15, 1, 0, 0};
  for (int mode = 0; mode < kKeyboardModeCount; ++mode)
    EXPECT_EQ(keyboardFramePause(mode).count(), pauses[mode]) << mode;
}

TEST(KeyboardPreviewTest, ColumnWaveAndSteadyPaintLikeTheSharedPreviewAndDarkenTheRest) {
  Stepper wave{recordOf(0, true), {}, {}};
  Frame frame = wave.step();
  // Column 2 holds position 0: hue step 1 + 7 x 2.
  EXPECT_EQ(tintOf(frame, 0).color, packTint(HueWheel[15]));
  Stepper steady{recordOf(3, false), {}, {}};
  frame = steady.step();
  EXPECT_EQ(tintOf(frame, 60).color, packTint({10, 20, 30}));
  EXPECT_EQ(tintOf(frame, 60).alpha, 255);
  // A ripple mode after it leaves no steady colour where it paints nothing.
  Stepper bounce{recordOf(kBouncingMode, false), {}, {}};
  frame = bounce.step();
  EXPECT_EQ(tintOf(frame, 60).alpha, 0);
}

// Between two shown frames a fast preview only moves its state on: skipping
// n steps and stepping once shows what n + 1 steps show, in every mode, both
// directions, one colour or the wheel, and past a whole turn of the phase.
TEST(KeyboardPreviewTest, SkippedStepsLeaveTheStateThatSteppingLeaves) {
  for (int mode = 0; mode <= kReactiveMode; ++mode)
    for (const bool multi : {false, true})
      for (const uint8_t direction : {uint8_t{0}, uint8_t{1}})
        for (const int n : {1, 7, 300}) {
          Stepper stepped{recordOf(mode, multi, direction), {}, {}};
          stepped.custom[5] = {1, 2, 3};
          stepped.step();
          Stepper skipped = stepped;
          for (int i = 0; i < n; ++i) stepped.step();
          skipKeyboardPreview({skipped.record, skipped.custom, 0, false}, skipped.state, n);
          const auto where = ::testing::Message() << "mode " << mode << " multi " << multi
                                                  << " direction " << int{direction} << " n " << n;
          for (int frame = 0; frame < 3; ++frame) ASSERT_EQ(skipped.step(), stepped.step()) << where;
        }
}

}  // namespace
}  // namespace varnacle::keyboard
