#include "device/preview_pacing.h"

#include <algorithm>

namespace varnacle::device {

void PreviewGate::open() {
  {
    std::lock_guard lock(mutex_);
    open_ = true;
  }
  opened_.notify_all();
}

void PreviewGate::close() {
  std::lock_guard lock(mutex_);
  open_ = false;
}

bool PreviewGate::isOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

bool PreviewGate::waitOpen(const platform::Event& stop, bool* waited) const {
  std::unique_lock lock(mutex_);
  if (waited) *waited = !open_;
  while (!open_) {
    if (stop.isSet()) return true;
    opened_.wait_for(lock, kStopCheck, [this] { return open_; });
  }
  lock.unlock();
  return stop.isSet();
}

int StepCatchUp::due(Clock::time_point now, std::chrono::microseconds pace) {
  const Clock::duration step = std::max(pace, std::chrono::microseconds(1));
  if (!last_ || now < *last_) {
    last_ = now;
    carried_ = Clock::duration(0);
    return 1;
  }
  const Clock::duration elapsed = now - *last_ + carried_;
  last_ = now;
  const auto whole = elapsed / step;
  if (whole > kMostSteps) {
    carried_ = Clock::duration(0);
    return kMostSteps;
  }
  // A frame always makes a step; one made early is taken off the next.
  const auto steps = std::max<decltype(whole)>(whole, 1);
  carried_ = elapsed - steps * step;
  return static_cast<int>(steps);
}

}  // namespace varnacle::device
