#pragma once
// One running copy of the program per user.
//
// The first instance owns the instance lock and listens for wake-ups; a second
// instance finds the lock taken, wakes the first and exits. On Linux the lock is
// a file lock and the wake-up travels over a local socket, both in the user's
// runtime folder; on Windows it is the named mutex and a registered message
// broadcast to all top-level windows.
//
// Construct and destroy on one thread (the UI thread). The wake handler runs on
// a background thread owned by this object: hand its work to the UI thread.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace varnacle::platform {

class SingleInstance {
 public:
  // `name` names the lock ("VELTORDRVER"); `wakeMessage` is the text of the
  // wake-up ("TALVORIN_001"). `folder` overrides the runtime folder (tests).
  SingleInstance(std::string name, std::string wakeMessage, std::string folder = {});
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process holds the lock. A lock that cannot be created at
  // all counts as first instance, so a broken runtime folder never stops the
  // program from starting.
  bool isFirst() const;

  // First instance: starts listening; `onWake` runs once per wake-up received.
  void listen(std::function<void()> onWake);

  // Second instance: wakes the first. False when it could not be reached.
  bool wakeFirst();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Second instance: wakes the first, trying again every 50 ms for `patience`
// while it cannot be reached. A first instance that is still starting holds
// the lock before it listens; a wake-up sent then would be lost.
inline bool wakeFirstWithin(SingleInstance& instance, std::chrono::milliseconds patience) {
  const auto end = std::chrono::steady_clock::now() + patience;
  while (!instance.wakeFirst()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace varnacle::platform
