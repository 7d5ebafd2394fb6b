// The button page in the real main window: offscreen, the real skin, a
// virtual mouse on a private bus (read by the DPI page as in the program), a
// temporary Documents folder, scripted message boxes and synthetic key events
// through the input hook.
#include "mouse/ms_key_page.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "../app/main_window_harness.h"
#include "app/main_wnd.h"
#include "lighting_profile_list.h"
#include "macro/macro_references.h"
#include "macro/macro_store.h"
#include "mouse/key_assignment.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_macro_tables.h"
#include "mouse/ms_dpi_page.h"
#include "pages/page_messages.h"
#include "platform/input_hook.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"
#include "sim/virtual_device.h"
#include "ui/language.h"
#include "ui/modal_responder.h"
#include "ui/qt/native.h"
#include "../profile/one_profile_list.h"

namespace varnacle::mouse {
namespace {

using namespace std::chrono_literals;

constexpr uint16_t kVkRightAlt = 0xA5;

struct MsKeyPageTest : app::test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> mouse =
      std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  platform::SyntheticInputHook hook;
  std::unique_ptr<MouseConfig> config;
  MsKeyPage* page = nullptr;
  std::vector<std::string> boxes;
  std::unique_ptr<ui::ScopedModalResponder> responder;

  void SetUp() override {
    MainWindowHarness::SetUp();
    test::setUpOneMouseLightingProfile();
    profile::test::setUpOneProfile(profile::ProfileListKind::mouseKeys, "Keys");
    responder = app::test::recordMessageBoxes(boxes, 1);
  }

  void TearDown() override {
    MainWindowHarness::TearDown();
    config.reset();
    responder.reset();
  }

  // The mouse's profile 0 buttons, in the order of the layout's buttons.
  void giveMouseButtons(const std::array<KeyAssignment, kMouseButtons>& records) {
    auto memory = mouse->memory();
    for (int b = 0; b < kMouseButtons; ++b)
      setRecord(memory.profileTables, b, records[static_cast<std::size_t>(b)]);
    memory.activeProfile = 0;
    ASSERT_TRUE(mouse->setMemory(memory));
  }

  // Starts the window with the DPI page (which reads the mouse) and the
  // button page; with `plugged` the mouse is there and read first.
  void start(bool plugged = true) {
    if (plugged) bus.plug(mouse);
    window = std::make_unique<app::CMainWnd>(*backend, app::test::fastTiming());
    config = std::make_unique<MouseConfig>(window->liveLighting());
    window->addPage(std::make_unique<MsDpiPage>(window->pageContext(), *config,
                                                platform::PointerApplier{[](int) {}, [](int) {}}));
    window->deviceHook().attach(&hook);
    auto p = std::make_unique<MsKeyPage>(window->pageContext(), *config);
    page = p.get();
    window->addPage(std::move(p));
    ASSERT_TRUE(window->create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize));
    if (plugged) {
      ASSERT_TRUE(pumpUntil([&] { return window->findControl("ms_tab")->isVisible(); }));
    } else {
      pumpFor(50ms);
    }
    window->findControl<ui::Option>("ms_page_key")->setSelected(true);
    pumpFor(20ms);
  }

