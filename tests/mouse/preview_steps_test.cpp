// The preview step functions checked against the lighting tables: what each
// mode paints at a known position, how its state moves, and which lights a
// shared step touches when only some devices are synced.
#include "mouse/preview_steps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "mouse/lighting_tables.h"
#include "mouse/preset_colors.h"

namespace varnacle::mouse {
namespace {

Record lighting(int mode, int brightness, int direction, bool sevenColor,
                Rgb color = {10, 20, 30}) {
  Record r{};
  r[kLightMode] = static_cast<uint8_t>(mode);
  r[kBrightness] = static_cast<uint8_t>(brightness);
  r[kDirection] = static_cast<uint8_t>(direction);
  r[kSevenColor] = sevenColor ? 1 : 0;
  r[kRed] = color.red;
  r[kGreen] = color.green;
  r[kBlue] = color.blue;
  return r;
}

std::map<int, Tint> byLight(const Frame& frame) {
  std::map<int, Tint> lights;
  for (const Tint& t : frame) lights[t.light] = t;
  return lights;
}

// Alpha of each of the seven groups, read from its first light.
std::array<int, 7> groupAlphas(const Frame& frame) {
  const auto lights = byLight(frame);
  std::array<int, 7> alphas{};
  for (std::size_t g = 0; g < 7; ++g) alphas[g] = lights.at(LightGroups[g][0]).alpha;
  return alphas;
}

TEST(LightingTables, HoldTheirRunsAndCurves) {
  EXPECT_EQ(BrightnessAlpha.front(), 45);
  EXPECT_EQ(BrightnessAlpha.back(), 255);
  EXPECT_EQ(HueWheel[0], (Rgb{255, 1, 0}));
  EXPECT_EQ(HueWheel[31], (Rgb{255, 255, 0}));
  EXPECT_EQ(HueWheel[32], (Rgb{248, 255, 0}));
  EXPECT_EQ(HueWheel[100], (Rgb{0, 194, 255}));
  EXPECT_EQ(HueWheel[191], (Rgb{255, 0, 0}));
  EXPECT_EQ(WaveCurve[47], 255);
  EXPECT_EQ(WaveCurve[48], 255);
  EXPECT_EQ(WaveCurve[95], 22);
  EXPECT_EQ(BreathingCurve[15], 20);
  EXPECT_EQ(BreathingCurve[16], 22);
  EXPECT_EQ(BreathingCurve[63], 255);
  EXPECT_EQ(BreathingCurve[127], 0);
  EXPECT_EQ(PresetColors[22], 0xFF1B48A3u);
  EXPECT_EQ(KeyboardColumnTable[22][3], 119);
}

TEST(TintColour, PacksRedBlueGreenAndTurnsBackIntoArgb) {
  EXPECT_EQ(packTint({0x12, 0x34, 0x56}), 0x00345612u);
  EXPECT_EQ(tintToArgb(packTint({0x12, 0x34, 0x56})), 0xFF123456u);
}

TEST(MousePreview, SpectrumCycleGivesEveryLightTheHueWheelEntry) {
  MousePreviewState state;
  state.position = 40;
  const Frame frame = stepMousePreview(lighting(1, 10, 1, false), state);
  EXPECT_EQ(state.position, 41);
  ASSERT_EQ(frame.size(), 20u);
  for (const Tint& t : frame) {
    EXPECT_EQ(t.color, packTint(HueWheel[41]));
    EXPECT_EQ(t.alpha, 195);
  }
  state.position = 0;
  stepMousePreview(lighting(1, 10, 0, false), state);
  EXPECT_EQ(state.position, 191);
}

TEST(MousePreview, SteadyPaintsEachLightOnceInTheFixedColour) {
  MousePreviewState state;
  const Frame frame = stepMousePreview(lighting(3, 14, 0, false, {200, 100, 50}), state);
  const auto lights = byLight(frame);
  ASSERT_EQ(frame.size(), 20u);
  ASSERT_EQ(lights.size(), 20u);
  EXPECT_EQ(lights.begin()->first, 0);
  EXPECT_EQ(lights.rbegin()->first, 19);
  EXPECT_EQ(lights.at(9).color, packTint({200, 100, 50}));
  EXPECT_EQ(lights.at(9).alpha, 255);
}

TEST(MousePreview, GroupsPaintEveryLightOnceAndLightNineWithGroupTwo) {
  MousePreviewState state;
  state.position = 5;
  const Frame frame = stepMousePreview(lighting(0, 14, 1, false), state);
  // 7 groups of three name light 9 twice: 20 lights, each once.
  ASSERT_EQ(frame.size(), 20u);
  const auto lights = byLight(frame);
  ASSERT_EQ(lights.size(), 20u);
  // Group 2 at position 6 reads wave-curve entry 6 + 30 = 36 (182).
  EXPECT_EQ(lights.at(9).alpha, 255 * 182 / 256);
  EXPECT_EQ(lights.at(2).alpha, lights.at(9).alpha);
  EXPECT_NE(lights.at(10).alpha, lights.at(9).alpha);
}

TEST(MousePreview, ColourWaveAlphaFollowsTheWaveCurve) {
  MousePreviewState state;
  state.position = 5;
  const Frame frame = stepMousePreview(lighting(0, 14, 1, false, {1, 2, 3}), state);
  EXPECT_EQ(state.position, 6);
  const auto alphas = groupAlphas(frame);
  EXPECT_EQ(alphas[0], 255 * 77 / 256);  // wave-curve entry 16
  for (std::size_t g = 0; g < 7; ++g) {
    EXPECT_EQ(alphas[g], 255 * WaveCurve[(6 + 10 * (g + 1)) % 96] / 256) << g;
  }
  EXPECT_EQ(byLight(frame).at(19).color, packTint({1, 2, 3}));
  // Backwards from 0 wraps to the end of the wave.
  state.position = 0;
  stepMousePreview(lighting(0, 14, 0, false), state);
  EXPECT_EQ(state.position, 95);
}

TEST(MousePreview, SevenColourWaveSpreadsTheHueWheelOverTheGroups) {
  MousePreviewState state;
  state.position = 190;
  const Frame frame = stepMousePreview(lighting(0, 4, 1, true), state);
  EXPECT_EQ(state.position, 191);
  const auto lights = byLight(frame);
  EXPECT_EQ(lights.at(0).color, packTint(HueWheel[191]));
  EXPECT_EQ(lights.at(1).color, packTint(HueWheel[6]));  // group 1: (191 + 7) mod 192
  EXPECT_EQ(lights.at(1).alpha, 105);
}

TEST(MousePreview, BreathingAlphaAtAPositionAndBrightness) {
  MousePreviewState state;
  state.position = 20;
  const Frame frame = stepMousePreview(lighting(2, 10, 1, false, {9, 8, 7}), state);
  EXPECT_EQ(state.position, 21);
  for (const Tint& t : frame) {
    EXPECT_EQ(t.alpha, 195 * 36 / 256);  // breathing-curve entry 21 is 36
    EXPECT_EQ(t.color, packTint({9, 8, 7}));
  }
}

TEST(MousePreview, BreathingAdvancesTheColourSetWithEachBreath) {
  MousePreviewState state;
  state.position = 127;
  Frame frame = stepMousePreview(lighting(2, 14, 1, true), state);
  EXPECT_EQ(state.position, 0);
  EXPECT_EQ(state.colorSet, 1);
  EXPECT_EQ(byLight(frame).at(LightGroups[4][0]).color, packTint(SevenColorSets[1][4]));
  EXPECT_EQ(byLight(frame).at(0).alpha, 0);  // the breath starts dark

  // Backwards: arriving at 0 starts the next breath, leaving it does not.
  state.position = 1;
  stepMousePreview(lighting(2, 14, 0, true), state);
  EXPECT_EQ(state.position, 0);
  EXPECT_EQ(state.colorSet, 2);
  frame = stepMousePreview(lighting(2, 14, 0, true), state);
  EXPECT_EQ(state.position, 127);
  EXPECT_EQ(state.colorSet, 2);
  state.position = 127;
  stepMousePreview(lighting(2, 14, 1, true), state);
  EXPECT_EQ(state.colorSet, 0);
}

TEST(MousePreview, GrowingBarBouncesBetweenMinusOneAndEight) {
  MousePreviewState state;
  std::vector<int> counts;
  for (int i = 0; i < 20; ++i) {
    stepMousePreview(lighting(4, 14, 1, false), state);
    counts.push_back(state.barCount);
  }
  const std::vector<int> expected = {1, 2, 3, 4, 5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1, 0, -1, 0, 1, 2};
  EXPECT_EQ(counts, expected);
  EXPECT_EQ(state.position, 20);
}

TEST(MousePreview, GrowingBarLightsGroupsBelowOrAboveTheCount) {
  MousePreviewState state;
  state.barCount = 2;  // becomes 3
  state.position = 10;
  Frame frame = stepMousePreview(lighting(4, 14, 1, false), state);
  EXPECT_EQ(groupAlphas(frame), (std::array<int, 7>{255, 255, 255, 0, 0, 0, 0}));
  EXPECT_EQ(byLight(frame).at(LightGroups[1][0]).color, packTint(HueWheel[11 + 7]));

  state.barCount = 2;
  frame = stepMousePreview(lighting(4, 14, 0, false), state);
  EXPECT_EQ(groupAlphas(frame), (std::array<int, 7>{0, 0, 0, 0, 255, 255, 255}));
}

TEST(MousePreview, PulsesDecayInSteps) {
  MousePreviewState state;
  state.triggers[7] = 1;
  const Record record = lighting(5, 14, 1, false, {50, 60, 70});
  stepMousePreview(record, state);  // cell 7 fires; the trigger moves to 6
  EXPECT_EQ(state.triggers[6], 1);
  EXPECT_EQ(state.triggers[7], 0);
  std::vector<int> group6;
  for (int i = 0; i < 13; ++i)
    group6.push_back(byLight(stepMousePreview(record, state)).at(6).alpha);
  const std::vector<int> intensities = {215, 175, 135, 95, 65, 35, 25, 17, 9, 5, 1, 0, 0};
  std::vector<int> expected;
  for (const int v : intensities) expected.push_back(255 * v / 256);
  EXPECT_EQ(group6, expected);
  EXPECT_EQ(byLight(stepMousePreview(record, state)).at(13).color, packTint({50, 60, 70}));
}

TEST(MousePreview, TriggerRingRotatesByDirection) {
  MousePreviewState state;
  state.triggers[0] = 1;
  stepMousePreview(lighting(5, 14, 0, false), state);
  EXPECT_EQ(state.triggers[1], 1);
  EXPECT_EQ(state.triggers[0], 0);
  stepMousePreview(lighting(5, 14, 1, false), state);
  stepMousePreview(lighting(5, 14, 1, false), state);
  EXPECT_EQ(state.triggers[22], 1);  // below 0 the ring wraps
  EXPECT_EQ(std::count(state.triggers.begin(), state.triggers.end(), 1), 1);
}

TEST(MousePreview, SevenColourPulsesTakeHuesFromTheCounter) {
  MousePreviewState state;
  state.triggers[3] = 1;
  state.hueCounter = 187;
  const Frame frame = stepMousePreview(lighting(5, 14, 1, true), state);
  EXPECT_EQ(state.hueCounter, 198);
  EXPECT_EQ(state.hue[3], 198);
  // Hues of 192 and more count as hue + 64 modulo 256.
  EXPECT_EQ(byLight(frame).at(3).color, packTint(HueWheel[6]));
}

TEST(MousePreview, AnUnknownModeDrawsNothingAndKeepsTheState) {
  MousePreviewState state;
  state.position = 17;
  EXPECT_TRUE(stepMousePreview(lighting(6, 14, 1, false), state).empty());
  EXPECT_EQ(state.position, 17);
  // A brightness beyond 14 is drawn as 14.
  EXPECT_EQ(stepMousePreview(lighting(3, 99, 1, false), state).front().alpha, 255);
}

// Skipping n steps and stepping once shows what n + 1 steps show, in every
// mouse mode and direction, one colour or the wheel, past a whole turn.
TEST(MousePreview, SkippedStepsLeaveTheStateThatSteppingLeaves) {
  for (int mode = 0; mode <= 6; ++mode)
    for (const bool multi : {false, true})
      for (const int direction : {0, 1})
        for (const int n : {1, 7, 300}) {
          const Record record = lighting(mode, 14, direction, multi);
          MousePreviewState stepped;
          stepped.triggers[3] = 1;  // the pulses have something to fire
          stepMousePreview(record, stepped);
          MousePreviewState skipped = stepped;
          for (int i = 0; i < n; ++i) stepMousePreview(record, stepped);
          skipMousePreview(record, skipped, n);
          for (int frame = 0; frame < 3; ++frame)
            ASSERT_EQ(stepMousePreview(record, skipped), stepMousePreview(record, stepped))
                << "mode " << mode << " multi " << multi << " direction " << direction << " n " << n;
        }
}

constexpr std::array<bool, 3> kOnly(DeviceKind kind) {
  std::array<bool, 3> synced{};
  synced[static_cast<std::size_t>(kind)] = true;
  return synced;
}

SharedBlock shared(int mode, int brightness, int direction, bool sevenColor,
                   Rgb color = {4, 5, 6}) {
  return sharedBlockOf(lighting(mode, brightness, direction, sevenColor, color));
}

TEST(SharedPreview, TheBlockIsBytesOneToEight) {
  Record r{};
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>(i + 100);
  EXPECT_EQ(sharedBlockOf(r), (SharedBlock{101, 102, 103, 104, 105, 106, 107, 108}));
}

TEST(SharedPreview, WavePaintsOnlyTheSyncedDevicesByColumn) {
  SharedPreviewState state;
  state.position = 3;
  std::array<bool, 3> synced{};
  synced[static_cast<std::size_t>(DeviceKind::mouse)] = true;
  synced[static_cast<std::size_t>(DeviceKind::mousePad)] = true;
  const Frame frame = stepSharedPreview(shared(0, 14, 1, false), state, synced);
  EXPECT_EQ(state.position, 4);
  const auto lights = byLight(frame);
  EXPECT_EQ(lights.size(), 35u);
  EXPECT_TRUE(
      std::none_of(frame.begin(), frame.end(), [](const Tint& t) { return t.light >= 35; }));
  // Pad light 10 is column 10; mouse group 3 is column 3.
  EXPECT_EQ(lights.at(30).alpha, 255 * WaveCurve[(4 + 110) % 96] / 256);
  EXPECT_EQ(lights.at(14).alpha, 255 * WaveCurve[(4 + 40) % 96] / 256);
  EXPECT_EQ(lights.at(14).color, packTint({4, 5, 6}));
}

TEST(SharedPreview, WaveOnTheKeyboardFollowsTheColumnTable) {
  SharedPreviewState state;
  state.position = 0;
  const Frame frame = stepSharedPreview(shared(0, 14, 1, true), state, kOnly(DeviceKind::keyboard));
  EXPECT_EQ(state.position, 1);
  const auto lights = byLight(frame);
  std::size_t tableLights = 0;
  for (const auto& column : KeyboardColumnTable) {
    tableLights += static_cast<std::size_t>(
        std::count_if(column.begin(), column.end(), [](int l) { return l >= 0; }));
  }
  EXPECT_EQ(frame.size(), tableLights);
  EXPECT_EQ(lights.at(35 + 119).color, packTint(HueWheel[1 + 7 * 22]));
  EXPECT_EQ(lights.at(35 + 105).color, packTint(HueWheel[1]));
  EXPECT_EQ(lights.at(35 + 105).alpha, 255);
  EXPECT_FALSE(lights.contains(35 + 100));
}

TEST(SharedPreview, SpectrumBreathingAndSteadyCoverEverySyncedLight) {
  std::array<bool, 3> synced{};
  synced[static_cast<std::size_t>(DeviceKind::keyboard)] = true;
  synced[static_cast<std::size_t>(DeviceKind::mouse)] = true;
  SharedPreviewState state;
  state.position = 50;
  Frame frame = stepSharedPreview(shared(1, 0, 0, false), state, synced);
  EXPECT_EQ(state.position, 49);
  EXPECT_EQ(frame.size(), 20u + 126u);
  EXPECT_TRUE(std::none_of(frame.begin(), frame.end(),
                           [](const Tint& t) { return t.light >= 20 && t.light < 35; }));
  EXPECT_EQ(byLight(frame).at(160).color, packTint(HueWheel[49]));
  EXPECT_EQ(byLight(frame).at(160).alpha, 45);

  state.position = 20;
  frame = stepSharedPreview(shared(2, 10, 1, true), state, kOnly(DeviceKind::mousePad));
  EXPECT_EQ(frame.size(), 15u);
  EXPECT_EQ(frame.front().light, 20);
  EXPECT_EQ(frame.front().color, packTint(HueWheel[21]));
  EXPECT_EQ(frame.front().alpha, 195 * 36 / 256);

  frame = stepSharedPreview(shared(3, 14, 1, false, {7, 7, 9}), state, kOnly(DeviceKind::mouse));
  EXPECT_EQ(frame.size(), 20u);
  EXPECT_EQ(frame.back().color, packTint({7, 7, 9}));

  EXPECT_TRUE(stepSharedPreview(shared(3, 14, 1, false), state, {}).empty());
  EXPECT_TRUE(stepSharedPreview(shared(4, 14, 1, false), state, synced).empty());
}

// Skipping n steps and stepping once shows what n + 1 steps show, in every
// shared mode and direction, one colour or the wheel, past a whole turn.
TEST(SharedPreview, SkippedStepsLeaveTheStateThatSteppingLeaves) {
  const std::array<bool, 3> all{true, true, true};
  for (int mode = 0; mode <= 4; ++mode)
    for (const bool multi : {false, true})
      for (const int direction : {0, 1})
        for (const int n : {1, 7, 300}) {
          const SharedBlock block = shared(mode, 14, direction, multi);
          SharedPreviewState stepped;
          stepSharedPreview(block, stepped, all);
          SharedPreviewState skipped = stepped;
          for (int i = 0; i < n; ++i) stepSharedPreview(block, stepped, all);
          skipSharedPreview(block, skipped, n);
          ASSERT_EQ(skipped.position, stepped.position)
              << "mode " << mode << " multi " << multi << " direction " << direction << " n " << n;
          ASSERT_EQ(stepSharedPreview(block, skipped, all), stepSharedPreview(block, stepped, all));
        }
}

}  // namespace
}  // namespace varnacle::mouse
