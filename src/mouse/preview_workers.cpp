#include "mouse/preview_workers.h"

#include <algorithm>

#include "platform/worker_slots.h"

namespace varnacle::mouse {

using std::chrono::milliseconds;

namespace {

bool flagOf(const device::DeviceSession* session, bool sync) {
  if (session == nullptr) return false;
  return sync ? session->lightingSync.load() : session->online.load();
}

// The pause after a shared step: a per-mode time for each device that is not
// synced (keyboard, mouse, pad), plus a per-mode extra.
milliseconds sharedStepPause(uint8_t mode, std::array<bool, 3> synced) {
  struct Pause {
    int keyboard, mouse, pad, extra;
  };
  static constexpr std::array<Pause, 4> kPauses = {
      {{6, 1, 1, 0}, {9, 1, 1, 6}, {8, 1, 1, 0}, {6, 1, 1, 5}}};
  if (mode >= kPauses.size()) return milliseconds(0);
  const Pause& p = kPauses[mode];
  int total = p.extra;
  if (!synced[static_cast<std::size_t>(DeviceKind::keyboard)]) total += p.keyboard;
  if (!synced[static_cast<std::size_t>(DeviceKind::mouse)]) total += p.mouse;
  if (!synced[static_cast<std::size_t>(DeviceKind::mousePad)]) total += p.pad;
  return milliseconds(total);
}

}  // namespace

bool restAtGate(const device::PreviewGate* gate, const platform::Event& stop,
                device::StepCatchUp& catchUp, Frame* last) {
  if (!gate) return false;
  bool waited = false;
  if (gate->waitOpen(stop, &waited)) return true;
  if (waited) {
    // Back from a rest: the picture is handed on at once, and the steps
    // missed meanwhile are not made up.
    if (last) last->clear();
    catchUp.restart();
  }
  return false;
}

void MousePreview::restart() {
  std::lock_guard lock(mutex_);
  state_.reset();
}

void MousePreview::setTrigger(std::size_t cell) {
  std::lock_guard lock(mutex_);
  if (cell < state_.triggers.size()) state_.triggers[cell] = 1;
}

Frame MousePreview::step(const Record& record) {
  std::lock_guard lock(mutex_);
  return stepMousePreview(record, state_);
}

void MousePreview::skip(const Record& record, int steps) {
  std::lock_guard lock(mutex_);
  skipMousePreview(record, state_, steps);
}

MousePreviewState MousePreview::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

SharedBlock SharedPreviewBlock::get() const {
  std::lock_guard lock(mutex_);
  return block_;
}

void SharedPreviewBlock::set(const SharedBlock& block) {
  std::lock_guard lock(mutex_);
  block_ = block;
}

MousePreviewWorker::MousePreviewWorker(const device::LiveLighting& live,
                                       const device::DeviceSession& mouse, MousePreview& preview,
                                       FrameSink sink)
    : live_(live), mouse_(mouse), preview_(preview), sink_(std::move(sink)) {}

void MousePreviewWorker::run(platform::Event& stop) {
  stop.wait(timing.startDelay);
  platform::runWorkerLoop(platform::WorkerSlot::mousePreview, stop, [&] { return pass(stop); });
}

bool MousePreviewWorker::pass(platform::Event& stop) {
  passes_.fetch_add(1, std::memory_order_relaxed);
  if (restAtGate(gate, stop, catchUp_, &last_)) return true;
  const Record before = live_.snapshot(DeviceKind::mouse);
  const int speed = before[kSpeed];
  const uint8_t mode = before[kLightMode];
  const bool pausesBeforeStep = mode == 0 || mode == 4 || mode == 5;
  // One pass at the effect's own pace; a pace faster than a frame is made up
  // once per frame.
  const milliseconds pace = milliseconds(2 * speed + 3) + milliseconds(10 * speed) +
                            (pausesBeforeStep ? timing.stepPause : milliseconds(0));
  const bool batched = pace < timing.shortestFrame;
  if (batched) {
    if (stop.wait(timing.shortestFrame)) return true;
  } else if (stop.wait(milliseconds(2 * speed + 3)) || stop.wait(milliseconds(10 * speed))) {
    return true;
  }
  if (!mouse_.online.load()) {
    last_.clear();
    catchUp_.restart();
    stop.wait(timing.offlinePause);
    return true;
  }
  if (mouse_.lightingSync.load()) {
    last_.clear();
    catchUp_.restart();
    return true;
  }
  if (!batched && pausesBeforeStep && stop.wait(timing.stepPause)) return true;
  const int steps = batched ? catchUp_.due(std::chrono::steady_clock::now(), pace) : 1;
  if (!batched) catchUp_.restart();
  const Record record = live_.snapshot(DeviceKind::mouse);
  // Only the last of the steps due is shown; the others move the state on.
  preview_.skip(record, steps - 1);
  Frame frame = preview_.step(record);
  if (frame.empty()) {
    // A mode the preview cannot draw: nothing changes until the record does.
    last_.clear();
    catchUp_.restart();
    stop.wait(timing.idlePause);
    return true;
  }
  const auto now = std::chrono::steady_clock::now();
  if (frame == last_ && now - lastHanded_ < timing.repaintInterval) return true;
  last_ = frame;
  lastHanded_ = now;
  sink_(std::move(frame));
  return true;
}

SharedPreviewWorker::SharedPreviewWorker(const SharedPreviewBlock& block,
                                         std::array<const device::DeviceSession*, 3> sessions,
                                         FrameSink sink)
    : block_(block), sessions_(sessions), sink_(std::move(sink)) {}

void SharedPreviewWorker::run(platform::Event& stop) {
  platform::runWorkerLoop(platform::WorkerSlot::combinedPreview, stop, [&] { return pass(stop); });
}

std::array<bool, 3> SharedPreviewWorker::syncedOnline(bool& anyOnline) const {
  std::array<bool, 3> synced{};
  anyOnline = false;
  for (std::size_t i = 0; i < sessions_.size(); ++i) {
    const bool online = flagOf(sessions_[i], false);
    anyOnline = anyOnline || online;
    // A device that is not online is never sent the live report that ends
    // its sync, and its picture stands still: it is not painted.
    synced[i] = online && flagOf(sessions_[i], true);
  }
  return synced;
}

bool SharedPreviewWorker::pass(platform::Event& stop) {
  passes_.fetch_add(1, std::memory_order_relaxed);
  if (restAtGate(gate, stop, catchUp_, nullptr)) return true;
  const SharedBlock block = block_.get();
  bool anyOnline = false;
  // The pass's pace: its wait, the mode's pause after the step, and never
  // less than kShortestPass (all devices synced, mode 0 or 2 at speed 0
  // would otherwise step without pause and take a core).
  const milliseconds pace =
      std::max(milliseconds(4 * block.speed) + sharedStepPause(block.mode, syncedOnline(anyOnline)),
               kShortestPass);
  const bool batched = pace < timing.shortestFrame;
  if (stop.wait(batched ? timing.shortestFrame : milliseconds(4 * block.speed))) return true;
  const std::array<bool, 3> synced = syncedOnline(anyOnline);
  const bool anySynced = std::any_of(synced.begin(), synced.end(), [](bool b) { return b; });
  if (!anyOnline) {
    catchUp_.restart();
    stop.wait(timing.offlinePause);
    return true;
  }
  if (!anySynced) {
    catchUp_.restart();
    stop.wait(timing.idlePause);
    return true;
  }
  const int steps = batched ? catchUp_.due(std::chrono::steady_clock::now(), pace) : 1;
  if (!batched) catchUp_.restart();
  // Only the last of the steps due is shown; the others move the state on.
  skipSharedPreview(block, state_, steps - 1);
  Frame frame = stepSharedPreview(block, state_, synced);
  if (frame.empty()) {
    // A shared mode the preview cannot draw: rest instead of stepping again.
    catchUp_.restart();
    stop.wait(timing.idlePause);
    return true;
  }
  sink_(std::move(frame));
  if (!batched) stop.wait(pace - milliseconds(4 * block.speed));
  return true;
}

}  // namespace varnacle::mouse
