#include "device/hidraw_writer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/debug_output.h"

namespace varnacle::device {

namespace {

using Clock = std::chrono::steady_clock;

void setEvent(int fd) {
  const uint64_t one = 1;
  while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void clearEvent(int fd) {
  uint64_t count = 0;
  while (::read(fd, &count, sizeof count) < 0 && errno == EINTR) {
  }
}

bool isSet(int fd) {
  pollfd event = {fd, POLLIN, 0};
  return ::poll(&event, 1, 0) > 0;
}

// One whole report on the node, however long the kernel holds it. A node
// opened without blocking that cannot take the report now is waited for
// until it can, or until the writer goes away.
IoResult writeWhole(const NodeWrite& nodeWrite, int fd, int quitFd,
                    std::span<const uint8_t> report) {
  for (;;) {
    const ssize_t n = nodeWrite(fd, report.data(), report.size());
    if (n >= 0) return std::size_t(n) == report.size() ? IoResult::ok : IoResult::failed;
    if (errno == EINTR) continue;
    if (errno != EAGAIN)
      return errno == ENODEV || errno == EIO || errno == EPIPE ? IoResult::gone : IoResult::failed;
    pollfd fds[2] = {{fd, POLLOUT, 0}, {quitFd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return IoResult::failed;
    }
    if (fds[1].revents) return IoResult::aborted;
    if (!(fds[0].revents & POLLOUT) && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)))
      return IoResult::gone;
  }
}

}  // namespace

struct HidrawWriter::State {
  ~State() {
    for (const int f : {fd, doneFd, quitFd})
      if (f >= 0) ::close(f);
  }

  int fd = -1;      // the writer's own duplicate of the node's file
  int doneFd = -1;  // set by the thread when a write has ended
  int quitFd = -1;  // set when the writer goes away
  NodeWrite nodeWrite;

  std::mutex mutex;
  std::condition_variable wake;
  std::vector<uint8_t> report;
  bool posted = false;              // `report` waits for the thread
  bool busy = false;                // posted, or in the thread's write
  bool quit = false;                // the writer went away: write nothing more
  IoResult outcome = IoResult::ok;  // of the last write that ended
};

void HidrawWriter::run(std::shared_ptr<State> s) {
  std::unique_lock lock(s->mutex);
  for (;;) {
    s->wake.wait(lock, [&] { return s->posted || s->quit; });
    // A report handed over just before the writer went away stays unwritten.
    if (s->quit) return;
    s->posted = false;
    const std::vector<uint8_t> report = std::move(s->report);
    lock.unlock();
    const IoResult outcome = writeWhole(s->nodeWrite, s->fd, s->quitFd, report);
    lock.lock();
    s->outcome = outcome;
    s->busy = false;
    setEvent(s->doneFd);
  }
}

HidrawWriter::HidrawWriter(int fd, NodeWrite nodeWrite) : state_(std::make_shared<State>()) {
  state_->nodeWrite = std::move(nodeWrite);
  state_->fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  state_->doneFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  state_->quitFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

HidrawWriter::~HidrawWriter() {
  bool blocked = false;
  {
    std::lock_guard lock(state_->mutex);
    state_->quit = true;
    blocked = state_->busy && !state_->posted;
  }
  if (state_->quitFd >= 0) setEvent(state_->quitFd);
  state_->wake.notify_all();
  if (!thread_.joinable()) return;
  if (!blocked) {
    thread_.join();
    return;
  }
  // The thread holds the state and the file's duplicate, and ends as soon as
  // the kernel returns its write.
  platform::debugOutput(
      "hidraw: a write still waits in the kernel after its connection closed; "
      "its thread ends when the write returns");
  thread_.detach();
}

IoResult HidrawWriter::write(std::span<const uint8_t> report, Clock::time_point deadline,
                             int abortFd) {
  State& s = *state_;
  if (s.fd < 0 || s.doneFd < 0 || s.quitFd < 0) return IoResult::failed;
  if (isSet(abortFd)) return IoResult::aborted;
  {
    std::lock_guard lock(s.mutex);
    if (s.busy) return IoResult::failed;  // an earlier write still waits in the kernel
    if (s.outcome == IoResult::gone) return IoResult::gone;
    if (!thread_.joinable()) {
      try {
        thread_ = std::thread(run, state_);
      } catch (const std::system_error&) {
        platform::debugOutput("hidraw: no thread for the writes of a connection");
        return IoResult::failed;
      }
    }
    clearEvent(s.doneFd);
    s.report.assign(report.begin(), report.end());
    s.posted = true;
    s.busy = true;
  }
  s.wake.notify_one();

  const IoResult ended = waitReady(s.doneFd, POLLIN, abortFd, deadline);
  if (ended != IoResult::ok) return ended;
  std::lock_guard lock(s.mutex);
  return s.outcome;
}

IoResult waitReady(int fd, short events, int abortFd, Clock::time_point deadline) {
  for (;;) {
    pollfd fds[2] = {{fd, events, 0}, {abortFd, POLLIN, 0}};
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    const int timeout = int(std::clamp<int64_t>(left.count(), 0, 24 * 3600 * 1000));
    const int r = ::poll(fds, 2, timeout);
    if (r < 0) {
      if (errno == EINTR) continue;
      return IoResult::failed;
    }
    if (fds[1].revents) return IoResult::aborted;
    if (fds[0].revents & events) return IoResult::ok;
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return IoResult::gone;
    if (r == 0 || Clock::now() >= deadline) return IoResult::timeout;
  }
}

}  // namespace varnacle::device
