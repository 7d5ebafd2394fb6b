#include "mouse/mouse_lighting_profile.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "platform/debug_output.h"
#include "profile/profile_file.h"
#include "profile/selected_profile.h"

namespace varnacle::mouse {

namespace {

using Payload = std::array<uint8_t, kLightingProfilePayload>;
static_assert(profile::profileListInfo(profile::ProfileListKind::mouseLighting).payloadSize ==
              kLightingProfilePayload);

std::optional<std::filesystem::path> selectedProfileFile(std::string_view refused) {
  return profile::selectedProfileFile(profile::ProfileListKind::mouseLighting,
                                      "mouse lighting profile", refused);
}

}  // namespace

bool saveLightingRecord(profile::ProfileListKind list, std::string_view owner,
                        const device::LiveLighting::Record& record) {
  static_assert(profile::profileListInfo(profile::ProfileListKind::mousePadLighting).payloadSize ==
                kLightingProfilePayload);
  const auto file = profile::selectedProfileFile(list, owner, "not saved");
  if (!file) return false;
  Payload payload{};
  std::copy(record.begin(), record.end(), payload.begin());
  return profile::WriteProfileFile(*file, payload);
}

bool saveMouseLightingProfile(const device::LiveLighting::Record& record) {
  return saveLightingRecord(profile::ProfileListKind::mouseLighting, "mouse lighting profile",
                            record);
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
