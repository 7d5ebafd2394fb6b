#pragma once
// The mouse lighting profile list as its initialisation leaves it on a first
// start: one profile, selected. The edits of the mouse pages are saved into
// it.
#include <filesystem>
#include <string_view>

#include "../profile/one_profile_list.h"

namespace varnacle::mouse::test {

// Writes the list into the current Documents folder; the profile's file is
// the returned path (not written here).
inline std::filesystem::path setUpOneMouseLightingProfile(
    std::string_view name = "Configuration File1") {
  return profile::test::setUpOneProfile(profile::ProfileListKind::mouseLighting, name);
}

}  // namespace varnacle::mouse::test
