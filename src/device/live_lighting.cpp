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

}  // namespace varnacle::device
