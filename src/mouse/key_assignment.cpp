#include "mouse/key_assignment.h"

#include <algorithm>

#include "macro/macro_key_table.h"

namespace varnacle::mouse {

namespace {

using device::entryAt;
using device::itemOf;
using device::kLabelKeptCodes;

template <std::size_t N>
bool contains(const std::array<uint8_t, N>& codes, uint8_t code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

uint8_t clampByte(int value, int limit) {
  return static_cast<uint8_t>(std::clamp(value, 0, limit));
}

ButtonLabel textId(std::string_view id) {
  return ButtonLabel{ButtonLabel::Kind::textId, std::string(id)};
}

template <std::size_t N>
ButtonLabel listLabel(const std::array<FunctionEntry, N>& list, uint8_t param1, uint8_t param2) {
  const int item = itemOf(list, param1, param2);
  return item < 0 ? ButtonLabel{} : textId(list[static_cast<std::size_t>(item)].label);
}

}  // namespace

std::optional<int> editLimit(std::string_view edit) {
  for (const EditLimit& e : EditLimits)
    if (e.edit == edit) return e.limit;
  return std::nullopt;
}

KeyAssignment recordAt(std::span<const uint8_t> table, int k) {
  if (k < 0 || static_cast<std::size_t>(k) * 3 + 3 > table.size()) return {};
  const std::size_t at = static_cast<std::size_t>(k) * 3;
  return {table[at], table[at + 1], table[at + 2]};
}

void setRecord(std::span<uint8_t> table, int k, const KeyAssignment& record) {
  if (k < 0 || static_cast<std::size_t>(k) * 3 + 3 > table.size()) return;
  const std::size_t at = static_cast<std::size_t>(k) * 3;
  table[at] = record.function;
  table[at + 1] = record.param1;
  table[at + 2] = record.param2;
}

bool isLastLeftClick(std::span<const uint8_t> table, int button) {
  if (recordAt(table, button) != kLeftClick) return false;
  for (int k = 0; k < kLeftClickGuardRecords; ++k)
    if (k != button && recordAt(table, k) == kLeftClick) return false;
  return true;
}

FunctionChoice choiceFor(const KeyAssignment& record, const KeyAssignment& defaultRecord,
                         int macroCount) {
  FunctionChoice c;
  if (record == defaultRecord) return c;
  const auto categoryOf = [](uint8_t code) {
    const auto* at = std::find(FunctionCategories.begin(), FunctionCategories.end(), code);
    return static_cast<int>(at - FunctionCategories.begin());
  };
  switch (record.function) {
    case kFnMouseButton:
      c.category = categoryOf(kFnMouseButton);
      c.item = itemOf(MouseButtonList, record.param1, record.param2);
      break;
    case kFnHorizontalSwing:
    case kFnVerticalSwing:
      c.category = categoryOf(record.function);
      c.item = (record.param2 & kSwingReverseBit) ? 1 : 0;
      c.amount = record.param2 & ~kSwingReverseBit;
      c.high = record.param1 / 16;
      c.low = record.param1 % 16;
      break;
    case kFnDpi:
      c.category = categoryOf(kFnDpi);
      c.item = itemOf(DpiList, record.param1, record.param2);
      break;
    case kFnFireKey:
      c.category = kCategoryFireKey;
      c.fire1 = record.param1;
      c.fire2 = record.param2;
      break;
    case kFnKeyboardKey:
      c.category = kCategoryKeyboardKey;
      break;
    case kFnMultimedia:
      c.category = categoryOf(kFnMultimedia);
      c.item = itemOf(MultimediaList, record.param1, record.param2);
      break;
    case kFnSystem:
      c.category = categoryOf(kFnSystem);
      c.item = itemOf(SystemList, record.param1, record.param2);
      break;
    case kFnMacro:
    case kFnMacroRepeat:
      c.category = kCategoryMacro;
      if (record.param1 < macroCount) {
        c.item = record.param1;
        if (record.function == kFnMacro) {
          c.playMode = record.param2 < kMacroRepeatMode ? record.param2 : -1;
        } else {
          c.playMode = kMacroRepeatMode;
          c.count = record.param2;
        }
      }
      break;
    case kFnFireSequence:
      c.category = categoryOf(kFnFireSequence);
      c.item = record.param1 < FireSequenceLabels.size() ? record.param1 : -1;
      break;
    default:
      // No page for the listed codes, nor for codes the catalogue lacks.
      c.category = -1;
      break;
  }
  return c;
}

std::optional<KeyAssignment> assignmentFor(const FunctionChoice& c, const KeyAssignment& captured,
                                           bool keyShown, const KeyAssignment& defaultRecord) {
  if (c.category < 0 || c.category >= static_cast<int>(FunctionCategories.size()))
    return std::nullopt;
  const uint8_t code = FunctionCategories[static_cast<std::size_t>(c.category)];
  const auto fromList = [&](const FunctionEntry* entry) -> std::optional<KeyAssignment> {
    if (!entry) return std::nullopt;
    return KeyAssignment{code, entry->param1, entry->param2};
  };
  switch (code) {
    case kFnDefault:
      return defaultRecord;
    case kFnMouseButton:
      return fromList(entryAt(MouseButtonList, c.item));
    case kFnDpi:
      return fromList(entryAt(DpiList, c.item));
    case kFnMultimedia:
      return fromList(entryAt(MultimediaList, c.item));
    case kFnSystem:
      return fromList(entryAt(SystemList, c.item));
    case kFnHorizontalSwing:
    case kFnVerticalSwing: {
      const uint8_t amount = clampByte(c.amount, 127);
      return KeyAssignment{code,
                           static_cast<uint8_t>(clampByte(c.high, 15) * 16 + clampByte(c.low, 15)),
                           static_cast<uint8_t>(c.item == 1 ? amount | kSwingReverseBit : amount)};
    }
    case kFnFireKey:
      return KeyAssignment{code, clampByte(c.fire1, 255), clampByte(c.fire2, 255)};
    case kFnKeyboardKey:
      if (!keyShown || captured.function != kFnKeyboardKey) return std::nullopt;
      return captured;
    case kFnMacro:
      if (c.item < 0 || c.item > 255) return std::nullopt;
      if (c.playMode == kMacroRepeatMode)
        return KeyAssignment{kFnMacroRepeat, static_cast<uint8_t>(c.item), clampByte(c.count, 255)};
      return KeyAssignment{kFnMacro, static_cast<uint8_t>(c.item),
                           static_cast<uint8_t>(std::clamp(c.playMode, 0, kMacroRepeatMode - 1))};
    case kFnFireSequence:
      if (c.item < 0 || c.item >= static_cast<int>(FireSequenceLabels.size())) return std::nullopt;
      return KeyAssignment{code, static_cast<uint8_t>(c.item), 0};
    default:
      return std::nullopt;
  }
}

std::string_view keyLabel(uint8_t modifier, uint8_t usage) {
  for (const macro::MacroKeyRow& row : macro::MacroKeyTable)
    if (row.modifier == modifier && row.usage == usage) return row.label;
  return {};
}

ButtonLabel labelFor(const KeyAssignment& r, std::span<const std::string> macroNames) {
  if (contains(kLabelKeptCodes, r.function)) return {};
  switch (r.function) {
    case kFnMouseButton:
      for (const FunctionEntry& e : MouseButtonList)
        if (e.param1 == r.param1) return textId(e.label);
      return {};
    case kFnHorizontalSwing:
      return textId(HorizontalSwingLabels[(r.param2 & kSwingReverseBit) ? 1 : 0]);
    case kFnVerticalSwing:
      return textId(VerticalSwingLabels[(r.param2 & kSwingReverseBit) ? 1 : 0]);
    case kFnDpi:
      for (const FunctionEntry& e : DpiList)
        if (e.param1 == r.param1) return textId(e.label);
      return {};
    case kFnFireKey:
      return textId(kFireKeyLabel);
    case kFnDefault:
    case kFnKeyboardKey: {
      const std::string_view label = keyLabel(r.param1, r.param2);
      return label.empty() ? ButtonLabel{} : textId(label);
    }
    case kFnMultimedia:
    case device::kFnMultimediaAlternate:
      return listLabel(MultimediaList, r.param1, r.param2);
    case kFnSystem:
      for (const FunctionEntry& e : SystemList)
        if (e.param1 == r.param1) return textId(e.label);
      return {};
    case kFnMacro:
    case kFnMacroRepeat:
      if (r.param1 >= macroNames.size()) return {};
      return ButtonLabel{ButtonLabel::Kind::literal, macroNames[r.param1]};
    case kFnFireSequence:
      if (r.param1 >= FireSequenceLabels.size()) return {};
      return textId(FireSequenceLabels[r.param1]);
    default:
      return textId(kUnknownFunctionLabel);
  }
}

}  // namespace varnacle::mouse
