#pragma once
// The input hooks: a system-wide keyboard hook that the program installs for
// single-key capture (button and key assignment) and for macro recording.
// While a keyboard hook is installed every key event goes to its sink and is
// swallowed, except the lock keys (Num Lock, Caps Lock, Scroll Lock), which
// pass on to the system and never reach the sink.
//
// InputHook is what the pages use, whichever hook serves them.
// SyntheticInputHook takes its events from its caller (tests) and applies
// the same rules a system hook does.
//
// Threads: install() and remove() on the UI thread. A sink runs on the thread
// that delivers the event (the system's hook thread, or the caller of
// SyntheticInputHook::deliver) and must only hand the event on (post it to the
// UI thread); it may not call back into the hook.
#include <cstdint>
#include <functional>
#include <mutex>

namespace varnacle::platform {

// What an installed hook is for; the number is the one the hook messages
// carry. Only single-key capture for the mouse button page exists so far.
enum class HookMode : int {
  none = 0,
  mouseSingleKey = 16,
};

// Windows virtual-key codes of the keys that always pass on to the system.
inline constexpr uint16_t kVkCapsLock = 0x14;
inline constexpr uint16_t kVkNumLock = 0x90;
inline constexpr uint16_t kVkScrollLock = 0x91;

// The extended-key flag of a low-level keyboard event (the keypad Enter is
// Enter with it set); bit 7 is the release flag.
inline constexpr uint32_t kKeyFlagExtended = 0x01;
inline constexpr uint32_t kKeyFlagReleased = 0x80;

// One keyboard event as a low-level hook sees it.
struct KeyEvent {
  uint16_t virtualKey = 0;  // Windows virtual-key code
  uint32_t flags = 0;       // kKeyFlagExtended, kKeyFlagReleased
};

// True for the keys a keyboard hook lets through to the system.
constexpr bool passesToSystem(uint16_t virtualKey) {
  return virtualKey == kVkCapsLock || virtualKey == kVkNumLock || virtualKey == kVkScrollLock;
}

// A key event travels to the UI thread in one message parameter: the
// virtual-key code in bits 0-15, the flags in bits 16-23.
constexpr std::intptr_t packKeyEvent(const KeyEvent& e) {
  return static_cast<std::intptr_t>(e.virtualKey) |
         (static_cast<std::intptr_t>(e.flags & 0xFF) << 16);
}
constexpr KeyEvent unpackKeyEvent(std::intptr_t packed) {
  return KeyEvent{static_cast<uint16_t>(packed & 0xFFFF),
                  static_cast<uint32_t>((packed >> 16) & 0xFF)};
}

class InputHook {
 public:
  using KeySink = std::function<void(const KeyEvent&)>;

  virtual ~InputHook() = default;

  // Removes whatever hook is installed, then installs the keyboard hook in
  // `mode` with `sink`. False when the system refused the hook (nothing is
  // installed then).
  virtual bool installKeyboard(HookMode mode, KeySink sink) = 0;
  // Removes the installed hook, if any.
  virtual void remove() = 0;
  // The mode of the installed hook, HookMode::none without one.
  virtual HookMode mode() const = 0;
};

// A hook whose events come from deliver(). Any thread may deliver.
class SyntheticInputHook : public InputHook {
 public:
  bool installKeyboard(HookMode mode, KeySink sink) override;
  void remove() override;
  HookMode mode() const override;

  // One key event, as the system would give it to an installed hook: true
  // when the hook swallowed it (it went to the sink), false when it passes on
  // to the system (no hook installed, or a lock key).
  bool deliver(const KeyEvent& event);

 private:
  mutable std::mutex mutex_;
  HookMode mode_ = HookMode::none;
  KeySink sink_;
};

}  // namespace varnacle::platform
