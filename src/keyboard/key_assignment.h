#pragma once
// The keyboard's key assignments: the function categories the key page
// offers (item of "kb_key_fct_combo" -> record type), the rules that turn a
// key's record into what the function panel shows and the panel's choice into
// a record, the label a key shows for its record, and the keys a capture
// accepts.
//
// A key table holds one record per device key, back to back: record k is
// bytes 3k to 3k+2 of a 512-byte slot.
//
// Plain data and pure functions; any thread.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "device/key_functions.h"
#include "keyboard/key_positions.h"
#include "macro/macro_key_table.h"

namespace varnacle::keyboard {

// "kb_key_fct_combo": item -> record type (item 0 is the key's own default
// record, item 9 the macros with both macro types).
inline constexpr std::array<uint8_t, 10> KeyFunctionCategories = {
    device::kFnDefault,         device::kFnKeyboardKey,   device::kFnMouseButton,
    device::kFnHorizontalSwing, device::kFnVerticalSwing, device::kFnDpi,
    device::kFnFireKey,         device::kFnMultimedia,    device::kFnSystem,
    device::kFnMacro,
};
inline constexpr int kCategoryDefault = 0;
inline constexpr int kCategoryKeyboardKey = 1;
inline constexpr int kCategoryMouseButton = 2;
inline constexpr int kCategoryHorizontalSwing = 3;
inline constexpr int kCategoryVerticalSwing = 4;
inline constexpr int kCategoryDpi = 5;
inline constexpr int kCategoryFireKey = 6;
inline constexpr int kCategoryMultimedia = 7;
inline constexpr int kCategorySystem = 8;
inline constexpr int kCategoryMacro = 9;

// The largest value each number edit of the function panel takes (the field
// widths); a larger typed value is replaced by it.
struct KeyEditLimit {
  std::string_view edit;
  int limit;
};
inline constexpr std::array<KeyEditLimit, 9> KeyEditLimits = {{
    {"kb_key_fct_edit_11", 255},
    {"kb_key_fct_edit_12", 255},
    {"kb_key_fct_edit_25", 255},
    {"kb_key_fct_edit_15", 127},
    {"kb_key_fct_edit_16", 127},
    {"kb_key_fct_edit_17", 15},
    {"kb_key_fct_edit_18", 15},
    {"kb_key_fct_edit_19", 15},
    {"kb_key_fct_edit_20", 15},
}};

// The limit of a number edit of the function panel, or nothing for another name.
std::optional<int> keyEditLimit(std::string_view edit);

// Record k of a key table (zero outside the table).
KeyRecord recordAt(std::span<const uint8_t> table, int k);
// Writes record k (nothing outside the table).
void setRecord(std::span<uint8_t> table, int k, const KeyRecord& record);

// What the function panel shows for a record, and what the user chose on it.
// Items are combo items (-1 for none); edits hold numbers.
struct KeyChoice {
  int category = kCategoryDefault;  // item of "kb_key_fct_combo"
  int item = -1;                    // item of the category's combo (the macro for macros)
  int playMode = -1;                // item of "kb_key_fct_combo_24"
  int amount = 0;                   // wheel amount ("kb_key_fct_edit_15" / "_16")
  int high = 0;                     // wheel nibbles ("kb_key_fct_edit_17" / "_18")
  int low = 0;                      //               ("kb_key_fct_edit_20" / "_19")
  int fire1 = 0;                    // "kb_key_fct_edit_11"
  int fire2 = 0;                    // "kb_key_fct_edit_12"
  int count = 0;                    // "kb_key_fct_edit_25"
  bool operator==(const KeyChoice&) const = default;
};

// The panel for `record` of a key whose base record is `base`, with
// `macroCount` macros in the list. A record equal to the base opens on the
// default item, also when it was set explicitly. A type no category offers
// (the Fn key's 0xA0, say) selects no category (-1).
KeyChoice keyChoiceFor(const KeyRecord& record, const KeyRecord& base, int macroCount);

// The record the panel's choice stores, or nothing when it stores nothing
// (keyboard key while no key was captured, macro without a macro chosen, a
// list category without an item, no category). `captured` is the record the
// last capture built; `keyShown` whether "kb_key_fct_edit_21" shows a key.
// Values beyond their field widths are clamped.
std::optional<KeyRecord> recordForChoice(const KeyChoice& choice, const KeyRecord& captured,
                                         bool keyShown, const KeyRecord& base);

// How a key shows its record.
struct KeyLabel {
  enum class Kind {
    unchanged,  // the key keeps the text it has
    textId,     // a language text id
    literal,    // a text shown as it is (a macro's name)
  };
  Kind kind = Kind::unchanged;
  std::string text;
  bool operator==(const KeyLabel&) const = default;
};

// The label of `record`; `macroNames` are the keyboard's macros in list order.
KeyLabel keyLabelFor(const KeyRecord& record, std::span<const std::string> macroNames);

// The key capture's row for a key event (virtual-key code and hook flags;
// Enter flagged as extended is the keypad Enter), or null when the key is not
// in the capture table. Every row of the table is a keyboard-page key (type
// 0x20).
const macro::MacroKeyRow* capturedKeyRow(uint16_t virtualKey, uint32_t flags);

}  // namespace varnacle::keyboard
