#pragma once
// Macro references in key assignment tables. A 3-byte record of function type
// 0x70 or 0x71 holds a macro's list position in its second byte.
#include <cstddef>
#include <cstdint>
#include <span>

namespace varnacle::macro {

inline constexpr uint8_t kMacroFunction = 0x70;
inline constexpr uint8_t kMacroRepeatFunction = 0x71;

// The key tables of one device as the caller holds them. Records 0 …
// recordCount−1 of every profile table are examined (the mouse passes its
// seven buttons, the keyboard its key count); the default record of key k is
// bytes 3k … 3k+2 of `defaults`.
struct MacroReferenceTables {
  std::span<const std::span<uint8_t>> profiles;
  std::span<const uint8_t> defaults;
  size_t recordCount = 0;
};

// True when an examined record refers to `position`.
bool isMacroReferenced(const MacroReferenceTables& tables, int position);

// Before macro `position` is removed from the list: each examined record that
// refers to it gets the key's default record (zero when the caller has none
// for that key); each that refers to a later position is moved down by one.
void renumberMacroReferences(const MacroReferenceTables& tables, int position);

}  // namespace varnacle::macro
