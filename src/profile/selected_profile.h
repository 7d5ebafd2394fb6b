#pragma once
// The file of a profile list's selected entry: DeviceFolder + NAME[row] +
// the list's extension, where row is the profile the device holds — the row
// last selected in the list — or, before any selection, SELECT.
//
// SELECT alone is not enough: while a linked program is in front, its
// profile is selected and SELECT names the user's own choice again, so
// saving into SELECT would overwrite the user's profile with the linked one.
//
// Any thread: the list file is read per call; the shown row is atomic.
#include <filesystem>
#include <optional>
#include <string_view>

#include "profile/profile_registry.h"

namespace varnacle::profile {

// The selected profile's file, when the list holds a profile at that row (an
// empty list or a selection at or beyond its count holds none) and its name
// is a safe file name (the name comes from an editable list file and must
// never lead outside the settings folder). Otherwise nullopt, after the debug
// line "<owner>: the list holds no selected profile; <refused>" or
// "<owner>: the selected name is not a file name; <refused>".
// The row the device holds now (ProfileList's Select sets it; -1: none yet).
void setShownProfile(ProfileListKind kind, int row);
int shownProfile(ProfileListKind kind);

std::optional<std::filesystem::path> selectedProfileFile(ProfileListKind kind,
                                                         std::string_view owner,
                                                         std::string_view refused);

}  // namespace varnacle::profile
