#include "app/feature_pages.h"

#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "keyboard/kb_key_page.h"
#include "keyboard/key_macro_tables.h"
#include "keyboard/key_profile_steps.h"
#include "keyboard/keyboard_config.h"
#include "macro/macro_page.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_macro_tables.h"
#include "mouse/mouse_profile_steps.h"
#include "mouse/ms_cursor_page.h"
#include "mouse/ms_deng_page.h"
#include "mouse/ms_dpi_page.h"
#include "mouse/ms_key_page.h"
#include "pages/profile_panel.h"

namespace varnacle::app {

FeaturePageState::FeaturePageState() = default;
FeaturePageState::~FeaturePageState() = default;

void addFeaturePages(CMainWnd& window, FeaturePageState& state, const FeaturePageOptions& options) {
  // The keyboard's key page comes first: its read of the keyboard on
  // arrival fills the lighting record the keyboard lighting page then takes.
  state.keyboardConfig = std::make_unique<keyboard::KeyboardConfig>();
  keyboard::KeyboardConfig& keyboardConfig = *state.keyboardConfig;
  auto kbKeyPage = std::make_unique<keyboard::KbKeyPage>(window.pageContext(), keyboardConfig);
  keyboard::KbKeyPage& keys = *kbKeyPage;
  auto kbKeyPanel = std::make_unique<pages::ProfilePanel>(
      window.pageContext(), profile::ProfileListKind::keyboardKeys,
      keyboard::keyboardKeySteps(keyboardConfig, window.session(DeviceKind::keyboard), keys),
      options.foreground);
  window.addPage(std::move(kbKeyPage));
  window.addPage(std::move(kbKeyPanel));

  state.mouseConfig = std::make_unique<mouse::MouseConfig>(window.liveLighting());
  mouse::MouseConfig& mouseConfig = *state.mouseConfig;

  auto dpiPage =
      std::make_unique<mouse::MsDpiPage>(window.pageContext(), mouseConfig, options.pointer);
  auto lightingPage = std::make_unique<mouse::MsDengPage>(window.pageContext(), mouseConfig);
  window.deviceHook().attach(options.keyHook);
  auto keyPage = std::make_unique<mouse::MsKeyPage>(window.pageContext(), mouseConfig);
  mouse::MsKeyPage& buttons = *keyPage;
  auto lightingPanel = std::make_unique<pages::ProfilePanel>(
      window.pageContext(), profile::ProfileListKind::mouseLighting,
      mouse::mouseLightingSteps(window.liveLighting(), *dpiPage, *lightingPage),
      options.foreground);
  auto keyPanel = std::make_unique<pages::ProfilePanel>(
      window.pageContext(), profile::ProfileListKind::mouseKeys,
      mouse::mouseKeySteps(mouseConfig, window.session(DeviceKind::mouse), buttons),
      options.foreground);
  window.addPage(std::move(dpiPage));
  window.addPage(std::move(lightingPage));
  window.addPage(std::move(keyPage));
  window.addPage(std::make_unique<mouse::MsCursorPage>(window.pageContext(), mouseConfig));
  window.addPage(std::move(lightingPanel));
  window.addPage(std::move(keyPanel));

  // A macro deleted or renamed on the mouse's macro page changes what the
  // button page shows.
  const auto buttonLabels = [&buttons] { buttons.refreshLabels(); };
  state.mouseMacroTables = std::make_unique<mouse::MouseMacroTables>(mouseConfig, buttonLabels);
  const macro::PageMessages messages{
      [&window](std::string_view textId) { return showMessage(&window, textId, true); },
      [&window](std::string_view textId, int number) {
        return showFormattedMessage(&window, window, textId, number);
      }};
  window.addPage(std::make_unique<macro::MacroPage>(
      window.pageContext(), macro::MacroPageOptions{DeviceKind::mouse, state.mouseMacroTables.get(),
                                                    buttonLabels, messages, options.clock}));
  // A macro deleted or renamed on the keyboard's macro page changes what the
  // key page shows.
  const auto keyLabels = [&keys] { keys.refreshLabels(); };
  state.keyboardMacroTables =
      std::make_unique<keyboard::KeyboardMacroTables>(keyboardConfig, keyLabels);
  window.addPage(std::make_unique<macro::MacroPage>(
      window.pageContext(),
      macro::MacroPageOptions{DeviceKind::keyboard, state.keyboardMacroTables.get(), keyLabels,
                              messages, options.clock}));
}

}  // namespace varnacle::app
