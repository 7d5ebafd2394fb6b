#include "platform/foreground_session.h"

#include <algorithm>
#include <cctype>

namespace varnacle::platform {

bool isWaylandSession(const DesktopSession& session) {
  if (session.sessionType == "wayland") return true;
  // A session manager that sets no type: the Wayland display tells.
  return session.sessionType != "x11" && session.waylandDisplay;
}

bool desktopNames(std::string_view desktop, std::string_view name) {
  const auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  };
  while (true) {
    const size_t end = desktop.find(':');
    const std::string_view part = desktop.substr(0, end);
    if (std::equal(part.begin(), part.end(), name.begin(), name.end(), same)) return true;
    if (end == std::string_view::npos) return false;
    desktop.remove_prefix(end + 1);
  }
}

ForegroundProvider chooseForegroundProvider(const DesktopSession& s) {
  if (isWaylandSession(s)) {
    if (s.swaySocket) return ForegroundProvider::sway;
    if (s.kwinOnBus || desktopNames(s.currentDesktop, "KDE")) return ForegroundProvider::kwin;
    if (s.gnomeShellOnBus || desktopNames(s.currentDesktop, "GNOME"))
      return ForegroundProvider::gnome;
    return ForegroundProvider::none;
  }
  return s.x11Display ? ForegroundProvider::x11 : ForegroundProvider::none;
}

}  // namespace varnacle::platform
