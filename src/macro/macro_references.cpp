#include "macro/macro_references.h"

#include <algorithm>

namespace varnacle::macro {

namespace {

bool isMacroRecord(const uint8_t* record) {
  return record[0] == kMacroFunction || record[0] == kMacroRepeatFunction;
}

size_t examined(const MacroReferenceTables& tables, std::span<uint8_t> table) {
  return std::min(tables.recordCount, table.size() / 3);
}

}  // namespace

bool isMacroReferenced(const MacroReferenceTables& tables, int position) {
  if (position < 0 || position > 0xFF) return false;
  for (std::span<uint8_t> table : tables.profiles) {
    for (size_t k = 0; k < examined(tables, table); ++k) {
      const uint8_t* record = table.data() + 3 * k;
      if (isMacroRecord(record) && record[1] == position) return true;
    }
  }
  return false;
}

void renumberMacroReferences(const MacroReferenceTables& tables, int position) {
  if (position < 0 || position > 0xFF) return;
  for (std::span<uint8_t> table : tables.profiles) {
    for (size_t k = 0; k < examined(tables, table); ++k) {
      uint8_t* record = table.data() + 3 * k;
      if (!isMacroRecord(record)) continue;
      if (record[1] == position) {
        for (size_t b = 0; b < 3; ++b) {
          const size_t at = 3 * k + b;
          record[b] = at < tables.defaults.size() ? tables.defaults[at] : 0;
        }
      } else if (record[1] > position) {
        --record[1];
      }
    }
  }
}

}  // namespace varnacle::macro
