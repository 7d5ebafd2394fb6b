#include "device/live_lighting.h"

#include <algorithm>

namespace varnacle::device {

void LiveLighting::markChanged(DeviceKind kind, std::span<const uint8_t> record) {
  Entry& e = entries_[index(kind)];
  e.block.fill(0);
  const std::size_t n = std::min(record.size(), kLiveRecordLength[index(kind)]);
  std::copy_n(record.begin(), n, e.block.begin());
  e.changed = true;
}

void LiveLighting::flush(const std::array<DeviceSession*, 3>& sessions) {
  for (DeviceKind kind : kAllDeviceKinds) {
    Entry& e = entries_[index(kind)];
    if (!e.changed) continue;
    // The result is deliberately not looked at: the next edit pushes again.
    if (DeviceSession* s = sessions[index(kind)]) s->writeLive(e.block);
    e.changed = false;
  }
}

void PreviewTicks::advance() {
  for (std::size_t i = 0; i < kWrap.size(); ++i) {
    uint8_t next = static_cast<uint8_t>(counters_[i].load(std::memory_order_relaxed) + 1);
    if (next >= kWrap[i]) {
      next = 0;
      if (i == 0) tick_.store(true, std::memory_order_release);
    }
    counters_[i].store(next, std::memory_order_relaxed);
  }
  free_.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace varnacle::device
