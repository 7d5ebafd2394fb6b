#include "platform/input_hook.h"

namespace varnacle::platform {

uint32_t mouseButtonMessage(int button, bool pressed) {
  switch (button) {
    case 1: return pressed ? kMsgLeftDown : kMsgLeftUp;
    case 2: return pressed ? kMsgMiddleDown : kMsgMiddleUp;
    case 3: return pressed ? kMsgRightDown : kMsgRightUp;
    case 4:
    case 5: return pressed ? kMsgWheel : 0;
    case 6:
    case 7: return pressed ? kMsgHorizontalWheel : 0;
    case 8:
    case 9: return pressed ? kMsgSideDown : kMsgSideUp;
    default: return 0;
  }
}

bool SyntheticInputHook::install(HookMode mode, KeySink keys, MouseSink mouse) {
  std::lock_guard lock(mutex_);
  mode_ = HookMode::none;
  keys_ = {};
  mouse_ = {};
  if (mode == HookMode::none || (!keys && !mouse)) return false;
  if ((keys && refuseKeyboard_) || (mouse && refuseMouse_)) return false;
  mode_ = mode;
  keys_ = std::move(keys);
  mouse_ = std::move(mouse);
  return true;
}

void SyntheticInputHook::remove() {
  std::lock_guard lock(mutex_);
  mode_ = HookMode::none;
  keys_ = {};
  mouse_ = {};
}

HookMode SyntheticInputHook::mode() const {
  std::lock_guard lock(mutex_);
  return mode_;
}

bool SyntheticInputHook::desktopWide() const {
  std::lock_guard lock(mutex_);
  return desktopWide_;
}

bool SyntheticInputHook::deliver(const KeyEvent& event) {
  KeySink sink;
  {
    std::lock_guard lock(mutex_);
    if (!keys_ || passesToSystem(event.virtualKey)) return false;
    sink = keys_;
  }
  sink(event);
  return true;
}

bool SyntheticInputHook::deliverMouse(uint32_t mouseMessage) {
  MouseSink sink;
  {
    std::lock_guard lock(mutex_);
    if (!mouse_) return false;
    sink = mouse_;
  }
  sink(mouseMessage);
  return true;
}

void SyntheticInputHook::refuse(bool keyboard, bool mouse) {
  std::lock_guard lock(mutex_);
  refuseKeyboard_ = keyboard;
  refuseMouse_ = mouse;
}

void SyntheticInputHook::setDesktopWide(bool desktopWide) {
  std::lock_guard lock(mutex_);
  desktopWide_ = desktopWide;
}

bool SyntheticInputHook::keyboardInstalled() const {
  std::lock_guard lock(mutex_);
  return static_cast<bool>(keys_);
}

bool SyntheticInputHook::mouseInstalled() const {
  std::lock_guard lock(mutex_);
  return static_cast<bool>(mouse_);
}

bool FocusInputHook::windowKey(uint32_t nativeScanCode, uint32_t nativeVirtualKey, bool released,
                               bool autoRepeat, uint32_t time) {
  const std::optional<KeyEvent> event =
      nativeKeyEvent(nativeScanCode, nativeVirtualKey, released, time);
  if (!event) return keyboardInstalled();
  if (autoRepeat && released) return keyboardInstalled() && !passesToSystem(event->virtualKey);
  return deliver(*event);
}

void FocusInputHook::windowButton(int button, bool pressed) {
  if (const uint32_t message = mouseButtonMessage(button, pressed)) deliverMouse(message);
}

}  // namespace varnacle::platform
