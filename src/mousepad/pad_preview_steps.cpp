#include "mousepad/pad_preview_steps.h"

#include <algorithm>

#include "mouse/preview_primitives.h"

namespace varnacle::mousepad {

namespace {

using namespace mouse::preview;
using mouse::packTint;
using mouse::BreathingCurve;
using mouse::Rgb;

// The pad's pulse decay, by how bright the pulse still is.
constexpr DecayLadder kPadDecay = {{{128, 30}, {64, 20}, {32, 10}, {17, 5}, {1, 1}}};
constexpr int kBreathHueOffset = 50;
constexpr int kBarTop = kPadLights;  // the bar count runs -1 ... 15
constexpr int kSlideHueSpacing = 20;
constexpr int kBreathsPerSet = 3;

void paintAll(Frame& frame, uint32_t color, uint8_t alpha) {
  for (int i = 0; i < kPadLights; ++i) frame.push_back({i, color, alpha});
}

void paintColumn(Frame& frame, int column, uint32_t color, uint8_t alpha) {
  for (const int light : PadLightColumns[static_cast<std::size_t>(column)])
    if (light >= 0) frame.push_back({light, color, alpha});
}

Frame colourWave(const Lighting& l, int& position) {
  Frame frame;
  position = wrap(position + (l.forward ? 1 : -1), l.sevenColor ? kHueSteps : kWaveSteps);
  for (int i = 0; i < kPadLights; ++i) {
    if (l.sevenColor) {
      frame.push_back({i, packTint(hueAt(position + kHueSpacing * i)), l.alpha});
    } else {
      frame.push_back({i, packTint(l.color), scaled(l.alpha, waveAt(position + kWaveSpacing * i))});
    }
  }
  return frame;
}

Frame breathing(const Lighting& l, PadPreviewState& state) {
  if (stepBreath(state.position, l.forward)) state.colorSet = (state.colorSet + 1) % kBreathsPerSet;
  Frame frame;
  const uint8_t alpha = scaled(l.alpha, BreathingCurve[static_cast<std::size_t>(state.position)]);
  paintAll(frame, packTint(l.sevenColor ? hueAt(state.position + kBreathHueOffset) : l.color),
           alpha);
  return frame;
}

Frame growingBar(const Lighting& l, PadPreviewState& state) {
  if (state.barFalling) {
    if (--state.barCount <= -1) state.barFalling = false;
  } else {
    if (++state.barCount >= kBarTop) state.barFalling = true;
  }
  Frame frame;
  for (int i = 0; i < kPadLights; ++i) {
    const bool lit = l.forward ? state.barCount < i : i < state.barCount;
    if (!lit) {
      frame.push_back({i, 0, 0});
      continue;
    }
    frame.push_back({i, packTint(l.sevenColor ? hueAt(kHueSpacing * i) : l.color), l.alpha});
  }
  return frame;
}

Frame travellingPulses(const Lighting& l, PadPreviewState& state) {
  firePulses(l, state, kPadFiringCells);
  Frame frame;
  for (int i = 0; i < kPadLights; ++i) {
    const auto cell = static_cast<std::size_t>(i);
    state.intensity[cell] = decayed(state.intensity[cell], kPadDecay);
    const Rgb color = l.sevenColor ? pulseHue(state.hue[cell]) : l.color;
    frame.push_back({i, packTint(color), scaled(l.alpha, state.intensity[cell])});
  }
  return frame;
}

Frame columnSpectrum(const Lighting& l, int& position) {
  position = wrap(position + (l.forward ? 1 : -1), kHueSteps);
  Frame frame;
  for (int c = 0; c < kPadColumnCount; ++c)
    paintColumn(frame, c, packTint(hueAt(position + kHueSpacing * c)), l.alpha);
  return frame;
}

PadStep slidingBlock(const Lighting& l, PadPreviewState& state) {
  const uint16_t pattern = slidePattern(state.slidingBack, state.slideStep);
  state.position = wrap(state.position - 1, kHueSteps);
  PadStep step;
  for (int c = 0; c < kPadColumnCount; ++c) {
    const bool lit = (pattern >> c & 1) != 0;
    paintColumn(step.frame, c, lit ? packTint(hueAt(state.position + kSlideHueSpacing * c)) : 0,
                lit ? l.alpha : 0);
  }
  if (++state.slideStep >= kSlideSteps) {
    state.slideStep = 0;
    state.slidingBack = !state.slidingBack;
    step.pauseAfter = kSlideTurnPause;
  }
  return step;
}

Frame flash(const Lighting& l, PadPreviewState& state, const PadStepInput& input) {
  if (input.flashRequest) {
    state.flashing = true;
    state.flashStart = input.nowMs;
    state.position = state.flashHue;
    state.flashHue += kFlashHueStep;
    if (state.flashHue >= kHueSteps) state.flashHue = 0;
  }
  // Unsigned difference: right across a wrap of the tick count.
  if (state.flashing && input.nowMs - state.flashStart >= static_cast<uint32_t>(kFlashLength.count()))
    state.flashing = false;
  Frame frame;
  if (state.flashing) {
    paintAll(frame, packTint(l.sevenColor ? hueAt(state.position) : l.color), l.alpha);
  } else {
    paintAll(frame, 0, 0);
  }
  return frame;
}

}  // namespace

PadStep stepPadPreview(const Record& record, PadPreviewState& state, const PadStepInput& input) {
  const Lighting l = lightingOf(record[kLightMode], record[kBrightness], record[kDirection],
                                record[kSevenColor], {record[kRed], record[kGreen], record[kBlue]});
  PadStep step;
  switch (l.mode) {
    case 0:
      step.frame = colourWave(l, state.position);
      break;
    case 1:
      state.position = wrap(state.position + (l.forward ? 1 : -1), kHueSteps);
      paintAll(step.frame, packTint(hueAt(state.position)), l.alpha);
      break;
    case 2:
      step.frame = breathing(l, state);
      break;
    case 3:
      paintAll(step.frame, packTint(l.color), l.alpha);
      break;
    case 4:
      step.frame = growingBar(l, state);
      break;
    case 5:
      step.frame = travellingPulses(l, state);
      break;
    case 6:
      step.frame = columnSpectrum(l, state.position);
      break;
    case 7:
      return slidingBlock(l, state);
    case 8:
      step.frame = flash(l, state, input);
      break;
    default:
      break;
  }
  return step;
}

std::chrono::milliseconds padPassPause(int speed) {
  return std::chrono::milliseconds(9 + 4 * speed);
}

std::chrono::milliseconds padModePause(int mode, int speed) {
  switch (mode) {
    case 4:
      return std::chrono::milliseconds(10 * speed + 100);
    case 5:
      return std::chrono::milliseconds(50);
    case 7:
      return std::chrono::milliseconds(5 * speed + 50);
    default:
      return std::chrono::milliseconds(0);
  }
}

}  // namespace varnacle::mousepad
