#include "keyboard/key_assignment.h"

#include <algorithm>

#include "macro/macro_recorder.h"

namespace varnacle::keyboard {

namespace {

using device::entryAt;
using device::FunctionEntry;
using device::itemOf;

uint8_t clampByte(int value, int limit) {
  return static_cast<uint8_t>(std::clamp(value, 0, limit));
}

KeyLabel textId(std::string_view id) {
  return KeyLabel{KeyLabel::Kind::textId, std::string(id)};
}

// The label of the first entry whose param1 is `param1` (mouse buttons, DPI
// steps and system keys are told apart by param1 alone).
template <std::size_t N>
KeyLabel firstParamLabel(const std::array<FunctionEntry, N>& list, uint8_t param1) {
  for (const FunctionEntry& e : list)
    if (e.param1 == param1) return textId(e.label);
  return {};
}

int categoryOf(uint8_t type) {
  const auto* at = std::find(KeyFunctionCategories.begin(), KeyFunctionCategories.end(),
                             type == device::kFnMacroRepeat ? device::kFnMacro : type);
  return at == KeyFunctionCategories.end() ? -1
                                           : static_cast<int>(at - KeyFunctionCategories.begin());
}

}  // namespace

std::optional<int> keyEditLimit(std::string_view edit) {
  for (const KeyEditLimit& e : KeyEditLimits)
    if (e.edit == edit) return e.limit;
  return std::nullopt;
}

KeyRecord recordAt(std::span<const uint8_t> table, int k) {
  if (k < 0 || static_cast<std::size_t>(k) * 3 + 3 > table.size()) return {};
  const std::size_t at = static_cast<std::size_t>(k) * 3;
  return {table[at], table[at + 1], table[at + 2]};
}

void setRecord(std::span<uint8_t> table, int k, const KeyRecord& record) {
  if (k < 0 || static_cast<std::size_t>(k) * 3 + 3 > table.size()) return;
  const std::size_t at = static_cast<std::size_t>(k) * 3;
  table[at] = record.type;
  table[at + 1] = record.p1;
  table[at + 2] = record.p2;
}

KeyChoice keyChoiceFor(const KeyRecord& record, const KeyRecord& base, int macroCount) {
  KeyChoice c;
  if (record == base) return c;
  c.category = categoryOf(record.type);
  switch (record.type) {
    case device::kFnMouseButton:
      c.item = itemOf(device::MouseButtonList, record.p1, record.p2);
      break;
    case device::kFnHorizontalSwing:
    case device::kFnVerticalSwing:
      c.item = (record.p2 & device::kSwingReverseBit) ? 1 : 0;
      c.amount = record.p2 & ~device::kSwingReverseBit;
      c.high = record.p1 >> 4;
      c.low = record.p1 & 0x0F;
      break;
    case device::kFnDpi:
      c.item = itemOf(device::DpiList, record.p1, record.p2);
      break;
    case device::kFnFireKey:
      c.fire1 = record.p1;
      c.fire2 = record.p2;
      break;
    case device::kFnMultimedia:
      c.item = itemOf(device::MultimediaList, record.p1, record.p2);
      break;
    case device::kFnSystem:
      c.item = itemOf(device::SystemList, record.p1, record.p2);
      break;
    case device::kFnMacro:
    case device::kFnMacroRepeat:
      if (record.p1 < macroCount) {
        c.item = record.p1;
        if (record.type == device::kFnMacro) {
          c.playMode = record.p2 < device::kMacroRepeatMode ? record.p2 : -1;
        } else {
          c.playMode = device::kMacroRepeatMode;
          c.count = record.p2;
        }
      }
      break;
    default:
      break;
  }
  return c;
}

std::optional<KeyRecord> recordForChoice(const KeyChoice& c, const KeyRecord& captured,
                                         bool keyShown, const KeyRecord& base) {
  if (c.category < 0 || c.category >= static_cast<int>(KeyFunctionCategories.size()))
    return std::nullopt;
  const uint8_t type = KeyFunctionCategories[static_cast<std::size_t>(c.category)];
  const auto fromList = [type](const FunctionEntry* entry) -> std::optional<KeyRecord> {
    if (!entry) return std::nullopt;
    return KeyRecord{type, entry->param1, entry->param2};
  };
  switch (type) {
    case device::kFnDefault:
      return base;
    case device::kFnKeyboardKey:
      if (!keyShown || captured.type != device::kFnKeyboardKey) return std::nullopt;
      return captured;
    case device::kFnMouseButton:
      return fromList(entryAt(device::MouseButtonList, c.item));
    case device::kFnDpi:
      return fromList(entryAt(device::DpiList, c.item));
    case device::kFnMultimedia:
      return fromList(entryAt(device::MultimediaList, c.item));
    case device::kFnSystem:
      return fromList(entryAt(device::SystemList, c.item));
    case device::kFnHorizontalSwing:
    case device::kFnVerticalSwing: {
      if (c.item != 0 && c.item != 1) return std::nullopt;
      const uint8_t amount = clampByte(c.amount, 127);
      return KeyRecord{
          type, static_cast<uint8_t>(clampByte(c.high, 15) << 4 | clampByte(c.low, 15)),
          static_cast<uint8_t>(c.item == 1 ? amount | device::kSwingReverseBit : amount)};
    }
    case device::kFnFireKey:
      return KeyRecord{type, clampByte(c.fire1, 255), clampByte(c.fire2, 255)};
    case device::kFnMacro:
      if (c.item < 0 || c.item > 255) return std::nullopt;
      if (c.playMode == device::kMacroRepeatMode)
        return KeyRecord{device::kFnMacroRepeat, static_cast<uint8_t>(c.item),
                         clampByte(c.count, 255)};
      return KeyRecord{device::kFnMacro, static_cast<uint8_t>(c.item),
                       clampByte(c.playMode, device::kMacroRepeatMode - 1)};
    default:
      return std::nullopt;
  }
}

KeyLabel keyLabelFor(const KeyRecord& r, std::span<const std::string> macroNames) {
  if (std::find(device::kLabelKeptCodes.begin(), device::kLabelKeptCodes.end(), r.type) !=
      device::kLabelKeptCodes.end())
    return {};
  switch (r.type) {
    case device::kFnKeyboardKey:
      for (const macro::MacroKeyRow& row : macro::MacroKeyTable)
        if (row.modifier == r.p1 && row.usage == r.p2) return textId(row.label);
      return {};
    case device::kFnMouseButton:
      return firstParamLabel(device::MouseButtonList, r.p1);
    case device::kFnHorizontalSwing:
      return textId(device::HorizontalSwingLabels[(r.p2 & device::kSwingReverseBit) ? 1 : 0]);
    case device::kFnVerticalSwing:
      return textId(device::VerticalSwingLabels[(r.p2 & device::kSwingReverseBit) ? 1 : 0]);
    case device::kFnDpi:
      return firstParamLabel(device::DpiList, r.p1);
    case device::kFnFireKey:
      return textId(device::kFireKeyLabel);
    case device::kFnMultimedia:
    case device::kFnMultimediaAlternate: {
      const int item = itemOf(device::MultimediaList, r.p1, r.p2);
      if (item < 0) return {};
      return textId(device::MultimediaList[static_cast<std::size_t>(item)].label);
    }
    case device::kFnSystem:
      return firstParamLabel(device::SystemList, r.p1);
    case device::kFnMacro:
    case device::kFnMacroRepeat:
      if (r.p1 >= macroNames.size()) return {};
      return KeyLabel{KeyLabel::Kind::literal, macroNames[r.p1]};
    default:
      return textId(device::kUnknownFunctionLabel);
  }
}

const macro::MacroKeyRow* capturedKeyRow(uint16_t virtualKey, uint32_t flags) {
  const macro::MacroKeyRow* row = macro::findKeyRow(macro::recordedKeyCode(virtualKey, flags));
  return row && row->category == device::kFnKeyboardKey ? row : nullptr;
}

}  // namespace varnacle::keyboard
