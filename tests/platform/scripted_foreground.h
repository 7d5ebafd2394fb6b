#pragma once
// A foreground program that answers what the test sets; any thread.
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "platform/foreground_program.h"

namespace varnacle::platform::test {

class ScriptedForeground : public ForegroundProgram {
 public:
  void set(std::optional<std::string> path) {
    std::lock_guard lock(mutex_);
    path_ = std::move(path);
  }
  std::optional<std::string> path() override {
    std::lock_guard lock(mutex_);
    return path_;
  }

 private:
  std::mutex mutex_;
  std::optional<std::string> path_;
};

}  // namespace varnacle::platform::test
