#include "keyboard/keyboard_config.h"

#include <algorithm>
#include <string>

#include "platform/debug_output.h"
#include "platform/folders.h"
#include "profile/paths.h"
#include "profile/profile_file.h"

namespace varnacle::keyboard {

namespace {

constexpr std::size_t kMacroCapacityUnit = 128;

}  // namespace

KeyPositionMap buildKeyPositionMap(std::span<const uint8_t> baseTable, int keyCount) {
  KeyPositionMap map;
  map.fill(kNoDeviceKey);
  const int keys = std::clamp(keyCount, 0, static_cast<int>(baseTable.size() / 3));
  for (std::size_t n = 0; n < kKeyPositionCount; ++n) {
    const KeyRecord& expected = kExpectedDefaultRecords[n];
    if (expected == kNoKeyRecord) continue;
    for (int k = 0; k < keys && k < kNoDeviceKey; ++k) {
      const std::size_t at = static_cast<std::size_t>(k) * 3;
      if (KeyRecord{baseTable[at], baseTable[at + 1], baseTable[at + 2]} == expected) {
        map[n] = static_cast<uint8_t>(k);
        break;
      }
    }
  }
  return map;
}

int activeKeySlot(const device::LiveLighting& live) {
  const uint8_t slot = live.snapshot(DeviceKind::keyboard)[0];
  return slot < device::kOnBoardProfiles ? slot : 0;
}

KeyboardConfig::KeyboardConfig() {
  std::copy(kInitialKeyboardKeys.begin(), kInitialKeyboardKeys.end(), baseTable_.begin());
  slots_[0] = baseTable_;
  info_[device::kInfoKeyCountByte] = static_cast<uint8_t>(kInitialKeyCount);
  map_ = buildKeyPositionMap(baseTable_, static_cast<int>(kInitialKeyCount));
}

KeyboardReadOutcome KeyboardConfig::readAll(device::DeviceSession& keyboard,
                                            device::LiveLighting& live) {
  std::lock_guard sessionLock(keyboard.lock);
  device::KeyboardSettings read;
  {
    std::lock_guard lock(mutex_);
    read.info = info_;
    read.keyTable = baseTable_;
    read.profileTable = slots_[0];
  }
  const device::LiveLighting::Record before = live.snapshot(DeviceKind::keyboard);
  std::copy(before.begin(), before.end(), read.record.begin());
  read.activeProfile = before[0];

  const device::ExchangeResult exchange = device::readAllKeyboardSettings(keyboard, read);
  if (!exchange.message.empty()) {
    // The read stopped inside its configuration bracket: close it, so the
    // keyboard does not stay in configuration mode.
    keyboard.endConfig();
    platform::debugOutput("keyboard: " + std::to_string(read.info[device::kInfoKeyCountByte]) +
                          " keys reported, more than a key table holds; nothing read");
    return {exchange.result, exchange.message};
  }

  const int keys = read.info[device::kInfoKeyCountByte];
  {
    std::lock_guard lock(mutex_);
    info_ = read.info;
    baseTable_ = read.keyTable;
    slots_[0] = read.profileTable;
    // Beyond the keyboard's keys a slot is zero.
    std::fill(baseTable_.begin() + keys * 3, baseTable_.end(), uint8_t{0});
    std::fill(slots_[0].begin() + keys * 3, slots_[0].end(), uint8_t{0});
    map_ = buildKeyPositionMap(baseTable_, keys);
  }
  device::LiveLighting::Record record{};
  std::copy(read.record.begin(), read.record.end(), record.begin());
  record[0] = read.activeProfile;
  live.set(DeviceKind::keyboard, record, false);
  return {exchange.result, {}};
}

bool KeyboardConfig::writeDefaultKeyProfile(device::DeviceSession& keyboard,
                                            const std::filesystem::path& folder) {
  std::lock_guard sessionLock(keyboard.lock);
  const int keys = keyCount();
  keyboard.transferSize = static_cast<uint16_t>(keys * 3);
  device::TableSlot table{};
  int result = keyboard.beginConfig();
  if (result == device::kResultOk) result = keyboard.readKeyTable(table);
  const int ended = keyboard.endConfig();
  if (result == device::kResultOk) result = ended;
  if (result != device::kResultOk) {
    platform::debugOutput("keyboard: the key table could not be read (" + std::to_string(result) +
                          "); the default key profile is left as it is");
    return false;
  }
  const std::filesystem::path file = profile::fileIn(folder, kDefaultKeyProfileName);
  if (!profile::WriteProfileFile(file, table)) {
    platform::debugOutput("keyboard: the program folder does not take " +
                          platform::utf8FromPath(file) +
                          " (an installed program's folder is read-only); nothing changed");
    return false;
  }
  std::lock_guard lock(mutex_);
  baseTable_ = table;
  map_ = buildKeyPositionMap(baseTable_, keys);
  return true;
}

int KeyboardConfig::keyCount() const {
  std::lock_guard lock(mutex_);
  return std::min<int>(info_[device::kInfoKeyCountByte], kMaxKeyCount);
}

device::DeviceInfoBlock KeyboardConfig::info() const {
  std::lock_guard lock(mutex_);
  return info_;
}

std::size_t KeyboardConfig::macroCapacity() const {
  std::lock_guard lock(mutex_);
  return std::size_t{info_[device::kInfoMacroCapacityByte]} * kMacroCapacityUnit;
}

device::TableSlot KeyboardConfig::baseTable() const {
  std::lock_guard lock(mutex_);
  return baseTable_;
}

device::TableSlot KeyboardConfig::slot(int index) const {
  std::lock_guard lock(mutex_);
  return slots_[index >= 0 && index < device::kOnBoardProfiles ? static_cast<std::size_t>(index)
                                                               : 0];
}

uint8_t KeyboardConfig::keyAt(std::size_t position) const {
  std::lock_guard lock(mutex_);
  return position < map_.size() ? map_[position] : kNoDeviceKey;
}

}  // namespace varnacle::keyboard
