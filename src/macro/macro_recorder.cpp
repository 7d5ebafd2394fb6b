#include "macro/macro_recorder.h"

#include <algorithm>
#include <span>

#include "macro/macro_key_table.h"
#include "macro/macro_mouse_event_table.h"

namespace varnacle::macro {

namespace {

constexpr uint16_t kVkReturn = 0x0D;
constexpr uint32_t kExtendedFlag = 0x01;
// Rows 0–5 of MacroMouseEventTable: the buttons a recording takes.
constexpr std::size_t kRecordedMouseRows = 6;

}  // namespace

uint16_t recordedKeyCode(uint16_t virtualKey, uint32_t flags) {
  return virtualKey == kVkReturn && (flags & kExtendedFlag) ? kKeypadEnterCode : virtualKey;
}

MacroAction withMeasuredPause(MacroAction step, uint32_t pauseMs) {
  const uint32_t units = std::min(pauseMs, kMaxRecordedPauseMs) / 10;
  step.delayLow = static_cast<uint8_t>(units & 0xFF);
  step.delayHigh = static_cast<uint8_t>(units >> 8);
  return step;
}

void MacroRecorder::start(uint32_t nowMs) {
  lastEventTick_ = nowMs;
  recording_ = true;
}

std::optional<MacroAction> MacroRecorder::keyEvent(uint16_t virtualKey, uint32_t flags,
                                                   bool press) {
  if (!recording_) return std::nullopt;
  const uint16_t code = recordedKeyCode(virtualKey, flags);
  if (press) {
    if (code == lastRecordedKey_) return std::nullopt;
    lastRecordedKey_ = code;
  } else if (code == lastRecordedKey_) {
    lastRecordedKey_ = 0;
  }
  const MacroKeyRow* row = findKeyRow(code);
  if (!row) return std::nullopt;
  MacroAction step;
  const bool usage = row->usage != 0;
  step.kind = static_cast<uint8_t>((press ? kPressFlag : 0) +
                                   static_cast<uint8_t>(usage ? MacroStepKind::UsageKey
                                                              : MacroStepKind::ModifierKey));
  step.value = usage ? row->usage : row->modifier;
  step.pressed = press ? 1 : 0;
  step.label = std::string(row->label);
  return step;
}

std::optional<MacroAction> MacroRecorder::mouseEvent(uint32_t mouseMessage, bool clickOption) {
  if (!recording_) return std::nullopt;
  const auto rows = std::span(MacroMouseEventTable).first(kRecordedMouseRows);
  const auto row = std::find_if(rows.begin(), rows.end(), [&](const MacroMouseEventRow& r) {
    return r.message == mouseMessage;
  });
  if (row == rows.end() || !clickOption) return std::nullopt;
  if (mouseMessage == lastRecordedMouseMessage_) return std::nullopt;
  lastRecordedMouseMessage_ = mouseMessage;
  MacroAction step;
  step.kind = row->kindByte;
  step.value = row->buttonBit;
  step.pressed = (row->kindByte & kPressFlag) ? 1 : 0;
  step.label = std::string(row->label);
  return step;
}

uint32_t MacroRecorder::measure(uint32_t nowMs, bool fixedPause) {
  const uint32_t pause = std::min(nowMs - lastEventTick_, kMaxRecordedPauseMs);
  lastEventTick_ = nowMs;
  return fixedPause ? kFixedPauseMs : pause;
}

}  // namespace varnacle::macro
