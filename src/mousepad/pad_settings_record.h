#pragma once
// The mouse pad's settings record: 56 bytes per on-board profile, at settings
// address 64 x profile. The pad has only lighting; its working copy
// (LiveLighting's mouse pad record) is what every control of the pad page
// edits.
//
//   0  on-board profile (0-4)   5    seven-colour flag
//   1  lighting mode 0-8        6-8  colour red, green, blue
//   2  brightness 0-14          9    preview counter, sent and stored with
//   3  speed 0-14, 0 fastest         the record (the page never writes it)
//   4  direction, 1 or 0        10-55 unused
//
// Bytes 0-20 reach the pad (the live push sends 21 bytes, then zeros). The
// lighting bytes 1-8 mean what they mean on the mouse, so the byte names are
// the mouse record's.
#include <cstddef>
#include <cstdint>

#include "device/live_lighting.h"
#include "mouse/mouse_settings_record.h"

namespace varnacle::mousepad {

using Record = device::LiveLighting::Record;

using mouse::kBlue;
using mouse::kBrightness;
using mouse::kDirection;
using mouse::kGreen;
using mouse::kLightMode;
using mouse::kProfileByte;
using mouse::kRed;
using mouse::kSevenColor;
using mouse::kSpeed;

// Leading bytes the pad receives, and that the copies between the cached
// records and the working copy move.
inline constexpr std::size_t kPadSentBytes = 21;
static_assert(device::kLiveRecordLength[static_cast<std::size_t>(DeviceKind::mousePad)] ==
              kPadSentBytes);

// Directions as stored in kDirection.
inline constexpr uint8_t kDirectionLeft = 1;   // "mp_Deng_FXL_check"
inline constexpr uint8_t kDirectionRight = 0;  // "mp_Deng_FXR_check"

}  // namespace varnacle::mousepad
