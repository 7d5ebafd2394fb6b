// Starting without any display is a result the program can report, not an abort.
#include "ui/application.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace varnacle::ui {
namespace {

class Environment {
 public:
  explicit Environment(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) saved_ = v;
    unsetenv(name);
  }
  ~Environment() {
    if (saved_) setenv(name_, saved_->c_str(), 1);
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(Application, NoDisplayIsAnErrorResult) {
  Environment platform("QT_QPA_PLATFORM"), display("DISPLAY"), wayland("WAYLAND_DISPLAY");
  int argc = 1;
  char name[] = "varnacle-test";
  char* argv[] = {name, nullptr};
  auto created = Application::create(argc, argv);
  EXPECT_EQ(created.app, nullptr);
  EXPECT_NE(created.error.find("no display"), std::string::npos) << created.error;
  EXPECT_EQ(Application::instance(), nullptr);
}

}  // namespace
}  // namespace varnacle::ui
