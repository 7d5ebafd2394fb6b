#pragma once
// The mouse pad's on-screen preview as pure step functions over its 15
// lights: each call advances a preview state by one frame and returns the
// tints of the lights (numbered as "mp_dkey_N", 0-14) with the pause the
// worker takes after the frame. No threads, no controls, no clock: the time
// and the mouse's trigger flag come in as arguments.
//
//   0 colour wave       light i: hue (position + 7 i), or the fixed colour
//                       with the wave curve at (position + 10 i)
//   1 spectrum cycle    all lights one hue, position +-1 modulo 192
//   2 breathing         breathing-curve alpha; hue (position + 50) with
//                       seven-colour on, else the fixed colour
//   3 steady            the fixed colour
//   4 growing bar       a count between -1 and 15; light i lit when
//                       count < i (direction 1) or i < count (direction 0)
//   5 travelling pulses the pad's 23-cell trigger ring fires cells 0-14
//   6 column spectrum   column c: hue (position + 7 c)
//   7 sliding block     a 16-bit pattern of lit columns slides out
//                       (0x3F00, halved) and back (0x00FC, doubled), 15
//                       steps each, with a pause of 1000 ms at each turn
//   8 flash             100 ms of light on each trigger from the mouse, the
//                       hue advancing by 14 per flash (0 again at 192)
// Any other mode draws nothing and leaves the state as it was.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "mouse/preview_steps.h"
#include "mousepad/pad_lights.h"
#include "mousepad/pad_settings_record.h"

namespace varnacle::mousepad {

using mouse::Frame;
using mouse::Tint;

inline constexpr std::size_t kPadTriggerRingSize = 23;
inline constexpr std::size_t kPadFiringCells = 15;
// Steps per phase of the sliding block, and the pause at each turn.
inline constexpr int kSlideSteps = 15;
inline constexpr std::chrono::milliseconds kSlideTurnPause{1000};
inline constexpr uint16_t kSlideOutStart = 0x3F00;
inline constexpr uint16_t kSlideBackStart = 0x00FC;
inline constexpr std::chrono::milliseconds kFlashLength{100};
inline constexpr int kFlashHueStep = 14;

// What the pad preview carries from one frame to the next.
struct PadPreviewState {
  int position = 0;                                     // hue, wave or breathing position
  int barCount = 0;                                     // mode 4: -1 ... 15
  bool barFalling = false;                              // mode 4
  int colorSet = 0;                                     // mode 2: breaths counted 0-2
  std::array<uint8_t, kPadTriggerRingSize> triggers{};  // mode 5
  std::array<uint8_t, kPadLights> intensity{};          // mode 5, per light
  std::array<uint8_t, kPadLights> hue{};                // mode 5, per light
  uint8_t hueCounter = 0;                               // mode 5
  bool slidingBack = false;                             // mode 7: the returning phase
  int slideStep = 0;                                    // mode 7: step of the phase, 0-14
  int flashHue = 0;                                     // mode 8: hue of the next flash
  bool flashing = false;                                // mode 8
  uint32_t flashStart = 0;                              // mode 8: tick of the flash's start

  void reset() { *this = PadPreviewState{}; }
};

// What a step takes besides the record and the state.
struct PadStepInput {
  uint32_t nowMs = 0;          // a millisecond tick count (it may wrap)
  bool flashRequest = false;   // the mouse's trigger flag, taken by the caller
};

struct PadStep {
  Frame frame;
  // The extra pause after this frame (mode 7's turn), on top of the pass's.
  std::chrono::milliseconds pauseAfter{0};
};

PadStep stepPadPreview(const Record& record, PadPreviewState& state, const PadStepInput& input);

// The sliding block's pattern of lit columns (bit c = column c) at `step`
// (0-14) of a phase.
constexpr uint16_t slidePattern(bool back, int step) {
  return back ? static_cast<uint16_t>(kSlideBackStart << step)
              : static_cast<uint16_t>(kSlideOutStart >> step);
}

// The pause before a step, by mode and speed (record byte 3): every pass
// waits 9 + 4 x speed ms; the growing bar 10 x speed + 100 ms more, the
// pulses 50 ms more, the sliding block 5 x speed + 50 ms more.
std::chrono::milliseconds padPassPause(int speed);
std::chrono::milliseconds padModePause(int mode, int speed);

}  // namespace varnacle::mousepad
