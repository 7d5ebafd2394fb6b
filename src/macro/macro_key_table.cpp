#include "macro/macro_key_table.h"

namespace varnacle::macro {

const MacroKeyRow* findKeyRow(uint16_t virtualKey) {
  for (const MacroKeyRow& row : MacroKeyTable) {
    if (row.virtualKey == virtualKey) return &row;
  }
  return nullptr;
}

const MacroKeyRow* findModifierRow(uint8_t modifier) {
  if (modifier == 0) return nullptr;
  for (const MacroKeyRow& row : MacroKeyTable) {
    if (row.modifier == modifier) return &row;
  }
  return nullptr;
}

const MacroKeyRow* findUsageRow(uint8_t usage) {
  if (usage == 0) return nullptr;
  for (const MacroKeyRow& row : MacroKeyTable) {
    if (row.modifier == 0 && row.usage == usage) return &row;
  }
  return nullptr;
}

}  // namespace varnacle::macro
