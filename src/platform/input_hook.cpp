#include "platform/input_hook.h"

namespace varnacle::platform {

bool SyntheticInputHook::installKeyboard(HookMode mode, KeySink sink) {
  std::lock_guard lock(mutex_);
  mode_ = sink && mode != HookMode::none ? mode : HookMode::none;
  sink_ = mode_ == HookMode::none ? KeySink{} : std::move(sink);
  return mode_ != HookMode::none;
}

void SyntheticInputHook::remove() {
  std::lock_guard lock(mutex_);
  mode_ = HookMode::none;
  sink_ = {};
}

HookMode SyntheticInputHook::mode() const {
  std::lock_guard lock(mutex_);
  return mode_;
}

bool SyntheticInputHook::deliver(const KeyEvent& event) {
  KeySink sink;
  {
    std::lock_guard lock(mutex_);
    if (mode_ == HookMode::none || passesToSystem(event.virtualKey)) return false;
    sink = sink_;
  }
  sink(event);
  return true;
}

}  // namespace varnacle::platform
