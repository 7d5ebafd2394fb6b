#include "mousepad/delayed_message.h"

#include "ui/dispatcher.h"

namespace varnacle::mousepad {

DelayedMessage::DelayedMessage(ui::WindowId window, std::uint32_t msg)
    : window_(window), msg_(msg), thread_([this] { run(); }) {}

DelayedMessage::~DelayedMessage() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_one();
  thread_.join();
}

void DelayedMessage::schedule(std::chrono::milliseconds delay) {
  {
    std::lock_guard lock(mutex_);
    due_ = std::chrono::steady_clock::now() + delay;
  }
  changed_.notify_one();
}

void DelayedMessage::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || due_; });
    if (stopping_) return;
    const auto due = *due_;
    // Woken early by a new schedule (a later time) or by the stop.
    if (changed_.wait_until(lock, due, [this, due] { return stopping_ || due_ != due; })) {
      if (stopping_) return;
      continue;
    }
    due_.reset();
    lock.unlock();
    // No event loop any more (shutting down): the message is dropped.
    ui::postMessage(window_, msg_);
    lock.lock();
  }
}

}  // namespace varnacle::mousepad
