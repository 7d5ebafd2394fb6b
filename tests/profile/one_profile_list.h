#pragma once
// A profile list as its initialisation leaves it on a first start: one
// profile, selected. The pages' edits are saved into it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>

#include "profile/profile_registry.h"

namespace varnacle::profile::test {

// Writes the list of `kind` into the current Documents folder; the profile's
// file is the returned path (not written here).
inline std::filesystem::path setUpOneProfile(ProfileListKind kind, std::string_view name) {
  const ProfileRegistry registry(kind);
  EXPECT_TRUE(registry.setCount(1));
  EXPECT_TRUE(registry.setName(0, name));
  EXPECT_TRUE(registry.setSelect(0));
  return registry.profilePath(name);
}

}  // namespace varnacle::profile::test
