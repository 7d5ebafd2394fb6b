#pragma once
// Hands the frames of one or more lighting previews to the UI thread without
// flooding it. Frames are whole, so only the newest of each preview counts,
// and the UI thread gets at most one batch (the newest frame of each preview
// waiting) per frame interval, applied in one closure (the toolkit then
// repaints once). A frame that comes a frame interval or more after the last
// batch goes to the UI thread at once, from the preview's own thread; one
// that comes sooner waits, and the pacer's thread sends it with whatever
// else came when the interval is over. The last frame of a burst is always
// shown; a batch that arrives after the window is gone is dropped.
//
//   frames  ─┬─┬─┬─┬─┬─┬─┬─┬─┬──────────    (every 3 ms at the fastest)
//   posted   ┴─────────┴─────────┴          at most one batch per 33 ms
//
//   frames  ─┬──────────┬──────────┬───     (a preview that catches up: every
//   posted   ┴──────────┴──────────┴        33 ms or more, each sent at once)
//
// Threads: post() from any thread (the preview workers); `apply` runs on the
// UI thread. The pacer must be destroyed before whatever `apply` uses.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "mouse/preview_steps.h"
#include "ui/window.h"

namespace varnacle::mouse {

class FramePacer {
 public:
  // `apply(preview, frame)` shows a frame of preview 0 ... previews-1.
  using Apply = std::function<void(std::size_t preview, const Frame& frame)>;

  FramePacer(std::size_t previews, Apply apply);
  ~FramePacer();
  FramePacer(const FramePacer&) = delete;
  FramePacer& operator=(const FramePacer&) = delete;

  // Starts the pacer for the window `window`; once only. Frames posted
  // before wait for it.
  void start(ui::WindowId window, std::chrono::milliseconds frameInterval);
  // Keeps `frame` as the newest of preview `preview`. Any thread.
  void post(std::size_t preview, Frame frame);

 private:
  using Clock = std::chrono::steady_clock;
  using Batch = std::vector<std::optional<Frame>>;

  void pace();
  // Takes the frames waiting as the next batch; with the lock held.
  Batch takeBatch(Clock::time_point now);
  void send(Batch batch) const;  // with the lock held

  Apply apply_;
  std::mutex mutex_;
  std::condition_variable scheduled_;
  Batch frames_;  // the newest frame waiting of each preview
  ui::WindowId window_{};
  Clock::duration interval_{};
  Clock::time_point nextBatch_{};  // no batch goes before this time
  bool started_ = false;
  bool due_ = false;  // frames wait for the pacer's thread to send them
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace varnacle::mouse
