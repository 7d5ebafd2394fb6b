// The mouse's two profile panels in the real main window: offscreen, the real
// skin, a virtual mouse on a private bus, a temporary Documents folder,
// scripted file dialogs and message boxes, and a scripted foreground program
// for the application watchers.
#include "pages/profile_panel.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "../app/main_window_harness.h"
#include "../platform/scripted_foreground.h"
#include "app/main_wnd.h"
#include "mouse/key_assignment.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_key_profile.h"
#include "mouse/mouse_profile_steps.h"
#include "mouse/mouse_settings_record.h"
#include "mouse/ms_deng_page.h"
#include "mouse/ms_dpi_page.h"
#include "mouse/ms_key_page.h"
#include "platform/foreground_program.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"
#include "sim/virtual_device.h"
#include "ui/file_dialog.h"
#include "ui/modal_responder.h"
#include "ui/qt/native.h"

namespace varnacle::mouse {
namespace {

using namespace std::chrono_literals;
using profile::ProfileListKind;
using profile::ProfileRegistry;

using platform::test::ScriptedForeground;

// An executable file every Linux system has, for the program dialog.
constexpr const char* kProgram = "/bin/sh";

struct ProfilePanelTest : app::test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> mouse =
      std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  std::unique_ptr<MouseConfig> config;
  ScriptedForeground foreground;
  ui::ScriptedFileDialogs dialogs;
  std::unique_ptr<ui::ScopedFileDialogs> dialogScope;
  std::vector<std::string> boxes;
  int boxAnswer = 1;
  std::unique_ptr<ui::ScopedModalResponder> responder;
  pages::ProfilePanel* lightingPanel = nullptr;
  pages::ProfilePanel* keyPanel = nullptr;

  void SetUp() override {
    MainWindowHarness::SetUp();
    dialogScope = std::make_unique<ui::ScopedFileDialogs>(dialogs);
    responder =
        std::make_unique<ui::ScopedModalResponder>([this](ui::Window& w) -> std::optional<int> {
          if (auto* text = w.findControl("MessageText")) boxes.push_back(text->rawText());
          return boxAnswer;
        });
  }
  void TearDown() override {
    MainWindowHarness::TearDown();
    config.reset();
    responder.reset();
    dialogScope.reset();
  }

  // Lists of these rows, each profile's payload starting with `first` + row
  // (the lighting payload's byte 1 is the lighting mode).
  static void seed(ProfileListKind kind, const std::vector<std::string>& names, uint8_t first) {
    const ProfileRegistry r(kind);
    r.setCount(static_cast<int>(names.size()));
    for (size_t i = 0; i < names.size(); ++i) {
      r.setName(static_cast<int>(i), names[i]);
      std::vector<uint8_t> payload(r.info().payloadSize, 0);
      payload[0] = 0;
      payload[1] = static_cast<uint8_t>(first + i);
      payload[2] = static_cast<uint8_t>(first + i);
      profile::WriteProfileFile(r.profilePath(names[i]), payload);
    }
    r.setSelect(0);
  }

  void start() {
    window = std::make_unique<app::CMainWnd>(*backend, app::test::fastTiming());
    config = std::make_unique<MouseConfig>(window->liveLighting());
    auto dpi = std::make_unique<MsDpiPage>(window->pageContext(), *config);
    auto deng = std::make_unique<MsDengPage>(window->pageContext(), *config);
    auto key = std::make_unique<MsKeyPage>(window->pageContext(), *config);
    const profile::AppWatcherTiming fastWatch{5ms, 40ms};
    auto lighting = std::make_unique<pages::ProfilePanel>(
        window->pageContext(), ProfileListKind::mouseLighting,
        mouseLightingSteps(window->liveLighting(), *dpi, *deng), &foreground, fastWatch);
    auto keys = std::make_unique<pages::ProfilePanel>(
        window->pageContext(), ProfileListKind::mouseKeys,
        mouseKeySteps(*config, window->session(DeviceKind::mouse), *key), &foreground, fastWatch);
    lightingPanel = lighting.get();
    keyPanel = keys.get();
    window->addPage(std::move(dpi));
    window->addPage(std::move(deng));
    window->addPage(std::move(key));
    window->addPage(std::move(lighting));
    window->addPage(std::move(keys));
    ASSERT_TRUE(window->create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize));
    pumpFor(20ms);
  }
  // Plugs the mouse in, starts, waits until its pages show, and opens `page`.
  void startWithMouse(std::string_view page = "ms_page_deng") {
    bus.plug(mouse);
    start();
    ASSERT_TRUE(pumpUntil([&] { return control("ms_tab")->isVisible(); }));
    window->findControl<ui::Option>(page)->setSelected(true);
    pumpFor(20ms);
  }

