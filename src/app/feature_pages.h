#pragma once
// The main window's feature pages and what they share, built in one place
// for the program and for the tests that walk every page, so a page added
// here is in both.
//
// Order matters: the main window hands its messages to the pages in the
// order they were added; the DPI page reads the mouse on arrival before the
// others show what was read, and the keyboard key page reads the keyboard
// before its lighting page takes the record.
//
// UI thread, before the main window is created.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/pointer_settings.h"

namespace varnacle::keyboard {
class KeyboardConfig;
class KeyboardLighting;
class KeyboardMacroTables;
}  // namespace varnacle::keyboard

namespace varnacle::mouse {
class MouseConfig;
class MouseMacroTables;
}  // namespace varnacle::mouse

namespace varnacle::mousepad {
class PadConfig;
}  // namespace varnacle::mousepad

namespace varnacle::platform {
class ForegroundProgram;
class InputHook;
}  // namespace varnacle::platform

namespace varnacle::app {

class CMainWnd;

// What the pages share. It must outlive the main window, whose threads use
// it: declare it before the window.
struct FeaturePageState {
  FeaturePageState();
  ~FeaturePageState();
  FeaturePageState(const FeaturePageState&) = delete;
  FeaturePageState& operator=(const FeaturePageState&) = delete;

  std::unique_ptr<mouse::MouseConfig> mouseConfig;
  std::unique_ptr<keyboard::KeyboardLighting> keyboardLighting;
  std::unique_ptr<mouse::MouseMacroTables> mouseMacroTables;
  std::unique_ptr<mousepad::PadConfig> padConfig;
  std::unique_ptr<keyboard::KeyboardConfig> keyboardConfig;
  std::unique_ptr<keyboard::KeyboardMacroTables> keyboardMacroTables;
};

struct FeaturePageOptions {
  // The input hooks of key capture (button page) and macro recording (both
  // macro pages); null where the system offers none. Must outlive the window.
  platform::InputHook* keyHook = nullptr;
  // Milliseconds of a monotonic clock for recorded pauses; empty: the
  // system's steady clock (tests give their own).
  std::function<uint32_t()> clock;
  // Sets the desktop's pointer speed and wheel lines (tests keep the
  // desktop's own).
  platform::PointerApplier pointer{};
  // Which program is in front, for the profiles linked to programs; null
  // links nothing. Must outlive the window.
  platform::ForegroundProgram* foreground = nullptr;
};

// Fills `state` and adds every feature page to `window`.
void addFeaturePages(CMainWnd& window, FeaturePageState& state, const FeaturePageOptions& options);

}  // namespace varnacle::app
