#pragma once
// One step of a macro (and of a fire-key sequence) and its one-line text form
// "delayLow,delayHigh,kind,value,pressed,label", e.g. "5,0,138,4,1,keyboard_key_A"
// (press A, then 50 ms pass).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnacle::macro {

// Step kinds: bits 0–6 of `kind`. Bit 7 is the press flag of buttons and keys
// and the direction flag of moves (left, up).
enum class MacroStepKind : uint8_t {
  MouseButton = 1,
  MoveHorizontal = 4,
  MoveVertical = 5,
  ModifierKey = 9,
  UsageKey = 10,
};

inline constexpr uint8_t kPressFlag = 0x80;

struct MacroAction {
  uint8_t delayLow = 0;   // pause after this step, low byte, 10 ms units
  uint8_t delayHigh = 0;  // high byte of the pause
  uint8_t kind = 0;       // MacroStepKind in bits 0–6, flag in bit 7
  uint8_t value = 0;      // button bit, distance, modifier bit or usage
  uint16_t pressed = 0;   // 1 for a press row, 0 for a release row
  std::string label;      // text id, never contains a comma

  // The pause in 10 ms units, 0 to 65535.
  int pauseUnits() const { return delayLow + 256 * delayHigh; }
  uint8_t stepKind() const { return kind & 0x7F; }
  bool flag() const { return (kind & kPressFlag) != 0; }

  bool operator==(const MacroAction&) const = default;
};

// Parses a line from the right: the text after the last comma is the label,
// then pressed, value, kind and delayHigh, each the leading integer of the text
// after its comma; what remains is delayLow. Numbers are cut to their field
// widths (65535 → delayLow 255). A line with fewer than five commas is no step.
std::optional<MacroAction> parseMacroAction(std::string_view line);

// "%d,%d,%d,%d,%d,%s".
std::string formatMacroAction(const MacroAction& action);

// The label id of a step of the given kind byte and value: the mouse button,
// move direction, modifier or key label; empty when none fits.
std::string_view labelForStep(uint8_t kind, uint8_t value);

}  // namespace varnacle::macro
