#pragma once
// Turns the system's requests to end the program (SIGTERM, SIGINT, a session
// logout; console close events on Windows) into a call of the program's own,
// so it can shut down as if the user had chosen "exit" and keep every setting.
//
// Construct once, on the main thread, before any other thread starts (the
// signals are blocked for every thread created afterwards and received by one
// thread of this object's own). `onRequest` runs on that thread: hand the
// work to the UI thread. A second request while the first is being handled
// ends the program at once.
#include <functional>
#include <memory>

namespace varnacle::platform {

class TerminationWatch {
 public:
  explicit TerminationWatch(std::function<void()> onRequest);
  ~TerminationWatch();
  TerminationWatch(const TerminationWatch&) = delete;
  TerminationWatch& operator=(const TerminationWatch&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace varnacle::platform
