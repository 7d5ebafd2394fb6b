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
  scheduled_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void FramePacer::start(ui::WindowId window, std::chrono::milliseconds frameInterval) {
  std::lock_guard lock(mutex_);
  if (started_) return;
  started_ = true;
  window_ = window;
  interval_ = frameInterval;
  due_ = std::any_of(frames_.begin(), frames_.end(), [](const auto& f) { return f.has_value(); });
  thread_ = std::thread([this] { pace(); });
}

FramePacer::Batch FramePacer::takeBatch(Clock::time_point now) {
  // Taken entry by entry: the vector itself never changes, so post() may
  // check an index against its size without the lock.
  Batch batch(frames_.size());
  for (std::size_t i = 0; i < frames_.size(); ++i) batch[i] = std::exchange(frames_[i], std::nullopt);
  nextBatch_ = now + interval_;
  return batch;
}

// With the lock held, so batches reach the UI thread in the order taken.
void FramePacer::send(Batch batch) const {
  // Without an event loop (shutting down) the batch is dropped.
  ui::post([this, window = window_, batch = std::move(batch)] {
    if (!ui::Window::fromId(window)) return;
    for (std::size_t i = 0; i < batch.size(); ++i)
      if (batch[i]) apply_(i, *batch[i]);
  });
}

void FramePacer::post(std::size_t preview, Frame frame) {
  if (frame.empty() || preview >= frames_.size()) return;
  std::unique_lock lock(mutex_);
  frames_[preview] = std::move(frame);
  if (!started_ || due_) return;
  const auto now = Clock::now();
  if (now >= nextBatch_) {
    send(takeBatch(now));
    return;
  }
  due_ = true;
  lock.unlock();
  scheduled_.notify_one();
}

void FramePacer::pace() {
  std::unique_lock lock(mutex_);
  for (;;) {
    scheduled_.wait(lock, [this] { return stopping_ || due_; });
    if (scheduled_.wait_until(lock, nextBatch_, [this] { return stopping_; })) return;
    send(takeBatch(Clock::now()));
    due_ = false;
  }
}

}  // namespace varnacle::mouse
