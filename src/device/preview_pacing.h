#pragma once
// What keeps the on-screen lighting previews cheap: a gate that lets them run
// only while their pictures can be seen, and a count of the steps that fell
// due, for a preview whose pace is faster than a frame can be shown.
//
// PreviewGate: open while the main window is shown and not minimised. A
// preview worker waits at it at the start of every pass, so a program left in
// the tray all day wakes none of its previews; the presence and listener
// threads keep their own pacing.
//
//   window   shown ──────┐ hidden / minimised ┌── shown
//   gate     open        └── closed ──────────┘   open
//   worker   pass pass pass  (waits, no wake)      pass pass
//
// StepCatchUp: a worker that would step every 3 ms instead wakes once per
// frame and makes the steps that fell due since its last frame in one go, so
// the animation keeps its speed at a frame rate the screen can show.
//
//   steps due   | | | | | | | | | | | | | | | | | | |     every `pace`
//   worker      ─────────┴─────────┴─────────┴──────     every frame: due() steps
//
// Threads: the gate is opened and closed by the UI thread and waited at by any
// thread; a StepCatchUp belongs to the one worker that uses it.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "platform/event.h"

namespace varnacle::device {

class PreviewGate {
 public:
  // How often a wait at the closed gate looks at its stop event: a worker
  // stopped on its own ends within this time. The main window opens the gate
  // before it stops its workers, so shutting down never waits for it.
  static constexpr std::chrono::milliseconds kStopCheck{1000};

  explicit PreviewGate(bool open = true) : open_(open) {}
  PreviewGate(const PreviewGate&) = delete;
  PreviewGate& operator=(const PreviewGate&) = delete;

  void open();
  void close();
  bool isOpen() const;
  // Returns once the gate is open or `stop` is set: true when `stop` is set.
  // `waited` (when given) tells whether the gate was closed on arrival.
  bool waitOpen(const platform::Event& stop, bool* waited = nullptr) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable opened_;
  bool open_;
};

class StepCatchUp {
 public:
  using Clock = std::chrono::steady_clock;
  // The most steps made up in one go: after a long stall (a suspended
  // machine, a debugger) the animation goes on rather than racing through.
  static constexpr int kMostSteps = 64;

  // Forgets the last frame: the next due() counts one step. After any pass
  // that made no steps (the device offline, the preview resting).
  void restart() { last_.reset(); }
  // The whole steps of length `pace` that fell due from the last call to
  // `now` (at least 1, at most kMostSteps); the part of a step left over
  // counts towards the next call, a step made before it fell due against it. A pace of zero counts as one microsecond.
  int due(Clock::time_point now, std::chrono::microseconds pace);

 private:
  std::optional<Clock::time_point> last_;
  Clock::duration carried_{0};
};

}  // namespace varnacle::device