  ui::Control* control(std::string_view name) {
    ui::Control* c = window->findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  ui::Combo* combo(std::string_view kind = "deng") {
    return window->findControl<ui::Combo>("ms_" + std::string(kind) + "_profile_combo");
  }
  std::vector<std::string> rows(std::string_view kind = "deng") {
    std::vector<std::string> out;
    for (int i = 0; i < combo(kind)->count(); ++i) out.push_back(combo(kind)->itemText(i));
    return out;
  }
  void click(std::string_view name) {
    QWidget* w = ui::widgetOf(*control(name));
    ASSERT_NE(w, nullptr) << name;
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
  }
  void type(std::string_view name, const std::string& text) {
    auto* edit = qobject_cast<QLineEdit*>(ui::widgetOf(*control(name)));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromStdString(text));
  }
  void choose(std::string_view kind, int row) { ASSERT_TRUE(combo(kind)->selectItem1(row, false, true)); }
  ui::CheckBox* linkCheck(std::string_view kind = "deng") {
    return window->findControl<ui::CheckBox>("ms_" + std::string(kind) + "_profile_link_check");
  }
  void checkLink(std::string_view kind = "deng") { linkCheck(kind)->setChecked(true, true); }
};

TEST_F(ProfilePanelTest, BothPanelsComeFromTheFragmentAndAFirstStartCreatesOneProfileEach) {
  start();
  for (std::string kind : {"deng", "key"}) {
    const auto& names = pages::profilePanelNames(kind == "deng" ? ProfileListKind::mouseLighting
                                                                : ProfileListKind::mouseKeys);
    for (std::string_view name :
         {names.combo, names.nameEdit, names.addButton, names.subButton, names.copyButton,
          names.importButton, names.exportButton, names.resetButton, names.editButton,
          names.editPanel, names.editSaveButton, names.linkCheck, names.linkButton,
          names.linkEdit, names.linkRow})
      EXPECT_EQ(control(name)->name(), name);
    EXPECT_EQ(rows(kind), std::vector<std::string>{"Configuration File1"});
    EXPECT_EQ(combo(kind)->itemToolTip(0), "Configuration File1");
    EXPECT_FALSE(control("ms_" + kind + "_profile_link_name_hor")->isVisible());
  }
  EXPECT_EQ(combo()->itemHeight(), 25);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ProfilePanelTest, TheSpreadAndEditButtonsToggleTheirPanels) {
  startWithMouse();
  auto* spread = control("ms_profile_fun_spead_tab");
  EXPECT_FALSE(spread->isVisible());
  click("ms_profile_fun_spread_btn");
  EXPECT_TRUE(spread->isVisible());
  EXPECT_FALSE(control("ms_deng_profile_edit")->isVisible());
  click("ms_pro_deng_edit_btn");
  EXPECT_TRUE(control("ms_deng_profile_edit")->isVisible());
  click("ms_pro_deng_edit_btn");
  EXPECT_FALSE(control("ms_deng_profile_edit")->isVisible());
  click("ms_profile_fun_spread_btn");
  EXPECT_FALSE(spread->isVisible());
}

