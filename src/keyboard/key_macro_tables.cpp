#include "keyboard/key_macro_tables.h"

#include <array>
#include <span>

#include "keyboard/keyboard_config.h"
#include "keyboard/keyboard_key_profile.h"

namespace varnacle::keyboard {

KeyboardMacroTables::KeyboardMacroTables(KeyboardConfig& config,
                                         std::function<void()> labelsChanged)
    : config_(config), labelsChanged_(std::move(labelsChanged)) {}

void KeyboardMacroTables::withTables(
    const std::function<void(const macro::MacroReferenceTables&)>& use) {
  const auto keys = static_cast<std::size_t>(config_.keyCount());
  config_.editSlots(
      [&](device::TableSlot& base, std::array<device::TableSlot, device::kOnBoardProfiles>& slots) {
        std::array<std::span<uint8_t>, device::kOnBoardProfiles> tables;
        for (std::size_t s = 0; s < slots.size(); ++s) tables[s] = slots[s];
        use(macro::MacroReferenceTables{tables, base, keys});
      });
}

void KeyboardMacroTables::tablesChanged() {
  // Without a selected key profile there is no file to keep the slot in;
  // saveKeyboardKeyProfile says so in the debug output.
  saveKeyboardKeyProfile(config_.slot(0));
  if (labelsChanged_) labelsChanged_();
}

}  // namespace varnacle::keyboard
