#pragma once
// The program whose window has the foreground: the full path of its program
// file, which the application watchers compare with the linked programs.
//
// One implementation per system, chosen by the build (Windows: the
// foreground window's process image). Linux chooses at start from the
// desktop session (foreground_session.h): the X11 active window's process,
// or the compositor's word on a Wayland desktop that gives it. Where nothing
// can tell (another Wayland desktop, no display), every query answers
// unknown and support() says why, so the profile panel can tell the user.
// A provider whose source fails (compositor restarted, script refused)
// answers unknown meanwhile and tries again quietly on later queries.
//
// Any thread: an implementation serialises its own queries.
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace varnacle::platform {

// Whether the provider can answer on this desktop.
enum class ForegroundSupport {
  answers,
  // Nothing on this desktop tells which program is in front.
  notOnThisDesktop,
  // GNOME Shell without the program's shell extension enabled.
  needsShellExtension,
};

class ForegroundProgram {
 public:
  virtual ~ForegroundProgram() = default;
  // The foreground program's full path, or nothing when it cannot be known.
  virtual std::optional<std::string> path() = 0;
  virtual ForegroundSupport support() { return ForegroundSupport::answers; }

  // The limitation to tell the user: support() the first time it is not
  // `answers`, nothing after that (the user is told once per run).
  std::optional<ForegroundSupport> takeLimitationNotice() {
    const ForegroundSupport s = support();
    if (s == ForegroundSupport::answers || limitationTold_.exchange(true)) return std::nullopt;
    return s;
  }

 private:
  std::atomic<bool> limitationTold_{false};
};

// The system's provider.
std::unique_ptr<ForegroundProgram> makeForegroundProgram();

// How the program dialog of a profile link offers programs on this system:
// ".exe" files on Windows; here every file, of which only executable ones
// are taken (isProgramFile).
struct ProgramDialogFilter {
  std::string_view defaultExtension;
  std::string_view initialName;
  std::string_view filter;  // in the file dialog's '|' form
};
ProgramDialogFilter programDialogFilter();
// True when `path` names a program file the system could start.
bool isProgramFile(const std::string& path);

}  // namespace varnacle::platform
