#pragma once
// Hands the frames of one or more lighting previews to the UI thread without
// flooding it. Frames are whole, so only the newest of each preview counts:
// the pacer's own thread posts the newest frames waiting as one closure at
// most once per frame interval, and that closure applies the whole batch on
// the UI thread (the toolkit then repaints once). The last frame of a burst
// is always shown; a batch that arrives after the window is gone is dropped.
//
//   frames  ─┬─┬─┬─┬─┬─┬─┬─┬─┬──────────    (every 3 ms at the fastest)
//   posted   ┴─────────┴─────────┴          newest waiting, then rest 33 ms
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

  // Starts the pacer's thread for the window `window`; once only.
  void start(ui::WindowId window, std::chrono::milliseconds frameInterval);
  // Keeps `frame` as the newest of preview `preview`. Any thread.
  void post(std::size_t preview, Frame frame);

 private:
  void pace(ui::WindowId window, std::chrono::milliseconds frameInterval);
  bool anyWaiting() const;

  Apply apply_;
  std::mutex mutex_;
  std::condition_variable waiting_;
  std::vector<std::optional<Frame>> frames_;
  bool resting_ = false;  // the pacer waits out the frame interval
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace varnacle::mouse
