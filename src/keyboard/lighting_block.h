#pragma once
// The keyboard's lighting settings as one block of 1958 bytes, which is also
// the payload of a keyboard lighting profile file (".led"):
//
//   0-63     the lighting record (below)
//   64       custom table index 0-4 (item of "kb_deng_combo_curtom_count")
//   65-67    custom colour R, G, B: what a custom-mode key click paints
//   68-1957  five custom colour tables of 378 bytes: table t starts at
//            68 + 378 t and holds 126 entries of R, G, B by LED number
//
// Lighting record (bytes 0-55 mirror the keyboard's settings memory at
// address 0; the keyboard receives bytes 0-20, then zeros):
//
//   0  active on-board profile 0-4   5    multi-colour flag
//   1  mode 0-9                      6-8  single colour R, G, B
//   2  brightness 0-14               9-20 further device settings, sent back
//   3  speed 0-14, 0 fastest              as read
//   4  direction, 1 left or 0 right  21-55 kept as read; 56-63 reserved
//
// The custom tables never reach the keyboard: they exist for the profile and
// the picture. Plain data and pure edits; no Qt, no locks (keyboard_lighting.h
// shares a block between the page and the preview).
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "mouse/lighting_modes.h"
#include "mouse/lighting_tables.h"
#include "mouse/mouse_settings_record.h"

namespace varnacle::keyboard {

using mouse::Rgb;
// Bytes 1-8 mean the same on every device.
using mouse::kBlue;
using mouse::kBrightness;
using mouse::kDirection;
using mouse::kGreen;
using mouse::kLightMode;
using mouse::kRed;
using mouse::kSevenColor;
using mouse::kSpeed;
inline constexpr std::size_t kActiveProfileByte = 0;

inline constexpr std::size_t kLightingRecordSize = 64;
inline constexpr std::size_t kCustomTableByte = kLightingRecordSize;
inline constexpr std::size_t kCustomColorByte = 65;
inline constexpr std::size_t kCustomTablesByte = 68;
inline constexpr std::size_t kCustomTableCount = 5;
inline constexpr std::size_t kLedCount = 126;
inline constexpr std::size_t kCustomTableSize = 3 * kLedCount;  // 378
inline constexpr std::size_t kLightingBlockSize =
    kCustomTablesByte + kCustomTableCount * kCustomTableSize;  // 1958
static_assert(kLightingBlockSize == 1958);

// One custom table: a colour per LED number.
using CustomTable = std::array<Rgb, kLedCount>;

// The LED number of each picture position ("kb_dkey_n"), kNoLed where the
// position has no light.
inline constexpr uint8_t kNoLed = 126;
// clang-format off
inline constexpr std::array<uint8_t, 126> PositionLedTable = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  14,  15,  16,  126, 126, 126, 126, 126,
    21,  22,  23,  24,  25,  26,  27,  28,  29,  30,  31,  32,  33,  34,  35,  36,  37,  38,  39,  40,  41,
    42,  43,  44,  45,  46,  47,  48,  49,  50,  51,  52,  53,  54,  55,  56,  57,  58,  59,  60,  61,  126,
    63,  64,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  76,  80,  81,  82,  126, 126, 126, 126, 126,
    84,  86,  87,  88,  89,  90,  91,  92,  93,  94,  95,  97,  99,  101, 102, 103, 126, 126, 126, 126, 126,
    105, 106, 107, 108, 109, 110, 111, 113, 119, 120, 121, 123, 124, 104, 62,  126, 126, 126, 126, 126, 126,
};
// clang-format on

// The LED of `position`, or nothing (no light there, or no such position).
std::optional<std::size_t> ledOf(std::size_t position);

// The ten lighting modes and what each offers: the groups every device's page
// has ("kb_deng_fx_layout", "kb_deng_color_layout",
// "kb_deng_7colorselect_layout", "kb_deng_speed_layout", "kb_deng_same_mode")
// and the custom tools of mode 8.
inline constexpr int kKeyboardModeCount = 10;
inline constexpr int kCustomMode = 8;
inline constexpr int kReactiveMode = 9;
inline constexpr int kBouncingMode = 5;

struct KeyboardModePanels {
  mouse::ModeControls common;
  bool custom;  // the table combo, fill, clear and custom colour
};

// Row = mode: 0 column wave, 1 colour cycle, 2 breathing, 3 steady, 4 per-key
// cycle, 5 bouncing ripple, 6 sparks and ripple, 7 wave along the key order,
// 8 custom, 9 reactive. Same mode is offered for the modes the shared preview
// can show (0-3).
inline constexpr std::array<KeyboardModePanels, kKeyboardModeCount> KeyboardModePanelTable = {{
    {{true, true, true, true, true}, false},
    {{true, false, false, true, true}, false},
    {{false, true, true, true, true}, false},
    {{false, true, false, false, true}, false},
    {{true, false, false, true, false}, false},
    {{false, true, true, true, false}, false},
    {{false, true, true, true, false}, false},
    {{true, true, true, true, false}, false},
    {{false, true, false, false, false}, true},
    {{false, true, true, true, false}, false},
}};

// A stored mode outside 0-9: the groups of mode 0 without same mode.
inline constexpr KeyboardModePanels kUnknownModePanels = {{true, true, true, true, false}, false};

constexpr const KeyboardModePanels& keyboardModePanels(int mode) {
  return mode >= 0 && mode < kKeyboardModeCount
             ? KeyboardModePanelTable[static_cast<std::size_t>(mode)]
             : kUnknownModePanels;
}

// The 16 preset colours of "kb_Deng_color_btn_0" ... "kb_Deng_color_btn_15"
// are the first 16 PresetColors.
inline constexpr std::size_t kKeyboardPresetCount = 16;

struct KeyboardLightingBlock {
  std::array<uint8_t, kLightingBlockSize> bytes{};

  int mode() const { return bytes[kLightMode]; }
  // The custom table in use; a stored index above 4 counts as 0.
  std::size_t customTableIndex() const;
  Rgb customColor() const;
  Rgb entry(std::size_t table, std::size_t led) const;
  void setEntry(std::size_t table, std::size_t led, Rgb color);
  CustomTable customTable(std::size_t table) const;

  // Set colour: in mode 8 `color` becomes the custom colour; otherwise the
  // single colour, with multi-colour off. True when the record bytes the
  // keyboard receives changed (the lighting is then pending).
  bool setColor(Rgb color);
  // Paint key: in mode 8 the position's LED entry of the current table takes
  // the custom colour. False (nothing changed) in other modes and for a
  // position without an LED.
  bool paintKey(std::size_t position);
  // Every black entry of the current table takes the custom colour.
  void fillTable();
  // Every entry of the current table becomes black.
  void clearTable();
  // A table index outside 0-4 is refused (false).
  bool selectTable(int index);
};

// The speed byte of a speed slider position: 14 - position, never below 0.
constexpr uint8_t speedOfSlider(int position) {
  return static_cast<uint8_t>(position >= 14 ? 0 : position <= 0 ? 14 : 14 - position);
}

}  // namespace varnacle::keyboard
