// Language files and resource texts.
#include "ui/language.h"

#include <gtest/gtest.h>

#include <QComboBox>

#include "example_window.h"
#include "platform/debug_output.h"
#include "support/ui_test_app.h"
#include "ui/qt/native.h"

namespace varnacle::ui {
namespace {

using testing::application;
using testing::ExampleWindow;

const std::string kOne = VARNACLE_UI_TESTDATA "/lan_one.xml";
const std::string kTwo = VARNACLE_UI_TESTDATA "/lan_two.xml";

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    ASSERT_TRUE(loadLanguage(kOne));
  }
};

TEST_F(LanguageTest, SwitchingAndBackRestoresEveryResourceText) {
  ExampleWindow a, b;
  ASSERT_TRUE(a.create(nullptr, "a"));
  ASSERT_TRUE(b.create(nullptr, "b"));
  Control* title = a.findControl("title");
  EXPECT_EQ(title->text(), "Example");
  EXPECT_EQ(title->rawText(), "example_title");
  EXPECT_EQ(currentLanguageName(), "en");

  ASSERT_TRUE(loadLanguage(kTwo));
  EXPECT_EQ(currentLanguageName(), "cn_zh");
  // The control resolves on each read; reloadText() updates what the widgets show.
  Window::reloadText();
  EXPECT_EQ(title->text(), "示例");
  EXPECT_EQ(b.findControl("title")->text(), "示例");

  ASSERT_TRUE(loadLanguage(kOne));
  Window::reloadText();
  EXPECT_EQ(title->text(), "Example");
  EXPECT_EQ(b.findControl("title")->text(), "Example");
  // Texts that are not resource texts never change.
  EXPECT_EQ(a.findControl("closebtn")->text(), "x");
}

TEST_F(LanguageTest, MissingKeyShowsTheKeyItself) {
  EXPECT_EQ(languageText("message_text_99"), "message_text_99");
  EXPECT_FALSE(hasLanguageText("message_text_99"));
  EXPECT_TRUE(hasLanguageText("item_a"));
  Label label;
  label.setResourceText(true);
  label.setText("message_text_99");
  EXPECT_EQ(label.text(), "message_text_99");
  label.setText("item_a");
  EXPECT_EQ(label.text(), "Apple");
  label.setResourceText(false);
  EXPECT_EQ(label.text(), "item_a");
}

TEST_F(LanguageTest, BrokenOrMissingFileKeepsTheLoadedTexts) {
  platform::DebugCapture capture;
  EXPECT_FALSE(loadLanguage(VARNACLE_UI_TESTDATA "/no_such_language.xml"));
  EXPECT_FALSE(loadLanguageFromText("<Language name=\"x\"><Text id=\"item_a\" value=\"v\">"));
  EXPECT_FALSE(loadLanguageFromText("<Other/>"));
  EXPECT_EQ(languageText("item_a"), "Apple");
  EXPECT_EQ(currentLanguageName(), "en");
  EXPECT_EQ(capture.lines().size(), 3u);
}

TEST_F(LanguageTest, CurrentLanguageNameCanBeSetAndTextsWithMarkupSurvive) {
  ASSERT_TRUE(loadLanguageFromText(
      R"(<?xml version="1.0" encoding="UTF-8"?><Language name="en">
         <Text id="quoted" value="Remove &quot;%d&quot; steps &amp; retry"/></Language>)"));
  EXPECT_EQ(languageText("quoted"), "Remove \"%d\" steps & retry");
  setCurrentLanguageName("cn_zh");
  EXPECT_EQ(currentLanguageName(), "cn_zh");
}

TEST_F(LanguageTest, ComboInResourceTextModeShowsItemsInTheCurrentLanguage) {
  ExampleWindow w;
  ASSERT_TRUE(w.create(nullptr, "w"));
  auto* combo = w.findControl<Combo>("combo");
  combo->setResourceText(true);
  combo->removeAllItems();
  combo->addItem("item_a");
  auto* box = qobject_cast<QComboBox*>(widgetOf(*combo));
  EXPECT_EQ(box->itemText(0), "Apple");
  ASSERT_TRUE(loadLanguage(kTwo));
  Window::reloadText();
  EXPECT_EQ(box->itemText(0), "苹果");
  EXPECT_EQ(combo->itemText(0), "苹果");
}

}  // namespace
}  // namespace varnacle::ui
