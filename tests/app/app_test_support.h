#pragma once
// What the message box and custom control tests share: the window library's
// application (offscreen, with the real skin beside the test binary and the
// program's own controls registered) and a stand-in host window.
#include <string>

#include "ui/window.h"

namespace varnacle::app::test {

// A plain window from tests/app/data/host_window.xml, holding the hidden label
// "str_test" and one of each custom control.
class HostWindow : public ui::Window {
 public:
  std::string layoutName() const override;
  std::string windowClassName() const override { return "TestHost"; }
};

// Loads a skin language file and re-resolves every resource text, as the
// language switch of the main window does.
void switchLanguage(const char* file);

}  // namespace varnacle::app::test
