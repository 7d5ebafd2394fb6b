#include "ui/file_dialog.h"

#include <gtest/gtest.h>

namespace varnacle::ui {
namespace {

TEST(FileFilter, ReadsTheBarSeparatedForm) {
  auto filters = parseFileFilter("(*.png) | *.png |(*.*)|*.*||");
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0], (FileFilter{"(*.png)", {"*.png"}}));
  EXPECT_EQ(filters[1], (FileFilter{"(*.*)", {"*.*"}}));

  auto several = parseFileFilter("Profiles|*.led;*.pro||");
  ASSERT_EQ(several.size(), 1u);
  EXPECT_EQ(several[0].patterns, (std::vector<std::string>{"*.led", "*.pro"}));

  EXPECT_TRUE(parseFileFilter("").empty());
  EXPECT_TRUE(parseFileFilter("label only").empty());
  EXPECT_TRUE(parseFileFilter("empty||").empty());
}

TEST(FileFilter, DefaultExtensionOnlyWhenTheNameHasNone) {
  EXPECT_EQ(withDefaultExtension("/home/u/a", "mac"), "/home/u/a.mac");
  EXPECT_EQ(withDefaultExtension("/home/u/a.txt", "mac"), "/home/u/a.txt");
  EXPECT_EQ(withDefaultExtension("/home/u.d/a", "mac"), "/home/u.d/a.mac");
  EXPECT_EQ(withDefaultExtension("C:\\x.d\\a", "led"), "C:\\x.d\\a.led");
  EXPECT_EQ(withDefaultExtension("/home/u/a", ""), "/home/u/a");
}

TEST(ScriptedFileDialogs, AnswersInOrderThenCancelsAndRecords) {
  ScriptedFileDialogs script;
  script.answer("/tmp/one");
  script.cancel();
  ScopedFileDialogs installed(script);

  FileDialogRequest save;
  save.save = true;
  save.defaultExtension = "mac";
  save.initialName = "m";
  EXPECT_EQ(runFileDialog(save), "/tmp/one.mac");
  FileDialogRequest open;
  open.filter = "(*.png)|*.png||";
  open.flags = kFileHideReadOnly;
  EXPECT_EQ(runFileDialog(open), std::nullopt);
  EXPECT_EQ(runFileDialog(open), std::nullopt);  // nothing left: Cancel

  ASSERT_EQ(script.requests().size(), 3u);
  EXPECT_TRUE(script.requests()[0].save);
  EXPECT_EQ(script.requests()[0].initialName, "m");
  EXPECT_EQ(script.requests()[1].filter, "(*.png)|*.png||");
  EXPECT_EQ(script.requests()[1].flags, kFileHideReadOnly);
}

TEST(ScriptedFileDialogs, InnermostInstallationAnswers) {
  ScriptedFileDialogs outer, inner;
  outer.answer("/outer");
  inner.answer("/inner");
  ScopedFileDialogs a(outer);
  {
    ScopedFileDialogs b(inner);
    EXPECT_EQ(runFileDialog({}), "/inner");
  }
  EXPECT_EQ(runFileDialog({}), "/outer");
}

}  // namespace
}  // namespace varnacle::ui
