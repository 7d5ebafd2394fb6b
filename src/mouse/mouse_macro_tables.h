#pragma once
// The mouse macro page's way to the mouse's key tables (MouseConfig's five
// profile tables and its default table): the reference question before a
// macro is deleted and the renumbering when it is.
//
// All seven buttons of every profile are examined: a button beyond the sixth
// that plays a deleted macro would otherwise go on playing whatever macro
// moved into its place.
//
// UI thread; lives as long as the page it is given to, and must not outlive
// the MouseConfig.
#include <cstddef>
#include <functional>

#include "macro/key_table_access.h"

namespace varnacle::mouse {

class MouseConfig;

// The mouse's programmable buttons: records 0 to 6 of a key table.
inline constexpr std::size_t kMacroReferenceButtons = 7;

class MouseMacroTables : public macro::KeyTableAccess {
 public:
  // `labelsChanged` rebuilds the button page's labels after a change; it
  // may be empty.
  explicit MouseMacroTables(MouseConfig& config, std::function<void()> labelsChanged = {});

  void withTables(const std::function<void(const macro::MacroReferenceTables&)>& use) override;
  // Saves the current on-board profile's table into the selected mouse key
  // profile file, then rebuilds the labels.
  void tablesChanged() override;

 private:
  MouseConfig& config_;
  std::function<void()> labelsChanged_;
};

}  // namespace varnacle::mouse
