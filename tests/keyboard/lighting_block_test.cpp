// The keyboard lighting block's edits, the block shared with the working
// record, and the re-read of the record from a virtual keyboard.
#include "keyboard/lighting_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "../device/session_fixture.h"
#include "keyboard/key_positions.h"
#include "keyboard/keyboard_lighting.h"

namespace varnacle::keyboard {
namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPaint{9, 99, 199};

KeyboardLightingBlock blockInMode(int mode) {
  KeyboardLightingBlock b;
  b.bytes[kLightMode] = static_cast<uint8_t>(mode);
  return b;
}

std::size_t blackEntries(const KeyboardLightingBlock& b, std::size_t table) {
  const CustomTable t = b.customTable(table);
  return static_cast<std::size_t>(std::count(t.begin(), t.end(), kBlack));
}

TEST(KeyboardLightingBlockTest, PositionsWithoutAKeyHaveNoLightAndEveryLightIsOnePositions) {
  std::set<std::size_t> leds;
  for (std::size_t n = 0; n < kKeyPositionCount; ++n) {
    const auto led = ledOf(n);
    if (!led) continue;
    EXPECT_LT(*led, kLedCount);
    EXPECT_TRUE(leds.insert(*led).second) << "LED " << *led << " twice";
  }
  for (std::size_t n : {16u, 20u, 62u, 79u, 83u, 100u, 104u, 120u, 125u})
    EXPECT_FALSE(ledOf(n)) << n;
  EXPECT_EQ(ledOf(13), 14u);
  EXPECT_EQ(ledOf(118), 104u);
  EXPECT_EQ(ledOf(119), 62u);
  EXPECT_FALSE(ledOf(126)) << "beyond the picture";
}

TEST(KeyboardLightingBlockTest, SetColourStoresTheSingleColourOrInModeEightOnlyTheCustomColour) {
  KeyboardLightingBlock steady = blockInMode(3);
  steady.bytes[kSevenColor] = 1;
  EXPECT_TRUE(steady.setColor(kPaint)) << "the keyboard receives it";
  EXPECT_EQ(steady.bytes[kSevenColor], 0);
  EXPECT_EQ((Rgb{steady.bytes[kRed], steady.bytes[kGreen], steady.bytes[kBlue]}), kPaint);
  EXPECT_EQ(steady.customColor(), kBlack);

  KeyboardLightingBlock custom = blockInMode(kCustomMode);
  custom.bytes[kSevenColor] = 1;
  custom.bytes[kRed] = 5;
  const KeyboardLightingBlock before = custom;
  EXPECT_FALSE(custom.setColor(kPaint)) << "nothing the keyboard receives changes";
  EXPECT_EQ(custom.customColor(), kPaint);
  EXPECT_TRUE(std::equal(before.bytes.begin(), before.bytes.begin() + kCustomColorByte,
                         custom.bytes.begin()));
}

TEST(KeyboardLightingBlockTest, PaintFillAndClearWorkOnTheCurrentTableOnly) {
  KeyboardLightingBlock b = blockInMode(kCustomMode);
  ASSERT_TRUE(b.selectTable(2));
  b.setColor(kPaint);
  for (std::size_t position : {0u, 13u, 118u}) EXPECT_TRUE(b.paintKey(position));
  EXPECT_EQ(b.entry(2, 0), kPaint);
  EXPECT_EQ(b.entry(2, 14), kPaint) << "position 13 is LED 14";
  EXPECT_EQ(b.entry(2, 104), kPaint) << "position 118 is LED 104";
  EXPECT_EQ(blackEntries(b, 2), kLedCount - 3);

  const KeyboardLightingBlock beforeMiss = b;
  EXPECT_FALSE(b.paintKey(16)) << "a position without an LED";
  EXPECT_FALSE(b.paintKey(500));
  EXPECT_EQ(b.bytes, beforeMiss.bytes);

  // Fill: the three painted keys stay, the other 123 entries take the colour.
  b.setEntry(2, 0, Rgb{1, 2, 3});
  b.setEntry(2, 14, Rgb{4, 5, 6});
  b.setEntry(2, 104, Rgb{7, 8, 9});
  const Rgb fill{200, 10, 20};
  b.setColor(fill);
  b.fillTable();
  const CustomTable t = b.customTable(2);
  EXPECT_EQ(t[0], (Rgb{1, 2, 3}));
  EXPECT_EQ(t[14], (Rgb{4, 5, 6}));
  EXPECT_EQ(t[104], (Rgb{7, 8, 9}));
  EXPECT_EQ(std::count(t.begin(), t.end(), fill), 123);
  for (std::size_t table : {0u, 1u, 3u, 4u}) EXPECT_EQ(blackEntries(b, table), kLedCount) << table;

  b.clearTable();
  EXPECT_EQ(blackEntries(b, 2), kLedCount);

  // Outside mode 8 a click paints nothing.
  b.bytes[kLightMode] = 3;
  EXPECT_FALSE(b.paintKey(0));
  EXPECT_EQ(b.entry(2, 0), kBlack);
}

TEST(KeyboardLightingBlockTest, TableIndicesOutsideTheFiveAreRefusedOrReadAsTableZero) {
  KeyboardLightingBlock b = blockInMode(kCustomMode);
  EXPECT_FALSE(b.selectTable(5));
  EXPECT_FALSE(b.selectTable(-1));
  EXPECT_EQ(b.bytes[kCustomTableByte], 0);
  b.bytes[kCustomTableByte] = 200;  // as a damaged profile file may hold it
  EXPECT_EQ(b.customTableIndex(), 0u);
  b.setColor(kPaint);
  EXPECT_TRUE(b.paintKey(0));
  EXPECT_EQ(b.entry(0, 0), kPaint);
  EXPECT_EQ(b.entry(7, 0), kBlack) << "no table 7";
}

TEST(KeyboardLightingBlockTest, SpeedIsFourteenMinusTheSliderNeverBelowZero) {
  EXPECT_EQ(speedOfSlider(14), 0);
  EXPECT_EQ(speedOfSlider(0), 14);
  EXPECT_EQ(speedOfSlider(5), 9);
  EXPECT_EQ(speedOfSlider(20), 0);
  EXPECT_EQ(speedOfSlider(-3), 14);
}

TEST(KeyboardLightingBlockTest, ModesOfferTheirPanels) {
  EXPECT_TRUE(keyboardModePanels(kCustomMode).custom);
  EXPECT_FALSE(keyboardModePanels(kCustomMode).common.direction);
  EXPECT_FALSE(keyboardModePanels(kCustomMode).common.speed);
  EXPECT_FALSE(keyboardModePanels(3).common.speed);
  EXPECT_FALSE(keyboardModePanels(3).common.sevenColour);
  for (int mode = 0; mode < kKeyboardModeCount; ++mode)
    EXPECT_EQ(keyboardModePanels(mode).common.sameMode, mode <= 3) << mode;
  EXPECT_FALSE(keyboardModePanels(10).common.sameMode);
  EXPECT_FALSE(keyboardModePanels(255).custom);
}

TEST(KeyboardLightingTest, TheBlockSharesItsRecordWithTheWorkingRecord) {
  device::LiveLighting live;
  KeyboardLighting lighting(live);
  lighting.edit(
      [](KeyboardLightingBlock& b) {
        b.bytes[kBrightness] = 7;
        b.bytes[kCustomTableByte] = 3;
        b.bytes[60] = 0x60;  // reserved, kept with the profile
      },
      true);
  EXPECT_EQ(live.snapshot(DeviceKind::keyboard)[kBrightness], 7);
  EXPECT_TRUE(live.isChanged(DeviceKind::keyboard));

  // A device read that lands in the working record is part of the block.
  device::LiveLighting::Record read = live.snapshot(DeviceKind::keyboard);
  read[12] = 0x12;
  live.set(DeviceKind::keyboard, read, false);
  const KeyboardLightingBlock b = lighting.block();
  EXPECT_EQ(b.bytes[12], 0x12);
  EXPECT_EQ(b.bytes[kCustomTableByte], 3);
  EXPECT_EQ(b.bytes[60], 0x60);

  // An edit keeps that read: it changes the working record in place.
  lighting.edit([](KeyboardLightingBlock& x) { x.bytes[kSpeed] = 2; }, false);
  EXPECT_EQ(live.snapshot(DeviceKind::keyboard)[12], 0x12);
}

TEST(KeyboardLightingTest, AReportedChangeReReadsTheRecordAsProfileZero) {
  device::test_support::SimulatedSession sim(DeviceKind::keyboard);
  ASSERT_TRUE(sim.connected);
  auto memory = sim.device->memory();
  memory.settings[0] = 3;
  memory.settings[kLightMode] = 6;
  memory.settings[40] = 0x40;
  ASSERT_TRUE(sim.device->setMemory(memory));
  device::LiveLighting live;
  KeyboardLighting lighting(live);
  lighting.edit([](KeyboardLightingBlock& b) { b.bytes[kCustomColorByte] = 77; }, false);

  EXPECT_TRUE(reloadKeyboardRecord(*sim.session, lighting));
  const KeyboardLightingBlock b = lighting.block();
  EXPECT_EQ(b.bytes[kActiveProfileByte], 0);
  EXPECT_EQ(b.bytes[kLightMode], 6);
  EXPECT_EQ(b.bytes[40], 0x40);
  EXPECT_EQ(b.bytes[kCustomColorByte], 77) << "the custom colours are not the keyboard's";
  EXPECT_FALSE(live.isChanged(DeviceKind::keyboard));
  ASSERT_GE(sim.lengths().size(), 2u);
  EXPECT_EQ(sim.lengths()[sim.lengths().size() - 2], 1);
  EXPECT_EQ(sim.lengths().back(), 56);

  // A keyboard that stops answering leaves the record as it was.
  sim.device->injectFault(sim::Fault::silent, 1, sim::VirtualDevice::kAlways);
  lighting.edit([](KeyboardLightingBlock& x) { x.bytes[kLightMode] = 2; }, false);
  EXPECT_FALSE(reloadKeyboardRecord(*sim.session, lighting));
  EXPECT_EQ(lighting.block().bytes[kLightMode], 2);
}

}  // namespace
}  // namespace varnacle::keyboard
