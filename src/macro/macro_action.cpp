#include "macro/macro_action.h"

#include "macro/macro_key_table.h"
#include "macro/macro_mouse_event_table.h"
#include "profile/ini_document.h"

namespace varnacle::macro {

std::optional<MacroAction> parseMacroAction(std::string_view line) {
  MacroAction action;
  size_t comma = line.rfind(',');
  if (comma == std::string_view::npos) return std::nullopt;
  action.label = std::string(line.substr(comma + 1));
  line = line.substr(0, comma);

  int numbers[4] = {};  // pressed, value, kind, delayHigh
  for (int& number : numbers) {
    comma = line.rfind(',');
    if (comma == std::string_view::npos) return std::nullopt;
    number = profile::leadingInt(line.substr(comma + 1));
    line = line.substr(0, comma);
  }
  action.pressed = static_cast<uint16_t>(numbers[0]);
  action.value = static_cast<uint8_t>(numbers[1]);
  action.kind = static_cast<uint8_t>(numbers[2]);
  action.delayHigh = static_cast<uint8_t>(numbers[3]);
  action.delayLow = static_cast<uint8_t>(profile::leadingInt(line));
  return action;
}

std::string formatMacroAction(const MacroAction& action) {
  std::string line = std::to_string(action.delayLow);
  for (int number :
       {int{action.delayHigh}, int{action.kind}, int{action.value}, int{action.pressed}}) {
    line += ',';
    line += std::to_string(number);
  }
  line += ',';
  line += action.label;
  return line;
}

std::string_view labelForStep(uint8_t kind, uint8_t value) {
  const bool flag = (kind & kPressFlag) != 0;
  switch (static_cast<MacroStepKind>(kind & 0x7F)) {
    case MacroStepKind::MouseButton:
      for (const MacroMouseEventRow& row : MacroMouseEventTable) {
        if (row.category == kMouseButtonCategory && row.buttonBit == value) return row.label;
      }
      return {};
    case MacroStepKind::MoveHorizontal:
      return flag ? "mouse_move_to_left_text" : "mouse_move_to_right_text";
    case MacroStepKind::MoveVertical:
      return flag ? "mouse_move_to_up_text" : "mouse_move_to_down_text";
    case MacroStepKind::ModifierKey:
      if (const MacroKeyRow* row = findModifierRow(value)) return row->label;
      return {};
    case MacroStepKind::UsageKey:
      if (const MacroKeyRow* row = findUsageRow(value)) return row->label;
      return {};
  }
  return {};
}

}  // namespace varnacle::macro
