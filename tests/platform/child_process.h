#pragma once
// Helpers of the tests that run desktop services of their own (a compositor,
// a bus, clients): programs looked up in PATH, children that are always
// ended, and waiting with a generous deadline instead of sleeping.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace varnacle::platform::test {

inline std::optional<std::filesystem::path> findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = folders.find(':', start);
    const std::filesystem::path candidate =
        std::filesystem::path(folders.substr(start, end - start)) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return std::nullopt;
}

// Calls `done` until it is true or `limit` has passed.
inline bool waitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// A child process, ended (SIGTERM, SIGKILL after 3 s) and reaped when the
// object goes.
class Child {
 public:
  struct Options {
    std::map<std::string, std::string> environment;  // set in the child
    std::vector<std::string> unset;                  // removed in the child
    std::filesystem::path log;                       // stdout and stderr, when given
    // Run as this user and group, without supplementary groups.
    std::optional<std::pair<uid_t, gid_t>> user;
  };

  Child() = default;
  Child(const std::vector<std::string>& argv, const Options& options) {
    pid_ = fork();
    if (pid_ != 0) return;
    for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
    for (const auto& name : options.unset) unsetenv(name.c_str());
    if (!options.log.empty()) {
      const int fd = open(options.log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      if (fd >= 0) {
        dup2(fd, 1);
        dup2(fd, 2);
        close(fd);
      }
    }
    if (options.user && (setgroups(0, nullptr) != 0 || setgid(options.user->second) != 0 ||
                         setuid(options.user->first) != 0))
      _exit(126);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  ~Child() { end(); }
  Child(Child&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }
  Child& operator=(Child&& other) noexcept {
    if (this != &other) {
      end();
      pid_ = other.pid_;
      other.pid_ = -1;
    }
    return *this;
  }

  pid_t pid() const { return pid_; }

  void end() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    if (!waitFor([this] { return waitpid(pid_, nullptr, WNOHANG) != 0; },
                 std::chrono::seconds(3))) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

// A fresh folder, removed with everything in it when the object goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& prefix) {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            (prefix + std::to_string(seed()) + "-" + std::to_string(seed()));
    std::filesystem::create_directories(path_);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace varnacle::platform::test
