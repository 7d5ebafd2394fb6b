#include "mouse/pointer_settings_worker.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/debug_output.h"

namespace varnacle::mouse {

struct PointerSettingsWorker::State {
  explicit State(platform::PointerApplier a) : applier(std::move(a)) {}

  const platform::PointerApplier applier;
  std::mutex mutex;
  std::condition_variable wake;     // a value waits, or the owner goes away
  std::condition_variable applied;  // the worker finished a round or ended
  std::optional<int> speed;
  std::optional<int> lines;
  bool busy = false;
  bool stopping = false;
  bool ended = false;
};

PointerSettingsWorker::PointerSettingsWorker(platform::PointerApplier applier)
    : state_(std::make_shared<State>(std::move(applier))) {}

PointerSettingsWorker::~PointerSettingsWorker() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_all();
  if (!thread_.joinable()) return;
  bool ended = false;
  {
    std::unique_lock lock(state_->mutex);
    ended = state_->applied.wait_for(lock, exitDeadline, [this] { return state_->ended; });
  }
  if (ended) {
    thread_.join();
  } else {
    platform::debugOutput("pointer settings: the desktop has not answered; its worker ends on its own");
    thread_.detach();
  }
}

void PointerSettingsWorker::pointerSpeed(int speed) {
  {
    std::lock_guard lock(state_->mutex);
    state_->speed = speed;
  }
  start();
  state_->wake.notify_one();
}

void PointerSettingsWorker::wheelLines(int lines) {
  {
    std::lock_guard lock(state_->mutex);
    state_->lines = lines;
  }
  start();
  state_->wake.notify_one();
}

bool PointerSettingsWorker::waitUntilApplied(std::chrono::milliseconds limit) const {
  std::unique_lock lock(state_->mutex);
  return state_->applied.wait_for(lock, limit, [this] {
    return state_->ended || (!state_->busy && !state_->speed && !state_->lines);
  });
}

void PointerSettingsWorker::start() {
  if (!thread_.joinable()) thread_ = std::thread([state = state_] { run(state); });
}

void PointerSettingsWorker::run(const std::shared_ptr<State>& state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    state->wake.wait(lock, [&] { return state->stopping || state->speed || state->lines; });
    if (!state->speed && !state->lines) break;
    const std::optional<int> speed = std::exchange(state->speed, std::nullopt);
    const std::optional<int> lines = std::exchange(state->lines, std::nullopt);
    state->busy = true;
    lock.unlock();
    if (speed && state->applier.pointerSpeed) state->applier.pointerSpeed(*speed);
    if (lines && state->applier.wheelLines) state->applier.wheelLines(*lines);
    lock.lock();
    state->busy = false;
    state->applied.notify_all();
  }
  state->ended = true;
  state->applied.notify_all();
}

}  // namespace varnacle::mouse
