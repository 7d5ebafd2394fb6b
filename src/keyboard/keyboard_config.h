#pragma once
// KeyboardConfig: what the program knows of the keyboard's keys — the
// information block, the base table (the keyboard's own layout, each key's
// default record), the five key slots (one per on-board profile) and the key
// position map that ties the picture's 126 keys to the keyboard's key indexes
// — and the exchanges that fill them. The lighting record the read brings
// goes into LiveLighting, whose byte 0 names the active slot.
//
// Before any keyboard has been read the base table and slot 0 hold the
// picture's own layout (kInitialKeyboardKeys), so the page shows a whole
// keyboard; slots 1-4 start empty.
//
// One KeyboardConfig is created with the feature pages and shared by the key
// page, its profile steps and the keyboard macro page; it lives as long as
// the main window.
//
// Threads: the exchanges run on the UI thread (the key page's messages) and
// hold the session lock for their whole run. The accessors may be used from
// any thread: the tables sit behind a lock that is never held while a
// command is on its way.
#include <array>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <utility>

#include "device/device_session.h"
#include "device/exchanges.h"
#include "device/live_lighting.h"
#include "keyboard/key_positions.h"

namespace varnacle::keyboard {

// More keys than a 512-byte slot holds records for.
inline constexpr int kMaxKeyCount = 170;
inline constexpr std::string_view kDefaultKeyProfileName = "kbkeydefault.pro";

// The picture's keys in position order without the empty positions, as
// (type, p1, p2) bytes: the layout of a keyboard that has a key for every
// position.
inline constexpr std::size_t kInitialKeyCount = [] {
  std::size_t n = 0;
  for (const KeyRecord& r : kExpectedDefaultRecords)
    if (r != kNoKeyRecord) ++n;
  return n;
}();
inline constexpr std::array<uint8_t, kInitialKeyCount* 3> kInitialKeyboardKeys = [] {
  std::array<uint8_t, kInitialKeyCount * 3> bytes{};
  std::size_t at = 0;
  for (const KeyRecord& r : kExpectedDefaultRecords) {
    if (r == kNoKeyRecord) continue;
    bytes[at++] = r.type;
    bytes[at++] = r.p1;
    bytes[at++] = r.p2;
  }
  return bytes;
}();

using KeyPositionMap = std::array<uint8_t, kKeyPositionCount>;

// For each picture position, the first of the first `keyCount` records of
// `baseTable` equal to the position's expected default record, or
// kNoDeviceKey. A position without a key on the picture never matches.
KeyPositionMap buildKeyPositionMap(std::span<const uint8_t> baseTable, int keyCount);

// The slot the keyboard plays now: byte 0 of its lighting record, 0 when that
// is above 4.
int activeKeySlot(const device::LiveLighting& live);

struct KeyboardReadOutcome {
  int result = device::kResultOk;
  // Empty, or the text id the caller shows ("message_text_11": too many keys,
  // nothing was taken).
  std::string_view message;
};

class KeyboardConfig {
 public:
  KeyboardConfig();
  KeyboardConfig(const KeyboardConfig&) = delete;
  KeyboardConfig& operator=(const KeyboardConfig&) = delete;

  // Read all: BeginConfig, ReadDeviceInfo; a keyboard reporting more than
  // 170 keys gets EndConfig and nothing is taken. Otherwise transfer size 3 x
  // key count, ReadKeyTable into the base table, ReadBlock (0, 56 bytes),
  // ReadProfileTable (0) into slot 0, ReadBlock (0, 1 byte) the active
  // profile, EndConfig. The lighting record, with byte 0 = the active
  // profile, goes into `live` unmarked; the position map is rebuilt. A part
  // whose command failed stays as it was.
  KeyboardReadOutcome readAll(device::DeviceSession& keyboard, device::LiveLighting& live);

  // BeginConfig, ReadKeyTable, EndConfig; the table is written as the default
  // key profile "kbkeydefault.pro" in `folder` and, once written, becomes
  // the base table and the position map is rebuilt. A failed read or a
  // folder that cannot take the file changes nothing (the debug output says
  // which). True when the file was written.
  bool writeDefaultKeyProfile(device::DeviceSession& keyboard, const std::filesystem::path& folder);

  int keyCount() const;
  device::DeviceInfoBlock info() const;
  // Bytes of macro memory the keyboard reports: information byte 6 x 128.
  std::size_t macroCapacity() const;
  device::TableSlot baseTable() const;
  device::TableSlot slot(int index) const;  // 0-4; another index gives slot 0
  // The key index of picture position `position`, kNoDeviceKey for none.
  uint8_t keyAt(std::size_t position) const;

  // Runs `change(baseTable, slots)` under the lock with the base table and
  // the five slots to change in place, and returns what it returns. `change`
  // must not send commands or call back into this object.
  template <typename Change>
  decltype(auto) editSlots(Change&& change) {
    std::lock_guard lock(mutex_);
    return std::forward<Change>(change)(baseTable_, slots_);
  }

 private:
  mutable std::mutex mutex_;
  device::DeviceInfoBlock info_{};
  device::TableSlot baseTable_{};
  std::array<device::TableSlot, device::kOnBoardProfiles> slots_{};
  KeyPositionMap map_{};
};

}  // namespace varnacle::keyboard
