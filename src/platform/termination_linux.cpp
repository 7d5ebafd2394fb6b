#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "platform/termination.h"

namespace varnacle::platform {

struct TerminationWatch::Impl {
  int signalFd = -1;
  int stopFd = -1;
  std::thread thread;
};

TerminationWatch::TerminationWatch(std::function<void()> onRequest) : impl_(std::make_unique<Impl>()) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  // Threads created from now on inherit the mask, so only the signalfd sees them.
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  impl_->signalFd = signalfd(-1, &set, SFD_CLOEXEC);
  impl_->stopFd = eventfd(0, EFD_CLOEXEC);
  if (impl_->signalFd < 0 || impl_->stopFd < 0) {
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    return;
  }
  impl_->thread = std::thread([impl = impl_.get(), cb = std::move(onRequest)] {
    int requests = 0;
    pollfd fds[2] = {{impl->signalFd, POLLIN, 0}, {impl->stopFd, POLLIN, 0}};
    for (;;) {
      if (::poll(fds, 2, -1) < 0) continue;
      if (fds[1].revents) return;
      signalfd_siginfo info;
      if (::read(impl->signalFd, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
      if (++requests > 1) std::_Exit(1);
      cb();
    }
  });
}

TerminationWatch::~TerminationWatch() {
  if (impl_->thread.joinable()) {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(impl_->stopFd, &one, sizeof one);
    impl_->thread.join();
  }
  if (impl_->signalFd >= 0) ::close(impl_->signalFd);
  if (impl_->stopFd >= 0) ::close(impl_->stopFd);
}

}  // namespace varnacle::platform
