#pragma once
// MouseConfig: everything the program knows of the mouse's settings — the
// information block, the five cached settings records, the default key table
// and the five profile key tables as last read — and the exchanges that move
// them between the mouse and the working record. The working record itself
// is LiveLighting's mouse record, so an edit there reaches the mouse with the
// next one-second push.
//
// One MouseConfig is created in main and shared by the mouse pages; it lives
// as long as the main window.
//
// Threads: readAll runs on the presence thread (session lock held) when the
// mouse is found and on the UI thread on a listener message; the other
// operations on the UI thread. The accessors and the preview objects may be
// used from any thread: the cached values sit behind a lock that is never
// held while a command is on its way.
//
// Device failures do not stop an operation: a failed read leaves its part as
// it was and the operation goes on, returning the first result other than 1.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>

#include "device/device_session.h"
#include "device/exchanges.h"
#include "device/live_lighting.h"
#include "mouse/key_assignment_mirror.h"
#include "mouse/mouse_settings_record.h"
#include "mouse/preview_workers.h"

namespace varnacle::mouse {

// The mouse's default key table before any mouse has been read, and the
// buttons of every profile until then: left, middle, right, forward, back,
// DPI loop, and a seventh button with no known function, three bytes
// (function code, two parameters) per button.
inline constexpr std::array<uint8_t, 21> kInitialDefaultKeys = {
    0x10, 0x01, 0x00, 0x10, 0x04, 0x00, 0x10, 0x02, 0x00, 0x10, 0x10,
    0x00, 0x10, 0x08, 0x00, 0x13, 0x03, 0x00, 0x05, 0x05, 0x05,
};

class MouseConfig {
 public:
  explicit MouseConfig(device::LiveLighting& live);
  MouseConfig(const MouseConfig&) = delete;
  MouseConfig& operator=(const MouseConfig&) = delete;

  // BeginConfig, ReadDeviceInfo, ReadKeyTable, per profile k ReadBlock (64 k,
  // 56 bytes) and ReadProfileTable (k), ReadBlock (0, 1 byte), EndConfig.
  // Then bytes 0-22 of the active profile's cached record become the working
  // record (not marked changed; bytes 23-55 stay), with byte 0 the profile,
  // and the mouse lighting profile file is saved. An active profile outside
  // 0-4 in the reply is not believed: the previous one stays.
  int readAll(device::DeviceSession& mouse);

  // The mouse says its active profile changed: bytes 0-22 of the working
  // record go back into the cached record of the current profile; ReadBlock
  // (0, 1 byte) gives the active profile p; ReadBlock (64 p, 56 bytes) into
  // cached record p with byte 0 = p; its bytes 0-22 become the working record
  // (not marked changed); the lighting profile file is saved.
  int reloadActive(device::DeviceSession& mouse);

  // Click on on-board profile `profile` (0-4; others do nothing). Reads the
  // active profile; when that is `profile` nothing more is sent. Otherwise the
  // working record's bytes 0-22 go back into the cached record of the profile
  // they belong to (the working record's byte 0, also when the mouse has
  // meanwhile switched on its own), WriteLive (one byte: `profile`) switches
  // the mouse, ReadBlock fetches the new profile's record into its cache, and
  // its bytes 0-22 become the working record (not marked changed) with byte
  // 0 = `profile`. True when the switch was sent (the page then hides the
  // function page and refreshes).
  bool switchProfile(device::DeviceSession& mouse, int profile);

  // ResetDefaults, once, without waiting for more than its one reply; the
  // mouse reports back and readAll follows.
  int reset(device::DeviceSession& mouse);

  // A copy of the working record (LiveLighting's mouse record).
  Record workingRecord() const;
  // The on-board profile the working record belongs to (its byte 0).
  int currentProfile() const;

  // The information block as last read, with bytes 13-14 holding kDpiBase
  // (the DPI of position 0) as a little-endian word.
  device::DeviceInfoBlock info() const;
  // The DPI sliders' maximum: byte 12 of the information block.
  int dpiSliderMaximum() const;
  // Cached record of on-board profile 0-4 (another index gives profile 0's).
  Record cachedRecord(int profile) const;
  device::TableSlot defaultKeyTable() const;
  // Key table of on-board profile 0-4 (another index gives profile 0's).
  device::TableSlot profileKeyTable(int profile) const;

  // Runs `change(defaultTable, profileTables)` under the lock, with the
  // default key table and the five profile key tables to change in place (the
  // button page, the apply step, the renumbering when a macro is deleted), and
  // returns what it returns. `change` must not send commands or call back
  // into this object.
  template <typename Change>
  decltype(auto) editKeyTables(Change&& change) {
    std::lock_guard lock(mutex_);
    return std::forward<Change>(change)(cache_.keyTable, cache_.profileTables);
  }

  // Runs `use(mirror)` under the lock with the mirror of the mouse's
  // assignment area (the apply step reads and updates it); the same rules as
  // for editKeyTables.
  template <typename Use>
  decltype(auto) withAssignmentMirror(Use&& use) {
    std::lock_guard lock(mutex_);
    return std::forward<Use>(use)(mirror_);
  }

  // Where the fire-key page stands: the sequence (0-3) and the bullet (0-29)
  // it edits. Values outside are clamped.
  int fireKeySequence() const { return fireKeySequence_; }
  void setFireKeySequence(int sequence);
  int fireKeyBullet() const { return fireKeyBullet_; }
  void setFireKeyBullet(int bullet);

  // The mouse preview's state: the lighting page restarts it, the preview
  // worker steps it.
  MousePreview preview;
  // The block a "same mode" copy fills and the shared preview draws.
  SharedPreviewBlock sharedBlock;

 private:
  // Working record <- bytes 0-22 of `source`, byte 0 <- profile; unmarked.
  void takeIntoWorking(const Record& source, int profile);
  void storeWorkingInto(int profile);

  device::LiveLighting& live_;
  mutable std::mutex mutex_;
  device::MouseSettings cache_;
  AssignmentMirror mirror_;
  std::atomic<int> fireKeySequence_{0};
  std::atomic<int> fireKeyBullet_{0};
};

}  // namespace varnacle::mouse
