#include "app/feature_pages.h"

#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "keyboard/kb_deng_page.h"
#include "keyboard/kb_key_page.h"
#include "keyboard/key_macro_tables.h"
#include "keyboard/key_profile_steps.h"
#include "keyboard/keyboard_config.h"
#include "keyboard/keyboard_lighting.h"
#include "keyboard/keyboard_lighting_steps.h"
#include "macro/macro_page.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_macro_tables.h"
#include "mouse/mouse_profile_steps.h"
#include "mouse/ms_cursor_page.h"
#include "mouse/ms_deng_page.h"
#include "mouse/ms_dpi_page.h"
#include "mouse/ms_key_page.h"
#include "mousepad/mp_deng_page.h"
#include "mousepad/pad_config.h"
#include "mousepad/pad_profile_steps.h"
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

  // Then the keyboard's lighting page and its profile panel.
  state.keyboardLighting = std::make_unique<keyboard::KeyboardLighting>(window.liveLighting());
  auto keyboardLightingPage = std::make_unique<keyboard::KbDengPage>(
      window.pageContext(), *state.keyboardLighting, mouseConfig.sharedBlock);
  auto keyboardLightingPanel = std::make_unique<pages::ProfilePanel>(
      window.pageContext(), profile::ProfileListKind::keyboardLighting,
      keyboard::keyboardLightingSteps(window.liveLighting(), *state.keyboardLighting,
                                      *keyboardLightingPage),
      options.foreground);
  window.addPage(std::move(keyboardLightingPage));
  window.addPage(std::move(keyboardLightingPanel));

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

  // The mouse pad: its lighting page and lighting profile panel. Same mode
  // and the shared preview use the mouse's shared block.
  state.padConfig = std::make_unique<mousepad::PadConfig>(window.liveLighting());
  auto padPage = std::make_unique<mousepad::MpDengPage>(window.pageContext(), *state.padConfig,
                                                        mouseConfig.sharedBlock);
  auto padPanel = std::make_unique<pages::ProfilePanel>(
      window.pageContext(), profile::ProfileListKind::mousePadLighting,
      mousepad::padLightingSteps(window.liveLighting(), *padPage), options.foreground);
  window.addPage(std::move(padPage));
  window.addPage(std::move(padPanel));

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
