#pragma once
// The keyboard's preview thread (worker slot 5): it paces the steps of
// lighting_preview.h and hands each frame, whole, to a sink (the keyboard
// lighting page, which posts it to the UI thread as one batch). No Qt here.
//
// One pass (speed = record byte 3, mode = byte 1):
//
//   wait keyboardPassDelay(mode, speed)   (0 ... 65 ms; see the table there)
//   ├─ keyboard offline ──────> wait offlinePause (100 ms), no frame
//   ├─ lightingSync set ──────> no frame (the shared preview paints it)
//   └─ otherwise ─────────────> wait keyboardFramePause(mode) (0 ... 40 ms);
//                               one step with the current custom table and
//                               the 10 ms ticks; the frame to the sink. Mode
//                               9 paints only on a raised tick flag; a mode
//                               above 9 draws nothing and waits idlePause
//
// The first pass starts startDelay (3000 ms) after the thread; the worker
// loop adds 1 ms between passes. A frame equal to the one handed on just
// before goes again only after repaintInterval (1000 ms), so a steady or dark
// picture costs next to no UI work. Every wait ends early when the stop event
// is set; the thread then writes its slot's stop line and returns. The gate
// and the shortest frame work as for the mouse preview
// (mouse/preview_workers.h): no passes while the gate is closed, and a pace
// shorter than timing.shortestFrame made up once per frame (not the reactive
// mode, which follows the ticks).
#include <atomic>
#include <chrono>
#include <cstdint>

#include "device/device_session.h"
#include "device/live_lighting.h"
#include "device/preview_pacing.h"
#include "keyboard/keyboard_lighting.h"
#include "mouse/preview_workers.h"
#include "platform/event.h"

namespace varnacle::keyboard {

struct KeyboardPreviewTiming {
  std::chrono::milliseconds startDelay{3000};
  std::chrono::milliseconds offlinePause{100};
  std::chrono::milliseconds repaintInterval{1000};
  std::chrono::milliseconds idlePause{100};  // after a pass of a mode it cannot draw
  // A pace faster than this is made up once per this time (0: never).
  std::chrono::milliseconds shortestFrame{0};
};

class KeyboardPreviewWorker {
 public:
  // Everything is borrowed and must outlive the thread. The worker takes
  // the tick flag of `ticks` in mode 9.
  KeyboardPreviewWorker(const KeyboardLighting& lighting, const device::DeviceSession& keyboard,
                        KeyboardPreview& preview, device::PreviewTicks& ticks,
                        mouse::FrameSink sink);

  KeyboardPreviewTiming timing;
  // Where each pass waits while the picture cannot be seen; null: never.
  const device::PreviewGate* gate = nullptr;

  // The thread body for worker slot 5.
  void run(platform::Event& stop);
  // How many passes the thread has begun. Any thread.
  std::uint64_t passes() const { return passes_.load(std::memory_order_relaxed); }

 private:
  bool pass(platform::Event& stop);

  std::atomic<std::uint64_t> passes_{0};
  const KeyboardLighting& lighting_;
  const device::DeviceSession& keyboard_;
  KeyboardPreview& preview_;
  device::PreviewTicks& ticks_;
  mouse::FrameSink sink_;
  Frame last_;
  std::chrono::steady_clock::time_point lastHanded_;
  device::StepCatchUp catchUp_;
};

}  // namespace varnacle::keyboard
