#pragma once
// The mouse lighting profile list as its initialisation leaves it on a first
// start: one profile, selected. The edits of the mouse pages are saved into
// it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>

#include "profile/profile_registry.h"

namespace varnacle::mouse::test {

// Writes the list into the current Documents folder; the profile's file is
// the returned path (not written here).
inline std::filesystem::path setUpOneMouseLightingProfile(
    std::string_view name = "Configuration File1") {
  const profile::ProfileRegistry registry(profile::ProfileListKind::mouseLighting);
  EXPECT_TRUE(registry.setCount(1));
  EXPECT_TRUE(registry.setName(0, name));
  EXPECT_TRUE(registry.setSelect(0));
  return registry.profilePath(name);
}

}  // namespace varnacle::mouse::test
