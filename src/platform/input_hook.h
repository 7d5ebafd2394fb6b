#pragma once
// The input hooks: a system-wide keyboard hook and mouse hook that the
// program installs for single-key capture (button and key assignment) and
// for macro recording. While a keyboard hook is installed every key event
// goes to its sink and is swallowed, except the lock keys (Num Lock, Caps
// Lock, Scroll Lock), which pass on to the system and never reach the sink.
// A mouse hook only watches: every button event goes to its sink and on to
// the system.
//
// InputHook is what the program uses, whichever hook serves it:
// makeDesktopInputHook() gives the system's own (Windows low-level hooks, the
// X11 keyboard grab with XInput2 mouse events), FocusInputHook takes the
// toolkit's key events while the program's window has the focus, where the
// desktop lets no program catch keys meant for another, and
// SyntheticInputHook takes its events from its caller (tests). All of them
// apply the same rules.
//
// Threads: install() and remove() on the UI thread. A sink runs on the thread
// that delivers the event (the system's hook thread, or the caller of
// deliver) and must only hand the event on (post it to the UI thread); it may
// not call back into the hook.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace varnacle::platform {

// What an installed hook is for; the number is the one the hook messages
// carry.
enum class HookMode : int {
  none = 0,
  keyboardSingleKey = 1,
  keyboardHitKey = 2,
  keyboardMacro = 4,
  mouseSingleKey = 16,
  mouseHitKey = 32,
  mouseMacro = 64,
};

// Windows virtual-key codes of the keys that always pass on to the system.
inline constexpr uint16_t kVkCapsLock = 0x14;
inline constexpr uint16_t kVkNumLock = 0x90;
inline constexpr uint16_t kVkScrollLock = 0x91;

// The flags of a low-level keyboard event: extended key (the keypad Enter is
// Enter with it set), Alt held, released.
inline constexpr uint32_t kKeyFlagExtended = 0x01;
inline constexpr uint32_t kKeyFlagAltDown = 0x20;
inline constexpr uint32_t kKeyFlagReleased = 0x80;

// The event codes of a keyboard hook message.
inline constexpr uint32_t kMsgKeyDown = 0x0100;
inline constexpr uint32_t kMsgKeyUp = 0x0101;
inline constexpr uint32_t kMsgSysKeyDown = 0x0104;
inline constexpr uint32_t kMsgSysKeyUp = 0x0105;

// The mouse messages a mouse hook reports.
inline constexpr uint32_t kMsgMouseMove = 0x0200;
inline constexpr uint32_t kMsgLeftDown = 0x0201;
inline constexpr uint32_t kMsgLeftUp = 0x0202;
inline constexpr uint32_t kMsgRightDown = 0x0204;
inline constexpr uint32_t kMsgRightUp = 0x0205;
inline constexpr uint32_t kMsgMiddleDown = 0x0207;
inline constexpr uint32_t kMsgMiddleUp = 0x0208;
inline constexpr uint32_t kMsgWheel = 0x020A;
inline constexpr uint32_t kMsgSideDown = 0x020B;
inline constexpr uint32_t kMsgSideUp = 0x020C;
inline constexpr uint32_t kMsgHorizontalWheel = 0x020E;

// The mouse message of a button by its X11 number (1 left, 2 middle, 3
// right, 4–7 the wheels, 8 back, 9 forward): the press or release message, a
// wheel message for a press of 4–7; 0 for anything else.
uint32_t mouseButtonMessage(int button, bool pressed);

// One keyboard event as a low-level hook sees it.
struct KeyEvent {
  uint16_t virtualKey = 0;  // Windows virtual-key code
  uint32_t flags = 0;       // kKeyFlagExtended, kKeyFlagAltDown, kKeyFlagReleased
  uint16_t scanCode = 0;    // the key's set-1 scan code
  uint32_t time = 0;        // milliseconds, the system's event clock
};

