#include "platform/worker_slots.h"

#include <chrono>
#include <string>

#include "platform/debug_output.h"

namespace varnacle::platform {

bool runPasses(const Event& stop, const std::function<bool()>& pass) {
  // The 1 ms wait keeps a pass that returns at once from spinning. A pass
  // that took at least that long has rested (in a pause on the stop event or
  // in a read with a time limit), so after it the event is only looked at:
  // an idle loop wakes once per pause, not twice.
  constexpr auto kStopCheck = std::chrono::milliseconds(1);
  bool rested = false;
  while (!(rested ? stop.isSet() : stop.wait(kStopCheck))) {
    const auto start = std::chrono::steady_clock::now();
    if (!pass()) return false;
    rested = std::chrono::steady_clock::now() - start >= kStopCheck;
  }
  return true;
}

void runWorkerLoop(WorkerSlot slot, Event& stop, const std::function<bool()>& pass) {
  if (runPasses(stop, pass)) debugOutput(kWorkerStopLines[static_cast<int>(slot)]);
}

WorkerSlots::WorkerSlots() : shared_(std::make_shared<Shared>()) {}

WorkerSlots::~WorkerSlots() {
  if (!stopped_) stopAll();
}

Event& WorkerSlots::stopEvent(WorkerSlot slot) { return shared_->stops[static_cast<int>(slot)]; }

void WorkerSlots::start(WorkerSlot slot, std::function<void(Event& stop)> body) {
  const int i = static_cast<int>(slot);
  if (threads_[i].joinable()) {
    debugOutput("worker slot " + std::to_string(i) + " started twice; the second start is ignored");
    return;
  }
  {
    std::lock_guard lock(shared_->mutex);
    shared_->running[i] = true;
  }
  // The event is reset here, before the thread exists, not by the thread
  // itself: a stop requested right after the start must not be lost.
  shared_->stops[i].reset();
  stopped_ = false;
  threads_[i] = std::thread([shared = shared_, i, body = std::move(body)] {
    body(shared->stops[i]);
    {
      std::lock_guard lock(shared->mutex);
      shared->running[i] = false;
    }
    shared->ended.notify_all();
  });
}

bool WorkerSlots::isRunning(WorkerSlot slot) const {
  std::lock_guard lock(shared_->mutex);
  return shared_->running[static_cast<int>(slot)];
}

bool WorkerSlots::anyRunning() const {
  std::lock_guard lock(shared_->mutex);
  for (bool r : shared_->running)
    if (r) return true;
  return false;
}

WorkerSlots::Outcome WorkerSlots::stopAll(std::chrono::milliseconds deadline) {
  stopped_ = true;
  for (auto& e : shared_->stops) e.set();
  bool allEnded = false;
  {
    std::unique_lock lock(shared_->mutex);
    allEnded = shared_->ended.wait_for(lock, deadline, [&] {
      for (bool r : shared_->running)
        if (r) return false;
      return true;
    });
  }
  for (int i = 0; i < kWorkerSlotCount; ++i) {
    if (!threads_[i].joinable()) continue;
    bool running = false;
    {
      std::lock_guard lock(shared_->mutex);
      running = shared_->running[i];
    }
    if (running) {
      debugOutput("worker slot " + std::to_string(i) + " did not stop in time; left behind");
      threads_[i].detach();
    } else {
      threads_[i].join();
    }
  }
  debugOutput(allEnded ? kAllWorkersEnded : kWorkersTimedOut);
  return allEnded ? Outcome::allEnded : Outcome::timedOut;
}

}  // namespace varnacle::platform
