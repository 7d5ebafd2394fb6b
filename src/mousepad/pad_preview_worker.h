#pragma once
// The mouse pad's preview thread (worker slot 7): it paces the steps of
// pad_preview_steps.h and hands each frame, whole, to a sink (the pad page,
// which posts it to the UI thread as one batch). No Qt here.
//
// One pass (times are PadPreviewTiming, speed = record byte 3):
//
//   wait 9 + 4*speed ms
//   ├─ pad offline ─────────> wait offlinePause (100 ms), no frame
//   ├─ pad lightingSync set > no frame (the shared preview paints it)
//   └─ otherwise ──────────> the mode's wait (bar 10*speed+100 ms, pulses
//                            50 ms, sliding block 5*speed+50 ms); take the
//                            mouse's trigger flag; one step; the frame to
//                            the sink; the step's own pause (the sliding
//                            block's turn, 1000 ms); an empty frame (a mode
//                            the preview does not know) waits idlePause
//
// The first pass starts startDelay (3000 ms) after the thread. A frame equal
// to the one handed on just before goes again only after repaintInterval
// (1000 ms), so a steady or dark picture costs next to no UI work. Every wait
// ends early when the stop event is set; the thread then writes its slot's
// stop line and returns.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

#include "device/device_session.h"
#include "device/live_lighting.h"
#include "mouse/preview_workers.h"
#include "mousepad/pad_preview_steps.h"
#include "platform/event.h"

namespace varnacle::mousepad {

// The pad preview's state, shared by the UI thread (which restarts it on a
// mode change) and the preview worker (which steps it). Any thread; every
// call takes the lock.
class PadPreview {
 public:
  void restart();
  // Sets cell `cell` (0-22) of the trigger ring; other cells are ignored.
  void setTrigger(std::size_t cell);
  PadStep step(const Record& record, const PadStepInput& input);
  PadPreviewState state() const;

 private:
  mutable std::mutex mutex_;
  PadPreviewState state_;
};

struct PadPreviewTiming {
  std::chrono::milliseconds startDelay{3000};
  std::chrono::milliseconds offlinePause{100};
  std::chrono::milliseconds repaintInterval{1000};
  std::chrono::milliseconds idlePause{100};  // after a step that drew nothing
};

class PadPreviewWorker {
 public:
  // Everything is borrowed and must outlive the thread. `mouseTrigger` is
  // the flag the mouse's listener raises on usage 0x0403; the worker takes
  // it (clears it) on every pass that steps.
  PadPreviewWorker(const device::LiveLighting& live, const device::DeviceSession& pad,
                   PadPreview& preview, std::atomic<bool>& mouseTrigger, mouse::FrameSink sink);

  PadPreviewTiming timing;

  // The thread body for worker slot 7.
  void run(platform::Event& stop);
  // How many passes the thread has begun. Any thread.
  std::uint64_t passes() const { return passes_.load(std::memory_order_relaxed); }

 private:
  bool pass(platform::Event& stop);

  std::atomic<std::uint64_t> passes_{0};
  const device::LiveLighting& live_;
  const device::DeviceSession& pad_;
  PadPreview& preview_;
  std::atomic<bool>& mouseTrigger_;
  mouse::FrameSink sink_;
  Frame last_;
  std::chrono::steady_clock::time_point lastHanded_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace varnacle::mousepad
