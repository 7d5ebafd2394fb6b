#pragma once
// The keyboard picture's lighting preview as pure steps: each call advances a
// preview state by one frame and returns the tints of the picture's
// positions. No threads, no controls; kb_preview_worker.h paces the steps.
//
// A frame tints every one of the 126 positions (light n is "kb_dkey_n"):
// positions a mode does not light are dark (alpha 0), so nothing of the mode
// before stays on the picture. Colours come from the shared preview tables
// (lighting_tables.h) and are packed as the mouse preview packs them.
//
//   0 wave across the 23 columns    5 bouncing ripple
//   1 whole keyboard, one wheel     6 sparks, then a ripple from the middle
//     colour                        7 wave along the 104-key order
//   2 breathing                     8 custom table colours
//   3 steady single colour          9 ripples from clicked keys
//   4 every key its own wheel phase
//
// Modes 5, 6 and 9 share the ripple state: key intensities and hues, a hue
// counter and four ripple masks of 23 columns (bit r of a column's byte is
// row r, 0 the top row) spreading to the left and right, downwards and
// upwards. The preview never writes the record: the breathing colour counter
// lives in the state.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "keyboard/lighting_block.h"
#include "mouse/preview_primitives.h"
#include "mouse/preview_steps.h"

namespace varnacle::keyboard {

using mouse::Frame;
using mouse::Tint;
using Record = mouse::Record;

inline constexpr std::size_t kColumns = 23;
inline constexpr std::size_t kRows = 6;

// Mode 7's fixed order of picture positions.
// clang-format off
inline constexpr std::array<uint8_t, 104> Mode7KeyOrder = {
    15,  14,  13,  12,  11,  10,  9,   8,   7,   6,   5,   4,   3,   2,   1,   0,   21,  42,  63,  84,
    105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 41,  40,  39,  38,  37,
    36,  35,  34,  33,  32,  31,  30,  29,  28,  27,  26,  25,  24,  23,  22,  43,  64,  85,  86,  87,
    88,  89,  90,  91,  92,  93,  94,  95,  96,  97,  98,  99,  78,  61,  60,  59,  58,  57,  56,  55,
    54,  53,  52,  51,  50,  49,  48,  47,  46,  45,  44,  65,  66,  67,  68,  69,  70,  71,  72,  73,
    74,  75,  76,  77,
};
// clang-format on

// Mode 6, stage 0: the up to six positions lit together per step (255: none).
inline constexpr uint8_t kNoPosition = 255;
// clang-format off
inline constexpr std::array<std::array<uint8_t, 6>, 20> Mode6SparkList = {{
    {0, 118, 255, 255, 255, 255}, {1, 117, 255, 255, 255, 255}, {2, 116, 255, 255, 255, 255},
    {3, 115, 21, 118, 255, 255},  {4, 114, 22, 99, 255, 255},   {5, 113, 23, 98, 255, 255},
    {6, 112, 24, 97, 42, 119},    {7, 111, 25, 96, 43, 78},     {8, 110, 26, 95, 44, 77},
    {9, 109, 27, 94, 45, 76},     {33, 92, 28, 93, 46, 255},    {54, 71, 29, 92, 47, 255},
    {74, 50, 30, 71, 48, 75},     {94, 30, 31, 50, 49, 74},     {93, 31, 52, 30, 50, 73},
    {92, 32, 72, 31, 51, 72},     {71, 33, 71, 52, 52, 71},     {50, 54, 50, 72, 53, 255},
    {30, 74, 255, 255, 255, 255}, {31, 94, 255, 255, 255, 255},
}};
// clang-format on

// Mode 6, stage 1: pairs of positions lit together.
inline constexpr std::array<std::array<uint8_t, 2>, 16> Mode6PairList = {{
    {30, 94},
    {31, 93},
    {32, 92},
    {33, 71},
    {54, 50},
    {74, 30},
    {94, 31},
    {93, 32},
    {92, 33},
    {71, 54},
    {50, 74},
    {51, 73},
    {52, 72},
    {53, 51},
    {73, 52},
    {72, 53},
}};

// The four ripple masks: a byte per column, bit r for row r.
enum RippleMask : std::size_t { kLeftDown, kLeftUp, kRightDown, kRightUp };
using Masks = std::array<std::array<uint8_t, kColumns>, 4>;

// One ripple step, each mask from its old values: the left masks take their
// right neighbour's old column, the right masks their left neighbour's; the
// down masks move every bit one row down (bit r to r + 1), the up masks one
// row up. Bits moved past bit 7 or below bit 0 are lost.
Masks stepRipple(const Masks& masks);

// The column and row of `position` in the keyboard column table, if it has one.
struct ColumnRow {
  std::size_t column;
  std::size_t row;
};
std::optional<ColumnRow> columnRowOf(std::size_t position);

// What the preview carries from frame to frame. Owned by one preview at a
// time (KeyboardPreview guards it between the UI and the worker).
struct KeyboardPreviewState {
  mouse::SharedPreviewState wave;              // modes 0, 1, 3: the shared preview's position
  int phase = 0;                               // modes 2, 4, 7: breathing, wheel or wave phase
  int breathColor = 0;                         // mode 2: 0-2, advanced after each breath
  int stage = 0;                               // mode 6: 0-4
  int step = 0;                                // mode 6: q
  uint32_t rippleMark = 0;                     // mode 9: tick counter at the last ripple step
  std::array<uint8_t, kLedCount> intensity{};  // by position
  std::array<uint8_t, kLedCount> hue{};        // by position
  uint8_t hueCounter = 0;
  Masks masks{};

  void reset() { *this = KeyboardPreviewState{}; }
  // Sets the position's bit in all four masks (no column entry: nothing).
  void mark(std::size_t position);
  // Mode 5's start: bit 6 of column 9 in all four masks.
  void startBounce();
};

// The two decay ladders of the ripples: mode 5's, and modes 6 and 9's.
inline constexpr mouse::preview::DecayLadder kBounceDecay = {
    {{128, 40}, {64, 30}, {32, 10}, {17, 8}, {9, 0}}};
inline constexpr mouse::preview::DecayLadder kRippleDecay = {
    {{128, 30}, {64, 20}, {32, 10}, {17, 5}, {9, 4}}};
// A key at this intensity or below goes dark at once.
inline constexpr uint8_t kDarkBelow = 8;
// Intensity after one frame of decay by `ladder`.
uint8_t rippleDecayed(uint8_t intensity, const mouse::preview::DecayLadder& ladder);

// What a frame reads besides its state.
struct KeyboardPreviewInput {
  const Record& record;       // the working record (bytes 1-8)
  const CustomTable& custom;  // mode 8: the current custom table
  uint32_t ticks = 0;         // mode 9: the free-running 10 ms tick counter
  bool tickRaised = false;    // mode 9: the preview tick flag was raised
};

// One frame of the mode in the record's byte 1. Empty for a mode above 9 and
// for a mode 9 pass without a raised tick (nothing to paint).
Frame stepKeyboardPreview(const KeyboardPreviewInput& input, KeyboardPreviewState& state);
// The state as `steps` calls of stepKeyboardPreview() leave it, without their
// frames: the steps between two frames of a preview faster than the screen.
// The modes that only turn a phase turn it at once; the others step.
void skipKeyboardPreview(const KeyboardPreviewInput& input, KeyboardPreviewState& state, int steps);

// The wait before each pass, by mode and speed (a speed above 14 counts as
// 14), and the extra wait before a mode's frame.
std::chrono::milliseconds keyboardPassDelay(int mode, int speed);
std::chrono::milliseconds keyboardFramePause(int mode);

}  // namespace varnacle::keyboard
