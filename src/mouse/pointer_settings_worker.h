#pragma once
// The desktop's pointer speed and wheel scroll lines, applied on one
// long-lived worker thread, so the thread that hands them over never waits
// for the desktop (its settings tool may be slow or hang).
//
//   handed over:  speed 8 ── speed 12 ── speed 20 ── lines 4
//   worker:       apply 8 ....(busy)...........── apply 20, apply 4
//
// Each setting keeps only its newest value waiting: a value handed over while
// the desktop is still busy replaces the one waiting before it, so the newest
// always wins and nothing piles up. When both wait, the pointer speed goes
// first.
//
// Threads: values are handed over from one thread (the mouse page's UI
// thread); the worker starts with the first. The destructor lets the worker
// apply what it was handed, waiting at most exitDeadline; a worker still busy
// then (a hung tool) is left to end on its own, owning all it uses.
#include <chrono>
#include <memory>
#include <thread>

#include "platform/pointer_settings.h"

namespace varnacle::mouse {

class PointerSettingsWorker {
 public:
  explicit PointerSettingsWorker(platform::PointerApplier applier);
  ~PointerSettingsWorker();
  PointerSettingsWorker(const PointerSettingsWorker&) = delete;
  PointerSettingsWorker& operator=(const PointerSettingsWorker&) = delete;

  // Hand over a value; returns at once.
  void pointerSpeed(int speed);
  void wheelLines(int lines);

  // Waits until every value handed over has been applied; false when `limit`
  // passed first.
  bool waitUntilApplied(std::chrono::milliseconds limit) const;

  std::chrono::milliseconds exitDeadline{1000};

 private:
  struct State;
  static void run(const std::shared_ptr<State>& state);
  void start();

  std::shared_ptr<State> state_;
  std::thread thread_;
};

}  // namespace varnacle::mouse
