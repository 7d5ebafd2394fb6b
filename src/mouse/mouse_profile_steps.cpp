#include "mouse/mouse_profile_steps.h"

#include <algorithm>

#include "device/live_lighting.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_key_apply.h"
#include "mouse/mouse_lighting_profile.h"
#include "mouse/ms_deng_page.h"
#include "mouse/ms_dpi_page.h"
#include "mouse/ms_key_page.h"

namespace varnacle::mouse {

namespace {

constexpr uint8_t kResetPointerSpeed = 10;
constexpr uint8_t kResetWheelLines = 1;

}  // namespace

pages::ProfileListSteps mouseLightingSteps(device::LiveLighting& live, MsDpiPage& dpiPage,
                                           MsDengPage& lightingPage) {
  pages::ProfileListSteps steps;
  steps.current = [&live] {
    const Record record = live.snapshot(DeviceKind::mouse);
    std::vector<uint8_t> payload(kLightingProfilePayload, 0);
    std::copy(record.begin(), record.end(), payload.begin());
    return payload;
  };
  steps.take = [&live](std::span<const uint8_t> payload) {
    live.edit(
        DeviceKind::mouse,
        [&](Record& r) { std::copy_n(payload.begin(), std::min(payload.size(), r.size()), r.begin()); },
        false);
  };
  // A reset also gives the desktop settings kept with the record their
  // starting values.
  steps.afterReset = [&live] {
    live.edit(
        DeviceKind::mouse,
        [](Record& r) {
          r[kPointerSpeed] = kResetPointerSpeed;
          r[kWheelLines] = kResetWheelLines;
        },
        false);
  };
  steps.apply = [&live, &dpiPage, &lightingPage] {
    // A no-op edit marks the record pending: the next push sends it.
    live.edit(DeviceKind::mouse, [](Record&) {});
    lightingPage.refresh();
    dpiPage.refresh();
  };
  return steps;
}

pages::ProfileListSteps mouseKeySteps(MouseConfig& config, device::DeviceSession& mouse,
                                      MsKeyPage& keyPage) {
  pages::ProfileListSteps steps;
  steps.current = [&config] {
    const device::TableSlot table = config.profileKeyTable(config.currentProfile());
    return std::vector<uint8_t>(table.begin(), table.end());
  };
  steps.take = [&config](std::span<const uint8_t> payload) {
    const auto profile = static_cast<std::size_t>(
        std::clamp(config.currentProfile(), 0, device::kOnBoardProfiles - 1));
    config.editKeyTables([&](device::TableSlot&,
                             std::array<device::TableSlot, device::kOnBoardProfiles>& tables) {
      std::copy_n(payload.begin(), std::min(payload.size(), tables[profile].size()),
                  tables[profile].begin());
    });
  };
  steps.apply = [&config, &mouse, &keyPage] {
    keyPage.refreshLabels();
    // A mouse that is absent or fails keeps its table; the file holds the
    // profile and the next apply or selection sends it again.
    sendCurrentAssignments(config, mouse);
  };
  return steps;
}

}  // namespace varnacle::mouse
