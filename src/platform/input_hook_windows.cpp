// The desktop-wide hooks of Windows: low-level keyboard and mouse hooks. The
// system calls them on the thread that installed them (the UI thread) from
// its message loop. The keyboard hook swallows every key but the lock keys;
// the mouse hook only watches.
#include <windows.h>

#include "platform/input_hook.h"

namespace varnacle::platform {

namespace {

class WindowsInputHook;

// The low-level hook procedures have no context of their own: the one
// installed hook is kept here (UI thread only).
WindowsInputHook* installed = nullptr;

class WindowsInputHook : public InputHook {
 public:
  ~WindowsInputHook() override { remove(); }

  bool install(HookMode mode, KeySink keys, MouseSink mouse) override {
    remove();
    if (mode == HookMode::none || (!keys && !mouse)) return false;
    const HMODULE module = GetModuleHandleW(nullptr);
    keys_ = std::move(keys);
    mouse_ = std::move(mouse);
    installed = this;
    if (keys_) keyboardHook_ = SetWindowsHookExW(WH_KEYBOARD_LL, keyboardProc, module, 0);
    if (mouse_) mouseHook_ = SetWindowsHookExW(WH_MOUSE_LL, mouseProc, module, 0);
    if ((keys_ && !keyboardHook_) || (mouse_ && !mouseHook_)) {
      remove();
      return false;
    }
    mode_ = mode;
    return true;
  }

  void remove() override {
    if (keyboardHook_) UnhookWindowsHookEx(keyboardHook_);
    if (mouseHook_) UnhookWindowsHookEx(mouseHook_);
    keyboardHook_ = nullptr;
    mouseHook_ = nullptr;
    keys_ = {};
    mouse_ = {};
    mode_ = HookMode::none;
    if (installed == this) installed = nullptr;
  }

  HookMode mode() const override { return mode_; }

 private:
  static LRESULT CALLBACK keyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code != HC_ACTION || !installed || !installed->keys_)
      return CallNextHookEx(nullptr, code, wParam, lParam);
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const KeyEvent event{static_cast<uint16_t>(k->vkCode), static_cast<uint32_t>(k->flags),
                         static_cast<uint16_t>(k->scanCode), static_cast<uint32_t>(k->time)};
    if (passesToSystem(event.virtualKey)) return CallNextHookEx(nullptr, code, wParam, lParam);
    installed->keys_(event);
    return 1;
  }

  // Moves are not handed on: nothing records them, and there are many.
  static LRESULT CALLBACK mouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && installed && installed->mouse_ && wParam != WM_MOUSEMOVE)
      installed->mouse_(static_cast<uint32_t>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  HHOOK keyboardHook_ = nullptr;
  HHOOK mouseHook_ = nullptr;
  KeySink keys_;
  MouseSink mouse_;
  HookMode mode_ = HookMode::none;
};

}  // namespace

std::unique_ptr<InputHook> makeDesktopInputHook() {
  return std::make_unique<WindowsInputHook>();
}

// The toolkit gives the scan code with bit 8 for the extended keys.
std::optional<KeyEvent> nativeKeyEvent(uint32_t nativeScanCode, uint32_t nativeVirtualKey,
                                       bool released, uint32_t time) {
  if (nativeVirtualKey == 0 || nativeVirtualKey > 0xFF) return std::nullopt;
  uint32_t flags = (nativeScanCode & 0x100) ? kKeyFlagExtended : 0;
  if (released) flags |= kKeyFlagReleased;
  return KeyEvent{static_cast<uint16_t>(nativeVirtualKey), flags,
                  static_cast<uint16_t>(nativeScanCode & 0xFF), time};
}

}  // namespace varnacle::platform
