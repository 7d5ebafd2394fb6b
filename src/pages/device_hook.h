#pragma once
// CDeviceHook: the program's one holder of the input hooks, owned by the main
// window (its destruction removes them). It installs the system's hooks in a
// HookMode and turns each event into the mode's message to the target
// window, handled on the UI thread in the order the events came:
//
//   mode  keyboard event                   mouse event
//   1     kHookKeySingleKey (0x801)        –
//   2     kHookKeyKbHitKey (0x802)         –
//   4     kHookKeyMacro (0x803)            kHookKeyMouseEvent (0x804)
//   16    kHookMouSingleKey (0x810)        –
//   32    kHookMouHitKey (0x811)           –
//   64    kHookMouMacro (0x812)            kHookMouMouseEvent (0x813)
//
// A keyboard message carries the event code (kMsgKeyDown and the others) as
// first parameter and the address of the platform::KeyEvent as second, valid
// while the handler runs; a mouse message carries the mouse message number as
// first parameter.
//
// Only one capture or recording is installed at a time: each installation
// replaces the one before.
//
// UI thread only.
#include <cstdint>
#include <string_view>

#include "pages/page_messages.h"
#include "platform/input_hook.h"
#include "ui/dispatcher.h"
#include "ui/window.h"

namespace varnacle::pages {

// What a page says, once, when keys are caught only inside the program's
// window.
inline constexpr std::string_view kFocusOnlyCaptureText = "message_text_22";

// The messages of a mode; 0 where the mode has none.
constexpr std::uint32_t keyboardHookMessage(platform::HookMode mode) {
  switch (mode) {
    case platform::HookMode::keyboardSingleKey: return msg::kHookKeySingleKey;
    case platform::HookMode::keyboardHitKey: return msg::kHookKeyKbHitKey;
    case platform::HookMode::keyboardMacro: return msg::kHookKeyMacro;
    case platform::HookMode::mouseSingleKey: return msg::kHookMouSingleKey;
    case platform::HookMode::mouseHitKey: return msg::kHookMouHitKey;
    case platform::HookMode::mouseMacro: return msg::kHookMouMacro;
    case platform::HookMode::none: break;
  }
  return 0;
}
constexpr std::uint32_t mouseHookMessage(platform::HookMode mode) {
  if (mode == platform::HookMode::keyboardMacro) return msg::kHookKeyMouseEvent;
  if (mode == platform::HookMode::mouseMacro) return msg::kHookMouMouseEvent;
  return 0;
}

class CDeviceHook {
 public:
  CDeviceHook() = default;
  ~CDeviceHook() { remove(); }
  CDeviceHook(const CDeviceHook&) = delete;
  CDeviceHook& operator=(const CDeviceHook&) = delete;

  // The system's hooks the holder installs; null where there are none (every
  // installation then fails). Must outlive the holder.
  void attach(platform::InputHook* hook) {
    remove();
    hook_ = hook;
  }

  // Removes any installed hook, then installs the keyboard hook when
  // `keyboard` is set and the mouse hook when `mouse` is set, for `target`
  // in `mode`. 1 when installed (mode and target are stored), 0 when an
  // installation failed (nothing is installed then, nothing stored).
  int install(platform::HookMode mode, ui::WindowId target, bool keyboard, bool mouse) {
    remove();
    if (!hook_) return 0;
    platform::InputHook::KeySink keys;
    if (keyboard && keyboardHookMessage(mode) != 0) {
      keys = [target, message = keyboardHookMessage(mode)](const platform::KeyEvent& event) {
        ui::post([target, message, event] {
          if (ui::Window* w = ui::Window::fromId(target))
            w->sendMessage(message, platform::keyEventCode(event),
                           reinterpret_cast<std::intptr_t>(&event));
        });
      };
    }
    platform::InputHook::MouseSink mouseSink;
    if (mouse && mouseHookMessage(mode) != 0) {
      mouseSink = [target, message = mouseHookMessage(mode)](std::uint32_t mouseMessage) {
        ui::postMessage(target, message, mouseMessage, 0);
      };
    }
    if (!hook_->install(mode, std::move(keys), std::move(mouseSink))) return 0;
    mode_ = mode;
    target_ = target;
    return 1;
  }

  // Removes both hooks.
  void remove() {
    if (hook_) hook_->remove();
    mode_ = platform::HookMode::none;
    target_ = 0;
  }

  platform::HookMode mode() const { return mode_; }
  ui::WindowId target() const { return target_; }
  // A macro recording holds the hooks (modes 4 and 64).
  bool recording() const {
    return mode_ == platform::HookMode::keyboardMacro || mode_ == platform::HookMode::mouseMacro;
  }
  // True the first time a capture starts where keys are caught only inside
  // the program's window: the page tells the user, once.
  bool takeFocusOnlyNotice() {
    if (!hook_ || hook_->desktopWide() || focusOnlyTold_) return false;
    focusOnlyTold_ = true;
    return true;
  }

 private:
  platform::InputHook* hook_ = nullptr;
  platform::HookMode mode_ = platform::HookMode::none;
  ui::WindowId target_ = 0;
  bool focusOnlyTold_ = false;
};

}  // namespace varnacle::pages
