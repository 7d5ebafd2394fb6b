#pragma once
// A manual-reset event: the stop signal of worker threads and the abort signal
// of waits. Any thread may set, reset or wait.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace varnacle::platform {

class Event {
 public:
  void set() {
    {
      std::lock_guard lock(mutex_);
      signalled_ = true;
    }
    cv_.notify_all();
  }

  void reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
  }

  bool isSet() const {
    std::lock_guard lock(mutex_);
    return signalled_;
  }

  // True when the event is (or becomes) set within `timeout`.
  bool wait(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, timeout, [this] { return signalled_; });
  }

  // Waits until the event is set (true) or `woken()` holds (false), with no
  // time limit. `woken` is looked at first and after every wake(): whoever
  // changes what it reads calls wake() afterwards.
  template <class Woken>
  bool waitUntil(Woken woken) const {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return signalled_ || woken(); });
    return signalled_;
  }

  void wake() const {
    std::lock_guard lock(mutex_);
    cv_.notify_all();
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  bool signalled_ = false;
};

}  // namespace varnacle::platform
