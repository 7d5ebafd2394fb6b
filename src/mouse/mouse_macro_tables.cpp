#include "mouse/mouse_macro_tables.h"

#include <array>
#include <span>

#include "mouse/mouse_config.h"
#include "mouse/mouse_key_profile.h"

namespace varnacle::mouse {

MouseMacroTables::MouseMacroTables(MouseConfig& config, std::function<void()> labelsChanged)
    : config_(config), labelsChanged_(std::move(labelsChanged)) {}

void MouseMacroTables::withTables(
    const std::function<void(const macro::MacroReferenceTables&)>& use) {
  config_.editKeyTables([&](device::TableSlot& defaults,
                            std::array<device::TableSlot, device::kOnBoardProfiles>& profiles) {
    std::array<std::span<uint8_t>, device::kOnBoardProfiles> tables;
    for (std::size_t p = 0; p < profiles.size(); ++p) tables[p] = profiles[p];
    use(macro::MacroReferenceTables{tables, defaults, kMacroReferenceButtons});
  });
}

void MouseMacroTables::tablesChanged() {
  // Without a selected key profile there is no file to keep the table in;
  // saveMouseKeyProfile says so in the debug output.
  saveMouseKeyProfile(config_.profileKeyTable(config_.currentProfile()));
  if (labelsChanged_) labelsChanged_();
}

}  // namespace varnacle::mouse
