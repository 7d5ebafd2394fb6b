#pragma once
// The mouse lighting profile file: the selected entry of the mouse's lighting
// profile list ("msProfile.ini", section "PROFILEDENGSELECT" key "select",
// its name in "PROFILEDENGNAME") is the file <name>.led in the mouse's
// settings folder, holding the settings record as a 64-byte payload (the 56
// record bytes, then zeros).
//
// Any thread; the file is read or written whole (atomically) per call.
#include <cstddef>
#include <string_view>

#include "device/live_lighting.h"
#include "profile/profile_registry.h"

namespace varnacle::mouse {

inline constexpr std::size_t kLightingProfilePayload = 64;

// Writes `record` as a 64-byte payload into the selected profile file of a
// lighting list whose payload is one settings record (the mouse's and the
// mouse pad's); `owner` names the list in the debug lines.
bool saveLightingRecord(profile::ProfileListKind list, std::string_view owner,
                        const device::LiveLighting::Record& record);

// Writes `record` into the selected mouse lighting profile file. False (and
// nothing written, with a debug line) when the list holds no profile at the
// selected index (an empty list, or a selection at or beyond its count), when
// the selected name is not a safe file name, or when the write fails.
bool saveMouseLightingProfile(const device::LiveLighting::Record& record);

// Reads the selected mouse lighting profile file into the mouse's working
// record (not marked changed: the mouse is read right after it on arrival,
// and its pointer speed and wheel lines are never sent). False, with the
// working record as it was, when the list holds no selected profile, its name
// is not a safe file name, or the file is missing ("配置文件丢失") or has no
// magic ("配置文件格式错误").
bool loadMouseLightingProfile(device::LiveLighting& live);

}  // namespace varnacle::mouse
