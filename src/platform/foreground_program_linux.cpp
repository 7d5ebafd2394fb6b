// The provider of the desktop session (foreground_session.h), and the X11
// one: _NET_ACTIVE_WINDOW of the root window → _NET_WM_PID of that window →
// the link /proc/PID/exe. Without an X display the X11 provider answers
// unknown.
//
// One connection of our own, opened at the first query, used under a mutex.
// A window that goes away between the two reads raises an X error; the
// program-wide handler (X11 has only one) ignores errors of this connection
// and hands every other one to the handler that was installed before it.
//
// Cost of a query: one property read, a second one only when the active
// window changed, one readlink.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>

#include "platform/folders.h"
#include "platform/foreground_providers_linux.h"
#include "platform/foreground_session.h"

namespace varnacle::platform {

namespace {

std::atomic<Display*> ourDisplay{nullptr};
XErrorHandler previousHandler = nullptr;

int ignoreOurErrors(Display* display, XErrorEvent* event) {
  if (display == ourDisplay.load()) return 0;
  return previousHandler ? previousHandler(display, event) : 0;
}

class X11ForegroundProgram : public ForegroundProgram {
 public:
  ~X11ForegroundProgram() override {
    if (display_) {
      ourDisplay = nullptr;
      XCloseDisplay(display_);
    }
  }

  std::optional<std::string> path() override {
    std::lock_guard lock(mutex_);
    if (!open()) return std::nullopt;
    const auto active = windowProperty(DefaultRootWindow(display_), activeWindow_, XA_WINDOW);
    if (!active || *active == 0) return std::nullopt;
    if (*active != lastWindow_) {
      const auto pid = windowProperty(static_cast<Window>(*active), wmPid_, XA_CARDINAL);
      lastWindow_ = static_cast<Window>(*active);
      lastPid_ = pid.value_or(0);
    }
    if (lastPid_ == 0) return std::nullopt;
    return programOfProcess(static_cast<long>(lastPid_));
  }

 private:
  // Opens the display once; false (for good) when there is none.
  bool open() {
    if (tried_) return display_ != nullptr;
    tried_ = true;
    display_ = XOpenDisplay(nullptr);
    if (!display_) return false;
    ourDisplay = display_;
    previousHandler = XSetErrorHandler(ignoreOurErrors);
    activeWindow_ = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
    wmPid_ = XInternAtom(display_, "_NET_WM_PID", False);
    return true;
  }

  // The first 32-bit item of a window's property of `type`.
  std::optional<unsigned long> windowProperty(Window window, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display_, window, property, 0, 1, False, type,
                                          &actualType, &format, &items, &after, &data);
    std::optional<unsigned long> value;
    if (status == Success && data && actualType == type && format == 32 && items >= 1)
      value = *reinterpret_cast<const unsigned long*>(data);
    if (data) XFree(data);
    return value;
  }

  std::mutex mutex_;
  bool tried_ = false;
  Display* display_ = nullptr;
  Atom activeWindow_ = None;
  Atom wmPid_ = None;
  Window lastWindow_ = 0;
  unsigned long lastPid_ = 0;
};

// Where nothing can tell.
class UnsupportedForegroundProgram : public ForegroundProgram {
 public:
  std::optional<std::string> path() override { return std::nullopt; }
  ForegroundSupport support() override { return ForegroundSupport::notOnThisDesktop; }
};

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

std::optional<std::string> programOfProcess(long pid) {
  if (pid <= 0) return std::nullopt;
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  std::array<char, 4096> target{};
  const ssize_t n = readlink(link.c_str(), target.data(), target.size());
  if (n <= 0 || static_cast<size_t>(n) >= target.size()) return std::nullopt;
  return std::string(target.data(), static_cast<size_t>(n));
}

std::unique_ptr<ForegroundProgram> makeX11ForegroundProgram() {
  return std::make_unique<X11ForegroundProgram>();
}

std::unique_ptr<ForegroundProgram> makeForegroundProgram() {
  DesktopSession session;
  session.sessionType = environment("XDG_SESSION_TYPE");
  session.currentDesktop = environment("XDG_CURRENT_DESKTOP");
  session.waylandDisplay = isSet("WAYLAND_DISPLAY");
  session.x11Display = isSet("DISPLAY");
  session.swaySocket = isSet("SWAYSOCK");
  // The bus is asked only where its answer can matter.
  if (isWaylandSession(session) && !session.swaySocket) {
    session.kwinOnBus = sessionBusHasName("org.kde.KWin");
    session.gnomeShellOnBus = sessionBusHasName("org.gnome.Shell");
  }
  switch (chooseForegroundProvider(session)) {
    case ForegroundProvider::x11: return makeX11ForegroundProgram();
    case ForegroundProvider::sway: return makeSwayForegroundProgram(environment("SWAYSOCK"));
    case ForegroundProvider::kwin:
      return makeKWinForegroundProgram(resourceFolder() / "kwin" / "foreground.js");
    case ForegroundProvider::gnome: return makeGnomeForegroundProgram();
    case ForegroundProvider::none: break;
  }
  return std::make_unique<UnsupportedForegroundProgram>();
}

// Programs here carry no extension: the dialog lists every file.
ProgramDialogFilter programDialogFilter() {
  return {"", "", "(*) | *||"};
}

bool isProgramFile(const std::string& path) {
  struct stat s {};
  return stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace varnacle::platform
