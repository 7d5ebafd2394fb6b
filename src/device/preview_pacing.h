#pragma once
// What keeps the on-screen lighting previews cheap: gates that let each of
// them run only while its picture can be seen, a count of the steps that fell
// due for a preview whose pace is faster than a frame can be shown, and the
// previews' tick counters read from the clock instead of advanced by a timer.
//
// PreviewGate: what a preview worker waits at before every pass. PreviewGates
// holds one per preview with the pictures (page controls) it paints; the
// main window updates them whenever what can be seen changes, and a gate is
// open while the window is shown, not minimised, and one of its pictures is
// on the page in front. So a program left in the tray all day, or a window
// showing another page, wakes none of the previews it cannot show; the
// presence and listener threads keep their own pacing.
//
//   window   shown ──────────────┐ hidden / minimised ┌── shown
//   page     lighting ─┐ keys ┌──┼────────────────────┼──
//   gate     open      └closed┘  └── closed ──────────┘   open
//   worker   pass pass  (waits)  (waits, no wake)          pass pass
//
// StepCatchUp: a worker that would step every 3 ms instead wakes once per
// frame and makes the steps that fell due since its last frame in one go, so
// the animation keeps its speed at a frame rate the screen can show.
//
//   steps due   | | | | | | | | | | | | | | | | | | |     every `pace`
//   worker      ─────────┴─────────┴─────────┴──────     every frame: due() steps
//
// PreviewTicks: the counters a 10 ms timer advancing them since the start
// would show, computed from the clock when read, so nothing wakes 100 times
// a second to advance them.
//
// Threads: the gates are added and updated by the UI thread and waited at by
// any thread; a StepCatchUp belongs to the one worker that uses it; the
// ticks are read from any thread.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event.h"

namespace varnacle::device {

class PreviewGate {
 public:
  explicit PreviewGate(bool open = true) : open_(open) {}
  PreviewGate(const PreviewGate&) = delete;
  PreviewGate& operator=(const PreviewGate&) = delete;

  void open();
  void close();
  bool isOpen() const;
  // Returns once the gate is open or `stop` is set: true when `stop` is set.
  // `waited` (when given) tells whether the gate was closed on arrival. A
  // worker resting here does not wake until one of the two happens.
  bool waitOpen(const platform::Event& stop, bool* waited = nullptr) const;

 private:
  // open() wakes the stop events the workers at the gate wait on; the flag
  // is read under each event's own lock, never under the gate's.
  mutable std::mutex mutex_;
  std::atomic<bool> open_;
  mutable std::vector<const platform::Event*> waiting_;
};

class PreviewGates {
 public:
  // A gate for a preview that paints the named controls; closed until the
  // first update finds one of them seen. The reference stays valid as long
  // as the gates.
  PreviewGate& add(std::vector<std::string> pictures);
  // What can be seen changed: each gate opens when the window is seen and
  // `shown` is true for one of its pictures, and closes otherwise.
  void update(bool windowSeen, const std::function<bool(std::string_view picture)>& shown);
  // Opens every gate for good (shutting down: the workers go on to their stop
  // events); later updates change nothing.
  void release();

 private:
  struct Entry {
    std::vector<std::string> pictures;
    PreviewGate gate{false};
  };
  std::deque<Entry> entries_;  // a deque: growing it keeps references to its gates
  bool released_ = false;
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

class PreviewTicks {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kPeriod{10};
  // Wrap values of the five counters.
  static constexpr std::array<uint8_t, 5> kWrap = {2, 2, 3, 4, 5};

  // Counts from `now()` at construction.
  explicit PreviewTicks(std::function<Clock::time_point()> now = &Clock::now);

  // After n periods: each counter is n modulo its wrap value; the first one
  // wrapping raises the tick flag; the free counter is n (modulo 2^32).
  uint8_t counter(std::size_t i) const;
  uint32_t freeCounter() const;
  // Takes the tick flag: true once for any number of raises since the last take.
  bool takeTick();

 private:
  uint64_t periods() const;

  std::function<Clock::time_point()> now_;
  Clock::time_point start_;
  std::atomic<uint64_t> raisesTaken_{0};
};

}  // namespace varnacle::device
