#include "mouse/mouse_lighting_profile.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/debug_output.h"
#include "profile/file_names.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"

namespace varnacle::mouse {

bool saveMouseLightingProfile(const device::LiveLighting::Record& record) {
  const profile::ProfileRegistry registry(profile::ProfileListKind::mouseLighting);
  // Only a profile the list holds has a file of its own: an empty list or a
  // selection beyond it would write a file no row names.
  const int selected = registry.select();
  if (selected < 0 || selected >= registry.count()) {
    platform::debugOutput("mouse lighting profile: the list holds no selected profile; not saved");
    return false;
  }
  const std::string name = registry.name(selected);
  // The name comes from an editable list file: never let it lead outside the
  // settings folder.
  if (!profile::isSafeFileName(name)) {
    platform::debugOutput(
        "mouse lighting profile: the selected name is not a file name; not saved");
    return false;
  }
  static_assert(profile::profileListInfo(profile::ProfileListKind::mouseLighting).payloadSize ==
                kLightingProfilePayload);
  std::array<uint8_t, kLightingProfilePayload> payload{};
  std::copy(record.begin(), record.end(), payload.begin());
  return profile::WriteProfileFile(registry.profilePath(name), payload);
}

}  // namespace varnacle::mouse
