// wlroots compositors with the i3-compatible IPC: two connections to the
// socket, one subscribed to window and workspace events, one for layout tree
// requests.
//
//   start      connect both, subscribe, get_tree → the focused window's pid
//   query      read the events that came meanwhile (without waiting):
//                focus  → that window's pid
//                close, workspace focus → get_tree on this query
//              then /proc/PID/exe of the pid
//   flood      more than kEventsPerQuery waiting: subscribe afresh, get_tree
//   failure    (compositor gone, bad reply) both closed; unknown; the next
//              query connects again
//
// A reply is waited for at most kReplyLimit. Asks nothing that needs
// privileges: the socket is the user's own.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <mutex>

#include "platform/foreground_providers_linux.h"
#include "platform/sway_ipc.h"

namespace varnacle::platform {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kReplyLimit{1000};
constexpr int kEventsPerQuery = 256;

class Socket {
 public:
  Socket() = default;
  ~Socket() { close(); }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  bool connect(const std::string& path) {
    close();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      close();
      return false;
    }
    return true;
  }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  bool open() const { return fd_ >= 0; }

  // True when a message has begun to arrive (or the peer hung up).
  bool readable() const {
    pollfd p{fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
  }

  bool send(uint32_t type, std::string_view payload) {
    const std::string message = sway::encode(type, payload);
    size_t done = 0;
    while (done < message.size()) {
      const ssize_t n = ::send(fd_, message.data() + done, message.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  // One whole message, waited for until `deadline`.
  bool receive(sway::Header& header, std::string& payload, Clock::time_point deadline) {
    std::array<char, sway::kHeaderSize> head{};
    if (!readExactly(head.data(), head.size(), deadline)) return false;
    const auto h = sway::decodeHeader(head);
    if (!h) return false;
    header = *h;
    payload.assign(h->length, '\0');
    return readExactly(payload.data(), payload.size(), deadline);
  }

 private:
  bool readExactly(char* into, size_t size, Clock::time_point deadline) {
    size_t done = 0;
    while (done < size) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      pollfd p{fd_, POLLIN, 0};
      if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return false;
      const ssize_t n = ::read(fd_, into + done, size - done);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  int fd_ = -1;
};

class SwayForegroundProgram : public ForegroundProgram {
 public:
  explicit SwayForegroundProgram(std::string socket) : socket_(std::move(socket)) {}

  std::optional<std::string> path() override {
    std::lock_guard lock(mutex_);
    if (!events_.open() && !connect()) return std::nullopt;
    if (!follow() || (reload_ && !loadTree())) {
      disconnect();
      return std::nullopt;
    }
    return pid_ ? programOfProcess(*pid_) : std::nullopt;
  }

 private:
  bool connect() {
    if (!events_.connect(socket_) || !requests_.connect(socket_)) {
      disconnect();
      return false;
    }
    sway::Header header;
    std::string reply;
    const auto parsed = [&] {
      return events_.send(sway::kSubscribe, sway::kSubscription) &&
                     events_.receive(header, reply, Clock::now() + kReplyLimit) &&
                     header.type == sway::kSubscribe
                 ? json::parse(reply)
                 : std::nullopt;
    }();
    const json::Value* success = parsed ? parsed->member("success") : nullptr;
    if (!success || !success->isTrue()) {
      disconnect();
      return false;
    }
    reload_ = true;
    return true;
  }

  void disconnect() {
    events_.close();
    requests_.close();
    pid_.reset();
  }

  // The events that came since the last query. Past kEventsPerQuery of
  // them, a fresh subscription and the tree say where the focus is now.
  bool follow() {
    for (int n = 0; events_.readable(); ++n) {
      if (n == kEventsPerQuery) {
        disconnect();
        return connect();
      }
      sway::Header header;
      std::string payload;
      if (!events_.receive(header, payload, Clock::now() + kReplyLimit)) return false;
      const auto event = json::parse(payload);
      if (!event) return false;
      const sway::EventEffect effect = sway::eventEffect(header.type, *event);
      if (effect.kind == sway::EventEffect::Kind::focus) {
        pid_ = effect.pid;
        reload_ = false;
      } else if (effect.kind == sway::EventEffect::Kind::reload) {
        reload_ = true;
      }
    }
    return true;
  }

  bool loadTree() {
    sway::Header header;
    std::string reply;
    if (!requests_.send(sway::kGetTree, {}) ||
        !requests_.receive(header, reply, Clock::now() + kReplyLimit) ||
        header.type != sway::kGetTree)
      return false;
    const auto tree = json::parse(reply);
    if (!tree) return false;
    pid_ = sway::focusedPid(*tree);
    reload_ = false;
    return true;
  }

  std::mutex mutex_;
  const std::string socket_;
  Socket events_;
  Socket requests_;
  std::optional<int> pid_;
  bool reload_ = true;
};

}  // namespace

std::unique_ptr<ForegroundProgram> makeSwayForegroundProgram(std::string socket) {
  return std::make_unique<SwayForegroundProgram>(std::move(socket));
}

}  // namespace varnacle::platform
