#pragma once
// A notification: what a control tells its window ("click", "valuechanged" ...).
// Delivered synchronously, in the order the events happened, on the UI thread, to
// Window::notify() of the window the sender lives in.
#include <cstdint>
#include <string>
#include <string_view>

namespace varnacle::ui {

class Control;

// The notification types raised by the library.
namespace notify {
inline constexpr std::string_view kWindowInit = "windowinit";
inline constexpr std::string_view kClick = "click";
inline constexpr std::string_view kSelectChanged = "selectchanged";
inline constexpr std::string_view kItemSelect = "itemselect";
inline constexpr std::string_view kItemClick = "itemclick";
inline constexpr std::string_view kValueChanged = "valuechanged";
inline constexpr std::string_view kMoveValueChanged = "movevaluechanged";
inline constexpr std::string_view kTextChanged = "textchanged";
inline constexpr std::string_view kColorChanged = "colorchanged";
inline constexpr std::string_view kMouseEnter = "msenter";
inline constexpr std::string_view kMouseLeave = "msleave";
}  // namespace notify

struct Notification {
  std::string type;
  // The control that raised it; for "windowinit" the window's root control. Lives
  // at least until notify() returns.
  Control* sender = nullptr;
  // Extra values by type: "itemselect" carries the new index in wParam and the
  // previous one in lParam; "selectchanged" carries the new selected state (0/1).
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

}  // namespace varnacle::ui
