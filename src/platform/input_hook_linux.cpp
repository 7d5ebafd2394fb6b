// The desktop-wide hook of an X11 session. Keys: the whole keyboard grabbed
// on the root window, so no other program receives them (the lock keys still
// toggle: the server keeps their state, whoever receives the event). Mouse
// buttons: XInput2 raw events on the root window, which every client may
// watch without taking the pointer from anyone. The grab belongs to the
// hook's own connection; if the program dies the server ends the connection
// and the grab with it.
//
// Each installation opens its connection and grabs on the UI thread, so
// install() can answer whether it worked; a reader thread then owns the
// connection until remove() stops it and releases everything.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "platform/input_hook.h"
#include "platform/x11_key_codes.h"

namespace varnacle::platform {

namespace {

// Another client may hold a grab for a moment (an open menu, a key being
// dragged); the grab is tried again for about this long.
constexpr int kGrabAttempts = 10;
constexpr auto kGrabRetryPause = std::chrono::milliseconds(20);

bool envSays(const char* name, std::string_view value) {
  const char* v = std::getenv(name);
  return v && value == v;
}

class X11InputHook : public InputHook {
 public:
  ~X11InputHook() override { remove(); }

  bool install(HookMode mode, KeySink keys, MouseSink mouse) override {
    remove();
    if (mode == HookMode::none || (!keys && !mouse)) return false;
    display_ = XOpenDisplay(nullptr);
    if (!display_) return false;
    const Window root = DefaultRootWindow(display_);
    bool ok = true;
    if (keys) ok = grabKeyboard(root);
    if (ok && mouse) ok = watchButtons(root);
    stopFd_ = ok ? eventfd(0, EFD_CLOEXEC) : -1;
    if (stopFd_ < 0) {
      release();
      return false;
    }
    XSync(display_, False);
    keys_ = std::move(keys);
    mouse_ = std::move(mouse);
    mode_ = mode;
    reader_ = std::thread([this] { read(); });
    return true;
  }

  void remove() override {
    if (reader_.joinable()) {
      const uint64_t one = 1;
      [[maybe_unused]] const ssize_t written = write(stopFd_, &one, sizeof one);
      reader_.join();
    }
    release();
    keys_ = {};
    mouse_ = {};
    mode_ = HookMode::none;
  }

  HookMode mode() const override { return mode_; }

 private:
  bool grabKeyboard(Window root) {
    // Typematic repeats come as presses alone, not as release-press pairs,
    // so the repeats can be told from new presses.
    XkbSetDetectableAutoRepeat(display_, True, nullptr);
    for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
      if (XGrabKeyboard(display_, root, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
          GrabSuccess) {
        grabbed_ = true;
        return true;
      }
      std::this_thread::sleep_for(kGrabRetryPause);
    }
    return false;
  }

  bool watchButtons(Window root) {
    int event = 0;
    int error = 0;
    if (!XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &error)) return false;
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(display_, &major, &minor) != Success) return false;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    return XISelectEvents(display_, root, &mask, 1) == Success;
  }

  void release() {
    if (display_) {
      if (grabbed_) XUngrabKeyboard(display_, CurrentTime);
      XCloseDisplay(display_);
    }
    display_ = nullptr;
    grabbed_ = false;
    if (stopFd_ >= 0) close(stopFd_);
    stopFd_ = -1;
  }

  // Reader thread: the connection's events until the stop event or the
  // connection's end.
  void read() {
    for (;;) {
      while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        handle(event);
      }
      pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {stopFd_, POLLIN, 0}};
      if (poll(fds, 2, -1) < 0) continue;
      if (fds[1].revents != 0) return;
      if (fds[0].revents & (POLLHUP | POLLERR)) return;
    }
  }

  void handle(XEvent& event) {
    if ((event.type == KeyPress || event.type == KeyRelease) && keys_) {
      const X11KeyRow* row = findX11Key(event.xkey.keycode);
      if (!row || passesToSystem(row->virtualKey)) return;
      uint32_t flags = row->extended ? kKeyFlagExtended : 0;
      if (event.type == KeyRelease) flags |= kKeyFlagReleased;
      if (event.xkey.state & Mod1Mask) flags |= kKeyFlagAltDown;
      keys_(KeyEvent{row->virtualKey, flags, row->scanCode,
                     static_cast<uint32_t>(event.xkey.time)});
      return;
    }
    if (event.type != GenericEvent || event.xcookie.extension != xiOpcode_ || !mouse_) return;
    if (!XGetEventData(display_, &event.xcookie)) return;
    const int type = event.xcookie.evtype;
    if (type == XI_RawButtonPress || type == XI_RawButtonRelease) {
      const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
      if (const uint32_t message = mouseButtonMessage(raw->detail, type == XI_RawButtonPress))
        mouse_(message);
    }
    XFreeEventData(display_, &event.xcookie);
  }

  Display* display_ = nullptr;
  bool grabbed_ = false;
  int xiOpcode_ = -1;
  int stopFd_ = -1;
  KeySink keys_;
  MouseSink mouse_;
  HookMode mode_ = HookMode::none;
  std::thread reader_;
};

}  // namespace

std::unique_ptr<InputHook> makeDesktopInputHook() {
  // A Wayland session's X server serves only the programs that use it: a
  // grab there would not keep keys from the others.
  if (envSays("XDG_SESSION_TYPE", "wayland") || std::getenv("WAYLAND_DISPLAY")) return nullptr;
  Display* probe = XOpenDisplay(nullptr);
  if (!probe) return nullptr;
  XCloseDisplay(probe);
  return std::make_unique<X11InputHook>();
}

std::optional<KeyEvent> nativeKeyEvent(uint32_t nativeScanCode, uint32_t, bool released,
                                       uint32_t time) {
  const X11KeyRow* row = findX11Key(nativeScanCode);
  if (!row) return std::nullopt;
  uint32_t flags = row->extended ? kKeyFlagExtended : 0;
  if (released) flags |= kKeyFlagReleased;
  return KeyEvent{row->virtualKey, flags, row->scanCode, time};
}

}  // namespace varnacle::platform
