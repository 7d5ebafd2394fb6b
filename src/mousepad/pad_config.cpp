#include "mousepad/pad_config.h"

#include <algorithm>
#include <span>

#include "mouse/mouse_lighting_profile.h"

namespace varnacle::mousepad {

namespace {

bool isProfile(int profile) {
  return profile >= 0 && profile < device::kOnBoardProfiles;
}

std::size_t profileIndex(int profile) {
  return static_cast<std::size_t>(isProfile(profile) ? profile : 0);
}

uint16_t recordAddress(int profile) {
  return static_cast<uint16_t>(profile * device::kSettingsRecordStride);
}

}  // namespace

PadConfig::PadConfig(device::LiveLighting& live) : live_(live) {}

int PadConfig::readAll(device::DeviceSession& pad) {
  std::lock_guard sessionLock(pad.lock);
  device::MousePadSettings read;
  {
    std::lock_guard lock(mutex_);
    read = cache_;
  }
  const uint8_t previousActive = read.activeProfile;
  const device::ExchangeResult outcome = device::readAllMousePadSettings(pad, read);
  if (!isProfile(read.activeProfile)) read.activeProfile = previousActive;
  const int active = read.activeProfile;
  {
    std::lock_guard lock(mutex_);
    cache_ = read;
  }
  takeIntoWorking(read.records[profileIndex(active)], active);
  save();
  return outcome.result;
}

int PadConfig::reloadActive(device::DeviceSession& pad) {
  std::lock_guard sessionLock(pad.lock);
  storeWorkingInto(currentProfile());
  uint8_t active = 0;
  {
    std::lock_guard lock(mutex_);
    active = cache_.activeProfile;
  }
  const uint8_t previousActive = active;
  int result = pad.readBlock(0, std::span<uint8_t>(&active, 1));
  if (!isProfile(active)) active = previousActive;
  Record record = cachedRecord(active);
  const int recordResult = pad.readBlock(recordAddress(active), record);
  if (result == device::kResultOk) result = recordResult;
  record[kProfileByte] = active;
  {
    std::lock_guard lock(mutex_);
    cache_.records[active] = record;
    cache_.activeProfile = active;
  }
  takeIntoWorking(record, active);
  save();
  return result;
}

bool PadConfig::switchProfile(device::DeviceSession& pad, int profile) {
  if (!isProfile(profile)) return false;
  std::lock_guard sessionLock(pad.lock);
  const int current = currentProfile();
  const auto known = static_cast<uint8_t>(isProfile(current) ? current : 0);
  Record record = cachedRecord(profile);
  const device::ProfileSwitch outcome =
      device::switchProfile(pad, static_cast<uint8_t>(profile), known, record);
  if (!outcome.switched) return false;
  // The working copy goes back to the profile it was taken from, even when
  // the pad has meanwhile moved to another one on its own.
  storeWorkingInto(current);
  {
    std::lock_guard lock(mutex_);
    cache_.records[static_cast<std::size_t>(profile)] = record;
    cache_.activeProfile = static_cast<uint8_t>(profile);
  }
  takeIntoWorking(record, profile);
  return true;
}

int PadConfig::reset(device::DeviceSession& pad) {
  // Edits not pushed yet belong to the settings the reset replaces; pushed
  // after it they would overwrite the factory record before it is read back.
  live_.clearChanged(DeviceKind::mousePad);
  return pad.resetDefaults();
}

Record PadConfig::workingRecord() const {
  return live_.snapshot(DeviceKind::mousePad);
}

int PadConfig::currentProfile() const {
  return workingRecord()[kProfileByte];
}

device::DeviceInfoBlock PadConfig::info() const {
  std::lock_guard lock(mutex_);
  return cache_.info;
}

Record PadConfig::cachedRecord(int profile) const {
  std::lock_guard lock(mutex_);
  return cache_.records[profileIndex(profile)];
}

void PadConfig::takeIntoWorking(const Record& source, int profile) {
  // One step under the record's lock; the bytes the pad never receives stay.
  live_.edit(
      DeviceKind::mousePad,
      [&](Record& working) {
        std::copy_n(source.begin(), kPadSentBytes, working.begin());
        working[kProfileByte] = static_cast<uint8_t>(profile);
      },
      false);
}

void PadConfig::storeWorkingInto(int profile) {
  if (!isProfile(profile)) return;
  const Record working = workingRecord();
  std::lock_guard lock(mutex_);
  std::copy_n(working.begin(), kPadSentBytes,
              cache_.records[static_cast<std::size_t>(profile)].begin());
}

void PadConfig::save() const {
  // A failed save is reported by the profile code; the read stands.
  mouse::saveLightingRecord(profile::ProfileListKind::mousePadLighting, "mouse pad lighting profile",
                            workingRecord());
}

}  // namespace varnacle::mousepad
