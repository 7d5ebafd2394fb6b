#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/debug_output.h"
#include "platform/single_instance.h"

namespace varnacle::platform {

namespace {

std::string runtimeFolder() {
  if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir) return dir;
  return "/tmp";
}

bool fillAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

struct SingleInstance::Impl {
  std::string wakeMessage;
  std::string lockPath;
  std::string socketPath;
  int lockFd = -1;
  bool first = true;
  int listenFd = -1;
  int stopFd = -1;
  std::thread listener;

  void acceptLoop(const std::function<void()>& onWake) {
    pollfd fds[2] = {{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
      if (::poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (fds[1].revents) return;
      if (!(fds[0].revents & POLLIN)) continue;
      const int conn = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
      if (conn < 0) continue;
      // A wake-up is the message text; anything else (a stray connection, a
      // half-written message) is ignored. The read is bounded by a short poll.
      char buf[64] = {};
      std::size_t got = 0;
      pollfd in{conn, POLLIN, 0};
      while (got < sizeof buf - 1 && ::poll(&in, 1, 500) > 0) {
        const ssize_t n = ::read(conn, buf + got, sizeof buf - 1 - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
      }
      ::close(conn);
      if (std::string_view(buf, got) == wakeMessage) onWake();
    }
  }
};

SingleInstance::SingleInstance(std::string name, std::string wakeMessage, std::string folder)
    : impl_(std::make_unique<Impl>()) {
  if (folder.empty()) folder = runtimeFolder();
  const std::string stem = folder + "/" + name + "-" + std::to_string(::getuid());
  impl_->wakeMessage = std::move(wakeMessage);
  impl_->lockPath = stem + ".lock";
  impl_->socketPath = stem + ".sock";
  impl_->lockFd = ::open(impl_->lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (impl_->lockFd < 0) {
    debugOutput("instance lock cannot be created; running as first instance");
    return;
  }
  if (::flock(impl_->lockFd, LOCK_EX | LOCK_NB) != 0) impl_->first = false;
}

SingleInstance::~SingleInstance() {
  if (impl_->listener.joinable()) {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(impl_->stopFd, &one, sizeof one);
    impl_->listener.join();
  }
  if (impl_->listenFd >= 0) {
    ::close(impl_->listenFd);
    ::unlink(impl_->socketPath.c_str());
  }
  if (impl_->stopFd >= 0) ::close(impl_->stopFd);
  if (impl_->lockFd >= 0) ::close(impl_->lockFd);  // releases the lock
}

bool SingleInstance::isFirst() const { return impl_->first; }

void SingleInstance::listen(std::function<void()> onWake) {
  if (!impl_->first || impl_->listener.joinable()) return;
  sockaddr_un addr;
  if (!fillAddress(impl_->socketPath, addr)) return;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  // We hold the lock, so a socket file left here belongs to a dead instance.
  ::unlink(impl_->socketPath.c_str());
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0) {
    debugOutput("instance wake-up socket cannot be opened");
    ::close(fd);
    return;
  }
  impl_->listenFd = fd;
  impl_->stopFd = ::eventfd(0, EFD_CLOEXEC);
  if (impl_->stopFd < 0) {
    ::close(fd);
    impl_->listenFd = -1;
    return;
  }
  impl_->listener = std::thread([impl = impl_.get(), cb = std::move(onWake)] { impl->acceptLoop(cb); });
}

bool SingleInstance::wakeFirst() {
  sockaddr_un addr;
  if (!fillAddress(impl_->socketPath, addr)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  if (ok) {
    const std::string& m = impl_->wakeMessage;
    ok = ::write(fd, m.data(), m.size()) == static_cast<ssize_t>(m.size());
  }
  ::close(fd);
  return ok;
}

}  // namespace varnacle::platform
