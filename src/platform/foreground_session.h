#pragma once
// Which provider can tell the foreground program in the desktop session the
// program runs in, chosen once at start from what the session shows.
//
//   session                                   provider
//   Wayland with an i3-compatible IPC socket  sway      (compositor IPC)
//   Wayland, KDE Plasma (KWin)                kwin      (script over D-Bus)
//   Wayland, GNOME Shell                      gnome     (shell extension over D-Bus)
//   other Wayland desktops                    none      (links cannot work)
//   X11                                       x11       (_NET_ACTIVE_WINDOW)
//   no display                                none
//
// Under Wayland the X11 provider is not taken even where Xwayland runs: it
// would know only the X11 windows and keep naming the last of them while a
// Wayland window is in front. The Wayland providers answer for Xwayland
// windows too (the compositor knows their process).
//
// Plain C++; any thread.
#include <string>
#include <string_view>

namespace varnacle::platform {

enum class ForegroundProvider { x11, sway, kwin, gnome, none };

struct DesktopSession {
  std::string sessionType;       // XDG_SESSION_TYPE ("wayland", "x11", "tty", or empty)
  std::string currentDesktop;    // XDG_CURRENT_DESKTOP, names separated by ':'
  bool waylandDisplay = false;   // WAYLAND_DISPLAY set
  bool x11Display = false;       // DISPLAY set
  bool swaySocket = false;       // SWAYSOCK set
  bool kwinOnBus = false;        // the session bus has "org.kde.KWin"
  bool gnomeShellOnBus = false;  // the session bus has "org.gnome.Shell"
};

// True when the session is a Wayland one.
bool isWaylandSession(const DesktopSession& session);
// True when `desktop` (a ':'-separated list) names `name`, without regard to case.
bool desktopNames(std::string_view desktop, std::string_view name);

ForegroundProvider chooseForegroundProvider(const DesktopSession& session);

}  // namespace varnacle::platform
