#pragma once
// The one application object of a test program that uses the window library:
// created on first use on the offscreen platform (unless QT_QPA_PLATFORM says
// otherwise), with the skin folder beside the test program (the build copies
// the real skin there) and its res.xml loaded.
#include <string>

#include "ui/application.h"

namespace varnacle::ui::testing {

Application& application();
// Runs the event loop for `ms` milliseconds (0: what is pending now).
void pump(int ms = 0);
// Runs the event loop until `done()` or `timeoutMs` passed; returns done().
template <class F>
bool pumpUntil(F done, int timeoutMs = 2000) {
  for (int waited = 0; !done() && waited < timeoutMs; waited += 5) pump(5);
  return done();
}

}  // namespace varnacle::ui::testing
