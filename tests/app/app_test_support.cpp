#include "app_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "app/custom_controls.h"
#include "ui/application.h"
#include "ui/language.h"

namespace varnacle::app::test {

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    auto created = ui::Application::create(argc_, argv_);
    ASSERT_TRUE(created.app) << created.error;
    app_ = std::move(created.app);
    ASSERT_TRUE(app_->loadResourceIndex("res.xml")) << "skin folder: " << app_->skinFolder();
    registerCustomControls();
    switchLanguage("lan_en.xml");
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[9] = "app_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<ui::Application> app_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

std::string HostWindow::layoutName() const {
  return VARNACLE_APP_TEST_DATA "/host_window.xml";
}

void switchLanguage(const char* file) {
  ASSERT_TRUE(ui::loadLanguage(file)) << file;
  ui::Window::reloadText();
}

}  // namespace varnacle::app::test
