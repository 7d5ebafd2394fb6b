#include "mouse/preview_steps.h"

#include <algorithm>

#include "mouse/preview_primitives.h"

namespace varnacle::mouse {

namespace {

using namespace preview;

constexpr int kGroups = static_cast<int>(LightGroups.size());       // 7
constexpr int kSetCount = static_cast<int>(SevenColorSets.size());  // 3

// The mouse's pulse decay, by how bright the pulse still is.
constexpr DecayLadder kMouseDecay = {{{128, 40}, {64, 30}, {32, 10}, {17, 8}, {1, 4}}};

// The distinct lights of group g (group 2 names light 9 twice).
template <typename Paint>
void forGroupLights(int group, Paint paint) {
  const auto& lights = LightGroups[static_cast<std::size_t>(group)];
  for (std::size_t i = 0; i < lights.size(); ++i) {
    if (std::find(lights.begin(), lights.begin() + static_cast<std::ptrdiff_t>(i), lights[i]) ==
        lights.begin() + static_cast<std::ptrdiff_t>(i)) {
      paint(lights[i]);
    }
  }
}

void paintGroup(Frame& frame, int group, uint32_t color, uint8_t alpha, int base = 0) {
  forGroupLights(group, [&](int light) { frame.push_back({base + light, color, alpha}); });
}

void paintAll(Frame& frame, int first, int count, uint32_t color, uint8_t alpha) {
  for (int i = 0; i < count; ++i) frame.push_back({first + i, color, alpha});
}

Frame colourWave(const Lighting& l, int& position) {
  Frame frame;
  if (l.sevenColor) {
    position = wrap(position + (l.forward ? 1 : -1), kHueSteps);
    for (int g = 0; g < kGroups; ++g) {
      paintGroup(frame, g, packTint(hueAt(position + kHueSpacing * g)), l.alpha);
    }
  } else {
    position = wrap(position + (l.forward ? 1 : -1), kWaveSteps);
    for (int g = 0; g < kGroups; ++g) {
      paintGroup(frame, g, packTint(l.color),
                 scaled(l.alpha, waveAt(position + kWaveSpacing * (g + 1))));
    }
  }
  return frame;
}

Frame growingBar(const Lighting& l, MousePreviewState& state) {
  if (state.barFalling) {
    if (--state.barCount <= -1) state.barFalling = false;
  } else {
    if (++state.barCount >= 8) state.barFalling = true;
  }
  state.position = wrap(state.position + (l.forward ? 1 : -1), kHueSteps);
  Frame frame;
  for (int g = 0; g < kGroups; ++g) {
    const bool lit = l.forward ? g < state.barCount : state.barCount < g;
    paintGroup(frame, g, packTint(hueAt(state.position + kHueSpacing * g)), lit ? l.alpha : 0);
  }
  return frame;
}

Frame travellingPulses(const Lighting& l, MousePreviewState& state) {
  firePulses(l, state, kFiringCells);
  Frame frame;
  for (int g = 0; g < kGroups; ++g) {
    const auto cell = static_cast<std::size_t>(g);
    state.intensity[cell] = decayed(state.intensity[cell], kMouseDecay);
    const Rgb color = l.sevenColor ? pulseHue(state.hue[cell]) : l.color;
    paintGroup(frame, g, packTint(color), scaled(l.alpha, state.intensity[cell]));
  }
  return frame;
}

Lighting lightingOfRecord(const Record& record) {
  return lightingOf(record[kLightMode], record[kBrightness], record[kDirection],
                    record[kSevenColor], {record[kRed], record[kGreen], record[kBlue]});
}

// Modes 0 (the colour wave) and 1 (the spectrum cycle) of the mouse's and the
// shared preview only turn their position: `steps` turns at once. False for
// the other modes.
bool turnPosition(const Lighting& l, int& position, int steps) {
  const int by = l.forward ? steps : -steps;
  if (l.mode == 0)
    position = wrap(position + by, l.sevenColor ? kHueSteps : kWaveSteps);
  else if (l.mode == 1)
    position = wrap(position + by, kHueSteps);
  else
    return false;
  return true;
}

}  // namespace

Frame stepMousePreview(const Record& record, MousePreviewState& state) {
  const Lighting l = lightingOfRecord(record);
  Frame frame;
  switch (l.mode) {
    case 0:
      return colourWave(l, state.position);
    case 1:
      state.position = wrap(state.position + (l.forward ? 1 : -1), kHueSteps);
      paintAll(frame, 0, kMouseLights, packTint(hueAt(state.position)), l.alpha);
      return frame;
    case 2: {
      if (stepBreath(state.position, l.forward)) state.colorSet = (state.colorSet + 1) % kSetCount;
      const uint8_t alpha =
          scaled(l.alpha, BreathingCurve[static_cast<std::size_t>(state.position)]);
      const auto& set = SevenColorSets[static_cast<std::size_t>(wrap(state.colorSet, kSetCount))];
      for (int g = 0; g < kGroups; ++g) {
        const Rgb color = l.sevenColor ? set[static_cast<std::size_t>(g)] : l.color;
        paintGroup(frame, g, packTint(color), alpha);
      }
      return frame;
    }
    case 3:
      paintAll(frame, 0, kMouseLights, packTint(l.color), l.alpha);
      return frame;
    case 4:
      return growingBar(l, state);
    case 5:
      return travellingPulses(l, state);
    default:
      return frame;
  }
}

void skipMousePreview(const Record& record, MousePreviewState& state, int steps) {
  if (steps <= 0) return;
  const Lighting l = lightingOfRecord(record);
  if (turnPosition(l, state.position, steps) || l.mode == 3) return;
  for (int i = 0; i < steps; ++i) stepMousePreview(record, state);
}

SharedBlock sharedBlockOf(const Record& record) {
  return {record[kLightMode],  record[kBrightness], record[kSpeed], record[kDirection],
          record[kSevenColor], record[kRed],        record[kGreen], record[kBlue]};
}

Frame stepSharedPreview(const SharedBlock& block, SharedPreviewState& state,
                        std::array<bool, 3> synced) {
  const Lighting l = lightingOf(block.mode, block.brightness, block.direction, block.sevenColor,
                                {block.red, block.green, block.blue});
  const bool keyboard = synced[static_cast<std::size_t>(DeviceKind::keyboard)];
  const bool mouse = synced[static_cast<std::size_t>(DeviceKind::mouse)];
  const bool pad = synced[static_cast<std::size_t>(DeviceKind::mousePad)];
  Frame frame;
  // Every synced light in one colour and alpha.
  const auto paintSynced = [&](uint32_t color, uint8_t alpha) {
    if (mouse) paintAll(frame, kSharedMouseBase, kMouseLights, color, alpha);
    if (pad) paintAll(frame, kSharedPadBase, kSharedPadLights, color, alpha);
    if (keyboard) paintAll(frame, kSharedKeyboardBase, kSharedKeyboardLights, color, alpha);
  };
  switch (l.mode) {
    case 0: {
      const int period = l.sevenColor ? kHueSteps : kWaveSteps;
      state.position = wrap(state.position + (l.forward ? 1 : -1), period);
      for (int c = 0; c < kSharedColumns; ++c) {
        const uint32_t color =
            packTint(l.sevenColor ? hueAt(state.position + kHueSpacing * c) : l.color);
        const uint8_t alpha =
            l.sevenColor ? l.alpha
                         : scaled(l.alpha, waveAt(state.position + kWaveSpacing * (c + 1)));
        if (keyboard) {
          for (const int light : KeyboardColumnTable[static_cast<std::size_t>(c)]) {
            if (light >= 0) frame.push_back({kSharedKeyboardBase + light, color, alpha});
          }
        }
        if (mouse && c < kGroups) paintGroup(frame, c, color, alpha, kSharedMouseBase);
        if (pad && c < kSharedPadLights) frame.push_back({kSharedPadBase + c, color, alpha});
      }
      return frame;
    }
    case 1:
      state.position = wrap(state.position + (l.forward ? 1 : -1), kHueSteps);
      paintSynced(packTint(hueAt(state.position)), l.alpha);
      return frame;
    case 2: {
      stepBreath(state.position, l.forward);
      const uint8_t alpha =
          scaled(l.alpha, BreathingCurve[static_cast<std::size_t>(state.position)]);
      paintSynced(packTint(l.sevenColor ? hueAt(state.position) : l.color), alpha);
      return frame;
    }
    case 3:
      paintSynced(packTint(l.color), l.alpha);
      return frame;
    default:
      return frame;
  }
}

void skipSharedPreview(const SharedBlock& block, SharedPreviewState& state, int steps) {
  if (steps <= 0) return;
  const Lighting l = lightingOf(block.mode, block.brightness, block.direction, block.sevenColor,
                                {block.red, block.green, block.blue});
  if (turnPosition(l, state.position, steps) || l.mode != 2) return;
  for (int i = 0; i < steps; ++i) stepBreath(state.position, l.forward);
}

}  // namespace varnacle::mouse
