#include "mousepad/pad_preview_worker.h"

#include "platform/worker_slots.h"

namespace varnacle::mousepad {

void PadPreview::restart() {
  std::lock_guard lock(mutex_);
  state_.reset();
}

void PadPreview::setTrigger(std::size_t cell) {
  std::lock_guard lock(mutex_);
  if (cell < state_.triggers.size()) state_.triggers[cell] = 1;
}

PadStep PadPreview::step(const Record& record, const PadStepInput& input) {
  std::lock_guard lock(mutex_);
  return stepPadPreview(record, state_, input);
}

PadPreviewState PadPreview::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

PadPreviewWorker::PadPreviewWorker(const device::LiveLighting& live,
                                   const device::DeviceSession& pad, PadPreview& preview,
                                   std::atomic<bool>& mouseTrigger, mouse::FrameSink sink)
    : live_(live),
      pad_(pad),
      preview_(preview),
      mouseTrigger_(mouseTrigger),
      sink_(std::move(sink)) {}

void PadPreviewWorker::run(platform::Event& stop) {
  stop.wait(timing.startDelay);
  platform::runWorkerLoop(platform::WorkerSlot::mousePadPreview, stop,
                          [&] { return pass(stop); });
}

bool PadPreviewWorker::pass(platform::Event& stop) {
  using std::chrono::milliseconds;
  passes_.fetch_add(1, std::memory_order_relaxed);
  if (mouse::restAtGate(gate, stop, catchUp_, &last_)) return true;
  const Record before = live_.snapshot(DeviceKind::mousePad);
  // One pass at the effect's own pace; a pace faster than a frame is made up
  // once per frame. The sliding block's turn pauses after its step, so it
  // always goes pass by pass.
  const milliseconds pace =
      padPassPause(before[kSpeed]) + padModePause(before[kLightMode], before[kSpeed]);
  const bool batched = pace < timing.shortestFrame;
  if (stop.wait(batched ? timing.shortestFrame : padPassPause(before[kSpeed]))) return true;
  if (!pad_.online.load()) {
    last_.clear();
    catchUp_.restart();
    stop.wait(timing.offlinePause);
    return true;
  }
  if (pad_.lightingSync.load()) {
    last_.clear();
    catchUp_.restart();
    return true;
  }
  if (!batched && stop.wait(padModePause(before[kLightMode], before[kSpeed]))) return true;
  const auto now = std::chrono::steady_clock::now();
  const int steps = batched ? catchUp_.due(now, pace) : 1;
  if (!batched) catchUp_.restart();
  // The flash request is taken by the first step; the steps made up with it
  // share its time.
  PadStepInput input{
      static_cast<uint32_t>(
          std::chrono::duration_cast<milliseconds>(now - started_).count()),
      mouseTrigger_.exchange(false)};
  const Record record = live_.snapshot(DeviceKind::mousePad);
  PadStep step;
  for (int i = 0; i < steps; ++i) {
    step = preview_.step(record, input);
    input.flashRequest = false;
    if (step.pauseAfter.count() > 0) break;
  }
  if (step.frame.empty()) {
    // A mode the preview cannot draw: nothing changes until the record does.
    last_.clear();
    catchUp_.restart();
    stop.wait(timing.idlePause);
    return true;
  }
  if (step.frame != last_ || now - lastHanded_ >= timing.repaintInterval) {
    last_ = step.frame;
    lastHanded_ = now;
    sink_(std::move(step.frame));
  }
  if (step.pauseAfter.count() > 0) {
    catchUp_.restart();
    stop.wait(step.pauseAfter);
  }
  return true;
}

}  // namespace varnacle::mousepad