TEST_F(ProfilePanelTest, AddCopyAndDeleteThroughTheButtons) {
  seed(ProfileListKind::mouseLighting, {"Configuration File1", "configuration file3"}, 1);
  startWithMouse();
  click("ms_profile_fun_spread_btn");
  click("ms_pro_deng_add_btn");
  EXPECT_EQ(rows().back(), "Configuration File2");
  EXPECT_EQ(combo()->currentIndex(), 2);
  EXPECT_EQ(control("ms_deng_profile_name_edit")->text(), "Configuration File2");

  click("ms_pro_deng_copy_btn");
  EXPECT_EQ(rows().back(), "Configuration File2 copy");
  lightingPanel->selectRow(2);
  click("ms_pro_deng_copy_btn");
  EXPECT_EQ(rows().back(), "Configuration File2 copy copy");

  boxAnswer = 0;
  click("ms_pro_deng_sub_btn");
  EXPECT_EQ(boxes, std::vector<std::string>{"message_text_12"});
  EXPECT_EQ(combo()->count(), 5);
  boxAnswer = 1;
  lightingPanel->selectRow(0);
  click("ms_pro_deng_sub_btn");
  EXPECT_EQ(combo()->count(), 4);
  EXPECT_EQ(rows().front(), "configuration file3");
  EXPECT_EQ(combo()->currentIndex(), 3);
  for (int i = 0; i < 3; ++i) click("ms_pro_deng_sub_btn");
  EXPECT_EQ(combo()->count(), 1);
  click("ms_pro_deng_sub_btn");
  EXPECT_EQ(boxes.back(), "message_text_11");
  EXPECT_EQ(combo()->count(), 1);
}

TEST_F(ProfilePanelTest, RenameThroughTheEditPanel) {
  seed(ProfileListKind::mouseLighting, {"Game", "Other"}, 1);
  startWithMouse();
  click("ms_profile_fun_spread_btn");
  click("ms_pro_deng_edit_btn");
  type("ms_deng_profile_name_edit", "GAME");
  click("ms_deng_profile_edit_save_btn");
  EXPECT_EQ(boxes, std::vector<std::string>{"message_text_15"});
  type("ms_deng_profile_name_edit", std::string(20, 'x'));
  click("ms_deng_profile_edit_save_btn");
  EXPECT_EQ(boxes.back(), "message_text_18");
  type("ms_deng_profile_name_edit", "Race");
  click("ms_deng_profile_edit_save_btn");
  EXPECT_EQ(rows(), (std::vector<std::string>{"Race", "Other"}));
  EXPECT_EQ(combo()->itemToolTip(0), "Race");
  EXPECT_EQ(combo()->currentIndex(), 0);
  EXPECT_TRUE(std::filesystem::exists(ProfileRegistry(ProfileListKind::mouseLighting).profilePath("Race")));
}

TEST_F(ProfilePanelTest, ArrivalSelectsBothRowsAndSelectingSendsTheProfileToTheMouse) {
  seed(ProfileListKind::mouseLighting, {"A", "B"}, 2);
  seed(ProfileListKind::mouseKeys, {"K0", "K1"}, 0x10);
  ProfileRegistry(ProfileListKind::mouseKeys).setSelect(1);
  bus.plug(mouse);
  start();
  ASSERT_TRUE(pumpUntil([&] { return combo()->currentIndex() == 0 && combo("key")->currentIndex() == 1; }));
  // The mouse reports the key table written on arrival; its re-read settles.
  pumpFor(300ms);

  choose("deng", 1);
  EXPECT_EQ(ProfileRegistry(ProfileListKind::mouseLighting).select(), 1);
  ASSERT_TRUE(pumpUntil([&] { return mouse->memory().settings[kLightMode] == 3; }));

  // The key profile's table goes to the active on-board profile's assignments.
  choose("key", 0);
  ASSERT_TRUE(pumpUntil([&] {
    const auto tables = mouse->memory().profileTables;
    return tables[1] == 0x10 && tables[2] == 0x10;
  }));
}

