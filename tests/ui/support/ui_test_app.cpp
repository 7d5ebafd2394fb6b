#include "ui_test_app.h"

#include <cstdlib>
#include <stdexcept>

// The font configuration library keeps its caches until the process ends; the
// leak checker of the sanitizer builds is told so.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace varnacle::ui::testing {

// Kept to the very end of the process on purpose: the toolkit cannot be torn
// down from static destructors.
Application& application() {
  static Application* app = [] {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "varnacle-test";
    static char* argv[] = {name, nullptr};
    auto created = Application::create(argc, argv);
    if (!created.app) throw std::runtime_error("no application: " + created.error);
    created.app->loadResourceIndex("res.xml");
    return created.app.release();
  }();
  return *app;
}

void pump(int ms) {
  application().processEvents(ms);
}

}  // namespace varnacle::ui::testing
