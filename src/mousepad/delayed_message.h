#pragma once
// One numbered message posted to a window some time after it was asked for,
// without holding the UI thread meanwhile: the reset's "read everything
// back a second later". Asking again while one is due moves it to the new
// time, so a burst of requests gives one message.
//
//   schedule ──── delay ────> postMessage(window, msg)
//   schedule ── schedule ──── delay ────> one postMessage
//
// Threads: schedule() from the UI thread; the object's own thread waits and
// posts. Destroying the object drops a message not yet due.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "ui/window.h"

namespace varnacle::mousepad {

class DelayedMessage {
 public:
  DelayedMessage(ui::WindowId window, std::uint32_t msg);
  ~DelayedMessage();
  DelayedMessage(const DelayedMessage&) = delete;
  DelayedMessage& operator=(const DelayedMessage&) = delete;

  void schedule(std::chrono::milliseconds delay);

 private:
  void run();

  const ui::WindowId window_;
  const std::uint32_t msg_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<std::chrono::steady_clock::time_point> due_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace varnacle::mousepad
