#pragma once
// The mouse lighting profile file: the selected entry of the mouse's lighting
// profile list ("msProfile.ini", section "PROFILEDENGSELECT" key "select",
// its name in "PROFILEDENGNAME") is the file <name>.led in the mouse's
// settings folder, holding the settings record as a 64-byte payload (the 56
// record bytes, then zeros).
//
// Any thread; the file is written whole and atomically per call.
#include <cstddef>

#include "device/live_lighting.h"

namespace varnacle::mouse {

inline constexpr std::size_t kLightingProfilePayload = 64;

// Writes `record` into the selected mouse lighting profile file. False (and
// nothing written, with a debug line) when the list holds no profile at the
// selected index (an empty list, or a selection at or beyond its count), when
// the selected name is not a safe file name, or when the write fails.
bool saveMouseLightingProfile(const device::LiveLighting::Record& record);

}  // namespace varnacle::mouse
