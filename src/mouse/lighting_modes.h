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

// Row = mode.
inline constexpr std::array<ModeControls, kLightModeCount> kModeControls = {{
    {true, true, true, true, true},
    {false, false, false, true, true},
    {false, true, true, true, true},
    {false, true, true, false, true},
    {true, true, true, true, false},
    {true, true, true, true, false},
}};

// The controls of `mode`; a stored mode outside 0-5 shows the controls of mode 0.
constexpr const ModeControls& modeControls(int mode) {
  return kModeControls[mode >= 0 && mode < kLightModeCount ? static_cast<std::size_t>(mode) : 0];
}

}  // namespace varnacle::mouse
