#include "keyboard/lighting_preview.h"

#include <algorithm>

#include "mouse/preview_primitives.h"

namespace varnacle::keyboard {

namespace {

using namespace mouse::preview;
using mouse::BreathingCurve;
using mouse::KeyboardColumnTable;
using mouse::packTint;

constexpr int kOrderSpacing = 5;      // mode 7: steps between neighbours in the order
constexpr int kKeyPhaseSpacing = 33;  // mode 4: steps between neighbouring positions
constexpr int kBreathColorCount = 3;  // mode 2: colours taken in turn with multi-colour
constexpr int kBreathColorSpacing = kHueSteps / kBreathColorCount;
constexpr uint8_t kHueIncrement = 11;
constexpr uint8_t kLit = 255;
constexpr int kSparkSteps = static_cast<int>(Mode6SparkList.size());
constexpr int kPairSteps = 30;            // mode 6, stage 1: q runs 0 ... 30
constexpr std::size_t kFadeWatch = 72;    // mode 6: stage 1 ends once it is dark
constexpr std::size_t kRippleStart = 52;  // mode 6: where the ripple starts
constexpr std::size_t kRippleEnd = 105;   // mode 6: the ripple has arrived
constexpr std::size_t kBounceColumn = 9;  // mode 5
constexpr uint8_t kBounceLow = 0x01;
constexpr uint8_t kBounceHigh = 0x40;
constexpr int kSpeedTop = 14;

// The tints of one frame by position, all dark until painted.
struct Picture {
  std::array<Tint, kLedCount> tints;
  Picture() {
    for (std::size_t n = 0; n < kLedCount; ++n) tints[n] = {static_cast<int>(n), 0, 0};
  }
  void paint(std::size_t position, Rgb color, uint8_t alpha) {
    if (position < kLedCount)
      tints[position] = {static_cast<int>(position), packTint(color), alpha};
  }
  Frame frame() const { return Frame(tints.begin(), tints.end()); }
};

Lighting lightingOfRecord(const Record& r) {
  return lightingOf(r[kLightMode], r[kBrightness], r[kDirection], r[kSevenColor],
                    {r[kRed], r[kGreen], r[kBlue]});
}

int stepped(int phase, bool forward, int period) {
  return wrap(phase + (forward ? 1 : -1), period);
}

// Modes 0, 1 and 3 are the shared preview's modes 0, 1 and 3 on the keyboard
// alone.
Frame sharedMode(const Record& record, KeyboardPreviewState& state) {
  const Frame shared =
      mouse::stepSharedPreview(mouse::sharedBlockOf(record), state.wave, {true, false, false});
  Picture picture;
  for (const Tint& t : shared) {
    const int position = t.light - mouse::kSharedKeyboardBase;
    if (position >= 0 && position < static_cast<int>(kLedCount))
      picture.tints[static_cast<std::size_t>(position)] = {position, t.color, t.alpha};
  }
  return picture.frame();
}

Frame breathing(const Lighting& l, KeyboardPreviewState& state) {
  if (stepBreath(state.phase, l.forward))
    state.breathColor = (state.breathColor + 1) % kBreathColorCount;
  const uint8_t alpha = scaled(l.alpha, BreathingCurve[static_cast<std::size_t>(state.phase)]);
  const Rgb color = l.sevenColor ? hueAt(kBreathColorSpacing * state.breathColor) : l.color;
  Picture picture;
  for (std::size_t n = 0; n < kLedCount; ++n) picture.paint(n, color, alpha);
  return picture.frame();
}

Frame keyPhases(const Lighting& l, KeyboardPreviewState& state) {
  state.phase = stepped(state.phase, l.forward, kHueSteps);
  Picture picture;
  for (std::size_t n = 0; n < kLedCount; ++n)
    picture.paint(n, hueAt(state.phase + kKeyPhaseSpacing * static_cast<int>(n)), l.alpha);
  return picture.frame();
}

Frame orderWave(const Lighting& l, KeyboardPreviewState& state) {
  state.phase = stepped(state.phase, l.forward, l.sevenColor ? kHueSteps : kWaveSteps);
  Picture picture;
  for (std::size_t i = 0; i < Mode7KeyOrder.size(); ++i) {
    const int at = state.phase + kOrderSpacing * static_cast<int>(i);
    if (l.sevenColor) {
      picture.paint(Mode7KeyOrder[i], hueAt(at), l.alpha);
    } else {
      picture.paint(Mode7KeyOrder[i], l.color, scaled(l.alpha, waveAt(at)));
    }
  }
  return picture.frame();
}

Frame customColors(const Lighting& l, const CustomTable& table) {
  Picture picture;
  for (std::size_t n = 0; n < kLedCount; ++n)
    if (const auto led = ledOf(n)) picture.paint(n, table[*led], l.alpha);
  return picture.frame();
}

// A key lit by a ripple: full intensity and, with multi-colour, the next hue.
void light(KeyboardPreviewState& state, std::size_t position, bool multi) {
  if (position >= kLedCount) return;
  state.intensity[position] = kLit;
  if (multi) {
    state.hueCounter = static_cast<uint8_t>(state.hueCounter + kHueIncrement);
    state.hue[position] = state.hueCounter;
  }
}

// Every key under a set bit of any mask lights.
void lightFromMasks(KeyboardPreviewState& state, bool multi) {
  for (std::size_t c = 0; c < kColumns; ++c) {
    const uint8_t any = static_cast<uint8_t>(state.masks[kLeftDown][c] | state.masks[kLeftUp][c] |
                                             state.masks[kRightDown][c] | state.masks[kRightUp][c]);
    for (std::size_t r = 0; r < kRows; ++r) {
      const int position = KeyboardColumnTable[c][r];
      if ((any >> r & 1) != 0 && position >= 0)
        light(state, static_cast<std::size_t>(position), multi);
    }
  }
}

void rippleAndStep(KeyboardPreviewState& state, bool multi) {
  lightFromMasks(state, multi);
  state.masks = stepRipple(state.masks);
}

void paintRippleKey(Picture& picture, KeyboardPreviewState& state, const Lighting& l,
                    std::size_t position, const DecayLadder& ladder) {
  state.intensity[position] = rippleDecayed(state.intensity[position], ladder);
  const Rgb color = l.sevenColor ? pulseHue(state.hue[position]) : l.color;
  picture.paint(position, color, scaled(l.alpha, state.intensity[position]));
}

// Modes 5 and 6 paint the key order, then position 0 a second time (so it
// also decays twice a frame).
Frame paintInOrder(KeyboardPreviewState& state, const Lighting& l, const DecayLadder& ladder) {
  Picture picture;
  for (const uint8_t position : Mode7KeyOrder) paintRippleKey(picture, state, l, position, ladder);
  paintRippleKey(picture, state, l, 0, ladder);
  return picture.frame();
}

Frame bouncing(const Lighting& l, KeyboardPreviewState& state) {
  const uint8_t column = static_cast<uint8_t>(
      state.masks[kLeftDown][kBounceColumn] | state.masks[kLeftUp][kBounceColumn] |
      state.masks[kRightDown][kBounceColumn] | state.masks[kRightUp][kBounceColumn]);
  if (column == kBounceLow || column == kBounceHigh) {
    for (auto& mask : state.masks) mask[kBounceColumn] |= column;
  }
  rippleAndStep(state, l.sevenColor);
  return paintInOrder(state, l, kBounceDecay);
}

void sparkStage(const Lighting& l, KeyboardPreviewState& state) {
  switch (state.stage) {
    case 0:
      for (const uint8_t position : Mode6SparkList[static_cast<std::size_t>(state.step)])
        if (position != kNoPosition) light(state, position, l.sevenColor);
      if (++state.step >= kSparkSteps) {
        state.stage = 1;
        state.step = 0;
      }
      return;
    case 1:
      if (state.step <= kPairSteps) {
        for (const uint8_t position :
             Mode6PairList[static_cast<std::size_t>(state.step) % Mode6PairList.size()])
          light(state, position, l.sevenColor);
        ++state.step;
      } else if (state.intensity[kFadeWatch] == 0) {
        state.stage = 2;
        state.step = 0;
      }
      return;
    case 2:
      state.mark(kRippleStart);
      state.stage = 3;
      return;
    case 3:
      rippleAndStep(state, l.sevenColor);
      if (state.intensity[kRippleEnd] == kLit) state.stage = 4;
      return;
    default:
      if (state.intensity[kRippleEnd] == 0) {
        state.stage = 0;
        state.step = 0;
      }
      return;
  }
}

Frame reactive(const KeyboardPreviewInput& input, const Lighting& l, KeyboardPreviewState& state) {
  const uint32_t interval = 3u * std::min<uint32_t>(input.record[kSpeed], kSpeedTop) + 2u;
  if (input.ticks - state.rippleMark > interval) {
    state.rippleMark = input.ticks;
    rippleAndStep(state, l.sevenColor);
  }
  if (!input.tickRaised) return {};
  Picture picture;
  for (std::size_t n = 0; n < kLedCount; ++n) paintRippleKey(picture, state, l, n, kRippleDecay);
  return picture.frame();
}

}  // namespace

Masks stepRipple(const Masks& old) {
  Masks next{};
  constexpr std::size_t last = kColumns - 1;
  const auto down = [](uint8_t b) { return static_cast<uint8_t>(b << 1); };
  const auto up = [](uint8_t b) { return static_cast<uint8_t>(b >> 1); };
  for (std::size_t i = 0; i < kColumns; ++i) {
    next[kLeftDown][i] =
        static_cast<uint8_t>(down(old[kLeftDown][i]) | (i < last ? old[kLeftDown][i + 1] : 0));
    next[kLeftUp][i] =
        static_cast<uint8_t>(up(old[kLeftUp][i]) | (i < last ? old[kLeftUp][i + 1] : 0));
    next[kRightDown][i] =
        static_cast<uint8_t>(down(old[kRightDown][i]) | (i > 0 ? old[kRightDown][i - 1] : 0));
    next[kRightUp][i] =
        static_cast<uint8_t>(up(old[kRightUp][i]) | (i > 0 ? old[kRightUp][i - 1] : 0));
  }
  return next;
}

std::optional<ColumnRow> columnRowOf(std::size_t position) {
  for (std::size_t c = 0; c < kColumns; ++c)
    for (std::size_t r = 0; r < kRows; ++r)
      if (KeyboardColumnTable[c][r] == static_cast<int>(position)) return ColumnRow{c, r};
  return std::nullopt;
}

void KeyboardPreviewState::mark(std::size_t position) {
  const auto at = columnRowOf(position);
  if (!at) return;
  for (auto& mask : masks) mask[at->column] |= static_cast<uint8_t>(1u << at->row);
}

void KeyboardPreviewState::startBounce() {
  for (auto& mask : masks) mask[kBounceColumn] |= kBounceHigh;
}

uint8_t rippleDecayed(uint8_t intensity, const DecayLadder& ladder) {
  return intensity <= kDarkBelow ? 0 : decayed(intensity, ladder);
}

Frame stepKeyboardPreview(const KeyboardPreviewInput& input, KeyboardPreviewState& state) {
  const Lighting l = lightingOfRecord(input.record);
  switch (l.mode) {
    case 0:
    case 1:
    case 3:
      return sharedMode(input.record, state);
    case 2:
      return breathing(l, state);
    case 4:
      return keyPhases(l, state);
    case kBouncingMode:
      return bouncing(l, state);
    case 6:
      sparkStage(l, state);
      return paintInOrder(state, l, kRippleDecay);
    case 7:
      return orderWave(l, state);
    case kCustomMode:
      return customColors(l, input.custom);
    case kReactiveMode:
      return reactive(input, l, state);
    default:
      return {};
  }
}

void skipKeyboardPreview(const KeyboardPreviewInput& input, KeyboardPreviewState& state, int steps) {
  if (steps <= 0) return;
  const Lighting l = lightingOfRecord(input.record);
  const int by = l.forward ? steps : -steps;
  switch (l.mode) {
    case 0:
    case 1:
    case 3:
      mouse::skipSharedPreview(mouse::sharedBlockOf(input.record), state.wave, steps);
      return;
    case 4:
      state.phase = wrap(state.phase + by, kHueSteps);
      return;
    case 7:
      state.phase = wrap(state.phase + by, l.sevenColor ? kHueSteps : kWaveSteps);
      return;
    default:
      for (int i = 0; i < steps; ++i) stepKeyboardPreview(input, state);
  }
}

std::chrono::milliseconds keyboardPassDelay(int mode, int speed) {
  const int s = std::clamp(speed, 0, kSpeedTop);
  // From speed 1 on most modes share one ladder: 13 ms, then 4 ms more per step.
  const int ladder = 13 + 4 * (s - 1);
  // A mode the preview cannot draw rests between its empty passes.
  int ms = 100;
  switch (mode) {
    case 0:
      ms = s == 0 ? 2 : ladder;
      break;
    case 1:
    case 3:
    case 5:
    case 6:
    case 8:
      ms = s == 0 ? 9 : ladder;
      break;
    case 2:
      ms = s == kSpeedTop ? 63 : 9 + 4 * s;
      break;
    case 4:
    case 7:
      ms = s == 0 ? 3 : ladder;
      break;
    case 9:
      ms = s == 0 ? 0 : 9 + 4 * (s - 1);
      break;
    default:
      break;
  }
  return std::chrono::milliseconds(ms);
}

std::chrono::milliseconds keyboardFramePause(int mode) {
  switch (mode) {
    case 1:
      return std::chrono::milliseconds(20);
    case 4:
      return std::chrono::milliseconds(12);
    case 5:
      return std::chrono::milliseconds(40);
    case 6:
      return std::chrono::milliseconds(15);
    case 7:
      return std::chrono::milliseconds(1);
    default:
      return std::chrono::milliseconds(0);
  }
}

}  // namespace varnacle::keyboard
