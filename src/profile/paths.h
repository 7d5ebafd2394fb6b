#pragma once
// Where the settings files live.
//
//   <Documents>/GRIMWOLF Q650/          BaseFolder: main.ini
//   <Documents>/GRIMWOLF Q650/kb|ms|mp/ DeviceFolder: lists, profiles, macros
//   <program folder>/                   ProgramFolder: factory default files
//                                       (<program folder>/../share/varnacle-driver/
//                                       for an installed Linux program)
//
// Any thread. Every call builds the path afresh and creates a missing folder
// (the Documents folder itself included; failure ignored: the file operation
// that follows then fails and reports), so a folder deleted while the program
// runs comes back on the next access.
#include <filesystem>
#include <string_view>

#include "device/device_kind.h"

namespace varnacle::profile {

inline constexpr std::string_view kBaseFolderName = "GRIMWOLF Q650";

std::filesystem::path BaseFolder();
std::filesystem::path DeviceFolder(DeviceKind kind);
std::filesystem::path ProgramFolder();

// `folder` / `name` for a UTF-8 file name.
std::filesystem::path fileIn(const std::filesystem::path& folder, std::string_view name);

// `path` itself when it exists; otherwise the entry of its folder whose name
// equals its file name without regard to (ASCII) case; otherwise `path`.
// File systems that ignore case find the exact name first.
std::filesystem::path findIgnoringCase(const std::filesystem::path& path);

}  // namespace varnacle::profile
