// The main window's texts: shown in the loaded language from the first frame,
// also where the program builds its layout before any language file is read,
// and kept when a language file cannot be read.
#include <gtest/gtest.h>

#include <QComboBox>
#include <filesystem>

#include "app/main_wnd.h"
#include "app_test_support.h"
#include "main_window_harness.h"
#include "pages/page_messages.h"
#include "profile/ansi_text.h"
#include "ui/application.h"
#include "ui/language.h"
#include "ui/menu.h"
#include "ui/qt/native.h"

namespace varnacle::app {
namespace {

namespace fs = std::filesystem;

struct MainWindowLanguageTest : test::MainWindowHarness {
  std::string skinBefore;

  void SetUp() override {
    MainWindowHarness::SetUp();
    skinBefore = ui::Application::instance()->skinFolder();
  }
  void TearDown() override {
    MainWindowHarness::TearDown();
    ui::Application::instance()->setSkinFolder(skinBefore);
    test::switchLanguage("lan_en.xml");
  }

  void start() {
    window = std::make_unique<CMainWnd>(*backend, test::fastTiming());
    ASSERT_TRUE(window->create(nullptr, kMainWindowTitle, {}, kMainWindowSize));
  }
  // What the native drop-down of a combo shows for its item `i`.
  std::string shownItem(std::string_view combo, int i) {
    auto* box = qobject_cast<QComboBox*>(ui::widgetOf(*window->findControl(combo)));
    return box && i < box->count() ? box->itemText(i).toStdString() : std::string("(no item)");
  }
  void toggleLanguage() {
    ui::MenuCommand lan{.name = "lan", .userData = {}, .text = "menu_lan_text", .checked = false};
    window->sendMessage(pages::msg::kMenuCommand, reinterpret_cast<std::uintptr_t>(&lan));
  }
};

TEST_F(MainWindowLanguageTest, DropDownsShowTheirTextsWhenNoLanguageWasLoadedBeforeTheLayout) {
  // As at the program's start: nothing is loaded when the layout is built.
  ASSERT_TRUE(ui::loadLanguageFromText(R"(<Language name=""/>)"));
  start();
  EXPECT_EQ(shownItem("ms_report_fct_combo", 0), "125 Hz");
  EXPECT_EQ(shownItem("ms_report_fct_combo", 3), "1000 Hz");
  EXPECT_EQ(shownItem("ms_deng_combo_modeSelect", 0), "Colour wave");
  EXPECT_EQ(ui::currentLanguageName(), "en");
}

TEST_F(MainWindowLanguageTest, ASwitchWhoseFileCannotBeReadKeepsTheLanguage) {
  start();
  const std::string english = window->findControl("title")->text();
  // A skin folder whose Chinese file is missing.
  const fs::path skin = root() / "skin-without-chinese";
  fs::copy(skinBefore, skin, fs::copy_options::recursive);
  fs::remove(skin / "lan_cn.xml");
  ui::Application::instance()->setSkinFolder(skin.string());

  toggleLanguage();
  EXPECT_EQ(ui::currentLanguageName(), "en");
  EXPECT_FALSE(window->chineseLoaded());
  EXPECT_EQ(window->findControl("title")->text(), english);
  EXPECT_EQ(shownItem("ms_report_fct_combo", 0), "125 Hz");

  // With the file back, the next switch goes through.
  ui::Application::instance()->setSkinFolder(skinBefore);
  toggleLanguage();
  EXPECT_EQ(ui::currentLanguageName(), "cn_zh");
  EXPECT_EQ(shownItem("ms_report_fct_combo", 0), "125 赫兹");
}

TEST_F(MainWindowLanguageTest, SettingsFilesWithoutAMarkAreReadInTheCodePageOfTheLanguage) {
  // "宏" in GBK; the same two bytes are "ºê" in Windows-1252.
  const std::string bytes = "\xBA\xEA";
  start();
  EXPECT_EQ(profile::decodeAnsi(bytes), "ºê");
  toggleLanguage();
  EXPECT_EQ(profile::decodeAnsi(bytes), "宏");
  toggleLanguage();
  EXPECT_EQ(profile::decodeAnsi(bytes), "ºê");
}

}  // namespace
}  // namespace varnacle::app
