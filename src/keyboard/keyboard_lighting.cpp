#include "keyboard/keyboard_lighting.h"

#include <algorithm>

#include "device/exchanges.h"
#include "profile/profile_file.h"
#include "profile/selected_profile.h"

namespace varnacle::keyboard {

namespace {

using Record = device::LiveLighting::Record;

void copyRecordInto(const Record& record, KeyboardLightingBlock& block) {
  std::copy(record.begin(), record.end(), block.bytes.begin());
}

void copyRecordOut(const KeyboardLightingBlock& block, Record& record) {
  std::copy_n(block.bytes.begin(), record.size(), record.begin());
}

static_assert(profile::profileListInfo(profile::ProfileListKind::keyboardLighting).payloadSize ==
              kLightingBlockSize);

}  // namespace

KeyboardLighting::KeyboardLighting(device::LiveLighting& live) : live_(live) {}

KeyboardLightingBlock KeyboardLighting::block() const {
  std::lock_guard lock(mutex_);
  KeyboardLightingBlock whole = block_;
  copyRecordInto(live_.snapshot(DeviceKind::keyboard), whole);
  return whole;
}

void KeyboardLighting::edit(const std::function<void(KeyboardLightingBlock&)>& change,
                            bool pending) {
  std::lock_guard lock(mutex_);
  live_.edit(
      DeviceKind::keyboard,
      [&](Record& record) {
        copyRecordInto(record, block_);
        change(block_);
        copyRecordOut(block_, record);
      },
      pending);
}

void KeyboardLighting::set(const KeyboardLightingBlock& block) {
  edit([&block](KeyboardLightingBlock& b) { b = block; }, false);
}

bool saveKeyboardLightingProfile(const KeyboardLightingBlock& block) {
  const auto file = profile::selectedProfileFile(profile::ProfileListKind::keyboardLighting,
                                                 "keyboard lighting profile", "not saved");
  if (!file) return false;
  return profile::WriteProfileFile(*file, block.bytes);
}

bool reloadKeyboardRecord(device::DeviceSession& keyboard, KeyboardLighting& lighting) {
  std::array<uint8_t, 1> active{};
  // Read as the keyboard expects it before the record; the value is not used.
  keyboard.readBlock(0, active);
  device::SettingsRecord record{};
  if (keyboard.readBlock(0, record) != device::kResultOk) return false;
  lighting.edit(
      [&record](KeyboardLightingBlock& block) {
        std::copy(record.begin(), record.end(), block.bytes.begin());
        block.bytes[kActiveProfileByte] = 0;
      },
      false);
  return true;
}

void KeyboardPreview::restart(int mode) {
  std::lock_guard lock(mutex_);
  state_.reset();
  if (mode == kBouncingMode) state_.startBounce();
}

void KeyboardPreview::press(std::size_t position) {
  std::lock_guard lock(mutex_);
  state_.mark(position);
}

Frame KeyboardPreview::step(const KeyboardPreviewInput& input) {
  std::lock_guard lock(mutex_);
  return stepKeyboardPreview(input, state_);
}

void KeyboardPreview::skip(const KeyboardPreviewInput& input, int steps) {
  std::lock_guard lock(mutex_);
  skipKeyboardPreview(input, state_, steps);
}

KeyboardPreviewState KeyboardPreview::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

}  // namespace varnacle::keyboard
