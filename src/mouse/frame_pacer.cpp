#include "mouse/frame_pacer.h"

#include <algorithm>
#include <utility>

#include "ui/dispatcher.h"

namespace varnacle::mouse {

FramePacer::FramePacer(std::size_t previews, Apply apply)
    : apply_(std::move(apply)), frames_(previews) {}

FramePacer::~FramePacer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  waiting_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void FramePacer::start(ui::WindowId window, std::chrono::milliseconds frameInterval) {
  if (thread_.joinable()) return;
  thread_ = std::thread([this, window, frameInterval] { pace(window, frameInterval); });
}

bool FramePacer::anyWaiting() const {
  return std::any_of(frames_.begin(), frames_.end(), [](const auto& f) { return f.has_value(); });
}

void FramePacer::post(std::size_t preview, Frame frame) {
  if (frame.empty() || preview >= frames_.size()) return;
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    // The pacer needs waking only when it waits for a first frame, not
    // while it rests between batches.
    wake = !resting_ && !anyWaiting();
    frames_[preview] = std::move(frame);
  }
  if (wake) waiting_.notify_one();
}

void FramePacer::pace(ui::WindowId window, std::chrono::milliseconds frameInterval) {
  std::unique_lock lock(mutex_);
  for (;;) {
    waiting_.wait(lock, [this] { return stopping_ || anyWaiting(); });
    if (stopping_) return;
    // Taken entry by entry: the vector itself never changes, so post() may
    // check an index against its size without the lock.
    std::vector<std::optional<Frame>> batch(frames_.size());
    for (std::size_t i = 0; i < frames_.size(); ++i) batch[i] = std::exchange(frames_[i], std::nullopt);
    lock.unlock();
    // Without an event loop (shutting down) the batch is dropped.
    ui::post([this, window, batch = std::move(batch)] {
      if (!ui::Window::fromId(window)) return;
      for (std::size_t i = 0; i < batch.size(); ++i)
        if (batch[i]) apply_(i, *batch[i]);
    });
    lock.lock();
    resting_ = true;
    const bool stop = waiting_.wait_for(lock, frameInterval, [this] { return stopping_; });
    resting_ = false;
    if (stop) return;
  }
}

}  // namespace varnacle::mouse
