#pragma once
// The on-screen lighting previews as pure step functions: each call advances
// a preview state by one frame and returns the tints of the lights it
// touched. No threads, no controls; preview_workers.h paces the steps and
// hands the frames on.
//
// Tint colours are packed the way the light controls take them: red in bits
// 0-7, blue in bits 8-15, green in bits 16-23 (packTint). A page turns one
// back into 0xAARRGGBB with tintToArgb before it sets a control's tint colour,
// and sets the tint alpha from Tint::alpha.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mouse/lighting_tables.h"
#include "mouse/mouse_settings_record.h"

namespace varnacle::mouse {

struct Tint {
  int light;       // the light's number (see the numbering of each step)
  uint32_t color;  // packed red / blue / green
  uint8_t alpha;
  friend constexpr bool operator==(const Tint&, const Tint&) = default;
};

using Frame = std::vector<Tint>;

constexpr uint32_t packTint(Rgb c) {
  return uint32_t{c.red} | uint32_t{c.blue} << 8 | uint32_t{c.green} << 16;
}

// The opaque 0xAARRGGBB colour of a packed tint colour.
constexpr uint32_t tintToArgb(uint32_t packed) {
  const uint32_t red = packed & 0xFF;
  const uint32_t blue = packed >> 8 & 0xFF;
  const uint32_t green = packed >> 16 & 0xFF;
  return 0xFF000000u | red << 16 | green << 8 | blue;
}

inline constexpr int kMouseLights = 20;
inline constexpr std::size_t kTriggerRingSize = 23;
inline constexpr std::size_t kPulseCells = 126;
// Cells of the trigger ring that fire pulses (the rest only travel).
inline constexpr std::size_t kFiringCells = 14;

// What the mouse preview carries from one frame to the next. Owned by one
// preview at a time (MousePreview guards it between the UI and the worker).
struct MousePreviewState {
  int position = 0;                                  // hue-wheel, wave or breathing position
  int barCount = 0;                                  // mode 4: lit groups, -1 ... 8
  bool barFalling = false;                           // mode 4: the count is going down
  int colorSet = 0;                                  // mode 2: the seven-colour set in use, 0-2
  std::array<uint8_t, kTriggerRingSize> triggers{};  // mode 5
  std::array<uint8_t, kPulseCells> intensity{};      // mode 5, per cell
  std::array<uint8_t, kPulseCells> hue{};            // mode 5, per cell
  uint8_t hueCounter = 0;                            // mode 5

  void reset() { *this = MousePreviewState{}; }
};

// One frame of the mouse preview for the mode in the record's byte 1 (0-5;
// any other mode draws nothing and leaves the state as it was). Lights are
// the mouse picture's 0-19, each at most once per frame. Reads bytes 1-8 of
// the record; a brightness above 14 counts as 14, a speed is not used here.
//   0 colour wave       per group: hue wheel (seven-colour) or wave-curve alpha
//   1 spectrum cycle    all lights one hue-wheel colour
//   2 breathing         breathing-curve alpha; seven-colour sets cycle
//   3 steady            all lights the fixed colour
//   4 growing bar       groups lit below (direction 1) or above the bar count
//   5 travelling pulses triggers fire pulses that decay
// Mode 2 keeps its colour set in the state, not in the record's byte 9: the
// preview never writes the record the user edits.
Frame stepMousePreview(const Record& record, MousePreviewState& state);
// The state as `steps` calls of stepMousePreview() leave it, without their
// frames: the steps between two frames of a preview faster than the screen.
// The modes that only turn a phase turn it at once; the others step.
void skipMousePreview(const Record& record, MousePreviewState& state, int steps);

// The eight lighting bytes every device's record holds at bytes 1-8, as copied
// by "same mode"; they drive the shared preview.
struct SharedBlock {
  uint8_t mode = 0;  // 0-3
  uint8_t brightness = 0;
  uint8_t speed = 0;
  uint8_t direction = 0;
  uint8_t sevenColor = 0;
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend constexpr bool operator==(const SharedBlock&, const SharedBlock&) = default;
};

// Bytes 1-8 of a device's working record.
SharedBlock sharedBlockOf(const Record& record);

// The shared preview's one array of lights: mouse 0-19, mouse pad 20-34 (pad
// light i is 20 + i), keyboard from 35 on (keyboard light k is 35 + k).
inline constexpr int kSharedMouseBase = 0;
inline constexpr int kSharedPadBase = 20;
inline constexpr int kSharedPadLights = 15;
inline constexpr int kSharedKeyboardBase = 35;
inline constexpr int kSharedKeyboardLights = 126;
inline constexpr int kSharedColumns = 23;

struct SharedPreviewState {
  int position = 0;
  void reset() { *this = SharedPreviewState{}; }
};

// One frame of the shared preview for shared modes 0-3 (others draw nothing),
// painting only the devices whose flag in `synced` (by DeviceKind) is set.
//   0 wave over 23 columns (keyboard column table, mouse groups 0-6, pad
//     lights 0-14); 1 spectrum cycle; 2 breathing; 3 steady.
Frame stepSharedPreview(const SharedBlock& block, SharedPreviewState& state,
                        std::array<bool, 3> synced);
// The state as `steps` calls of stepSharedPreview() leave it, without their
// frames: the steps between two frames of a preview faster than the screen.
void skipSharedPreview(const SharedBlock& block, SharedPreviewState& state, int steps);

}  // namespace varnacle::mouse