TEST_F(ProfilePanelTest, ResetOfTheLightingListTakesTheDefaultsAndKeepsTheTail) {
  seed(ProfileListKind::mouseLighting, {"A"}, 4);
  startWithMouse();
  std::vector<uint8_t> defaults(64, 0);
  const ProfileRegistry r(ProfileListKind::mouseLighting);
  ASSERT_EQ(profile::ReadProfileFile(r.defaultPath(), defaults), profile::kProfileFileRead);
  click("ms_profile_fun_spread_btn");
  click("ms_pro_deng_reset_btn");
  const Record working = window->liveLighting().snapshot(DeviceKind::mouse);
  for (size_t i = 0; i < kRecordSize; ++i) {
    if (i == kPointerSpeed || i == kWheelLines) continue;
    EXPECT_EQ(working[i], defaults[i]) << i;
  }
  EXPECT_EQ(working[kPointerSpeed], 10);
  EXPECT_EQ(working[kWheelLines], 1);
  EXPECT_EQ(control("ms_gunlun_speed_edit")->text(), "1");
  std::vector<uint8_t> saved(64, 0);
  ASSERT_EQ(profile::ReadProfileFile(r.profilePath("A"), saved), profile::kProfileFileRead);
  EXPECT_TRUE(std::equal(working.begin(), working.end(), saved.begin()));
}

TEST_F(ProfilePanelTest, ImportAndExportUseTheListsFilter) {
  seed(ProfileListKind::mouseKeys, {"K"}, 0x20);
  startWithMouse("ms_page_key");
  const auto target = root() / "out.pro";
  dialogs.answer(target.string());
  click("ms_pro_key_export_btn");
  ASSERT_EQ(dialogs.requests().size(), 1u);
  EXPECT_TRUE(dialogs.requests()[0].save);
  EXPECT_EQ(dialogs.requests()[0].filter, "(*.pro) | *.pro ||");
  EXPECT_EQ(dialogs.requests()[0].initialName, "*.pro");
  EXPECT_TRUE(std::filesystem::exists(target));

  const auto bad = root() / "bad.pro";
  writeBytes(bad, "not a profile");
  dialogs.answer(bad.string());
  click("ms_pro_key_import_btn");
  EXPECT_EQ(boxes, std::vector<std::string>{"message_text_9"});
  EXPECT_FALSE(dialogs.requests()[1].save);
}

TEST_F(ProfilePanelTest, LinkOptionAndButton) {
  seed(ProfileListKind::mouseLighting, {"A", "B", "C"}, 1);
  startWithMouse();
  const ProfileRegistry r(ProfileListKind::mouseLighting);
  lightingPanel->selectRow(1);
  click("ms_profile_fun_spread_btn");

  dialogs.cancel();
  checkLink();
  EXPECT_FALSE(linkCheck()->isChecked());
  EXPECT_FALSE(r.linked(1));
  EXPECT_EQ(r.process(1), "");

  dialogs.answer(kProgram);
  checkLink();
  EXPECT_TRUE(linkCheck()->isChecked());
  EXPECT_EQ(control("ms_deng_profile_link_edit")->text(), "sh");
  EXPECT_TRUE(control("ms_deng_profile_link_name_hor")->isVisible());
  EXPECT_EQ(r.process(1), kProgram);

  lightingPanel->selectRow(2);
  EXPECT_FALSE(linkCheck()->isChecked());
  dialogs.answer(kProgram);
  checkLink();
  EXPECT_EQ(boxes, std::vector<std::string>{"message_text_13"});
  EXPECT_FALSE(linkCheck()->isChecked());
  EXPECT_FALSE(r.linked(2));

  // The button makes no duplicate check; it needs the link row, so row 2 is
  // linked elsewhere first.
  dialogs.answer("/usr/bin/env");
  checkLink();
  dialogs.answer(kProgram);
  click("ms_deng_profile_link_btn");
  EXPECT_TRUE(r.linked(2));
  EXPECT_EQ(r.process(2), kProgram);
  // Selecting a linked row shows its link.
  lightingPanel->selectRow(1);
  EXPECT_TRUE(linkCheck()->isChecked());
  EXPECT_EQ(control("ms_deng_profile_link_edit")->text(), "sh");
}

