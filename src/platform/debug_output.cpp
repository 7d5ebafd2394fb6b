#include "platform/debug_output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace varnacle::platform {

struct DebugCapture::State {
  mutable std::mutex mutex;
  std::vector<std::string> lines;
};

namespace {

std::mutex& registryMutex() {
  static std::mutex m;
  return m;
}

std::vector<DebugCapture*>& captures() {
  static std::vector<DebugCapture*> list;
  return list;
}

bool toStderr() {
  static const bool enabled = std::getenv("VARNACLE_DEBUG") != nullptr;
  return enabled;
}

}  // namespace

void debugOutput(std::string_view line) {
  detail::writeToDebugger(line);
  if (toStderr()) std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  std::lock_guard lock(registryMutex());
  for (DebugCapture* c : captures()) c->record(line);
}

DebugCapture::DebugCapture() : state_(new State) {
  std::lock_guard lock(registryMutex());
  captures().push_back(this);
}

DebugCapture::~DebugCapture() {
  {
    std::lock_guard lock(registryMutex());
    auto& list = captures();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  delete state_;
}

void DebugCapture::record(std::string_view line) {
  std::lock_guard lock(state_->mutex);
  state_->lines.emplace_back(line);
}

std::vector<std::string> DebugCapture::lines() const {
  std::lock_guard lock(state_->mutex);
  return state_->lines;
}

int DebugCapture::count(std::string_view line) const {
  std::lock_guard lock(state_->mutex);
  return static_cast<int>(std::count(state_->lines.begin(), state_->lines.end(), line));
}

}  // namespace varnacle::platform
