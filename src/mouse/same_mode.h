#pragma once
// "Same mode": one device's lighting effect given to all three devices.
//
// The eight lighting bytes (1-8: mode, brightness, speed, direction,
// seven-colour flag, red, green, blue) mean the same on every device, so the
// copy moves exactly those. The receiving records are not marked changed:
// each device gets the copy with its next live report, and that report also
// clears its session's lightingSync flag, which hands its picture back from
// the shared preview to the device's own preview.
//
// Every lighting page reacts to all three same-mode buttons ("kb_deng_same_mode",
// "ms_deng_same_mode", "mp_deng_same_mode"): each calls copySameMode for the
// button's device (the copy is idempotent, so the order in which the pages hear
// the click does not matter) and, when it is not the source itself, refreshes
// its controls and saves its own lighting profile file.
//
// UI thread (it edits the working records).
#include <array>
#include <optional>
#include <string_view>

#include "device/device_kind.h"
#include "device/device_session.h"
#include "device/live_lighting.h"
#include "mouse/preview_workers.h"

namespace varnacle::mouse {

// The first and last record byte the copy moves.
inline constexpr std::size_t kSameModeFirstByte = 1;
inline constexpr std::size_t kSameModeLastByte = 8;

// The same-mode button of each device, by DeviceKind.
inline constexpr std::array<std::string_view, 3> kSameModeButtons = {
    "kb_deng_same_mode", "ms_deng_same_mode", "mp_deng_same_mode"};

// The device whose same-mode button `controlName` is, if it is one.
std::optional<DeviceKind> sameModeSource(std::string_view controlName);

// Copies bytes 1-8 of `source`'s working record into the working records of
// the other two devices (unmarked) and into `block`, and sets lightingSync on
// all three sessions (`sessions` by DeviceKind). Returns the copied block.
SharedBlock copySameMode(DeviceKind source, device::LiveLighting& live, SharedPreviewBlock& block,
                         const std::array<device::DeviceSession*, 3>& sessions);

}  // namespace varnacle::mouse
