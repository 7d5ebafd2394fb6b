// The pad preview's step functions against the lighting tables, without a
// window: what each mode paints, how the bar, the pulses, the sliding block
// and the flash move, and the pauses of a pass.
#include "mousepad/pad_preview_steps.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "mouse/lighting_tables.h"
#include "mousepad/pad_lighting_modes.h"

namespace varnacle::mousepad {
namespace {

using mouse::BrightnessAlpha;
using mouse::HueWheel;
using mouse::packTint;
using mouse::Rgb;
using std::chrono::milliseconds;

constexpr Rgb kFixed{10, 20, 30};

Record lighting(int mode, int direction, bool sevenColor, int brightness = 14) {
  Record r{};
  r[kLightMode] = static_cast<uint8_t>(mode);
  r[kBrightness] = static_cast<uint8_t>(brightness);
  r[kDirection] = static_cast<uint8_t>(direction);
  r[kSevenColor] = sevenColor ? 1 : 0;
  r[kRed] = kFixed.red;
  r[kGreen] = kFixed.green;
  r[kBlue] = kFixed.blue;
  return r;
}

std::map<int, Tint> byLight(const Frame& frame) {
  std::map<int, Tint> lights;
  for (const Tint& t : frame) lights[t.light] = t;
  return lights;
}

std::set<int> litLights(const Frame& frame) {
  std::set<int> lit;
  for (const Tint& t : frame)
    if (t.alpha > 0) lit.insert(t.light);
  return lit;
}

uint32_t hue(int entry) {
  return packTint(HueWheel[static_cast<std::size_t>(entry % 192)]);
}

TEST(PadLightLayout, SevenColumnsCoverEveryLightOnce) {
  std::multiset<int> seen;
  for (const auto& column : PadLightColumns)
    for (int light : column)
      if (light >= 0) seen.insert(light);
  ASSERT_EQ(seen.size(), 15u);
  for (int i = 0; i < kPadLights; ++i) EXPECT_EQ(seen.count(i), 1u) << i;
  EXPECT_EQ(PadLightColumns[0], (std::array<int, 5>{0, 1, 2, 3, 4}));
  EXPECT_EQ(PadLightColumns[6], (std::array<int, 5>{14, 13, 12, 11, 10}));
}

TEST(PadModeControls, FollowTheModeTable) {
  // Mode 3: no seven-colour, no speed; mode 8: no direction, speed or same mode.
  EXPECT_FALSE(padModeControls(3).sevenColour);
  EXPECT_FALSE(padModeControls(3).speed);
  EXPECT_TRUE(padModeControls(3).colour);
  EXPECT_TRUE(padModeControls(3).sameMode);
  EXPECT_FALSE(padModeControls(8).direction);
  EXPECT_FALSE(padModeControls(8).speed);
  EXPECT_FALSE(padModeControls(8).sameMode);
  EXPECT_TRUE(padModeControls(8).sevenColour);
  // The extra item 9: colour and seven-colour, no direction, no same mode.
  EXPECT_FALSE(padModeControls(9).direction);
  EXPECT_TRUE(padModeControls(9).colour);
  EXPECT_TRUE(padModeControls(9).sevenColour);
  EXPECT_FALSE(padModeControls(9).sameMode);
  // Same mode only where the shared preview can follow (modes 0-3).
  for (int mode = 0; mode < kPadModeChoices; ++mode)
    EXPECT_EQ(padModeControls(mode).sameMode, mode <= 3) << mode;
  EXPECT_FALSE(padModeControls(200).sameMode);
}

TEST(PadPreviewSteps, WaveGivesEachLightItsOwnHueOrWavePoint) {
  PadPreviewState state;
  const auto seven = byLight(stepPadPreview(lighting(0, 1, true), state, {}).frame);
  ASSERT_EQ(seven.size(), 15u);
  EXPECT_EQ(state.position, 1);
  for (int i = 0; i < kPadLights; ++i) EXPECT_EQ(seven.at(i).color, hue(1 + 7 * i)) << i;

  state.reset();
  state.position = 90;
  const auto fixed = byLight(stepPadPreview(lighting(0, 1, false), state, {}).frame);
  EXPECT_EQ(state.position, 91);
  for (int i = 0; i < kPadLights; ++i) {
    EXPECT_EQ(fixed.at(i).color, packTint(kFixed));
    EXPECT_EQ(fixed.at(i).alpha, 255 * mouse::WaveCurve[(91 + 10 * i) % 96] / 256) << i;
  }
  // Backwards from 0 the wave wraps within its own period.
  state.reset();
  stepPadPreview(lighting(0, 0, false), state, {});
  EXPECT_EQ(state.position, 95);
}

TEST(PadPreviewSteps, BreathingTakesAHueFiftyOnAndCountsBreathsInItsState) {
  PadPreviewState state;
  state.position = 126;
  Record record = lighting(2, 1, true, 0);
  const Record before = record;
  const auto lights = byLight(stepPadPreview(record, state, {}).frame);
  EXPECT_EQ(lights.at(0).color, hue(127 + 50));
  EXPECT_EQ(lights.at(14).alpha, 45 * mouse::BreathingCurve[127] / 256);
  stepPadPreview(record, state, {});  // past 127: a new breath
  EXPECT_EQ(state.position, 0);
  EXPECT_EQ(state.colorSet, 1);
  EXPECT_EQ(record, before) << "the preview never writes the record";
}

TEST(PadPreviewSteps, GrowingBarRunsBetweenMinusOneAndFifteen) {
  for (int direction : {1, 0}) {
    SCOPED_TRACE(direction);
    PadPreviewState state;
    std::vector<int> counts;
    for (int n = 0; n < 34; ++n) {
      const Frame frame = stepPadPreview(lighting(4, direction, true), state, {}).frame;
      counts.push_back(state.barCount);
      ASSERT_EQ(frame.size(), 15u);
      std::set<int> expected;
      for (int i = 0; i < kPadLights; ++i)
        if (direction == 1 ? state.barCount < i : i < state.barCount) expected.insert(i);
      EXPECT_EQ(litLights(frame), expected) << "count " << state.barCount;
      for (const Tint& t : frame) {
        if (expected.count(t.light)) {
          EXPECT_EQ(t.color, hue(7 * t.light));
          EXPECT_EQ(t.alpha, 255);
        } else {
          EXPECT_EQ(t.color, 0u);
        }
      }
    }
    // Up to 15, down to -1, up again.
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[14], 15);
    EXPECT_EQ(counts[15], 14);
    EXPECT_EQ(counts[30], -1);
    EXPECT_EQ(counts[31], 0);
    EXPECT_EQ(*std::min_element(counts.begin(), counts.end()), -1);
    EXPECT_EQ(*std::max_element(counts.begin(), counts.end()), 15);
  }
  // At the ends: count -1 with direction 1 lights all; 15 with direction 0 all.
  PadPreviewState state;
  state.barCount = 0;
  state.barFalling = true;
  EXPECT_EQ(litLights(stepPadPreview(lighting(4, 1, false), state, {}).frame).size(), 15u);
}

TEST(PadPreviewSteps, PulsesDecayByThePadsLadder) {
  PadPreviewState state;
  // One light per rung edge: from and to.
  const std::array<uint8_t, 15> before = {255, 128, 127, 64, 63, 32, 31, 17, 16, 1, 0, 130, 20, 5, 2};
  const std::array<uint8_t, 15> after = {225, 98, 107, 44, 53, 22, 26, 12, 15, 0, 0, 100, 15, 4, 1};
  state.intensity = before;
  const auto lights = byLight(stepPadPreview(lighting(5, 1, false, 14), state, {}).frame);
  EXPECT_EQ(state.intensity, after);
  for (int i = 0; i < kPadLights; ++i) {
    EXPECT_EQ(lights.at(i).alpha, 255 * after[static_cast<std::size_t>(i)] / 256) << i;
    EXPECT_EQ(lights.at(i).color, packTint(kFixed));
  }
}

TEST(PadPreviewSteps, PulsesTravelTheTwentyThreeCellRingAndFireItsFirstFifteen) {
  PadPreviewState state;
  state.triggers[0] = 1;
  // Direction 1 rotates towards lower cells: cell 0 goes round to 22, and
  // reaches the firing cells again at 14 after eight more steps.
  stepPadPreview(lighting(5, 1, true), state, {});
  EXPECT_EQ(state.triggers[22], 1);
  EXPECT_EQ(state.intensity[0], 225) << "fired at 255, decayed once";
  EXPECT_EQ(state.hue[0], 11);
  for (int n = 0; n < 8; ++n) stepPadPreview(lighting(5, 1, true), state, {});
  EXPECT_EQ(state.triggers[14], 1);
  stepPadPreview(lighting(5, 1, true), state, {});
  EXPECT_EQ(state.intensity[14], 225) << "cell 14 fires on the pad";
  EXPECT_EQ(state.hue[14], 22);
}

TEST(PadPreviewSteps, ColumnSpectrumPaintsEachColumnOneHue) {
  PadPreviewState state;
  state.position = 10;
  const auto lights = byLight(stepPadPreview(lighting(6, 0, false), state, {}).frame);
  EXPECT_EQ(state.position, 9);
  for (int c = 0; c < kPadColumnCount; ++c)
    for (int light : PadLightColumns[static_cast<std::size_t>(c)])
      if (light >= 0) {
        EXPECT_EQ(lights.at(light).color, hue(9 + 7 * c)) << light;
      }
}

TEST(PadPreviewSteps, SlidingBlockSlidesOutAndBackWithAPauseAtEachTurn) {
  PadPreviewState state;
  std::vector<uint16_t> patterns;
  for (int n = 0; n < 2 * kSlideSteps; ++n) {
    const bool back = n >= kSlideSteps;
    const int k = n % kSlideSteps;
    const uint16_t pattern = back ? static_cast<uint16_t>(0x00FC << k) : 0x3F00 >> k;
    patterns.push_back(pattern);
    const PadStep step = stepPadPreview(lighting(7, 1, false), state, {});
    std::set<int> expected;
    for (int c = 0; c < kPadColumnCount; ++c)
      if (pattern >> c & 1)
        for (int light : PadLightColumns[static_cast<std::size_t>(c)])
          if (light >= 0) expected.insert(light);
    EXPECT_EQ(litLights(step.frame), expected) << "step " << n;
    // The hue start moves one back per step; lit columns 20 entries apart.
    const int start = (192 - (n + 1) % 192) % 192;
    for (const Tint& t : step.frame) {
      if (!expected.count(t.light)) continue;
      for (int c = 0; c < kPadColumnCount; ++c)
        for (int light : PadLightColumns[static_cast<std::size_t>(c)])
          if (light == t.light) {
            EXPECT_EQ(t.color, hue(start + 20 * c));
          }
    }
    const bool turn = k == kSlideSteps - 1;
    EXPECT_EQ(step.pauseAfter, turn ? milliseconds(1000) : milliseconds(0)) << "step " << n;
  }
  EXPECT_EQ(patterns[1], 0x1F80);
  EXPECT_EQ(patterns[8], 0x003F);
  EXPECT_EQ(patterns[14], 0x0000);
  EXPECT_EQ(patterns[15], 0x00FC);
  EXPECT_EQ(patterns[16], 0x01F8);
  EXPECT_EQ(patterns[29], 0x0000);
  // After both phases it slides out again.
  stepPadPreview(lighting(7, 1, false), state, {});
  EXPECT_FALSE(state.slidingBack);
  EXPECT_EQ(state.slideStep, 1);
}

TEST(PadPreviewSteps, FlashLightsForAHundredMillisecondsAndAdvancesItsHue) {
  PadPreviewState state;
  const Record record = lighting(8, 0, true);
  // Tick counts just before a wrap: the flash must end across it too.
  uint32_t now = 0xFFFFFFFFu - 20;
  EXPECT_TRUE(litLights(stepPadPreview(record, state, {now, false}).frame).empty());
  std::vector<int> hues;
  for (int flash = 0; flash < 15; ++flash) {
    const Frame lit = stepPadPreview(record, state, {now, true}).frame;
    ASSERT_EQ(litLights(lit).size(), 15u);
    const uint32_t color = lit.front().color;
    for (int entry = 0; entry < 192; ++entry)
      if (hue(entry) == color) hues.push_back(entry);
    EXPECT_EQ(litLights(stepPadPreview(record, state, {now + 99, false}).frame).size(), 15u);
    EXPECT_TRUE(litLights(stepPadPreview(record, state, {now + 100, false}).frame).empty());
    now += 250;
  }
  const std::vector<int> expected = {0,   14,  28,  42,  56,  70,  84, 98,
                                     112, 126, 140, 154, 168, 182, 0};
  EXPECT_EQ(hues, expected);
  // Seven-colour off: the fixed colour.
  const Frame fixed = stepPadPreview(lighting(8, 0, false), state, {now, true}).frame;
  EXPECT_EQ(fixed.front().color, packTint(kFixed));
}

TEST(PadPreviewSteps, UnknownModesDrawNothing) {
  PadPreviewState state;
  state.position = 17;
  EXPECT_TRUE(stepPadPreview(lighting(9, 1, true), state, {}).frame.empty());
  EXPECT_EQ(state.position, 17);
}

TEST(PadPreviewPauses, PassAndModeWaits) {
  EXPECT_EQ(padPassPause(0), milliseconds(9));
  EXPECT_EQ(padPassPause(14), milliseconds(65));
  EXPECT_EQ(padModePause(4, 3), milliseconds(130));
  EXPECT_EQ(padModePause(5, 14), milliseconds(50));
  EXPECT_EQ(padModePause(7, 2), milliseconds(60));
  for (int mode : {0, 1, 2, 3, 6, 8}) EXPECT_EQ(padModePause(mode, 14), milliseconds(0)) << mode;
}

}  // namespace
}  // namespace varnacle::mousepad
