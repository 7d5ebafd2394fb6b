#include "macro/step_edits.h"

#include <algorithm>

#include "macro/macro_key_table.h"
#include "macro/macro_mouse_event_table.h"

namespace varnacle::macro {

namespace {

bool isMove(const MacroAction& step) {
  const auto kind = static_cast<MacroStepKind>(step.stepKind());
  return kind == MacroStepKind::MoveHorizontal || kind == MacroStepKind::MoveVertical;
}

bool isMouseStep(const MacroAction& step) {
  return step.stepKind() < static_cast<uint8_t>(MacroStepKind::ModifierKey);
}

// The first move row: rows from here to kMouseEventStepRows − 1 are moves.
constexpr size_t kFirstMoveRow = 10;

uint8_t pressBit(bool pressed) {
  return pressed ? kPressFlag : 0;
}

}  // namespace

TypedNumber typedNumber(std::string_view text, int maximum) {
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<long long>(value * 10 + (c - '0'), static_cast<long long>(maximum) + 1);
  }
  if (value > maximum) return {maximum, true};
  return {static_cast<int>(value), false};
}

StepRowLabels stepRowLabels(std::string_view line) {
  const MacroAction step = parseMacroAction(line).value_or(MacroAction{});
  StepRowLabels labels;
  labels.nameStyle = isMouseStep(step) ? kMouseStepStyle : kKeyboardStepStyle;
  labels.nameText = step.label;
  if (isMove(step)) {
    labels.stateStyle = kTextStyle;
    labels.stateText = std::to_string(step.value);
  } else {
    labels.stateStyle = step.pressed != 0 ? kPressStyle : kReleaseStyle;
  }
  labels.pauseText = std::to_string(step.pauseUnits() * 10);
  return labels;
}

StepEditorView stepEditorView(const MacroAction& step) {
  StepEditorView view;
  view.pauseUnits = step.pauseUnits();
  if (isMouseStep(step)) {
    view.page = StepEditorPage::mouse;
    for (size_t row = 0; row < kFirstMoveRow; ++row) {
      const MacroMouseEventRow& r = MacroMouseEventTable[row];
      if (r.buttonBit == step.value && r.kindByte == step.kind) {
        view.mouseItem = static_cast<int>(row);
        return view;
      }
    }
    const auto kind = static_cast<MacroStepKind>(step.stepKind());
    if (kind == MacroStepKind::MoveHorizontal || kind == MacroStepKind::MoveVertical) {
      const size_t first =
          kind == MacroStepKind::MoveHorizontal ? kFirstMoveRow : kFirstMoveRow + 2;
      view.mouseItem = static_cast<int>(step.flag() ? first : first + 1);
      view.move = true;
      view.distance = step.value;
    }
    return view;
  }
  view.page = StepEditorPage::keyboard;
  view.pressItem = step.pressed != 0 ? 1 : 0;
  const MacroKeyRow* row = nullptr;
  if (step.stepKind() == static_cast<uint8_t>(MacroStepKind::UsageKey))
    row = findUsageRow(step.value);
  if (step.stepKind() == static_cast<uint8_t>(MacroStepKind::ModifierKey))
    row = findModifierRow(step.value);
  if (row) view.keyItem = static_cast<int>(row - MacroKeyTable.data());
  return view;
}

std::optional<MacroAction> withKeyChoice(MacroAction step, int item) {
  if (item < 0 || item >= static_cast<int>(MacroKeyTable.size())) return std::nullopt;
  const MacroKeyRow& row = MacroKeyTable[static_cast<size_t>(item)];
  const uint8_t press = pressBit(step.pressed != 0);
  if (row.usage != 0) {
    step.value = row.usage;
    step.kind = press | static_cast<uint8_t>(MacroStepKind::UsageKey);
  } else {
    step.value = row.modifier;
    step.kind = press | static_cast<uint8_t>(MacroStepKind::ModifierKey);
  }
  step.label = std::string(row.label);
  return step;
}

std::optional<MacroAction> withPressChoice(MacroAction step, int item) {
  if (item != 0 && item != 1) return std::nullopt;
  step.pressed = static_cast<uint16_t>(item);
  step.kind = static_cast<uint8_t>((step.kind & ~kPressFlag) | pressBit(item == 1));
  return step;
}

std::optional<MacroAction> withMouseChoice(MacroAction step, int item) {
  if (item < 0 || item >= static_cast<int>(kMouseEventStepRows)) return std::nullopt;
  const MacroMouseEventRow& row = MacroMouseEventTable[static_cast<size_t>(item)];
  const bool wasMove = isMove(step);
  step.label = std::string(row.label);
  step.kind = row.kindByte;
  if (static_cast<size_t>(item) < kFirstMoveRow) {
    step.value = row.buttonBit;
    step.pressed = step.flag() ? 1 : 0;
  } else if (!wasMove) {
    step.value = 0;
  }
  return step;
}

MacroAction withPause(MacroAction step, int units) {
  units = std::clamp(units, 0, kMaxPauseUnits);
  step.delayLow = static_cast<uint8_t>(units & 0xFF);
  step.delayHigh = static_cast<uint8_t>(units >> 8);
  return step;
}

std::optional<MacroAction> withDistance(MacroAction step, int distance) {
  if (!isMove(step)) return std::nullopt;
  step.value = static_cast<uint8_t>(std::clamp(distance, 0, kMaxDistance));
  return step;
}

std::optional<MacroAction> insertedStep(int row, int distance) {
  if (row < 0 || row >= static_cast<int>(kMouseEventStepRows)) return std::nullopt;
  const MacroMouseEventRow& r = MacroMouseEventTable[static_cast<size_t>(row)];
  MacroAction step;
  step.kind = r.kindByte;
  step.value = static_cast<size_t>(row) < kFirstMoveRow
                   ? r.buttonBit
                   : static_cast<uint8_t>(std::clamp(distance, 0, kMaxDistance));
  step.label = std::string(r.label);
  step.pressed = step.flag() ? 1 : 0;
  step.delayLow = kInsertedPauseUnits;
  return step;
}

}  // namespace varnacle::macro
