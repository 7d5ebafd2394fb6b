#pragma once
// The program whose window has the foreground: the full path of its program
// file, which the application watchers compare with the linked programs.
//
// One implementation per system, chosen by the build (Windows: the
// foreground window's process image; Linux: the X11 active window's
// process). Where the system offers no way to know (Wayland, no display),
// every query answers unknown, and the program runs as before.
//
// Any thread: an implementation serialises its own queries.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace varnacle::platform {

class ForegroundProgram {
 public:
  virtual ~ForegroundProgram() = default;
  // The foreground program's full path, or nothing when it cannot be known.
  virtual std::optional<std::string> path() = 0;
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
