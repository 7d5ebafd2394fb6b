#include "keyboard/key_profile_steps.h"

#include <algorithm>

#include "keyboard/kb_key_page.h"
#include "keyboard/keyboard_config.h"
#include "keyboard/keyboard_key_apply.h"

namespace varnacle::keyboard {

pages::ProfileListSteps keyboardKeySteps(KeyboardConfig& config, device::DeviceSession& keyboard,
                                         KbKeyPage& keyPage) {
  pages::ProfileListSteps steps;
  steps.current = [&config] {
    const device::TableSlot slot = config.slot(0);
    return std::vector<uint8_t>(slot.begin(), slot.end());
  };
  steps.take = [&config](std::span<const uint8_t> payload) {
    config.editSlots(
        [&](device::TableSlot&, std::array<device::TableSlot, device::kOnBoardProfiles>& slots) {
          std::copy_n(payload.begin(), std::min(payload.size(), slots[0].size()), slots[0].begin());
        });
  };
  steps.beforeReset = [&keyPage] { keyPage.closeFunctionPanel(true); };
  steps.apply = [&config, &keyboard, &keyPage] {
    keyPage.closeFunctionPanel(false);
    keyPage.refreshLabels();
    // A keyboard that is absent or fails keeps its table; the file holds the
    // profile and the next apply or selection sends it again.
    sendKeySlot(config, keyboard, 0);
  };
  return steps;
}

}  // namespace varnacle::keyboard
