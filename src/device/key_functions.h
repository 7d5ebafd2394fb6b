#pragma once
// The functions a mouse button or keyboard key record can carry, as both
// devices understand them: the function codes (byte 0 of the three-byte
// record), the parameter lists the function pages offer with their label ids,
// and the rules both pages share for typed numbers and macro play modes.
//
// Plain constant data; any thread.
#include <array>
#include <cstdint>
#include <string_view>

namespace varnacle::device {

// Function codes.
inline constexpr uint8_t kFnDefault = 0x00;
inline constexpr uint8_t kFnMouseButton = 0x10;
inline constexpr uint8_t kFnHorizontalSwing = 0x11;
inline constexpr uint8_t kFnVerticalSwing = 0x12;
inline constexpr uint8_t kFnDpi = 0x13;
inline constexpr uint8_t kFnFireKey = 0x14;
inline constexpr uint8_t kFnKeyboardKey = 0x20;
inline constexpr uint8_t kFnMultimediaAlternate = 0x21;
inline constexpr uint8_t kFnMultimedia = 0x30;
inline constexpr uint8_t kFnSystem = 0x40;
inline constexpr uint8_t kFnMacro = 0x70;
inline constexpr uint8_t kFnMacroRepeat = 0x71;

// Codes a device may report that no page creates; their button or key keeps
// the label it has.
inline constexpr std::array<uint8_t, 6> kLabelKeptCodes = {0x15, 0x50, 0x60, 0xA0, 0xB0, 0xC0};

// The label of a function no page knows ("关闭" in the Chinese file).
inline constexpr std::string_view kUnknownFunctionLabel = "close_text";

// An entry of a function list: the parameters it gives and its label id.
struct FunctionEntry {
  uint8_t param1;
  uint8_t param2;
  std::string_view label;
};

// Mouse buttons: item -> button bit, label (left, middle, right, forward, back).
inline constexpr std::array<FunctionEntry, 5> MouseButtonList = {{
    {0x01, 0, "mouse_key_left"},
    {0x04, 0, "mouse_key_middle"},
    {0x02, 0, "mouse_key_right"},
    {0x10, 0, "mouse_key_forward"},
    {0x08, 0, "mouse_key_back"},
}};

// DPI steps: item -> step, label.
inline constexpr std::array<FunctionEntry, 3> DpiList = {{
    {1, 0, "mouse_key_DPI_add"},
    {2, 0, "mouse_key_DPI_sub"},
    {3, 0, "mouse_key_DPI_loop"},
}};

// System keys: item -> system function, label.
inline constexpr std::array<FunctionEntry, 3> SystemList = {{
    {1, 0, "system_power"},
    {2, 0, "system_sleep"},
    {4, 0, "system_wake_up"},
}};

// Multimedia and browser keys: item -> HID consumer usage (low byte, high
// byte), label.
inline constexpr std::array<FunctionEntry, 18> MultimediaList = {{
    {0x83, 0x01, "media_text"},
    {0xCD, 0x00, "media_play"},
    {0xB7, 0x00, "media_stop"},
    {0xB6, 0x00, "media_prev"},
    {0xB5, 0x00, "media_next"},
    {0xEA, 0x00, "media_vol_sub"},
    {0xE9, 0x00, "media_vol_add"},
    {0xE2, 0x00, "media_mute"},
    {0x23, 0x02, "web_text"},
    {0x27, 0x02, "web_refresh"},
    {0x26, 0x02, "wed_stop"},
    {0x24, 0x02, "wed_back"},
    {0x25, 0x02, "wed_forward"},
    {0x2A, 0x02, "wed_favorite"},
    {0x21, 0x02, "web_search"},
    {0x94, 0x01, "media_mypc"},
    {0x92, 0x01, "media_calc"},
    {0x8A, 0x01, "media_mail"},
}};

// Wheel tilt and step directions: item 0 left or up (bit 7 of param2 clear),
// item 1 right or down (bit 7 set).
inline constexpr std::array<std::string_view, 2> HorizontalSwingLabels = {"mouse_key_left_Swing",
                                                                          "mouse_key_right_Swing"};
inline constexpr std::array<std::string_view, 2> VerticalSwingLabels = {"mouse_key_up_Swing",
                                                                        "mouse_key_down_Swing"};
inline constexpr uint8_t kSwingReverseBit = 0x80;

inline constexpr std::string_view kFireKeyLabel = "mouse_key_fire_key";

// Macro play modes: items 0-3 play with code 0x70 and the item as param2;
// item 4 repeats with code 0x71 and the count as param2.
inline constexpr int kMacroPlayModes = 5;
inline constexpr int kMacroRepeatMode = 4;

// The leading decimal digits of a typed text ("12x" is 12, "" and "x" are 0);
// long numbers stop growing past 99999.
constexpr int typedNumber(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > 99999) value = 99999;
  }
  return value;
}

// The entry of `list` with these parameters, or -1.
template <std::size_t N>
constexpr int itemOf(const std::array<FunctionEntry, N>& list, uint8_t param1, uint8_t param2) {
  for (std::size_t i = 0; i < N; ++i)
    if (list[i].param1 == param1 && list[i].param2 == param2) return static_cast<int>(i);
  return -1;
}

// Entry `item` of `list`, or null outside it.
template <std::size_t N>
constexpr const FunctionEntry* entryAt(const std::array<FunctionEntry, N>& list, int item) {
  if (item < 0 || item >= static_cast<int>(N)) return nullptr;
  return &list[static_cast<std::size_t>(item)];
}

}  // namespace varnacle::device
