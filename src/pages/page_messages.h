#pragma once
// The numbered messages the main window accepts, besides the library's own;
// the device, hook and progress messages reach the pages through
// Page::deviceMessage().
#include <cstdint>

namespace varnacle::pages::msg {

// Wakes the main window: a second instance started, or a device was found on
// the first presence pass. Stands in for the registered "TALVORIN_001" message.
inline constexpr std::uint32_t kWake = 0xC0F1;

inline constexpr std::uint32_t kTray = 0x0401;         // lParam: the mouse message
inline constexpr std::uint32_t kMenuCommand = 0x0479;  // wParam: the menu command record
inline constexpr std::uint32_t kTimer = 0x0113;

// Input hooks (macro recording and single-key capture).
inline constexpr std::uint32_t kHookKeySingleKey = 0x0801;  // WM_HOOK_KEY_SINGLEKEY
inline constexpr std::uint32_t kHookKeyKbHitKey = 0x0802;   // WM_HOOK_KEY_KBHITKEY
inline constexpr std::uint32_t kHookKeyMacro = 0x0803;      // WM_HOOK_KEY_MACRO
inline constexpr std::uint32_t kHookKeyMouseEvent = 0x0804;
inline constexpr std::uint32_t kHookMouSingleKey = 0x0810;  // WM_HOOK_MOU_SINGLEKEY
inline constexpr std::uint32_t kHookMouHitKey = 0x0811;     // WM_HOOK_MOU_HitKEY
inline constexpr std::uint32_t kHookMouMacro = 0x0812;      // WM_HOOK_MOU_MACRO
inline constexpr std::uint32_t kHookMouMouseEvent = 0x0813;

// Device refreshes.
inline constexpr std::uint32_t kMouseReadAll = 0x0901;
inline constexpr std::uint32_t kMouseReloadActive = 0x0902;
inline constexpr std::uint32_t kPadReadAll = 0x0A01;
inline constexpr std::uint32_t kPadReloadActive = 0x0A02;
inline constexpr std::uint32_t kPadTintColor = 0x0A03;
inline constexpr std::uint32_t kPadTintAlpha = 0x0A04;
inline constexpr std::uint32_t kKeyboardReadAll = 0x0B01;
inline constexpr std::uint32_t kKeyboardReloadRecord = 0x0B02;
inline constexpr std::uint32_t kKeyboardReadKeyTable = 0x0B03;

// Upload progress of the save-to-device buttons.
inline constexpr std::uint32_t kProgressShow = 0x0C00;
inline constexpr std::uint32_t kProgressDone = 0x0C01;
// wParam of kProgressDone when the upload did not reach the device: the
// indicator then ends on a failure text instead of going away.
inline constexpr std::uintptr_t kProgressFailed = 1;

}  // namespace varnacle::pages::msg