  ui::Control* control(std::string_view name) {
    ui::Control* c = window->findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  ui::Combo* combo(std::string_view name) { return window->findControl<ui::Combo>(name); }
  void click(std::string_view name) {
    auto* b = window->findControl<ui::Button>(name);
    ASSERT_NE(b, nullptr) << name;
    b->activate();
  }
  // The user picks an item of a combo.
  void choose(std::string_view name, int item) {
    auto* c = combo(name);
    ASSERT_NE(c, nullptr) << name;
    ASSERT_TRUE(c->selectItem1(item));
  }
  void type(std::string_view name, const char* text) {
    auto* e = qobject_cast<QLineEdit*>(ui::widgetOf(*control(name)));
    ASSERT_NE(e, nullptr) << name;
    e->clear();
    QTest::keyClicks(e, text);
  }
  bool functionPageShown() { return control("ms_tab_function")->isVisible(); }
  KeyAssignment stored(int button, int profile = 0) {
    return recordAt(config->profileKeyTable(profile), button);
  }
  // A key event reaches the installed hook; true when it was swallowed.
  bool press(uint16_t vk, uint32_t flags = 0) {
    const bool swallowed = hook.deliver({vk, flags});
    pumpFor(20ms);
    return swallowed;
  }
};

TEST_F(MsKeyPageTest, TheOnlyLeftClickKeepsThePageClosedTwoLeftClicksMayBothChange) {
  giveMouseButtons({{{0x10, 0x01, 0},
                     {0x10, 0x04, 0},
                     {0x10, 0x02, 0},
                     {0x10, 0x10, 0},
                     {0x10, 0x08, 0},
                     {0x13, 0x03, 0},
                     {0x05, 0x05, 0x05}}});
  start();
  click("ms_key_1");
  EXPECT_TRUE(functionPageShown());
  click("ms_key_0");
  EXPECT_EQ(boxes, (std::vector<std::string>{"message_text_6"}));
  EXPECT_FALSE(functionPageShown());
  click("ms_key_butt_keysave");
  EXPECT_EQ(stored(0), kLeftClick) << "nothing is stored while the page is closed";

  // Button 2 becomes a second left click: now either may change.
  click("ms_key_2");
  choose("ms_key_fct_combo", 1);
  choose("ms_key_fct_combo_11", 0);
  EXPECT_EQ(stored(2), kLeftClick);
  EXPECT_EQ(control("ms_key_2")->rawText(), "mouse_key_left");
  click("ms_key_0");
  EXPECT_TRUE(functionPageShown());
  EXPECT_EQ(combo("ms_key_fct_combo")->currentIndex(), 0) << "the left click is button 0's default";
  choose("ms_key_fct_combo", 1);
  choose("ms_key_fct_combo_11", 3);
  EXPECT_EQ(stored(0), (KeyAssignment{0x10, 0x10, 0}));
  EXPECT_EQ(control("ms_key_0")->text(), ui::languageText("mouse_key_forward"));
  click("ms_key_2");
  EXPECT_EQ(boxes.size(), 2u) << "the last left click is guarded again";
  EXPECT_FALSE(functionPageShown());
}

TEST_F(MsKeyPageTest, ARecordEqualToItsDefaultOpensOnDefaultAndRestoreBringsTheDefaultBack) {
  start();
  // The mouse's default table (read from it) gives button 5 the DPI loop.
  const KeyAssignment def = recordAt(config->defaultKeyTable(), 5);
  click("ms_key_5");
  choose("ms_key_fct_combo", 4);
  EXPECT_EQ(combo("ms_key_fct_combo_14")->currentIndex(), 0);
  EXPECT_EQ(stored(5), (KeyAssignment{0x13, 0x01, 0}));
  choose("ms_key_fct_combo_14", 1);
  EXPECT_EQ(stored(5), (KeyAssignment{0x13, 0x02, 0}));
  choose("ms_key_fct_combo_14", 0);
  EXPECT_EQ(stored(5), (KeyAssignment{0x13, 0x01, 0}));
  choose("ms_key_fct_combo_14", static_cast<int>(def.param1) - 1);
  EXPECT_EQ(stored(5), def);
  click("ms_key_5");
  EXPECT_EQ(combo("ms_key_fct_combo")->currentIndex(), 0) << "chosen explicitly, shown as default";
  EXPECT_TRUE(control("ms_tab_function_0")->isVisible());
  EXPECT_FALSE(control("ms_tab_function_4")->isVisible());

  choose("ms_key_fct_combo", 8);
  choose("ms_key_fct_combo_22", 1);
  EXPECT_EQ(stored(5), (KeyAssignment{0x40, 0x02, 0}));
  EXPECT_TRUE(control("ms_tab_function_8")->isVisible());
  click("ms_key_butt_keydefalut");
  EXPECT_EQ(stored(5), def);
  EXPECT_EQ(combo("ms_key_fct_combo")->currentIndex(), 0);
}

TEST_F(MsKeyPageTest, SwingsAndFireKeyFromTheEditsWithTheLimitsWrittenBack) {
  start();
  click("ms_key_3");
  choose("ms_key_fct_combo", 2);
  choose("ms_key_fct_combo_12", 0);
  type("ms_key_fct_edit_15", "5");
  type("ms_key_fct_edit_17", "3");
  type("ms_key_fct_edit_20", "9");
  EXPECT_EQ(stored(3), (KeyAssignment{0x11, 0x39, 0x05}));
  EXPECT_EQ(control("ms_key_3")->rawText(), "mouse_key_left_Swing");
  choose("ms_key_fct_combo_12", 1);
  EXPECT_EQ(stored(3), (KeyAssignment{0x11, 0x39, 0x85}));
  EXPECT_EQ(control("ms_key_3")->rawText(), "mouse_key_right_Swing");
  type("ms_key_fct_edit_17", "20");
  EXPECT_EQ(control("ms_key_fct_edit_17")->text(), "15");
  EXPECT_EQ(stored(3).param1, 0xF9);

  click("ms_key_4");
  choose("ms_key_fct_combo", 5);
  EXPECT_EQ(control("ms_key_fct_edit_11")->text(), "0") << "a fresh category shows what it stores";
  EXPECT_EQ(stored(4), (KeyAssignment{0x14, 0, 0}));
  type("ms_key_fct_edit_11", "300");
  EXPECT_EQ(control("ms_key_fct_edit_11")->text(), "255");
  type("ms_key_fct_edit_12", "7");
  EXPECT_EQ(stored(4), (KeyAssignment{0x14, 255, 7}));

  // Selected again, the page shows what was stored.
  click("ms_key_3");
  EXPECT_EQ(combo("ms_key_fct_combo")->currentIndex(), 2);
  EXPECT_EQ(combo("ms_key_fct_combo_12")->currentIndex(), 1);
  EXPECT_EQ(control("ms_key_fct_edit_15")->text(), "5");
  EXPECT_EQ(control("ms_key_fct_edit_17")->text(), "15");
  EXPECT_EQ(control("ms_key_fct_edit_20")->text(), "9");
}

TEST_F(MsKeyPageTest, ANeverReadMouseShowsItsSeventhButtonAsDisabled) {
  start(false);
  EXPECT_EQ(control("ms_key_6")->rawText(), "close_text");
  EXPECT_EQ(control("ms_key_6")->text(), ui::languageText("close_text"));
  EXPECT_EQ(control("ms_key_0")->rawText(), "mouse_key_left");
  EXPECT_EQ(control("ms_key_5")->rawText(), "mouse_key_DPI_loop");
}

TEST_F(MsKeyPageTest, KeyCaptureStoresRightAltIgnoresNumLockAndEndsWithTheCategory) {
  start();
  EXPECT_FALSE(press(kVkRightAlt)) << "no hook before the keyboard category";
  click("ms_key_4");
  choose("ms_key_fct_combo", 6);
  EXPECT_EQ(hook.mode(), platform::HookMode::mouseSingleKey);
  const KeyAssignment before = stored(4);
  EXPECT_FALSE(press(platform::kVkNumLock)) << "Num Lock goes on to the system";
  EXPECT_EQ(stored(4), before);
  EXPECT_TRUE(control("ms_key_fct_edit_21")->text().empty());

  EXPECT_TRUE(press(kVkRightAlt));
  EXPECT_EQ(stored(4), (KeyAssignment{0x20, 0x40, 0x00}));
  EXPECT_EQ(control("ms_key_fct_edit_21")->text(), ui::languageText("keyboard_key_RAlt"));
  EXPECT_EQ(control("ms_key_4")->rawText(), "keyboard_key_RAlt");
  EXPECT_TRUE(press(0x0D, platform::kKeyFlagExtended));
  EXPECT_EQ(stored(4), (KeyAssignment{0x20, 0x00, 0x58})) << "the keypad Enter";
  EXPECT_TRUE(press(0x07)) << "swallowed, though no key of the table";
  EXPECT_EQ(stored(4), (KeyAssignment{0x20, 0x00, 0x58}));

  // Another button with a key shows it and captures again; another category ends it.
  click("ms_key_1");
  EXPECT_EQ(hook.mode(), platform::HookMode::none);
  click("ms_key_4");
  EXPECT_EQ(combo("ms_key_fct_combo")->currentIndex(), 6);
  EXPECT_EQ(control("ms_key_fct_edit_21")->text(), ui::languageText("keyboard_key_Num Enter"));
  EXPECT_EQ(hook.mode(), platform::HookMode::mouseSingleKey);
  choose("ms_key_fct_combo", 1);
  EXPECT_EQ(hook.mode(), platform::HookMode::none);

  // Leaving the page ends the capture.
  choose("ms_key_fct_combo", 6);
  EXPECT_EQ(hook.mode(), platform::HookMode::mouseSingleKey);
  window->findControl<ui::Option>("ms_page_dpi")->setSelected(true);
  pumpFor(20ms);
  EXPECT_EQ(hook.mode(), platform::HookMode::none);
  EXPECT_FALSE(press(0x41));
}

TEST_F(MsKeyPageTest, MacrosAreShownByNameAndPlayedWithAModeOrACount) {
  macro::MacroStore store(DeviceKind::mouse);
  ASSERT_EQ(store.appendMacro("Reload"), macro::MacroNameResult::ok);
  ASSERT_EQ(store.appendMacro("Jump"), macro::MacroNameResult::ok);
  start();
  click("ms_key_3");
  choose("ms_key_fct_combo", 9);
  EXPECT_EQ(stored(3).function, 0x10) << "no macro chosen yet: nothing stored";
  ASSERT_EQ(combo("ms_key_fct_combo_23")->count(), 2);
  choose("ms_key_fct_combo_23", 1);
  choose("ms_key_fct_combo_24", 2);
  EXPECT_EQ(stored(3), (KeyAssignment{0x70, 1, 2}));
  EXPECT_EQ(control("ms_key_3")->text(), "Jump");
  EXPECT_FALSE(control("ms_tab_function_26")->isVisible());
  choose("ms_key_fct_combo_24", 4);
  EXPECT_TRUE(control("ms_tab_function_26")->isVisible());
  type("ms_key_fct_edit_25", "12");
  EXPECT_EQ(stored(3), (KeyAssignment{0x71, 1, 12}));

  // The macro editor renumbered the tables: the labels follow.
  MouseMacroTables tables(*config, [this] { page->refreshLabels(); });
  tables.withTables(
      [](const macro::MacroReferenceTables& t) { macro::renumberMacroReferences(t, 0); });
  tables.tablesChanged();
  EXPECT_EQ(stored(3), (KeyAssignment{0x71, 0, 12}));
  EXPECT_EQ(control("ms_key_3")->text(), "Reload");
}

TEST_F(MsKeyPageTest, HoverShowsTheButtonsDownPicture) {
  start();
  window->notify(ui::Notification{std::string(ui::notify::kMouseEnter), control("ms_key_5")});
  EXPECT_EQ(control("ms_key_5_0")->bkImage(), "file='ms/key_dpi_add_down.png'");
  window->notify(ui::Notification{std::string(ui::notify::kMouseLeave), control("ms_key_5")});
  EXPECT_EQ(control("ms_key_5_0")->bkImage(), "file='ms/key_dpi_add_normal.png'");
}

TEST_F(MsKeyPageTest, ReadingTheMouseRefreshesTheLabelsAndSavesTheKeyProfileFile) {
  start();
  const profile::ProfileRegistry keys(profile::ProfileListKind::mouseKeys);
  device::TableSlot saved{};
  ASSERT_EQ(profile::ReadProfileFile(keys.profilePath("Keys"), saved), profile::kProfileFileRead);
  EXPECT_EQ(saved, config->profileKeyTable(0)) << "the arrival's read";

  giveMouseButtons({{{0x30, 0xE2, 0},
                     {0x10, 0x04, 0},
                     {0x10, 0x01, 0},
                     {0x72, 1, 0},
                     {0x10, 0x08, 0},
                     {0x13, 0x03, 0},
                     {0x40, 0x01, 0}}});
  window->sendMessage(pages::msg::kMouseReadAll);
  EXPECT_EQ(control("ms_key_0")->rawText(), "media_mute");
  EXPECT_EQ(control("ms_key_3")->rawText(), "GUN_2");
  EXPECT_EQ(control("ms_key_6")->rawText(), "system_power");
  ASSERT_EQ(profile::ReadProfileFile(keys.profilePath("Keys"), saved), profile::kProfileFileRead);
  EXPECT_EQ(recordAt(saved, 0), (KeyAssignment{0x30, 0xE2, 0}));
}

TEST_F(MsKeyPageTest, ApplyShowsProgressAndEndsOnTheFailureTextWhenTheMouseStopsAnswering) {
  start();
  click("ms_key_1");
  choose("ms_key_fct_combo", 7);
  choose("ms_key_fct_combo_21", 7);
  click("ms_key_butt_prosave");
  auto* progress = control("setting_progress");
  EXPECT_TRUE(progress->isVisible());
  EXPECT_EQ(progress->rawText(), "setting_progress_text");
  EXPECT_EQ(recordAt(mouse->memory().profileTables, 1), (KeyAssignment{0x30, 0xE2, 0}));
  ASSERT_TRUE(pumpUntil([&] { return !progress->isVisible(); }, 3s));
  EXPECT_TRUE(boxes.empty());

  // The mouse goes silent after the first requests of the next apply.
  choose("ms_key_fct_combo_21", 6);
  mouse->injectFault(sim::Fault::silent, 3, sim::VirtualDevice::kAlways);
  click("ms_key_butt_prosave");
  EXPECT_TRUE(progress->isVisible());
  EXPECT_EQ(progress->rawText(), app::kProgressFailedText);
  EXPECT_EQ(progress->text(), ui::languageText("setting_failed_text"));
  pumpFor(1500ms);
  EXPECT_TRUE(progress->isVisible()) << "the failure stays readable past the usual second";
  EXPECT_TRUE(boxes.empty());

  // A fresh apply starts from the progress text again.
  mouse->clearFaults();
  click("ms_key_butt_prosave");
  EXPECT_EQ(progress->rawText(), "setting_progress_text");
}

TEST_F(MsKeyPageTest, MacrosTooLargeForTheMouseAreReportedAndNothingIsSent) {
  auto info = mouse->infoBlock();
  info[sim::kInfoMacroCapacityByte] = 1;  // 128 bytes
  mouse->setInfoBlock(info);
  macro::MacroStore store(DeviceKind::mouse);
  ASSERT_EQ(store.appendMacro("Long"), macro::MacroNameResult::ok);
  ASSERT_TRUE(store.saveActions(store.listedNames(), "Long",
                                std::vector<std::string>(40, "1,0,138,4,1,keyboard_key_A")));
  start();
  const auto before = mouse->memory();
  click("ms_key_butt_prosave");
  // 16 + 6 + 160 = 182 bytes for 128: (54 / 4) + 1 = 14 steps.
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("14"), std::string::npos) << boxes[0];
  EXPECT_EQ(mouse->memory().profileTables, before.profileTables);
  EXPECT_EQ(mouse->memory().macros, before.macros);
}

}  // namespace
}  // namespace varnacle::mouse
