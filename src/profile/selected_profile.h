#pragma once
// The file of a profile list's selected entry: DeviceFolder + NAME[SELECT] +
// the list's extension.
//
// Any thread: the list file is read per call.
#include <filesystem>
#include <optional>
#include <string_view>

#include "profile/profile_registry.h"

namespace varnacle::profile {

// The selected profile's file, when the list holds a profile at SELECT (an
// empty list or a selection at or beyond its count holds none) and its name
// is a safe file name (the name comes from an editable list file and must
// never lead outside the settings folder). Otherwise nullopt, after the debug
// line "<owner>: the list holds no selected profile; <refused>" or
// "<owner>: the selected name is not a file name; <refused>".
std::optional<std::filesystem::path> selectedProfileFile(ProfileListKind kind,
                                                         std::string_view owner,
                                                         std::string_view refused);

}  // namespace varnacle::profile
