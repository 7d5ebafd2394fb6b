#include "keyboard/lighting_block.h"

namespace varnacle::keyboard {

namespace {

constexpr std::size_t entryByte(std::size_t table, std::size_t led) {
  return kCustomTablesByte + table * kCustomTableSize + 3 * led;
}

constexpr Rgb kBlack{0, 0, 0};

}  // namespace

std::optional<std::size_t> ledOf(std::size_t position) {
  if (position >= PositionLedTable.size() || PositionLedTable[position] == kNoLed)
    return std::nullopt;
  return PositionLedTable[position];
}

std::size_t KeyboardLightingBlock::customTableIndex() const {
  const std::size_t index = bytes[kCustomTableByte];
  return index < kCustomTableCount ? index : 0;
}

Rgb KeyboardLightingBlock::customColor() const {
  return {bytes[kCustomColorByte], bytes[kCustomColorByte + 1], bytes[kCustomColorByte + 2]};
}

Rgb KeyboardLightingBlock::entry(std::size_t table, std::size_t led) const {
  if (table >= kCustomTableCount || led >= kLedCount) return kBlack;
  const std::size_t at = entryByte(table, led);
  return {bytes[at], bytes[at + 1], bytes[at + 2]};
}

void KeyboardLightingBlock::setEntry(std::size_t table, std::size_t led, Rgb color) {
  if (table >= kCustomTableCount || led >= kLedCount) return;
  const std::size_t at = entryByte(table, led);
  bytes[at] = color.red;
  bytes[at + 1] = color.green;
  bytes[at + 2] = color.blue;
}

CustomTable KeyboardLightingBlock::customTable(std::size_t table) const {
  CustomTable colors{};
  for (std::size_t led = 0; led < kLedCount; ++led) colors[led] = entry(table, led);
  return colors;
}

bool KeyboardLightingBlock::setColor(Rgb color) {
  if (mode() == kCustomMode) {
    bytes[kCustomColorByte] = color.red;
    bytes[kCustomColorByte + 1] = color.green;
    bytes[kCustomColorByte + 2] = color.blue;
    return false;
  }
  bytes[kRed] = color.red;
  bytes[kGreen] = color.green;
  bytes[kBlue] = color.blue;
  bytes[kSevenColor] = 0;
  return true;
}

bool KeyboardLightingBlock::paintKey(std::size_t position) {
  if (mode() != kCustomMode) return false;
  const auto led = ledOf(position);
  if (!led) return false;
  setEntry(customTableIndex(), *led, customColor());
  return true;
}

void KeyboardLightingBlock::fillTable() {
  const std::size_t table = customTableIndex();
  const Rgb color = customColor();
  for (std::size_t led = 0; led < kLedCount; ++led)
    if (entry(table, led) == kBlack) setEntry(table, led, color);
}

void KeyboardLightingBlock::clearTable() {
  const std::size_t table = customTableIndex();
  for (std::size_t led = 0; led < kLedCount; ++led) setEntry(table, led, kBlack);
}

bool KeyboardLightingBlock::selectTable(int index) {
  if (index < 0 || index >= static_cast<int>(kCustomTableCount)) return false;
  bytes[kCustomTableByte] = static_cast<uint8_t>(index);
  return true;
}

}  // namespace varnacle::keyboard
