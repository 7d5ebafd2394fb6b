#include "mouse/mouse_lighting_profile.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/debug_output.h"
#include "profile/file_names.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"

namespace varnacle::mouse {

namespace {

using Payload = std::array<uint8_t, kLightingProfilePayload>;
static_assert(profile::profileListInfo(profile::ProfileListKind::mouseLighting).payloadSize ==
              kLightingProfilePayload);

// The file of the selected profile, when the list holds one there and its
// name is a safe file name; otherwise a debug line ending in `refused`.
std::optional<std::filesystem::path> selectedProfileFile(std::string_view refused) {
  const profile::ProfileRegistry registry(profile::ProfileListKind::mouseLighting);
  // Only a profile the list holds has a file of its own: an empty list or a
  // selection beyond it would name a file no row names.
  const int selected = registry.select();
  if (selected < 0 || selected >= registry.count()) {
    platform::debugOutput("mouse lighting profile: the list holds no selected profile; " +
                          std::string(refused));
    return std::nullopt;
  }
  const std::string name = registry.name(selected);
  // The name comes from an editable list file: never let it lead outside the
  // settings folder.
  if (!profile::isSafeFileName(name)) {
    platform::debugOutput("mouse lighting profile: the selected name is not a file name; " +
                          std::string(refused));
    return std::nullopt;
  }
  return registry.profilePath(name);
}

}  // namespace

bool saveMouseLightingProfile(const device::LiveLighting::Record& record) {
  const auto file = selectedProfileFile("not saved");
  if (!file) return false;
  Payload payload{};
  std::copy(record.begin(), record.end(), payload.begin());
  return profile::WriteProfileFile(*file, payload);
}

bool loadMouseLightingProfile(device::LiveLighting& live) {
  const auto file = selectedProfileFile("not loaded");
  if (!file) return false;
  Payload payload{};
  const int result = profile::ReadProfileFile(*file, payload);
  if (result == profile::kProfileFileMissing) {
    platform::debugOutput("配置文件丢失");
    return false;
  }
  if (result == profile::kProfileFileFormatError) {
    platform::debugOutput("配置文件格式错误");
    return false;
  }
  device::LiveLighting::Record record{};
  std::copy_n(payload.begin(), record.size(), record.begin());
  live.set(DeviceKind::mouse, record, false);
  return true;
}

}  // namespace varnacle::mouse