// The event code a keyboard hook gives an event: key down or up, the system
// variants while Alt is held.
constexpr uint32_t keyEventCode(const KeyEvent& e) {
  const bool released = (e.flags & kKeyFlagReleased) != 0;
  if (e.flags & kKeyFlagAltDown) return released ? kMsgSysKeyUp : kMsgSysKeyDown;
  return released ? kMsgKeyUp : kMsgKeyDown;
}

// True for the keys a keyboard hook lets through to the system.
constexpr bool passesToSystem(uint16_t virtualKey) {
  return virtualKey == kVkCapsLock || virtualKey == kVkNumLock || virtualKey == kVkScrollLock;
}

class InputHook {
 public:
  using KeySink = std::function<void(const KeyEvent&)>;
  using MouseSink = std::function<void(uint32_t mouseMessage)>;

  virtual ~InputHook() = default;

  // Removes whatever hook is installed, then installs the keyboard hook when
  // `keys` is given and the mouse hook when `mouse` is given. False when the
  // system refused one of them; nothing is installed then, so no key is
  // swallowed for a capture that does not run.
  virtual bool install(HookMode mode, KeySink keys, MouseSink mouse) = 0;
  // Removes the installed hooks, if any.
  virtual void remove() = 0;
  // The mode of the installed hooks, HookMode::none without any.
  virtual HookMode mode() const = 0;
  // False where keys are caught only while the program's window has the
  // focus.
  virtual bool desktopWide() const { return true; }
};

// The system's desktop-wide hook, or null where the session offers none (no
// X server, a Wayland session). Opens no connection until install().
std::unique_ptr<InputHook> makeDesktopInputHook();

// The key event of a key the toolkit reports in the program's own window
// (its native scan code and virtual key as the toolkit gives them); none for
// a key no hook reports.
std::optional<KeyEvent> nativeKeyEvent(uint32_t nativeScanCode, uint32_t nativeVirtualKey,
                                       bool released, uint32_t time);

// A hook whose events come from deliver() and deliverMouse(). Any thread may
// deliver.
class SyntheticInputHook : public InputHook {
 public:
  bool install(HookMode mode, KeySink keys, MouseSink mouse) override;
  void remove() override;
  HookMode mode() const override;
  bool desktopWide() const override;

  // One key event, as the system would give it to an installed hook: true
  // when the hook swallowed it (it went to the sink), false when it passes on
  // to the system (no keyboard hook installed, or a lock key).
  bool deliver(const KeyEvent& event);
  // One mouse message: true when it went to an installed mouse hook's sink.
  // The system receives it either way.
  bool deliverMouse(uint32_t mouseMessage);

  // Tests: the system refuses the next keyboard (mouse) installations.
  void refuse(bool keyboard, bool mouse);
  // Tests: the hook stands for the focus-only fallback.
  void setDesktopWide(bool desktopWide);
  bool keyboardInstalled() const;
  bool mouseInstalled() const;

 protected:
  mutable std::mutex mutex_;
  HookMode mode_ = HookMode::none;
  KeySink keys_;
  MouseSink mouse_;
  bool refuseKeyboard_ = false;
  bool refuseMouse_ = false;
  bool desktopWide_ = true;
};

// Keys and mouse buttons from the program's own window, where no desktop-wide
// hook exists: the window layer hands each toolkit event to deliver(). The
// same rules as the system's hooks apply within the window.
class FocusInputHook : public SyntheticInputHook {
 public:
  FocusInputHook() { setDesktopWide(false); }
  // A key of the window, as the toolkit gives it: true when swallowed. The
  // releases of typematic repeats are swallowed without reaching the sink:
  // a system hook sees a held key as presses alone.
  bool windowKey(uint32_t nativeScanCode, uint32_t nativeVirtualKey, bool released,
                 bool autoRepeat, uint32_t time);
  // A mouse button of the window (numbered as for mouseButtonMessage); the
  // window receives it either way.
  void windowButton(int button, bool pressed);
};

}  // namespace varnacle::platform
