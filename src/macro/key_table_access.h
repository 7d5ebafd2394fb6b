#pragma once
// How the macro editor reaches the key assignment tables of its device (the
// mouse's five profile tables, the keyboard's slots): to ask whether a macro
// is still assigned before it is deleted, and to renumber the assignments
// when it is.
//
// Threads: called on the UI thread; an implementation holds its tables'
// lock while `use` runs.
#include <functional>

#include "macro/macro_references.h"

namespace varnacle::macro {

class KeyTableAccess {
 public:
  virtual ~KeyTableAccess() = default;

  // Runs `use` on the device's tables, which it may change, under their lock.
  virtual void withTables(const std::function<void(const MacroReferenceTables&)>& use) = 0;

  // After `use` changed the tables: store them where they are kept (the key
  // profile files) and rebuild the assignment page's labels.
  virtual void tablesChanged() = 0;
};

}  // namespace varnacle::macro
