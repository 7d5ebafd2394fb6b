#include "profile/selected_profile.h"

#include <array>
#include <atomic>
#include <string>

#include "platform/debug_output.h"
#include "profile/file_names.h"

namespace varnacle::profile {

namespace {

std::array<std::atomic<int>, kProfileLists.size()> shownRows = {-1, -1, -1, -1, -1};

}  // namespace

void setShownProfile(ProfileListKind kind, int row) {
  shownRows[static_cast<size_t>(kind)] = row;
}

int shownProfile(ProfileListKind kind) {
  return shownRows[static_cast<size_t>(kind)].load();
}

std::optional<std::filesystem::path> selectedProfileFile(ProfileListKind kind,
                                                         std::string_view owner,
                                                         std::string_view refused) {
  const ProfileRegistry registry(kind);
  const auto refuse = [&](std::string_view why) {
    platform::debugOutput(std::string(owner) + ": " + std::string(why) + "; " +
                          std::string(refused));
    return std::nullopt;
  };
  const int shown = shownProfile(kind);
  const int selected = shown >= 0 ? shown : registry.select();
  if (selected < 0 || selected >= registry.count())
    return refuse("the list holds no selected profile");
  const std::string name = registry.name(selected);
  if (!isSafeFileName(name)) return refuse("the selected name is not a file name");
  return registry.profilePath(name);
}

}  // namespace varnacle::profile
