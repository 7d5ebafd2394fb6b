#pragma once
// A notification listener: watches a device's consumer-control collection and
// reports the notification usages the device sends (0x0401 profile switched
// on the device, 0x0402 settings changed, 0x0403 trigger).
//
// Timeline:
//   searching: enumerate every 1000 ms ── enumeration fails ─> thread ends
//   listening: read with a 500 ms limit ── report ─> onUsage(first usage)
//                                        ├─ silent ─> probe; gone ─> searching
//                                        └─ any other failure (the device went
//                                           away under the connection, an
//                                           abort, a broken read) ─> searching
//   searching again starts after a scan period, so a read that keeps failing
//   is tried at most once per scan period, never in a tight loop.
//   A set stop event is seen within one read limit.
//
// Thread: run() on the slot's worker thread; onUsage runs there too and may
// block (the main window handles it synchronously). The listener owns its own
// HidDevice and never touches a DeviceSession.
#include <chrono>
#include <cstdint>
#include <functional>

#include "device/hid_device.h"
#include "platform/event.h"
#include "platform/worker_slots.h"

namespace varnacle::device {

struct ListenerIdentity {
  uint16_t vendorId;
  uint16_t productId;
  uint16_t usagePage;
  uint16_t usage;
};

inline constexpr ListenerIdentity kMouseListener{0x0C45, 0x662E, 0x000C, 0x0001};
inline constexpr ListenerIdentity kKeyboardListener{0x0C45, 0x0800, 0x000C, 0x0001};

class NotificationListener {
 public:
  NotificationListener(HidBackend& backend, ListenerIdentity identity,
                       std::function<void(uint16_t usage)> onUsage);

  std::chrono::milliseconds scanPeriod{1000};
  int readTimeoutMs = 500;

  void run(platform::WorkerSlot slot, platform::Event& stop);

 private:
  // Opens the first matching collection of a fresh enumeration. False when
  // the enumeration failed; `found` tells whether a collection is open.
  bool search(bool& found);
  // Reads until stop or removal.
  void listen(platform::Event& stop);
  // The first usage of the first decoded descriptor of `report`, if any.
  bool firstUsage(std::span<const uint8_t> report, uint16_t& usage);

  HidDevice device_;
  ListenerIdentity identity_;
  std::function<void(uint16_t)> onUsage_;
};

}  // namespace varnacle::device
