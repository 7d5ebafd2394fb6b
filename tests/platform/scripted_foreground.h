#pragma once
// A foreground program that answers what the test sets (the path, and
// whether this desktop can tell it); any thread.
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
  void setSupport(ForegroundSupport support) {
    std::lock_guard lock(mutex_);
    support_ = support;
  }
  std::optional<std::string> path() override {
    std::lock_guard lock(mutex_);
    return path_;
  }
  ForegroundSupport support() override {
    std::lock_guard lock(mutex_);
    return support_;
  }

 private:
  std::mutex mutex_;
  std::optional<std::string> path_;
  ForegroundSupport support_ = ForegroundSupport::answers;
};

}  // namespace varnacle::platform::test
