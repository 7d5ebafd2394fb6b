#include "mouse/mouse_config.h"

#include <algorithm>
#include <span>

#include "macro/macro_store.h"
#include "mouse/fire_key_bullets.h"
#include "mouse/mouse_lighting_profile.h"

namespace varnacle::mouse {

namespace {

constexpr std::size_t kInfoDpiBaseByte = 13;  // and 14: the DPI of position 0

bool isProfile(int profile) {
  return profile >= 0 && profile < device::kOnBoardProfiles;
}

std::size_t profileIndex(int profile) {
  return static_cast<std::size_t>(isProfile(profile) ? profile : 0);
}

uint16_t recordAddress(int profile) {
  return static_cast<uint16_t>(profile * device::kSettingsRecordStride);
}

// Remembers the first result other than 1 of a series of commands.
class FirstFailure {
 public:
  void operator()(int result) {
    if (result_ == device::kResultOk) result_ = result;
  }
  int result() const { return result_; }

 private:
  int result_ = device::kResultOk;
};

}  // namespace

MouseConfig::MouseConfig(device::LiveLighting& live) : live_(live) {
  std::copy(kInitialDefaultKeys.begin(), kInitialDefaultKeys.end(), cache_.keyTable.begin());
  // Until a mouse or a key profile file says otherwise, every profile's
  // buttons hold the defaults.
  for (device::TableSlot& table : cache_.profileTables)
    std::copy(kInitialDefaultKeys.begin(), kInitialDefaultKeys.end(), table.begin());
  cache_.info[kInfoDpiBaseByte] = kDpiBase & 0xFF;
  cache_.info[kInfoDpiBaseByte + 1] = kDpiBase >> 8;
}

void MouseConfig::setFireKeySequence(int sequence) {
  fireKeySequence_ = std::clamp(sequence, 0, macro::kCursorSequenceCount - 1);
}

void MouseConfig::setFireKeyBullet(int bullet) {
  fireKeyBullet_ = std::clamp(bullet, 0, kBulletCount - 1);
}

int MouseConfig::readAll(device::DeviceSession& mouse) {
  // One pass under the session lock, so no other exchange slips in between.
  std::lock_guard sessionLock(mouse.lock);
  device::MouseSettings read;
  {
    std::lock_guard lock(mutex_);
    read = cache_;
  }
  const uint8_t previousActive = read.activeProfile;
  const device::ExchangeResult outcome = device::readAllMouseSettings(mouse, read);
  read.info[kInfoDpiBaseByte] = kDpiBase & 0xFF;
  read.info[kInfoDpiBaseByte + 1] = kDpiBase >> 8;
  if (!isProfile(read.activeProfile)) read.activeProfile = previousActive;
  const int active = read.activeProfile;
  {
    std::lock_guard lock(mutex_);
    cache_ = read;
    if (outcome.result == device::kResultOk) {
      mirror_.fill(read.profileTables);
    } else {
      mirror_.forget();
    }
  }
  takeIntoWorking(read.records[profileIndex(active)], active);
  saveMouseLightingProfile(workingRecord());
  return outcome.result;
}

int MouseConfig::reloadActive(device::DeviceSession& mouse) {
  std::lock_guard sessionLock(mouse.lock);
  storeWorkingInto(currentProfile());
  uint8_t active = 0;
  {
    std::lock_guard lock(mutex_);
    active = cache_.activeProfile;
  }
  const uint8_t previousActive = active;
  FirstFailure track;
  track(mouse.readBlock(0, std::span<uint8_t>(&active, 1)));
  if (!isProfile(active)) active = previousActive;
  Record record = cachedRecord(active);
  track(mouse.readBlock(recordAddress(active), record));
  record[kProfileByte] = active;
  {
    std::lock_guard lock(mutex_);
    cache_.records[active] = record;
    cache_.activeProfile = active;
  }
  takeIntoWorking(record, active);
  saveMouseLightingProfile(workingRecord());
  return track.result();
}

bool MouseConfig::switchProfile(device::DeviceSession& mouse, int profile) {
  if (!isProfile(profile)) return false;
  std::lock_guard sessionLock(mouse.lock);
  const int current = currentProfile();
  const auto known = static_cast<uint8_t>(isProfile(current) ? current : 0);
  Record record = cachedRecord(profile);
  const device::ProfileSwitch outcome =
      device::switchProfile(mouse, static_cast<uint8_t>(profile), known, record);
  if (!outcome.switched) return false;
  // The working record goes back to the profile it was taken from, even when
  // the mouse has meanwhile moved to another one on its own.
  storeWorkingInto(current);
  {
    std::lock_guard lock(mutex_);
    cache_.records[static_cast<std::size_t>(profile)] = record;
    cache_.activeProfile = static_cast<uint8_t>(profile);
  }
  takeIntoWorking(record, profile);
  return true;
}

int MouseConfig::reset(device::DeviceSession& mouse) {
  return mouse.resetDefaults();
}

Record MouseConfig::workingRecord() const {
  return live_.snapshot(DeviceKind::mouse);
}

int MouseConfig::currentProfile() const {
  return workingRecord()[kProfileByte];
}

device::DeviceInfoBlock MouseConfig::info() const {
  std::lock_guard lock(mutex_);
  return cache_.info;
}

int MouseConfig::dpiSliderMaximum() const {
  std::lock_guard lock(mutex_);
  return cache_.info[device::kInfoDpiMaximumByte];
}

Record MouseConfig::cachedRecord(int profile) const {
  std::lock_guard lock(mutex_);
  return cache_.records[profileIndex(profile)];
}

device::TableSlot MouseConfig::defaultKeyTable() const {
  std::lock_guard lock(mutex_);
  return cache_.keyTable;
}

device::TableSlot MouseConfig::profileKeyTable(int profile) const {
  std::lock_guard lock(mutex_);
  return cache_.profileTables[profileIndex(profile)];
}

void MouseConfig::takeIntoWorking(const Record& source, int profile) {
  // One step under the record's lock, so an edit of the bytes the device does
  // not hold (pointer speed, wheel lines) made meanwhile is kept.
  live_.edit(
      DeviceKind::mouse,
      [&](Record& working) {
        std::copy_n(source.begin(), kSentBytes, working.begin());
        working[kProfileByte] = static_cast<uint8_t>(profile);
      },
      false);
}

void MouseConfig::storeWorkingInto(int profile) {
  if (!isProfile(profile)) return;
  const Record working = workingRecord();
  std::lock_guard lock(mutex_);
  std::copy_n(working.begin(), kSentBytes,
              cache_.records[static_cast<std::size_t>(profile)].begin());
}

}  // namespace varnacle::mouse
