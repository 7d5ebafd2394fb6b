#pragma once
// The mouse's button assignments: the three-byte record the mouse keeps per
// button, the catalogue of functions the button page offers with the codes
// the mouse understands, the rules that turn a record into a button label and
// the page's choice into a record, and the guard that keeps one left click.
//
// A key table (512 bytes) holds the records back to back: record k is bytes
// 3k to 3k+2 and belongs to button k. The mouse has seven buttons.
//
// Plain data and pure functions; any thread.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "device/key_functions.h"

namespace varnacle::mouse {

inline constexpr int kMouseButtons = 7;
// The left-click guard looks at this many records (two beyond the buttons).
inline constexpr int kLeftClickGuardRecords = 9;
// The bytes of a profile key table that are the profile's own on the mouse.
inline constexpr std::size_t kProfileAssignmentBytes = 126;

struct KeyAssignment {
  uint8_t function = 0;
  uint8_t param1 = 0;
  uint8_t param2 = 0;
  bool operator==(const KeyAssignment&) const = default;
};

using device::kFnDefault;
using device::kFnDpi;
using device::kFnFireKey;
using device::kFnHorizontalSwing;
using device::kFnKeyboardKey;
using device::kFnMacro;
using device::kFnMacroRepeat;
using device::kFnMouseButton;
using device::kFnMultimedia;
using device::kFnSystem;
using device::kFnVerticalSwing;
inline constexpr uint8_t kFnFireSequence = 0x72;

inline constexpr KeyAssignment kLeftClick{kFnMouseButton, 0x01, 0x00};
using device::kUnknownFunctionLabel;

// The categories of "ms_key_fct_combo": item -> function code (item 0 is the
// button's default record, item 9 the macros with both macro codes).
inline constexpr std::array<uint8_t, 11> FunctionCategories = {
    kFnDefault, kFnMouseButton, kFnHorizontalSwing, kFnVerticalSwing,
    kFnDpi,     kFnFireKey,     kFnKeyboardKey,     kFnMultimedia,
    kFnSystem,  kFnMacro,       kFnFireSequence,
};
inline constexpr int kCategoryDefault = 0;
inline constexpr int kCategoryHorizontalSwing = 2;
inline constexpr int kCategoryVerticalSwing = 3;
inline constexpr int kCategoryFireKey = 5;
inline constexpr int kCategoryKeyboardKey = 6;
inline constexpr int kCategoryMacro = 9;

// The function lists of "ms_key_fct_combo_11" (buttons), "_14" (DPI), "_21"
// (multimedia), "_22" (system) and the directions of "_12" and "_13", shared
// with the keyboard.
using device::DpiList;
using device::FunctionEntry;
using device::HorizontalSwingLabels;
using device::kFireKeyLabel;
using device::kSwingReverseBit;
using device::MouseButtonList;
using device::MultimediaList;
using device::SystemList;
using device::VerticalSwingLabels;

// "ms_key_fct_combo_25": sequence 0-3 -> label.
inline constexpr std::array<std::string_view, 4> FireSequenceLabels = {"GUN_1", "GUN_2", "GUN_3",
                                                                       "GUN_4"};

// The play modes of "ms_key_fct_combo_24".
using device::kMacroPlayModes;
using device::kMacroRepeatMode;

// The largest value each edit of the function page takes; a larger typed
// value is replaced by it.
struct EditLimit {
  std::string_view edit;
  int limit;
};
inline constexpr std::array<EditLimit, 9> EditLimits = {{
    {"ms_key_fct_edit_11", 255},
    {"ms_key_fct_edit_12", 255},
    {"ms_key_fct_edit_25", 255},
    {"ms_key_fct_edit_15", 127},
    {"ms_key_fct_edit_16", 127},
    {"ms_key_fct_edit_17", 15},
    {"ms_key_fct_edit_18", 15},
    {"ms_key_fct_edit_19", 15},
    {"ms_key_fct_edit_20", 15},
}};

// The limit of an edit of the function page, or nothing for another name.
std::optional<int> editLimit(std::string_view edit);
using device::typedNumber;

// Record k of a key table (zero outside the table).
KeyAssignment recordAt(std::span<const uint8_t> table, int k);
// Writes record k (nothing outside the table).
void setRecord(std::span<uint8_t> table, int k, const KeyAssignment& record);

// True when button `button` holds the left click and none of the other
// records 0-8 of `table` does: the last left click may not be reassigned.
bool isLastLeftClick(std::span<const uint8_t> table, int button);

// What the function page shows for a record, and what the user chose on it.
// Items are combo items (-1 for none); edits hold numbers.
struct FunctionChoice {
  int category = kCategoryDefault;  // item of "ms_key_fct_combo"; -1: no page
  int item = -1;                    // item of the category's combo (the macro for macros)
  int playMode = -1;                // item of "ms_key_fct_combo_24"
  int amount = 0;                   // swing amount ("ms_key_fct_edit_15" / "_16")
  int high = 0;                     // swing nibbles ("ms_key_fct_edit_17" / "_18")
  int low = 0;                      //               ("ms_key_fct_edit_20" / "_19")
  int fire1 = 0;                    // "ms_key_fct_edit_11"
  int fire2 = 0;                    // "ms_key_fct_edit_12"
  int count = 0;                    // "ms_key_fct_edit_25"
  bool operator==(const FunctionChoice&) const = default;
};

// The page for `record` of a button whose default record is `defaultRecord`,
// with `macroCount` macros in the list. A record equal to the default opens
// on the default category; codes that show no page give category -1; a macro
// index outside the list leaves the macro unselected.
FunctionChoice choiceFor(const KeyAssignment& record, const KeyAssignment& defaultRecord,
                         int macroCount);

// The record the page's choice stores, or nothing when it stores nothing
// (keyboard key without a captured key, macro without a macro chosen, a
// list category without an item). `captured` is the record under
// construction (the last captured key); `keyShown` whether the key edit
// shows a key. Values beyond their limits are clamped.
std::optional<KeyAssignment> assignmentFor(const FunctionChoice& choice,
                                           const KeyAssignment& captured, bool keyShown,
                                           const KeyAssignment& defaultRecord);

// How a button shows its record.
struct ButtonLabel {
  enum class Kind {
    unchanged,  // the button keeps the text it has
    textId,     // a language text id
    literal,    // a text shown as it is (a macro's name)
  };
  Kind kind = Kind::unchanged;
  std::string text;
  bool operator==(const ButtonLabel&) const = default;
};

// The label of `record`; `macroNames` are the mouse's macros in list order.
ButtonLabel labelFor(const KeyAssignment& record, std::span<const std::string> macroNames);

// The keyboard-key label id of a modifier and usage pair (the key table's
// row holding both), or empty when no row matches.
std::string_view keyLabel(uint8_t modifier, uint8_t usage);

}  // namespace varnacle::mouse
