#pragma once
// Live lighting: the record each device should show now, pushed to the device
// at most once a second, and the shared clock of the on-screen previews.
//
// LiveLighting is UI thread only: pages mark a device changed after an edit,
// and the main window's one-second timer flushes. Flushing sends on the
// sessions, so it may wait for a session lock held by a presence pass.
//
//   edit  edit        edit
//   ─┬─────┬───────────┬──────────  (UI thread)
//    timer 2 ──────────┴─> one WriteLive with the latest record, flag cleared
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/device_kind.h"
#include "device/device_session.h"

namespace varnacle::device {

inline constexpr std::size_t kLiveBlockSize = 56;

// How many leading bytes of each device's lighting record the live push
// carries; the rest of the 56-byte block is zero. By DeviceKind.
inline constexpr std::array<std::size_t, 3> kLiveRecordLength = {21, 23, 21};

class LiveLighting {
 public:
  // The device's lighting changed; `record` is its current record (only the
  // leading kLiveRecordLength bytes are kept). Later marks replace earlier ones.
  void markChanged(DeviceKind kind, std::span<const uint8_t> record);
  bool isChanged(DeviceKind kind) const { return entries_[index(kind)].changed; }

  // For each device in the order keyboard, mouse, mouse pad whose flag is set:
  // send the block with writeLive and clear the flag, whatever the result (a
  // failed push is not retried). `sessions` is indexed by DeviceKind.
  void flush(const std::array<DeviceSession*, 3>& sessions);

 private:
  static constexpr std::size_t index(DeviceKind kind) { return static_cast<std::size_t>(kind); }
  struct Entry {
    bool changed = false;
    std::array<uint8_t, kLiveBlockSize> block{};
  };
  std::array<Entry, 3> entries_{};
};

// The tick counters the lighting previews pace themselves by. Advanced by the
// main window's 10 ms timer; read by the preview threads without a lock.
class PreviewTicks {
 public:
  // Wrap values of the five counters.
  static constexpr std::array<uint8_t, 5> kWrap = {2, 2, 3, 4, 5};

  // One 10 ms step: each counter increments and wraps to 0 on reaching its
  // wrap value; a wrap of the first raises the tick flag; the free counter
  // increments without bound (modulo 2^32).
  void advance();

  uint8_t counter(std::size_t i) const { return counters_.at(i).load(std::memory_order_relaxed); }
  uint32_t freeCounter() const { return free_.load(std::memory_order_relaxed); }
  // Takes the tick flag: true once per raise.
  bool takeTick() { return tick_.exchange(false, std::memory_order_acq_rel); }

 private:
  std::array<std::atomic<uint8_t>, 5> counters_{};
  std::atomic<uint32_t> free_{0};
  std::atomic<bool> tick_{false};
};

}  // namespace varnacle::device
