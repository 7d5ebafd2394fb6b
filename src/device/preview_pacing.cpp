#include "device/preview_pacing.h"

#include <algorithm>

namespace varnacle::device {

void PreviewGate::open() {
  std::lock_guard lock(mutex_);
  open_ = true;
  for (const platform::Event* stop : waiting_) stop->wake();
}

void PreviewGate::close() {
  open_ = false;
}

bool PreviewGate::isOpen() const {
  return open_;
}

bool PreviewGate::waitOpen(const platform::Event& stop, bool* waited) const {
  {
    std::lock_guard lock(mutex_);
    if (waited) *waited = !open_;
    if (open_) return stop.isSet();
    waiting_.push_back(&stop);
  }
  const bool stopped = stop.waitUntil([this] { return open_.load(); });
  std::lock_guard lock(mutex_);
  waiting_.erase(std::find(waiting_.begin(), waiting_.end(), &stop));
  return stopped;
}

PreviewGate& PreviewGates::add(std::vector<std::string> pictures) {
  Entry& entry = entries_.emplace_back();
  entry.pictures = std::move(pictures);
  if (released_) entry.gate.open();
  return entry.gate;
}

void PreviewGates::update(bool windowSeen,
                          const std::function<bool(std::string_view picture)>& shown) {
  if (released_) return;
  for (Entry& entry : entries_) {
    const bool open =
        windowSeen && std::any_of(entry.pictures.begin(), entry.pictures.end(),
                                  [&](const std::string& picture) { return shown(picture); });
    if (open == entry.gate.isOpen()) continue;
    if (open)
      entry.gate.open();
    else
      entry.gate.close();
  }
}

void PreviewGates::release() {
  released_ = true;
  for (Entry& entry : entries_) entry.gate.open();
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

PreviewTicks::PreviewTicks(std::function<Clock::time_point()> now)
    : now_(std::move(now)), start_(now_()) {}

uint64_t PreviewTicks::periods() const {
  const auto elapsed = now_() - start_;
  return elapsed.count() < 0 ? 0 : static_cast<uint64_t>(elapsed / kPeriod);
}

uint8_t PreviewTicks::counter(std::size_t i) const {
  return static_cast<uint8_t>(periods() % kWrap.at(i));
}

uint32_t PreviewTicks::freeCounter() const {
  return static_cast<uint32_t>(periods());
}

bool PreviewTicks::takeTick() {
  const uint64_t raises = periods() / kWrap[0];
  uint64_t taken = raisesTaken_.load(std::memory_order_relaxed);
  while (taken < raises)
    if (raisesTaken_.compare_exchange_weak(taken, raises, std::memory_order_acq_rel)) return true;
  return false;
}

}  // namespace varnacle::device
