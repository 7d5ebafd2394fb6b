#pragma once
// The thread bodies of the two lighting previews of the mouse page: the mouse
// preview (worker slot 6) and the shared preview (slot 8) that animates every
// synchronised device after a "same mode" copy. They pace the pure steps of
// preview_steps.h and hand each frame, whole, to a sink; the page's sink posts
// it to the UI thread as one batch and applies it there. No Qt here.
//
// Mouse preview pass (times are MousePreviewTiming, speed = record byte 3):
//
//   wait 2*speed+3 ms, then 10*speed ms
//   ├─ mouse offline ─────────> wait offlinePause (100 ms), no frame
//   ├─ mouse lightingSync set > no frame (the shared preview paints it)
//   └─ otherwise ────────────> modes 0, 4, 5 wait stepPause (50 ms);
//                               one step; the frame goes to the sink, an
//                               empty one (a mode above 5) waits idlePause
//
// The first pass starts startDelay (3000 ms) after the thread. A frame equal
// to the one handed on just before is handed on again only after
// repaintInterval (1000 ms), so a steady mode costs next to no UI work; any
// pass without a frame forgets the last one, so the picture is repainted at
// once when the mouse preview takes over again from the shared one.
//
// Shared preview pass (speed = the shared block's speed):
//
//   wait 4*speed ms
//   ├─ no device online ──────> wait offlinePause (1000 ms)
//   ├─ no online device synced > wait idlePause (100 ms)
//   └─ one step of the shared mode for the synced online devices, frame to
//      the sink, then the mode's pause: for an unsynced keyboard / mouse / pad
//      mode 0: 6 / 1 / 1 ms; mode 1: 9 / 1 / 1 ms + 6 ms;
//      mode 2: 8 / 1 / 1 ms; mode 3: 6 / 1 / 1 ms + 5 ms;
//      an empty frame (a mode above 3) waits idlePause instead
//   A pass whose waits add up to nothing (every device synced, mode 0 or 2
//   at speed 0) waits kShortestPass after its step, not spinning a core.
//
// A device counts as synced only while it is online: an offline device is
// never sent the live report that would clear its flag.
//
// Every wait ends early when the stop event is set; the thread then writes
// its slot's stop line and returns.
//
// Resting and catching up (device/preview_pacing.h): with a gate given, each
// pass first waits until the gate is open (the window shown), and a pass back
// from that rest hands its picture on at once. A pass whose pace (its waits
// together) is shorter than timing.shortestFrame waits one shortest frame
// instead and makes every step that fell due meanwhile, handing on the last
// frame: the animation keeps its speed, the worker wakes once per frame. A
// shortest frame of 0 (the default) steps pass by pass as described above.
//
// Each frame tints every light its step covers (all 20 mouse lights; every
// synced light of the shared preview, in mode 0 the column table's), so a
// sink that finds an earlier frame not yet applied may drop it for the newer
// one: at speed 0 the mouse preview steps about every 3 ms.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

#include "device/device_session.h"
#include "device/live_lighting.h"
#include "device/preview_pacing.h"
#include "mouse/preview_steps.h"
#include "platform/event.h"

namespace varnacle::mouse {

using FrameSink = std::function<void(Frame)>;

// The start of a pass of a preview worker: waits while `gate` (if any) is
// closed. True when `stop` is set. Back from a wait it forgets `last` (the
// frame handed on before, when the worker keeps one) and restarts `catchUp`.
bool restAtGate(const device::PreviewGate* gate, const platform::Event& stop,
                device::StepCatchUp& catchUp, Frame* last);

// The mouse preview's state, shared by the UI thread (which restarts it on a
// mode or direction change) and the preview worker (which steps it). Any
// thread; every call takes the lock.
class MousePreview {
 public:
  // Back to the state at rest: position, bar, ring, pulses all 0.
  void restart();
  // Sets cell `cell` (0-22) of the trigger ring; other cells are ignored.
  void setTrigger(std::size_t cell);
  // One step of stepMousePreview.
  Frame step(const Record& record);
  // The state `steps` steps on, without their frames.
  void skip(const Record& record, int steps);
  MousePreviewState state() const;

 private:
  mutable std::mutex mutex_;
  MousePreviewState state_;
};

// The shared preview block: written by a "same mode" copy (UI thread), read
// by the shared preview worker. Any thread.
class SharedPreviewBlock {
 public:
  SharedBlock get() const;
  void set(const SharedBlock& block);

 private:
  mutable std::mutex mutex_;
  SharedBlock block_;
};

struct MousePreviewTiming {
  std::chrono::milliseconds startDelay{3000};
  std::chrono::milliseconds offlinePause{100};
  std::chrono::milliseconds stepPause{50};  // before a step of modes 0, 4 and 5
  std::chrono::milliseconds repaintInterval{1000};
  std::chrono::milliseconds idlePause{100};  // after a step that drew nothing
  // A pace faster than this is made up once per this time (0: never).
  std::chrono::milliseconds shortestFrame{0};
};

class MousePreviewWorker {
 public:
  // Everything is borrowed and must outlive the thread.
  MousePreviewWorker(const device::LiveLighting& live, const device::DeviceSession& mouse,
                     MousePreview& preview, FrameSink sink);

  MousePreviewTiming timing;
  // Where each pass waits while the pictures cannot be seen; null: never.
  const device::PreviewGate* gate = nullptr;

  // The thread body for worker slot 6.
  void run(platform::Event& stop);
  // How many passes the thread has begun; the idle cost shows in it. Any thread.
  std::uint64_t passes() const { return passes_.load(std::memory_order_relaxed); }

 private:
  bool pass(platform::Event& stop);

  std::atomic<std::uint64_t> passes_{0};
  const device::LiveLighting& live_;
  const device::DeviceSession& mouse_;
  MousePreview& preview_;
  FrameSink sink_;
  Frame last_;
  std::chrono::steady_clock::time_point lastHanded_;
  device::StepCatchUp catchUp_;
};

struct SharedPreviewTiming {
  std::chrono::milliseconds offlinePause{1000};
  std::chrono::milliseconds idlePause{100};  // while no online device is synced
  // A pace faster than this is made up once per this time (0: never).
  std::chrono::milliseconds shortestFrame{0};
};

class SharedPreviewWorker {
 public:
  // Sessions by DeviceKind. Everything is borrowed and must outlive the thread.
  SharedPreviewWorker(const SharedPreviewBlock& block,
                      std::array<const device::DeviceSession*, 3> sessions, FrameSink sink);

  SharedPreviewTiming timing;
  // Where each pass waits while the pictures cannot be seen; null: never.
  const device::PreviewGate* gate = nullptr;
  // The shortest pass: its waits together are never less than this.
  static constexpr std::chrono::milliseconds kShortestPass{1};

  // The thread body for worker slot 8.
  void run(platform::Event& stop);
  // How many passes the thread has begun; the idle cost shows in it. Any thread.
  std::uint64_t passes() const { return passes_.load(std::memory_order_relaxed); }

 private:
  bool pass(platform::Event& stop);
  // The devices that are online and synced; `anyOnline` whether any is online.
  std::array<bool, 3> syncedOnline(bool& anyOnline) const;

  std::atomic<std::uint64_t> passes_{0};
  const SharedPreviewBlock& block_;
  std::array<const device::DeviceSession*, 3> sessions_;
  FrameSink sink_;
  SharedPreviewState state_;
  device::StepCatchUp catchUp_;
};

}  // namespace varnacle::mouse
