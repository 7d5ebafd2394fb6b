#pragma once
// The program's 14 worker slots: each a manual-reset stop event and at most one
// thread. The main window owns one WorkerSlots for its lifetime.
//
// UI thread: start(), stopAll(). Workers: only their own stop event.
//
// Shutdown timeline (stopAll):
//   t=0       every stop event is set
//   t<=10 s   threads that end are joined as they end
//   t=10 s    the still-running ones are detached and named in the debug
//             output; the exit goes on without them
#include <array>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "platform/event.h"

namespace varnacle::platform {

enum class WorkerSlot : int {
  keyboardPresence = 0,
  mousePresence = 1,
  mousePadPresence = 2,
  mouseListener = 3,
  keyboardListener = 4,
  keyboardPreview = 5,
  mousePreview = 6,
  mousePadPreview = 7,
  combinedPreview = 8,
  keyboardLightingLink = 9,
  keyboardKeyLink = 10,
  mouseLightingLink = 11,
  mouseKeyLink = 12,
  mousePadLightingLink = 13,
};

inline constexpr int kWorkerSlotCount = 14;

// The line each slot's thread writes to the debug output when its stop event
// ends it, by slot number.
inline constexpr std::array<std::string_view, kWorkerSlotCount> kWorkerStopLines = {
    "键盘设备侦测线程设定退出",
    "鼠标设备侦测线程设定退出",
    "鼠标垫设备侦测线程设定退出",
    "鼠标同步线程设定测试退出",
    "键盘同步线程设定退出",
    "键盘灯光线程设定退出",
    "鼠标灯光线程设定退出",
    "鼠标垫灯光线程设定退出",
    "同步灯光线程设定退出",
    "键盘灯光进程侦测线程设定退出",
    "键盘按键进程侦测线程设定退出",
    "鼠标灯光进程侦测线程设定退出",
    "鼠标按键进程线程设定退出",
    "鼠标垫灯光进程侦测线程设定退出",
};

// The debug lines of the joint wait's outcome.
inline constexpr std::string_view kAllWorkersEnded = "所有对象处于激发状态\n";
inline constexpr std::string_view kWorkersTimedOut = "所有对象处于非激发状态，超时\n";

// Runs `pass` each time a 1 ms wait on `stop` times out, or, after a pass that
// itself took that long, while `stop` is not set: true when `stop` ended the
// loop, false when a pass returned false.
bool runPasses(const Event& stop, const std::function<bool()>& pass);

// The common loop of a worker thread (runPasses). A pass returns false to end
// the thread at once without the stop line (an enumeration failure); a set
// stop event ends it with the slot's stop line.
void runWorkerLoop(WorkerSlot slot, Event& stop, const std::function<bool()>& pass);

class WorkerSlots {
 public:
  WorkerSlots();
  ~WorkerSlots();  // stopAll() with the default deadline if still running
  WorkerSlots(const WorkerSlots&) = delete;
  WorkerSlots& operator=(const WorkerSlots&) = delete;

  Event& stopEvent(WorkerSlot slot);
  // Resets the slot's stop event and starts `body` in the slot (which must be
  // empty); it receives the slot's stop event.
  void start(WorkerSlot slot, std::function<void(Event& stop)> body);
  bool isRunning(WorkerSlot slot) const;
  // Whether any thread (also one left behind by stopAll) still runs.
  bool anyRunning() const;

  enum class Outcome { allEnded, timedOut };
  // Sets every stop event and waits for all started threads together, at most
  // `deadline`; writes the outcome line. Threads still running are detached.
  Outcome stopAll(std::chrono::milliseconds deadline = std::chrono::milliseconds(10000));

 private:
  // Shared with each thread, so a detached straggler never touches freed memory.
  struct Shared {
    std::mutex mutex;
    std::condition_variable ended;
    std::array<bool, kWorkerSlotCount> running{};
    std::array<Event, kWorkerSlotCount> stops;
  };
  std::shared_ptr<Shared> shared_;
  std::array<std::thread, kWorkerSlotCount> threads_;
  bool stopped_ = false;
};

}  // namespace varnacle::platform
