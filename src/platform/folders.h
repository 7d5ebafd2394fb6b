#pragma once
// Where the program's files live: the user's Documents folder, the folder of the
// program file, and folder creation.
//
// Any thread. Nothing is cached: every call asks the system again, so a folder
// that disappears while the program runs is found (and can be created) anew.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varnacle::platform {

// The user's Documents folder, not created. Linux: the XDG documents directory
// of $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config), else ~/Documents.
// Windows: the shell's personal folder. An override, when set, wins.
std::filesystem::path documentsFolder();

// Redirects documentsFolder() for the whole process (tests use a temporary
// folder); std::nullopt restores the system's folder.
void setDocumentsFolderOverride(std::optional<std::filesystem::path> folder);

// The folder that holds the running program file.
std::filesystem::path programFolder();

// The folder of the program's read-only files (the skin folder and the factory
// default files) for the running program: resourceFolder(programFolder()).
std::filesystem::path resourceFolder();

// The folder of the program's read-only files for a program in `program`: that
// folder itself when it holds a skin folder (a build folder, a Windows
// install); else ../share/varnacle-driver beside it when that exists (an
// installed Linux program); else `program`.
std::filesystem::path resourceFolder(const std::filesystem::path& program);

// Creates `folder` (one level) when it does not exist. True when it exists as a
// folder afterwards. Never throws.
bool createFolder(const std::filesystem::path& folder);

// UTF-8 text to a path and back, the same on every system.
std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string utf8FromPath(const std::filesystem::path& path);

// The system's Documents folder without the override (implemented per system).
std::filesystem::path systemDocumentsFolder();

}  // namespace varnacle::platform
