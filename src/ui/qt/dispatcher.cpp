// Handing work to the UI thread through the toolkit's event queue.
//
//   worker  send(job) ─┬─ queued ─────────── UI runs job ── Done ─► true
//                      └─ waits on the state; beginShutdown() while the job is
//                         still queued marks it Abandoned ─► false (never runs)
#include "ui/dispatcher.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace varnacle::ui {

namespace {

struct Shared {
  std::mutex mutex;
  std::condition_variable changed;
  bool shutdown = false;
  std::thread::id uiThread;
};

Shared& shared() {
  static Shared s;
  return s;
}

enum class Status { Pending, Running, Done, Abandoned };

}  // namespace

void markUiThread() {
  std::lock_guard lock(shared().mutex);
  shared().uiThread = std::this_thread::get_id();
}

void endShutdown() {
  std::lock_guard lock(shared().mutex);
  shared().shutdown = false;
}

bool onUiThread() {
  std::lock_guard lock(shared().mutex);
  return shared().uiThread == std::this_thread::get_id();
}

bool post(std::function<void()> job) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || !job) return false;
  // The toolkit's queue has its own lock; ours also makes the order of posts
  // from different threads the order in which they took it. The UI thread
  // takes it too before it touches the job, so the hand-over of the job is
  // visible to the thread checkers of the sanitizer builds, which cannot see
  // inside the toolkit's queue.
  static std::mutex queueing;
  std::lock_guard lock(queueing);
  return QMetaObject::invokeMethod(
      app,
      [job = std::move(job)] {
        { std::lock_guard handedOver(queueing); }
        job();
      },
      Qt::QueuedConnection);
}

bool send(std::function<void()> job) {
  if (!job) return false;
  if (onUiThread()) {
    job();
    return true;
  }
  Shared& s = shared();
  {
    std::lock_guard lock(s.mutex);
    if (s.shutdown) return false;
  }
  auto status = std::make_shared<Status>(Status::Pending);
  // The job is borrowed from this frame: it runs only while the sender waits.
  const bool queued = post([status, &job, &s] {
    {
      std::lock_guard lock(s.mutex);
      if (*status == Status::Abandoned) return;
      *status = Status::Running;
    }
    job();
    {
      std::lock_guard lock(s.mutex);
      *status = Status::Done;
    }
    s.changed.notify_all();
  });
  if (!queued) return false;
  std::unique_lock lock(s.mutex);
  s.changed.wait(
      lock, [&] { return *status == Status::Done || (s.shutdown && *status == Status::Pending); });
  if (*status == Status::Done) return true;
  *status = Status::Abandoned;
  return false;
}

bool postMessage(WindowId target, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  return post([=] {
    if (Window* w = Window::fromId(target)) w->sendMessage(msg, wParam, lParam);
  });
}

std::optional<std::intptr_t> sendMessage(WindowId target, std::uint32_t msg, std::uintptr_t wParam,
                                         std::intptr_t lParam) {
  std::optional<std::intptr_t> result;
  const bool ran = send([&] {
    if (Window* w = Window::fromId(target)) result = w->sendMessage(msg, wParam, lParam);
  });
  return ran ? result : std::nullopt;
}

void beginShutdown() {
  {
    std::lock_guard lock(shared().mutex);
    shared().shutdown = true;
  }
  shared().changed.notify_all();
}

bool shutdownBegun() {
  std::lock_guard lock(shared().mutex);
  return shared().shutdown;
}

}  // namespace varnacle::ui
