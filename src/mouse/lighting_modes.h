#pragma once
// Which lighting control groups apply to each mouse lighting mode 0-5
// (colour wave, spectrum cycle, breathing, steady, growing bar, travelling
// pulses). The groups are the layouts "ms_deng_fx_layout" (direction),
// "ms_deng_color_layout" (colour), "ms_deng_7colorselect_layout"
// (seven-colour), "ms_deng_speed_layout" (speed) and the button
// "ms_deng_same_mode".
#include <array>
#include <cstddef>

namespace varnacle::mouse {

inline constexpr int kLightModeCount = 6;

struct ModeControls {
  bool direction;
  bool colour;
  bool sevenColour;
  bool speed;
  bool sameMode;
};

// Row = mode. Same mode is offered exactly for the modes the shared preview
// can show (0-3).
inline constexpr std::array<ModeControls, kLightModeCount> kModeControls = {{
    {true, true, true, true, true},
    {false, false, false, true, true},
    {false, true, true, true, true},
    {false, true, true, false, true},
    {true, true, true, true, false},
    {true, true, true, true, false},
}};

// A stored mode outside 0-5 (a mouse may hold any byte): the groups of mode
// 0, without same mode, which the shared preview could not show.
inline constexpr ModeControls kUnknownModeControls = {true, true, true, true, false};

// The controls of `mode`.
constexpr const ModeControls& modeControls(int mode) {
  return mode >= 0 && mode < kLightModeCount ? kModeControls[static_cast<std::size_t>(mode)]
                                             : kUnknownModeControls;
}

}  // namespace varnacle::mouse
