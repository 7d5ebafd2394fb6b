#pragma once
// Live lighting: the record each device should show now, pushed to the device
// at most once a second.
//
// LiveLighting holds each device's working record (the one every lighting
// edit changes) and its changed flag. Pages edit on the UI thread, the
// main window's one-second timer flushes there too; the previews take
// snapshots from their threads. Flushing sends on the sessions, so it may
// wait for a session lock held by a presence pass.
//
// Every change of a working record is one locked step (edit or set): a change
// made of a snapshot, a change of the copy and a set would undo a device read
// that landed in between, and push and save the stale values.
//
//   edit  edit        edit
//   ─┬─────┬───────────┬──────────  (UI thread)
//    timer 2 ──────────┴─> one WriteLive with the latest record, flag cleared
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "device/device_kind.h"
#include "device/device_session.h"

namespace varnacle::device {

inline constexpr std::size_t kLiveBlockSize = 56;

// How many leading bytes of each device's lighting record the live push
// carries; the rest of the 56-byte block is zero. By DeviceKind.
inline constexpr std::array<std::size_t, 3> kLiveRecordLength = {21, 23, 21};

class LiveLighting {
 public:
  using Record = std::array<uint8_t, kLiveBlockSize>;

  // The device's working record, as one consistent copy. Any thread (the
  // lighting previews read it while the UI thread edits).
  Record snapshot(DeviceKind kind) const;
  // Changes the working record in place, as one step, and marks the device
  // changed unless told not to (a read from the device, a same-mode copy,
  // bytes the device never receives). UI thread, or the presence thread for
  // reads.
  void edit(DeviceKind kind, const std::function<void(Record&)>& change, bool markChanged = true);
  // Replaces the working record (a device read or a profile load); marks the
  // device changed only when asked. UI thread or the presence thread.
  void set(DeviceKind kind, const Record& record, bool markChanged);
  void markChanged(DeviceKind kind);
  // Drops a pending push (the device was reset: what it held before is
  // gone, and an edit of it must not be replayed over the reset).
  void clearChanged(DeviceKind kind);
  bool isChanged(DeviceKind kind) const;

  // Test seam: `hook` runs on the calling thread after every snapshot, edit
  // and set of a working record, once the lock is released, with the device
  // whose record it was. A test puts a device read there to land it between
  // two accesses of an edit. An empty hook removes it. Any thread.
  void setAccessHook(std::function<void(DeviceKind)> hook);

  // For each device in the order keyboard, mouse, mouse pad whose flag is set:
  // send the leading kLiveRecordLength bytes of its working record, then
  // zeros, with writeLive, and clear the flag whatever the result (a failed
  // push is not retried). `sessions` is indexed by DeviceKind.
  void flush(const std::array<DeviceSession*, 3>& sessions);

 private:
  static constexpr std::size_t index(DeviceKind kind) { return static_cast<std::size_t>(kind); }
  mutable std::mutex mutex_;
  std::array<Record, 3> working_{};
  std::array<bool, 3> changed_{};
  std::function<void(DeviceKind)> accessHook_;
};

}  // namespace varnacle::device
