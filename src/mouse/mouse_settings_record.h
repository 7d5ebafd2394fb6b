#pragma once
// The mouse's settings record: 56 bytes per on-board profile, at settings
// address 64 x profile. One working copy (LiveLighting's mouse record) is what
// every DPI, motion and lighting control edits.
//
//   0  on-board profile (0-4)        11-13 DPI indicator red, green, blue
//   1  lighting mode 0-5             14    report rate (combo item index)
//   2  brightness 0-14               15-18 DPI stages 1-4 (slider positions)
//   3  speed 0-14, 0 fastest         19    active DPI stage 0-5 (shown only)
//   4  direction, 1 or 0             20-21 DPI stages 5-6
//   5  seven-colour flag             22    lift height
//   6-8 lighting red, green, blue    23    pointer speed 1-20 (never sent)
//   9  preview colour set (scratch)  24    wheel lines 1-10 (never sent)
//
// Bytes 0-22 reach the mouse; 23 and 24 travel only into the lighting profile
// file; 10 and 25-55 are unused.
#include <array>
#include <cstddef>
#include <cstdint>

#include "device/live_lighting.h"

namespace varnacle::mouse {

inline constexpr std::size_t kRecordSize = 56;

// A settings record as held in memory (the working record and the caches).
using Record = device::LiveLighting::Record;
static_assert(std::tuple_size_v<Record> == kRecordSize);

inline constexpr std::size_t kProfileByte = 0;
inline constexpr std::size_t kLightMode = 1;
inline constexpr std::size_t kBrightness = 2;
inline constexpr std::size_t kSpeed = 3;
inline constexpr std::size_t kDirection = 4;
inline constexpr std::size_t kSevenColor = 5;
inline constexpr std::size_t kRed = 6;
inline constexpr std::size_t kGreen = 7;
inline constexpr std::size_t kBlue = 8;
inline constexpr std::size_t kPreviewSet = 9;
inline constexpr std::size_t kDpiRed = 11;
inline constexpr std::size_t kDpiGreen = 12;
inline constexpr std::size_t kDpiBlue = 13;
inline constexpr std::size_t kReportRate = 14;
inline constexpr std::size_t kActiveStage = 19;
inline constexpr std::size_t kLiftHeight = 22;
inline constexpr std::size_t kPointerSpeed = 23;
inline constexpr std::size_t kWheelLines = 24;

// Record byte of DPI stage 1 to 6 (index 0 to 5).
inline constexpr std::array<std::size_t, 6> kDpiStageBytes = {15, 16, 17, 18, 20, 21};

// Leading bytes the mouse receives; the byte copies between the cached records
// and the working record move these too (the working record keeps its own
// pointer speed and wheel lines).
inline constexpr std::size_t kSentBytes = 23;

// Lowest DPI value (slider position 0).
inline constexpr int kDpiBase = 200;

// DPI shown for a slider position: steps of 100 up to position 48 (5000),
// steps of 200 from position 49 (5200) on.
constexpr int dpiValue(int position) {
  return position < 49 ? kDpiBase + 100 * position : kDpiBase + 200 * (position - 24);
}

// Lighting directions as stored in kDirection.
inline constexpr uint8_t kDirectionLeft = 1;   // "ms_Deng_FXL_check"
inline constexpr uint8_t kDirectionRight = 0;  // "ms_Deng_FXR_check"

}  // namespace varnacle::mouse
