#pragma once
// The small steps every lighting preview is built from, whichever device's
// picture it draws: the lighting bytes a step reads, wrapping positions, the
// table look-ups, the breathing position and the pulse decay by its ladder.
// Pure functions over the tables of lighting_tables.h; no state of their own.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "mouse/lighting_tables.h"

namespace varnacle::mouse::preview {

inline constexpr int kHueSteps = static_cast<int>(HueWheel.size());           // 192
inline constexpr int kWaveSteps = static_cast<int>(WaveCurve.size());         // 96
inline constexpr int kBreathSteps = static_cast<int>(BreathingCurve.size());  // 128
// Hue spacing and wave-curve spacing between neighbouring groups, lights or
// columns.
inline constexpr int kHueSpacing = 7;
inline constexpr int kWaveSpacing = 10;

// The lighting bytes a step reads, whichever device they come from.
struct Lighting {
  int mode;
  uint8_t alpha;  // brightness alpha
  bool forward;   // direction byte 1
  bool sevenColor;
  Rgb color;
};

// A brightness above 14 counts as 14.
constexpr Lighting lightingOf(uint8_t mode, uint8_t brightness, uint8_t direction,
                              uint8_t sevenColor, Rgb color) {
  const std::size_t level = std::min<std::size_t>(brightness, BrightnessAlpha.size() - 1);
  return {mode, BrightnessAlpha[level], direction != 0, sevenColor != 0, color};
}

constexpr int wrap(int value, int period) {
  return ((value % period) + period) % period;
}

// alpha x factor / 256.
constexpr uint8_t scaled(uint8_t alpha, uint8_t factor) {
  return static_cast<uint8_t>(alpha * factor / 256);
}

constexpr Rgb hueAt(int position) {
  return HueWheel[static_cast<std::size_t>(wrap(position, kHueSteps))];
}

constexpr uint8_t waveAt(int position) {
  return WaveCurve[static_cast<std::size_t>(wrap(position, kWaveSteps))];
}

// The hue-wheel colour of a pulse's hue byte: hues of 192 or more count as
// hue + 64 modulo 256.
constexpr Rgb pulseHue(uint8_t hue) {
  return hueAt(hue >= kHueSteps ? (hue + 64) % 256 : hue);
}

// The breathing position: one step, wrapping at 0..127. True when a new
// breath starts (the position arrives at 0 or passes 127 upwards).
constexpr bool stepBreath(int& position, bool forward) {
  position = wrap(position, kBreathSteps);
  if (forward) {
    ++position;
    if (position >= kBreathSteps) {
      position = 0;
      return true;
    }
    return false;
  }
  --position;
  if (position < 0) {
    position = kBreathSteps - 1;
    return false;
  }
  return position == 0;
}

// One rung of a pulse's decay: from `from` intensity on, `step` less per
// frame. A ladder lists its rungs from the brightest down.
struct DecayRung {
  uint8_t from;
  uint8_t step;
};
using DecayLadder = std::array<DecayRung, 5>;

// The intensity after one frame of decay, never below 0.
constexpr uint8_t decayed(uint8_t intensity, const DecayLadder& ladder) {
  for (const DecayRung& rung : ladder)
    if (intensity >= rung.from) return static_cast<uint8_t>(std::max(0, intensity - rung.step));
  return intensity;
}

// The start of a pulse step: each of the first `firingCells` cells whose
// trigger is set fires at full intensity (with the colour cycle on, taking
// the hue 11 steps past the last one fired), then the trigger ring moves one
// cell in the lighting's direction. `PulseState` has the arrays `triggers`
// (the ring), `intensity` and `hue` (per cell) and the byte `hueCounter`.
template <typename PulseState>
void firePulses(const Lighting& l, PulseState& state, std::size_t firingCells) {
  for (std::size_t cell = 0; cell < firingCells; ++cell) {
    if (state.triggers[cell] == 0) continue;
    state.intensity[cell] = 255;
    if (l.sevenColor) {
      state.hueCounter = static_cast<uint8_t>(state.hueCounter + 11);
      state.hue[cell] = state.hueCounter;
    }
  }
  if (l.forward) {
    std::rotate(state.triggers.begin(), state.triggers.begin() + 1, state.triggers.end());
  } else {
    std::rotate(state.triggers.rbegin(), state.triggers.rbegin() + 1, state.triggers.rend());
  }
}

}  // namespace varnacle::mouse::preview
