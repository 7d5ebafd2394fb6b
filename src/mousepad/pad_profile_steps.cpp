#include "mousepad/pad_profile_steps.h"

#include <algorithm>
#include <vector>

#include "device/live_lighting.h"
#include "mouse/mouse_lighting_profile.h"
#include "mousepad/mp_deng_page.h"
#include "mousepad/pad_settings_record.h"

namespace varnacle::mousepad {

pages::ProfileListSteps padLightingSteps(device::LiveLighting& live, MpDengPage& page) {
  pages::ProfileListSteps steps;
  steps.current = [&live] {
    const Record record = live.snapshot(DeviceKind::mousePad);
    std::vector<uint8_t> payload(mouse::kLightingProfilePayload, 0);
    std::copy(record.begin(), record.end(), payload.begin());
    return payload;
  };
  steps.take = [&live](std::span<const uint8_t> payload) {
    live.edit(
        DeviceKind::mousePad,
        [&](Record& r) { std::copy_n(payload.begin(), std::min(payload.size(), r.size()), r.begin()); },
        false);
  };
  steps.apply = [&live, &page] {
    // A no-op edit marks the record pending: the next push sends it.
    live.edit(DeviceKind::mousePad, [](Record&) {});
    page.refresh();
  };
  return steps;
}

}  // namespace varnacle::mousepad
