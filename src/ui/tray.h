#pragma once
// The notification-area icon of a window. Clicks reach the owner as message
// kTrayMessage with lParam the mouse message (kTrayLeftButtonUp,
// kTrayRightButtonUp).
//
// Where the desktop offers a StatusNotifier host on D-Bus the toolkit shows
// the icon there, else in an X11 system tray. The icon is shown whether or
// not a tray exists yet, so one that starts later (a panel or desktop
// extension loaded after the program) still gets it.
//
// UI thread only.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace varnacle::ui {

class Window;

inline constexpr std::uint32_t kTrayMessage = 0x0401;  // WM_USER + 1
inline constexpr std::intptr_t kTrayLeftButtonUp = 0x0202;
inline constexpr std::intptr_t kTrayRightButtonUp = 0x0205;

class TrayIcon {
 public:
  TrayIcon();
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // CreateTrayIcon: shows the icon (skin-relative image) with its tip, bound to
  // `owner`. Replaces an earlier icon of this object.
  void create(Window& owner, std::string_view iconFile, std::string_view tip);
  // DeleteTrayIcon.
  void remove();
  bool isCreated() const;
  void setTip(std::string_view tip);
  const std::string& tip() const { return tip_; }
  // Whether the desktop shows tray icons at all (or what a
  // ScopedTrayAvailability says).
  static bool available();

  struct Native;

 private:
  std::string tip_;
  std::unique_ptr<Native> native_;
};

// Tests: while one lives, TrayIcon::available() answers `available` instead
// of asking the desktop (the offscreen platform never has a tray). They nest;
// the innermost answers.
class ScopedTrayAvailability {
 public:
  explicit ScopedTrayAvailability(bool available);
  ~ScopedTrayAvailability();
  ScopedTrayAvailability(const ScopedTrayAvailability&) = delete;
  ScopedTrayAvailability& operator=(const ScopedTrayAvailability&) = delete;

 private:
  std::optional<bool> previous_;
};

}  // namespace varnacle::ui
