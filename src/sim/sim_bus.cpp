#include "sim/sim_bus.h"

#include <algorithm>

namespace varnacle::sim {

SimBus::Endpoint::Endpoint(std::weak_ptr<VirtualInterface> device, std::vector<uint8_t> acceptedIds)
    : device_(std::move(device)), acceptedIds_(std::move(acceptedIds)) {}

ReadStatus SimBus::Endpoint::read(std::span<uint8_t> buffer, std::chrono::milliseconds timeout,
                                  std::size_t& transferred) {
  transferred = 0;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(mutex_);
  aborted_ = false;
  for (;;) {
    if (gone_) return ReadStatus::gone;
    if (closed_) return ReadStatus::aborted;
    if (aborted_) {
      aborted_ = false;
      return ReadStatus::aborted;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!queue_.empty() && queue_.front().readyAt <= now) {
      const auto& report = queue_.front().report;
      transferred = std::min(buffer.size(), report.size());
      std::copy_n(report.begin(), transferred, buffer.begin());
      queue_.erase(queue_.begin());
      return ReadStatus::ok;
    }
    if (now >= deadline) return ReadStatus::timeout;
    auto wakeAt = deadline;
    if (!queue_.empty()) wakeAt = std::min(wakeAt, queue_.front().readyAt);
    cv_.wait_until(lock, wakeAt);
  }
}

void SimBus::Endpoint::abort() {
  {
    std::lock_guard lock(mutex_);
    aborted_ = true;
  }
  cv_.notify_all();
}

void SimBus::Endpoint::close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  cv_.notify_all();
}

bool SimBus::Endpoint::isGone() const {
  std::lock_guard lock(mutex_);
  return gone_;
}

SimBus& SimBus::instance() {
  static SimBus bus;
  return bus;
}

void SimBus::plug(std::shared_ptr<VirtualInterface> device) {
  std::lock_guard lock(mutex_);
  if (std::find(devices_.begin(), devices_.end(), device) == devices_.end())
    devices_.push_back(std::move(device));
}

void SimBus::unplug(const VirtualInterface& device) {
  std::vector<std::shared_ptr<Endpoint>> lost;
  {
    std::lock_guard lock(mutex_);
    std::erase_if(devices_, [&](const auto& d) { return d.get() == &device; });
    for (const auto& e : endpoints_) {
      auto d = e->device_.lock();
      if (!d || d.get() == &device) lost.push_back(e);
    }
  }
  for (const auto& e : lost) {
    {
      std::lock_guard lock(e->mutex_);
      e->gone_ = true;
      e->queue_.clear();
    }
    e->cv_.notify_all();
  }
}

bool SimBus::isPlugged(const VirtualInterface& device) const {
  std::lock_guard lock(mutex_);
  return std::any_of(devices_.begin(), devices_.end(),
                     [&](const auto& d) { return d.get() == &device; });
}

std::vector<std::shared_ptr<VirtualInterface>> SimBus::plugged() const {
  std::lock_guard lock(mutex_);
  return devices_;
}

void SimBus::deliver(const VirtualInterface& device, std::vector<uint8_t> report,
                     std::chrono::milliseconds delay) {
  if (report.empty()) return;
  std::vector<std::shared_ptr<Endpoint>> targets;
  {
    std::lock_guard lock(mutex_);
    for (const auto& e : endpoints_) {
      auto d = e->device_.lock();
      if (d.get() != &device) continue;
      if (std::find(e->acceptedIds_.begin(), e->acceptedIds_.end(), report[0]) !=
          e->acceptedIds_.end())
        targets.push_back(e);
    }
  }
  const auto readyAt = std::chrono::steady_clock::now() + delay;
  for (const auto& e : targets) {
    {
      std::lock_guard lock(e->mutex_);
      if (e->gone_) continue;
      auto pos = std::upper_bound(e->queue_.begin(), e->queue_.end(), readyAt,
                                  [](auto t, const Endpoint::Pending& p) { return t < p.readyAt; });
      e->queue_.insert(pos, Endpoint::Pending{readyAt, report});
    }
    e->cv_.notify_all();
  }
}

std::shared_ptr<SimBus::Endpoint> SimBus::connect(const std::shared_ptr<VirtualInterface>& device,
                                                  std::vector<uint8_t> acceptedIds) {
  std::lock_guard lock(mutex_);
  if (std::find(devices_.begin(), devices_.end(), device) == devices_.end()) return nullptr;
  auto endpoint = std::make_shared<Endpoint>(device, std::move(acceptedIds));
  endpoints_.push_back(endpoint);
  return endpoint;
}

void SimBus::disconnect(const std::shared_ptr<Endpoint>& endpoint) {
  std::lock_guard lock(mutex_);
  std::erase(endpoints_, endpoint);
}

}  // namespace varnacle::sim
