#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/debug_output.h"
#include "platform/pointer_settings.h"

extern char** environ;

namespace varnacle::platform {

namespace {

// The first executable `name` in PATH, or "" when there is none.
std::string findOnPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  if (!path) return {};
  std::string_view rest(path);
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const std::string_view dir = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (dir.empty()) continue;
    std::string candidate = std::string(dir) + "/" + std::string(name);
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

// Runs `program` with its arguments and waits for it; no shell is involved.
bool runAndWait(const std::string& program, std::initializer_list<std::string> args) {
  std::vector<std::string> owned{program};
  owned.insert(owned.end(), args);
  std::vector<char*> argv;
  for (auto& a : owned) argv.push_back(a.data());
  argv.push_back(nullptr);
  // The program blocks its termination signals in every thread; the tool
  // must not inherit that mask.
  posix_spawnattr_t attr;
  if (::posix_spawnattr_init(&attr) != 0) return false;
  sigset_t none;
  sigemptyset(&none);
  ::posix_spawnattr_setsigmask(&attr, &none);
  ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
  ::posix_spawnattr_destroy(&attr);
  if (spawned != 0) return false;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

void applyPointerSpeed(int speed) {
  const std::string gsettings = findOnPath("gsettings");
  if (gsettings.empty()) {
    debugOutput("pointer speed " + std::to_string(clampPointerSpeed(speed)) +
                " kept in the record only: no desktop settings tool");
    return;
  }
  // 1..20 with 10 in the middle onto GNOME's -1..1 with 0 in the middle,
  // written with a decimal point whatever the user's locale says.
  const int tenths = clampPointerSpeed(speed) - 10;
  const std::string value = std::string(tenths < 0 ? "-" : "") +
                            std::to_string(std::abs(tenths) / 10) + "." +
                            std::to_string(std::abs(tenths) % 10) + "0";
  if (!runAndWait(gsettings, {"set", "org.gnome.desktop.peripherals.mouse", "speed", value}))
    debugOutput("pointer speed: gsettings refused " + value);
}

void applyWheelLines(int lines) {
  debugOutput("wheel lines " + std::to_string(clampWheelLines(lines)) +
              " kept in the record only: the desktop has no such setting");
}

}  // namespace varnacle::platform
