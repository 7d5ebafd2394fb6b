#pragma once
// The recorder of a macro page: turns the key and mouse events of a
// recording into steps and measures the pause between them.
//
//   key press    → the key's row of MacroKeyTable, unless it repeats the key
//                  last pressed (a typematic repeat) or has no row
//   key release  → its row; a release of the key last pressed ends the repeat
//   mouse button → rows 0–5 of MacroMouseEventTable (left, right, middle
//                  press and release) while the click option is chosen, never
//                  the same message twice in a row
//
// Every recorded event ends the pause of the step before it: the time since
// the previous recorded event (or the start), in milliseconds of a monotonic
// clock, at most kMaxRecordedPauseMs, or kFixedPauseMs with the fixed-time
// option.
//
// Plain state on the UI thread.
#include <cstdint>
#include <optional>

#include "macro/macro_action.h"

namespace varnacle::macro {

inline constexpr uint32_t kMaxRecordedPauseMs = 655350;
inline constexpr uint32_t kFixedPauseMs = 50;

// The code a key event is recorded under: the virtual-key code, the keypad
// Enter (Enter with the extended flag) as kKeypadEnterCode.
uint16_t recordedKeyCode(uint16_t virtualKey, uint32_t flags);

// A measured pause given to a step: 10 ms units, rounded down.
MacroAction withMeasuredPause(MacroAction step, uint32_t pauseMs);

class MacroRecorder {
 public:
  bool recording() const { return recording_; }
  // The pauses are measured from `nowMs` on. The last key and mouse message
  // are kept from an earlier recording.
  void start(uint32_t nowMs);
  void stop() { recording_ = false; }

  // The step of a key event, none when it is dropped.
  std::optional<MacroAction> keyEvent(uint16_t virtualKey, uint32_t flags, bool press);
  // The step of a mouse message, none when it is dropped.
  std::optional<MacroAction> mouseEvent(uint32_t mouseMessage, bool clickOption);
  // A step was recorded at `nowMs`: the pause the step before it gets.
  uint32_t measure(uint32_t nowMs, bool fixedPause);

 private:
  bool recording_ = false;
  uint32_t lastEventTick_ = 0;
  uint16_t lastRecordedKey_ = 0;
  uint32_t lastRecordedMouseMessage_ = 0;
};

}  // namespace varnacle::macro