TEST_F(ProfilePanelTest, WhereNothingTellsTheProgramInFrontTheFirstLinkSaysSoOnce) {
  seed(ProfileListKind::mouseLighting, {"A", "B", "C"}, 1);
  foreground.setSupport(platform::ForegroundSupport::notOnThisDesktop);
  startWithMouse();
  const ProfileRegistry r(ProfileListKind::mouseLighting);
  lightingPanel->selectRow(1);
  click("ms_profile_fun_spread_btn");

  // Told before the dialog; the link is kept for sessions that can tell.
  dialogs.answer(kProgram);
  checkLink();
  EXPECT_EQ(boxes, std::vector<std::string>{"message_text_23"});
  EXPECT_TRUE(r.linked(1));
  // Once per run, whichever panel or control links next.
  lightingPanel->selectRow(2);
  dialogs.answer("/usr/bin/env");
  checkLink();
  dialogs.answer(kProgram);
  click("ms_deng_profile_link_btn");
  EXPECT_EQ(boxes, std::vector<std::string>{"message_text_23"});
  EXPECT_EQ(r.process(2), kProgram);
}

TEST_F(ProfilePanelTest, OnGnomeWithoutTheExtensionTheFirstLinkSaysHowToEnableIt) {
  foreground.setSupport(platform::ForegroundSupport::needsShellExtension);
  startWithMouse();
  click("ms_profile_fun_spread_btn");
  dialogs.cancel();
  checkLink();
  EXPECT_EQ(boxes, std::vector<std::string>{"message_text_24"});
  // Enabled since: links work, and nothing more is said.
  foreground.setSupport(platform::ForegroundSupport::answers);
  dialogs.answer(kProgram);
  checkLink();
  EXPECT_EQ(boxes, std::vector<std::string>{"message_text_24"});
  EXPECT_TRUE(linkCheck()->isChecked());
}

TEST_F(ProfilePanelTest, TheWatcherSelectsTheLinkedRowAndGivesTheUsersRowBack) {
  seed(ProfileListKind::mouseKeys, {"K0", "K1", "K2"}, 0x10);
  start();
  const ProfileRegistry r(ProfileListKind::mouseKeys);
  keyPanel->selectRow(0);
  keyPanel->list().linkThroughButton(2, kProgram);
  foreground.set(kProgram);
  ASSERT_TRUE(pumpUntil([&] { return combo("key")->currentIndex() == 2; }));
  pumpFor(100ms);
  EXPECT_EQ(r.select(), 0);
  // What is saved meanwhile belongs to the linked profile the mouse holds,
  // not to the user's choice that SELECT names.
  const std::string usersFile = readBytes(r.profilePath("K0"));
  device::TableSlot edited{};
  edited.fill(0x77);
  ASSERT_TRUE(saveMouseKeyProfile(edited));
  EXPECT_EQ(readBytes(r.profilePath("K0")), usersFile);
  std::vector<uint8_t> linked(512, 0);
  ASSERT_EQ(profile::ReadProfileFile(r.profilePath("K2"), linked), profile::kProfileFileRead);
  EXPECT_EQ(linked, std::vector<uint8_t>(512, 0x77));
  foreground.set(std::nullopt);
  ASSERT_TRUE(pumpUntil([&] { return combo("key")->currentIndex() == 0; }));
  EXPECT_EQ(r.select(), 0);
}

}  // namespace
}  // namespace varnacle::mouse
