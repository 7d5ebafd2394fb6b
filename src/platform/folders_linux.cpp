#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/folders.h"

namespace varnacle::platform {

namespace {

std::filesystem::path homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs: a double-quoted path that
// is absolute or starts with "$HOME/", with backslash escapes. Anything else
// is ignored, as the user-dirs tools do.
std::optional<std::filesystem::path> documentsFromUserDirs(const std::filesystem::path& home) {
  std::filesystem::path config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    config = xdg;
  } else {
    config = home / ".config";
  }
  std::ifstream in(config / "user-dirs.dirs");
  if (!in) return std::nullopt;
  std::optional<std::filesystem::path> found;
  std::string line;
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR";
  while (std::getline(in, line)) {
    std::string_view rest(line);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    if (!rest.starts_with(kKey)) continue;
    rest.remove_prefix(kKey.size());
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    if (rest.empty() || rest.front() != '=') continue;
    rest.remove_prefix(1);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    if (rest.empty() || rest.front() != '"') continue;
    rest.remove_prefix(1);
    std::string value;
    bool relativeToHome = false;
    if (rest.starts_with("$HOME")) {
      relativeToHome = true;
      rest.remove_prefix(5);
      if (!rest.empty() && rest.front() != '/' && rest.front() != '"') continue;
    } else if (rest.empty() || rest.front() != '/') {
      continue;
    }
    bool closed = false;
    for (size_t i = 0; i < rest.size(); ++i) {
      if (rest[i] == '\\' && i + 1 < rest.size()) {
        value += rest[++i];
      } else if (rest[i] == '"') {
        closed = true;
        break;
      } else {
        value += rest[i];
      }
    }
    if (!closed) continue;
    std::filesystem::path dir = relativeToHome ? std::filesystem::path(home.string() + value)
                                               : std::filesystem::path(value);
    // "$HOME" alone means the user disabled the folder; keep looking.
    if (relativeToHome && (value.empty() || value == "/")) continue;
    found = dir;  // the last assignment wins, as when the file is sourced
  }
  return found;
}

}  // namespace

std::filesystem::path systemDocumentsFolder() {
  const std::filesystem::path home = homeFolder();
  if (auto dir = documentsFromUserDirs(home)) return *dir;
  return home / "Documents";
}

std::filesystem::path programFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec);
  return exe.parent_path();
}

}  // namespace varnacle::platform
