#pragma once
// PadConfig: what the program knows of the mouse pad — its information block,
// the five cached settings records as last read — and the exchanges that move
// them between the pad and the working copy, which is LiveLighting's mouse
// pad record (an edit there reaches the pad with the next one-second push).
//
// One PadConfig is created with the feature pages and lives as long as the
// main window. Threads: the exchanges on the UI thread (the pad's refresh
// messages); the accessors and the preview from any thread: the cached
// values sit behind a lock that is never held while a command is on its way.
//
// Device failures do not stop an operation: a failed read leaves its part as
// it was and the operation goes on, returning the first result other than 1.
#include <mutex>

#include "device/device_session.h"
#include "device/exchanges.h"
#include "device/live_lighting.h"
#include "mousepad/pad_preview_worker.h"
#include "mousepad/pad_settings_record.h"

namespace varnacle::mousepad {

class PadConfig {
 public:
  explicit PadConfig(device::LiveLighting& live);
  PadConfig(const PadConfig&) = delete;
  PadConfig& operator=(const PadConfig&) = delete;

  // BeginConfig, ReadDeviceInfo, ReadBlock (64 k, 56 bytes) for k = 0-4,
  // ReadBlock (0, 1 byte), EndConfig. Then bytes 0-20 of the active
  // profile's record become the working copy (not marked changed), byte 0
  // the profile, and the pad lighting profile file is saved. An active
  // profile outside 0-4 in the reply is not believed: the previous one stays.
  int readAll(device::DeviceSession& pad);

  // The working copy's bytes 0-20 go back into the cached record of the
  // current profile; ReadBlock (0, 1 byte) gives the active profile c;
  // ReadBlock (64 c, 56 bytes) into cached record c; its bytes 0-20 become
  // the working copy (unmarked) with byte 0 = c; the profile file is saved.
  int reloadActive(device::DeviceSession& pad);

  // On-board profile `profile` (0-4; others do nothing). Nothing more is
  // sent when the pad says it is already active. Otherwise the working copy
  // goes back into the cache of the profile it belongs to, WriteLive (one
  // byte) switches the pad, the new profile's record is read into its cache
  // and becomes the working copy (unmarked) with byte 0 = `profile`. True
  // when the switch was sent.
  bool switchProfile(device::DeviceSession& pad, int profile);

  // ResetDefaults, once; the page reads everything back a second later. An
  // edit still waiting for the one-second push is dropped, so it cannot
  // overwrite the pad's factory settings.
  int reset(device::DeviceSession& pad);

  Record workingRecord() const;
  int currentProfile() const;
  device::DeviceInfoBlock info() const;
  // Cached record of on-board profile 0-4 (another index gives profile 0's).
  Record cachedRecord(int profile) const;

  // The pad preview's state: the page restarts it, the preview worker steps it.
  PadPreview preview;

 private:
  void takeIntoWorking(const Record& source, int profile);
  void storeWorkingInto(int profile);
  void save() const;

  device::LiveLighting& live_;
  mutable std::mutex mutex_;
  device::MousePadSettings cache_;
};

}  // namespace varnacle::mousepad
