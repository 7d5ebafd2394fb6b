#include "keyboard/key_positions.h"

#include <algorithm>

#include "macro/macro_key_table.h"

namespace varnacle::keyboard {

std::string_view positionKeyName(std::size_t position) {
  if (position >= kKeyPositionCount) return {};
  const KeyRecord& record = kExpectedDefaultRecords[position];
  if (record == kNoKeyRecord || record.type != macro::kKeyCategory) return {};
  const auto* row = std::find_if(macro::MacroKeyTable.begin(), macro::MacroKeyTable.end(),
                                 [&](const macro::MacroKeyRow& r) {
                                   return r.modifier == record.p1 && r.usage == record.p2;
                                 });
  return row == macro::MacroKeyTable.end() ? std::string_view() : row->label;
}

}  // namespace varnacle::keyboard
