#pragma once
// The mouse steps of a macro, in the fixed order of the editor's mouse choice
// (the row index is the item index).
#include <array>
#include <cstdint>
#include <string_view>

namespace varnacle::macro {

inline constexpr uint8_t kMouseButtonCategory = 0x10;
inline constexpr uint8_t kMouseWheelCategory = 0x12;
inline constexpr uint8_t kMouseMoveCategory = 0x15;

// Rows 14 (wheel) and 15 (the end row) make no step.
inline constexpr size_t kMouseEventStepRows = 14;

struct MacroMouseEventRow {
  uint16_t message;  // Windows mouse message; 4 and 5 name the two move kinds
  uint8_t category;
  uint8_t buttonBit;  // becomes `value`
  uint8_t kindByte;   // becomes `kind`
  std::string_view label;
};

// Row: message, category, button bit, kind byte, label id.
inline constexpr std::array<MacroMouseEventRow, 16> MacroMouseEventTable = {{
    {0x201, 0x10, 0x01, 0x81, "mouse_key_left"},
    {0x202, 0x10, 0x01, 0x01, "mouse_key_left"},
    {0x204, 0x10, 0x02, 0x81, "mouse_key_right"},
    {0x205, 0x10, 0x02, 0x01, "mouse_key_right"},
    {0x207, 0x10, 0x04, 0x81, "mouse_key_middle"},
    {0x208, 0x10, 0x04, 0x01, "mouse_key_middle"},
    {0x20B, 0x10, 0x10, 0x81, "mouse_key_forward"},
    {0x20C, 0x10, 0x10, 0x01, "mouse_key_forward"},
    {0x20B, 0x10, 0x08, 0x81, "mouse_key_back"},
    {0x20C, 0x10, 0x08, 0x01, "mouse_key_back"},
    {4, 0x15, 0, 0x84, "mouse_move_to_left_text"},
    {4, 0x15, 0, 0x04, "mouse_move_to_right_text"},
    {5, 0x15, 0, 0x85, "mouse_move_to_up_text"},
    {5, 0x15, 0, 0x05, "mouse_move_to_down_text"},
    {0x20A, 0x12, 0, 0, "mouse_cursor_text"},
    {0, 0, 0, 0, "mouse_text"},
}};

}  // namespace varnacle::macro
