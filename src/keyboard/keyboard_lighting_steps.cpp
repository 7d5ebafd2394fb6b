#include "keyboard/keyboard_lighting_steps.h"

#include <algorithm>

#include "device/live_lighting.h"
#include "keyboard/kb_deng_page.h"
#include "keyboard/keyboard_lighting.h"

namespace varnacle::keyboard {

pages::ProfileListSteps keyboardLightingSteps(device::LiveLighting& live,
                                              KeyboardLighting& lighting, KbDengPage& page) {
  pages::ProfileListSteps steps;
  steps.current = [&lighting] {
    const KeyboardLightingBlock block = lighting.block();
    return std::vector<uint8_t>(block.bytes.begin(), block.bytes.end());
  };
  steps.take = [&lighting](std::span<const uint8_t> payload) {
    KeyboardLightingBlock block;
    std::copy_n(payload.begin(), std::min(payload.size(), block.bytes.size()), block.bytes.begin());
    lighting.set(block);
  };
  steps.apply = [&live, &page] {
    page.refresh();
    live.markChanged(DeviceKind::keyboard);
  };
  return steps;
}

}  // namespace varnacle::keyboard
