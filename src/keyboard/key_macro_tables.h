#pragma once
// The keyboard macro page's way to the keyboard's key tables
// (KeyboardConfig's five slots and its base table): the reference question
// before a macro is deleted and the renumbering when it is. Every key the
// keyboard reports is examined in every slot.
//
// UI thread; lives as long as the page it is given to, and must not outlive
// the KeyboardConfig.
#include <functional>

#include "macro/key_table_access.h"

namespace varnacle::keyboard {

class KeyboardConfig;

class KeyboardMacroTables : public macro::KeyTableAccess {
 public:
  // `labelsChanged` rebuilds the key page's labels after a change; it may be
  // empty.
  explicit KeyboardMacroTables(KeyboardConfig& config, std::function<void()> labelsChanged = {});

  void withTables(const std::function<void(const macro::MacroReferenceTables&)>& use) override;
  // Saves slot 0 into the selected keyboard key profile file, then rebuilds
  // the labels.
  void tablesChanged() override;

 private:
  KeyboardConfig& config_;
  std::function<void()> labelsChanged_;
};

}  // namespace varnacle::keyboard
