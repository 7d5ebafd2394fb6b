#include "device/live_lighting.h"

#include <algorithm>
#include <utility>

namespace varnacle::device {

LiveLighting::Record LiveLighting::snapshot(DeviceKind kind) const {
  std::function<void(DeviceKind)> hook;
  Record copy;
  {
    std::lock_guard lock(mutex_);
    copy = working_[index(kind)];
    hook = accessHook_;
  }
  if (hook) hook(kind);
  return copy;
}

void LiveLighting::edit(DeviceKind kind, const std::function<void(Record&)>& change,
                        bool markChanged) {
  std::function<void(DeviceKind)> hook;
  {
    std::lock_guard lock(mutex_);
    change(working_[index(kind)]);
    if (markChanged) changed_[index(kind)] = true;
    hook = accessHook_;
  }
  if (hook) hook(kind);
}

void LiveLighting::set(DeviceKind kind, const Record& record, bool markChanged) {
  std::function<void(DeviceKind)> hook;
  {
    std::lock_guard lock(mutex_);
    working_[index(kind)] = record;
    if (markChanged) changed_[index(kind)] = true;
    hook = accessHook_;
  }
  if (hook) hook(kind);
}

void LiveLighting::setAccessHook(std::function<void(DeviceKind)> hook) {
  std::lock_guard lock(mutex_);
  accessHook_ = std::move(hook);
}

void LiveLighting::markChanged(DeviceKind kind) {
  std::lock_guard lock(mutex_);
  changed_[index(kind)] = true;
}

void LiveLighting::clearChanged(DeviceKind kind) {
  std::lock_guard lock(mutex_);
  changed_[index(kind)] = false;
}

bool LiveLighting::isChanged(DeviceKind kind) const {
  std::lock_guard lock(mutex_);
  return changed_[index(kind)];
}

void LiveLighting::flush(const std::array<DeviceSession*, 3>& sessions) {
  for (DeviceKind kind : kAllDeviceKinds) {
    Record block{};
    {
      std::lock_guard lock(mutex_);
      if (!changed_[index(kind)]) continue;
      changed_[index(kind)] = false;
      const Record& w = working_[index(kind)];
      std::copy_n(w.begin(), kLiveRecordLength[index(kind)], block.begin());
    }
    // The result is deliberately not looked at: the next edit pushes again.
    if (DeviceSession* s = sessions[index(kind)]) s->writeLive(block);
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
