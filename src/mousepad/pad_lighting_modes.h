#pragma once
// Which control groups of the pad page apply to each pad lighting mode:
// direction "mp_deng_fx_layout", colour "mp_deng_color_layout", seven-colour
// "mp_deng_7colorselect_layout", speed "mp_deng_speed_layout" and the button
// "mp_deng_same_mode".
#include <array>
#include <cstddef>

#include "mouse/lighting_modes.h"

namespace varnacle::mousepad {

using mouse::ModeControls;

// The modes the pad and its preview know (0-8).
inline constexpr int kPadModeCount = 9;
// The mode choice also takes an item 9 (kept, sent, not previewed), in case a
// skin offers it.
inline constexpr int kPadModeChoices = 10;

// Row = mode: wave, spectrum, breathing, steady, growing bar, pulses, column
// spectrum, sliding block, flash, and the extra item 9. Same mode only for
// modes 0-3, the ones the shared preview can show.
inline constexpr std::array<ModeControls, kPadModeChoices> kPadModeControls = {{
    {true, true, true, true, true},
    {false, false, false, true, true},
    {false, true, true, true, true},
    {false, true, false, false, true},
    {true, true, true, true, false},
    {true, true, true, true, false},
    {false, false, false, true, false},
    {false, true, true, true, false},
    {false, true, true, false, false},
    {false, true, true, true, false},
}};

// A stored mode outside 0-9 (a pad may hold any byte): the groups of mode 0,
// without same mode, which the shared preview could not show.
inline constexpr ModeControls kPadUnknownModeControls = {true, true, true, true, false};

constexpr const ModeControls& padModeControls(int mode) {
  return mode >= 0 && mode < kPadModeChoices ? kPadModeControls[static_cast<std::size_t>(mode)]
                                             : kPadUnknownModeControls;
}

}  // namespace varnacle::mousepad
