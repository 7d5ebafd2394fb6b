#include "keyboard/kb_preview_worker.h"

#include "platform/worker_slots.h"

namespace varnacle::keyboard {

KeyboardPreviewWorker::KeyboardPreviewWorker(const KeyboardLighting& lighting,
                                             const device::DeviceSession& keyboard,
                                             KeyboardPreview& preview, device::PreviewTicks& ticks,
                                             mouse::FrameSink sink)
    : lighting_(lighting),
      keyboard_(keyboard),
      preview_(preview),
      ticks_(ticks),
      sink_(std::move(sink)) {}

void KeyboardPreviewWorker::run(platform::Event& stop) {
  stop.wait(timing.startDelay);
  platform::runWorkerLoop(platform::WorkerSlot::keyboardPreview, stop, [&] { return pass(stop); });
}

bool KeyboardPreviewWorker::pass(platform::Event& stop) {
  passes_.fetch_add(1, std::memory_order_relaxed);
  if (mouse::restAtGate(gate, stop, catchUp_, &last_)) return true;
  const KeyboardLightingBlock before = lighting_.block();
  const int mode = before.mode();
  // One pass at the effect's own pace; a pace faster than a frame is made up
  // once per frame. The reactive mode follows the ticks, pass by pass.
  const auto pace =
      keyboardPassDelay(mode, before.bytes[kSpeed]) + keyboardFramePause(mode);
  const bool batched = pace < timing.shortestFrame && mode != kReactiveMode;
  if (stop.wait(batched ? timing.shortestFrame : keyboardPassDelay(mode, before.bytes[kSpeed])))
    return true;
  if (!keyboard_.online.load()) {
    last_.clear();
    catchUp_.restart();
    stop.wait(timing.offlinePause);
    return true;
  }
  if (keyboard_.lightingSync.load()) {
    last_.clear();
    catchUp_.restart();
    return true;
  }
  const auto pause = keyboardFramePause(mode);
  if (!batched && pause.count() > 0 && stop.wait(pause)) return true;
  const int steps = batched ? catchUp_.due(std::chrono::steady_clock::now(), pace) : 1;
  if (!batched) catchUp_.restart();
  const KeyboardLightingBlock now = lighting_.block();
  Record record{};
  std::copy_n(now.bytes.begin(), record.size(), record.begin());
  const CustomTable custom = now.customTable(now.customTableIndex());
  const bool reactive = now.mode() == kReactiveMode;
  // Only the last of the steps due is shown; the others move the state on.
  // More than one step is due only outside the reactive mode, which alone
  // reads the ticks.
  const KeyboardPreviewInput input{record, custom, ticks_.freeCounter(), reactive && ticks_.takeTick()};
  preview_.skip(input, steps - 1);
  Frame frame = preview_.step(input);
  if (frame.empty()) {
    if (!reactive) {
      // A mode the preview cannot draw: nothing changes until the record does.
      last_.clear();
      catchUp_.restart();
      stop.wait(timing.idlePause);
    }
    return true;
  }
  const auto at = std::chrono::steady_clock::now();
  if (frame == last_ && at - lastHanded_ < timing.repaintInterval) return true;
  last_ = frame;
  lastHanded_ = at;
  sink_(std::move(frame));
  return true;
}

}  // namespace varnacle::keyboard
