// The macro pages in the real main window: offscreen, the real skin, a virtual
// mouse on a private bus read into the real MouseConfig, the mouse's real key
// table access, a temporary Documents folder, scripted message-box answers and
// file dialogs. The mouse page and the keyboard page (which has no key tables
// yet) run side by side, as in the program.
#include "macro/macro_page.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <deque>
#include <filesystem>

#include "../app/main_window_harness.h"
#include "../mouse/lighting_profile_list.h"
#include "app/main_wnd.h"
#include "app/message_format.h"
#include "app/msg_wnd.h"
#include "macro/macro_key_table.h"
#include "macro/macro_store.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_macro_tables.h"
#include "platform/input_hook.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"
#include "sim/virtual_device.h"
#include "ui/file_dialog.h"
#include "ui/language.h"
#include "ui/modal_responder.h"
#include "ui/qt/native.h"
#include "../profile/one_profile_list.h"

namespace varnacle::macro {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

constexpr std::string_view kPressA = "5,0,138,4,1,keyboard_key_A";
constexpr std::string_view kReleaseA = "5,0,10,4,0,keyboard_key_A";
const Lines kFourSteps = {"1,0,129,1,1,mouse_key_left", "2,0,1,1,0,mouse_key_left",
                          std::string(kPressA), std::string(kReleaseA)};

using Record3 = std::array<uint8_t, 3>;

Record3 recordOf(const device::TableSlot& table, std::size_t button) {
  return {table[3 * button], table[3 * button + 1], table[3 * button + 2]};
}

struct MacroPageTest : app::test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> mouse =
      std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  std::unique_ptr<mouse::MouseConfig> config;
  std::unique_ptr<mouse::MouseMacroTables> tables;
  MacroStore mouseStore{DeviceKind::mouse};
  MacroStore keyboardStore{DeviceKind::keyboard};
  int labelRebuilds = 0;
  int renames = 0;
  // The recording's hooks and the clock of its pauses.
  platform::SyntheticInputHook hook;
  uint32_t clockMs = 0;

  // What the message boxes showed (the text id, or the literal text of a
  // formatted message) and the answers to give, confirm when none is left.
  std::vector<std::string> shown;
  std::deque<int> answers;
  ui::ScopedModalResponder responder{[this](ui::Window& box) -> std::optional<int> {
    ui::Control* text = box.findControl("MessageText");
    shown.push_back(!text ? "?" : text->isResourceText() ? text->rawText() : text->text());
    if (answers.empty()) return 1;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }};

  void SetUp() override {
    MainWindowHarness::SetUp();
    mouse::test::setUpOneMouseLightingProfile();
    profile::test::setUpOneProfile(profile::ProfileListKind::mouseKeys, "Desk");
  }

  void TearDown() override {
    MainWindowHarness::TearDown();
    tables.reset();
    config.reset();
  }

  // The main window with both macro pages; `assignmentCombo` gives the mouse
  // page the button page's macro combo to keep in step. Waits until the
  // mouse is read and shows the mouse's Macros page.
  void start(bool assignmentCombo = false) {
    bus.plug(mouse);
    window = std::make_unique<app::CMainWnd>(*backend, app::test::fastTiming());
    window->deviceHook().attach(&hook);
    config = std::make_unique<mouse::MouseConfig>(window->liveLighting());
    tables = std::make_unique<mouse::MouseMacroTables>(*config, [this] { ++labelRebuilds; });
    const auto clock = [this] { return clockMs; };
    ui::Window& w = *window;
    const PageMessages messages{
        [&w](std::string_view id) { return app::showMessage(&w, id, true); },
        [&w](std::string_view id, int number) {
          return app::showFormattedMessage(&w, w, id, number);
        }};
    window->addPage(std::make_unique<MacroPage>(
        window->pageContext(),
        MacroPageOptions{DeviceKind::mouse, tables.get(), [this] { ++renames; }, messages, clock}));
    window->addPage(std::make_unique<MacroPage>(
        window->pageContext(),
        MacroPageOptions{DeviceKind::keyboard, nullptr, {}, messages, clock}));
    ASSERT_TRUE(window->create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize));
    if (assignmentCombo) {
      auto combo = std::make_unique<ui::Combo>();
      combo->setName("ms_key_fct_combo_23");
      window->findControl<ui::Container>("ms_macro_page")->add(std::move(combo));
    }
    ASSERT_TRUE(pumpUntil([&] {
      auto* tab = window->findControl<ui::Option>("ms_tab");
      return window->session(DeviceKind::mouse).online && tab->isVisible() && tab->isSelected();
    }));
    window->findControl<ui::Option>("ms_macro_Op_tab")->setSelected(true);
    pumpFor(20ms);
  }

  ui::Control* control(std::string_view name) {
    ui::Control* c = window->findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  std::string text(std::string_view name) { return control(name)->text(); }
  ui::List* list(std::string_view name) { return window->findControl<ui::List>(name); }
  int tabPage(std::string_view name) {
    return window->findControl<ui::TabLayout>(name)->currentIndex();
  }

  void click(std::string_view name) {
    auto* b = window->findControl<ui::Button>(name);
    ASSERT_NE(b, nullptr) << name;
    ASSERT_TRUE(b->isEnabled()) << name;
    b->activate();
  }
  // A click of the user on row `index` of a list.
  void clickRow(std::string_view listName, int index) {
    ui::ListElement* row = list(listName)->row(index);
    ASSERT_NE(row, nullptr) << listName << " " << index;
    QWidget* w = ui::widgetOf(*row);
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
  }
  void choose(std::string_view comboName, int item) {
    auto* box = qobject_cast<QComboBox*>(ui::widgetOf(*control(comboName)));
    ASSERT_NE(box, nullptr) << comboName;
    box->setCurrentIndex(item);
    Q_EMIT box->activated(item);
  }
  void type(std::string_view name, const char* typed) {
    auto* edit = qobject_cast<QLineEdit*>(ui::widgetOf(*control(name)));
    ASSERT_NE(edit, nullptr) << name;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, typed);
  }

  Lines names(std::string_view listName = "ms_MacroName_list") {
    Lines out;
    for (int i = 0; i < list(listName)->rowCount(); ++i)
      out.push_back(list(listName)->row(i)->text());
    return out;
  }
  Lines rowLines(std::string_view listName = "ms_Macro_list") {
    Lines out;
    for (int i = 0; i < list(listName)->rowCount(); ++i)
      out.push_back(list(listName)->row(i)->userData());
    return out;
  }
  ui::Control* label(int row, int which) { return list("ms_Macro_list")->row(row)->itemAt(which); }

  // Three mouse macros, the middle one with four steps.
  void threeMacros() {
    for (const char* name : {"name_1", "name_2", "name_3"})
      ASSERT_EQ(mouseStore.appendMacro(name), MacroNameResult::ok);
    ASSERT_TRUE(mouseStore.saveActions(mouseStore.listedNames(), "name_2", kFourSteps));
  }
  void openSecond() {
    clickRow("ms_MacroName_list", 1);
    ASSERT_EQ(rowLines(), kFourSteps);
  }

  // A key event from the desktop at `atMs` on the recording's clock; true
  // when the hook swallowed it.
  bool key(uint16_t vk, bool press, uint32_t atMs, uint32_t flags = 0) {
    clockMs = atMs;
    const bool swallowed =
        hook.deliver({vk, flags | (press ? 0u : platform::kKeyFlagReleased), 0, atMs});
    pumpFor(10ms);
    return swallowed;
  }
  void mouseButton(uint32_t message, uint32_t atMs) {
    clockMs = atMs;
    hook.deliverMouse(message);
    pumpFor(10ms);
  }
  void setOption(std::string_view name, bool selected) {
    auto* option = window->findControl<ui::Option>(name);
    ASSERT_NE(option, nullptr) << name;
    option->setSelected(selected);
  }
  Lines recorded(std::size_t from, std::string_view listName = "ms_Macro_list") {
    const Lines all = rowLines(listName);
    return Lines(all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end());
  }

  device::TableSlot selectedKeyProfile() {
    const profile::ProfileRegistry keys(profile::ProfileListKind::mouseKeys);
    device::TableSlot table{};
    EXPECT_EQ(profile::ReadProfileFile(keys.profilePath("Desk"), table), profile::kProfileFileRead);
    return table;
  }
};

TEST_F(MacroPageTest, PageStartShowsTheListOpensTheLastMacroAndOffersRecording) {
  threeMacros();
  ASSERT_TRUE(keyboardStore.appendMacro("kb only") == MacroNameResult::ok);
  start();
  EXPECT_EQ(names(), (Lines{"name_1", "name_2", "name_3"}));
  EXPECT_EQ(list("ms_MacroName_list")->currentIndex(), 2);
  EXPECT_EQ(text("ms_macro_edit_macroname"), "name_3");
  EXPECT_EQ(names("kb_MacroName_list"), Lines{"kb only"}) << "each page on its own files";
  for (const char* name : {"ms_macro_btn_redio", "ms_macro_keyboard_event", "ms_macro_mouse_click",
                           "ms_macro_mouse_roller", "ms_macro_mouse_move", "ms_macro_check_time",
                           "kb_macro_btn_redio", "kb_macro_check_time"})
    EXPECT_TRUE(control(name)->isEnabled()) << name;
  EXPECT_EQ(control("ms_macro_btn_redio")->rawText(), "macro_btn_star_redio_text");
  EXPECT_EQ(window->findControl<ui::Combo>("ms_macro_combo_keyselect")->count(),
            static_cast<int>(MacroKeyTable.size()));
  EXPECT_EQ(window->findControl("kb_macro_btn_import"), nullptr) << "the mouse page only";

  openSecond();
  EXPECT_EQ(label(0, 0)->attribute("style"), "macro_label_mouse_style");
  EXPECT_EQ(label(0, 0)->rawText(), "mouse_key_left");
  EXPECT_EQ(label(0, 0)->text(), ui::languageText("mouse_key_left"));
  EXPECT_EQ(label(0, 1)->attribute("style"), "macro_label_down_style");
  EXPECT_EQ(label(1, 1)->attribute("style"), "macro_label_up_style");
  EXPECT_EQ(label(2, 0)->attribute("style"), "macro_label_keyboard_style");
  EXPECT_EQ(label(0, 2)->text(), "10");
  EXPECT_EQ(label(0, 2)->attribute("style"), "macro_label_text_style");
  EXPECT_EQ(list("ms_Macro_list")->row(0)->name(), "ms_macro_action");
  EXPECT_EQ(list("ms_Macro_list")->row(0)->fixedHeight(), 30);
  EXPECT_EQ(tabPage("ms_macro_tab_saveorcancel"), 0);
}

TEST_F(MacroPageTest, WithoutMacrosTheStepControlsAreDisabledUntilAnAdd) {
  start();
  for (const char* name :
       {"ms_macro_btn_save", "ms_macro_btn_cancel", "ms_macro_btn_up", "ms_macro_btn_deleteall",
        "ms_macro_btn_name_sub", "ms_macro_btn_savemacroname", "ms_macro_btn_export",
        "ms_macro_btn_redio"})
    EXPECT_FALSE(control(name)->isEnabled()) << name;
  click("ms_macro_btn_name_add");
  EXPECT_EQ(names(), Lines{"name_1"});
  for (const char* name :
       {"ms_macro_btn_save", "ms_macro_btn_up", "ms_macro_btn_name_sub", "ms_macro_btn_redio"})
    EXPECT_TRUE(control(name)->isEnabled()) << name;
}

TEST_F(MacroPageTest, AddNamesTheFirstFreeNumberAndStopsAtFifty) {
  ASSERT_EQ(mouseStore.appendMacro("name_1"), MacroNameResult::ok);
  ASSERT_EQ(mouseStore.appendMacro("name_3"), MacroNameResult::ok);
  start(true);
  auto* combo = window->findControl<ui::Combo>("ms_key_fct_combo_23");
  ASSERT_EQ(combo->count(), 2);
  click("ms_macro_btn_name_add");
  EXPECT_EQ(names(), (Lines{"name_1", "name_3", "name_4"}));
  EXPECT_EQ(list("ms_MacroName_list")->currentIndex(), 2);
  EXPECT_EQ(mouseStore.listedNames(), names());
  EXPECT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(2), "name_4");

  while (names().size() < 50u) click("ms_macro_btn_name_add");
  EXPECT_TRUE(shown.empty());
  click("ms_macro_btn_name_add");
  const std::string expected =
      app::formatMessageNumber(ui::languageText("message_text_17"), kMaxMacros);
  EXPECT_EQ(shown, Lines{expected});
  EXPECT_NE(expected.find("50"), std::string::npos);
  EXPECT_EQ(names().size(), 50u);
  EXPECT_EQ(mouseStore.listedNames().size(), 50u);
}

TEST_F(MacroPageTest, EditingLocksTheListAndThePageUntilSaveOrCancel) {
  threeMacros();
  start();
  openSecond();
  clickRow("ms_Macro_list", 0);
  EXPECT_EQ(tabPage("ms_macro_tab_saveorcancel"), 1);
  EXPECT_EQ(tabPage("ms_tab_macro_edit"), 2);
  EXPECT_FALSE(control("ms_MacroName_list")->isEnabled());

  click("ms_macro_btn_name_add");
  click("ms_macro_btn_name_sub");
  EXPECT_EQ(shown, (Lines{"message_text_3", "message_text_3"}));
  EXPECT_EQ(names().size(), 3u);
  // A selection made from code while editing does not load.
  shown.clear();
  list("ms_MacroName_list")->selectItem(0, true);
  EXPECT_EQ(shown, Lines{"message_text_4"});
  EXPECT_EQ(list("ms_MacroName_list")->currentIndex(), 1) << "the list keeps the macro edited";
  EXPECT_EQ(rowLines(), kFourSteps);

  // Another page tab: back to the macro page.
  shown.clear();
  window->findControl<ui::Option>("ms_page_dpi")->setSelected(true);
  EXPECT_EQ(shown, Lines{"message_text_3"});
  EXPECT_TRUE(window->findControl<ui::Option>("ms_macro_Op_tab")->isSelected());
  EXPECT_EQ(tabPage("ms_pages"), 3);
  shown.clear();
  window->findControl<ui::Option>("kb_tab")->setSelected(true);
  EXPECT_EQ(shown, Lines{"message_text_3"});
  EXPECT_TRUE(window->findControl<ui::Option>("ms_tab")->isSelected());
  EXPECT_EQ(tabPage("device_pages"), 1);

  click("ms_macro_btn_save");
  EXPECT_EQ(tabPage("ms_macro_tab_saveorcancel"), 0);
  EXPECT_EQ(tabPage("ms_tab_macro_edit"), 0);
  EXPECT_TRUE(control("ms_MacroName_list")->isEnabled());
  shown.clear();
  window->findControl<ui::Option>("ms_page_dpi")->setSelected(true);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(tabPage("ms_pages"), 1);
}

TEST_F(MacroPageTest, MovingInsertingAndDeletingSteps) {
  threeMacros();
  start();
  openSecond();
  clickRow("ms_Macro_list", 0);
  click("ms_macro_btn_up");
  EXPECT_EQ(rowLines(), kFourSteps) << "the first step cannot go up";
  EXPECT_EQ(list("ms_Macro_list")->currentIndex(), 0);
  click("ms_macro_btn_downbottom");
  EXPECT_EQ(rowLines(), (Lines{kFourSteps[1], kFourSteps[2], kFourSteps[3], kFourSteps[0]}));
  EXPECT_EQ(list("ms_Macro_list")->currentIndex(), 3);
  EXPECT_EQ(label(3, 0)->rawText(), "mouse_key_left") << "rows rebuilt in their new order";
  click("ms_macro_btn_uptop");
  EXPECT_EQ(rowLines(), kFourSteps);

  // Insert a move right of 300 (shown as 255) with step 1 of four selected.
  clickRow("ms_Macro_list", 1);
  window->findControl<ui::Option>("ms_macro_btn_shubiao")->setSelected(true);
  EXPECT_TRUE(control("ms_MacroMouseEvent")->isVisible());
  EXPECT_FALSE(control("ms_MacroName")->isVisible());
  type("ms_mouse_x_right_edit", "300");
  click("ms_macro_inset_moverightkey_btn");
  EXPECT_EQ(text("ms_mouse_x_right_edit"), "255");
  ASSERT_EQ(list("ms_Macro_list")->rowCount(), 5);
  EXPECT_EQ(rowLines()[1], "5,0,4,255,0,mouse_move_to_right_text");
  EXPECT_EQ(list("ms_Macro_list")->currentIndex(), 2);
  EXPECT_EQ(rowLines()[2], kFourSteps[1]) << "the selection stays on the old step";
  EXPECT_EQ(label(1, 1)->text(), "255");
  EXPECT_EQ(label(1, 2)->text(), "50");

  // The side buttons' groups: one shown at a time.
  click("ms_macro_inset_backkey_btn");
  EXPECT_TRUE(control("ms_macro_inset_backkey_tab")->isVisible());
  EXPECT_FALSE(control("ms_macro_inset_leftkey_tab")->isVisible());
  click("ms_macro_inset_backkeyup_btn");
  EXPECT_EQ(rowLines()[2], "5,0,1,8,0,mouse_key_back");

  click("ms_macro_btn_delete");
  EXPECT_EQ(rowLines().size(), 5u);
  EXPECT_EQ(list("ms_Macro_list")->currentIndex(), -1);
  EXPECT_EQ(mouseStore.readActions("name_2"), kFourSteps) << "nothing saved before Save";
  click("ms_macro_btn_save");
  EXPECT_EQ(mouseStore.readActions("name_2"), rowLines());
}

TEST_F(MacroPageTest, TheStepEditorChangesTheSelectedStep) {
  threeMacros();
  start();
  openSecond();
  // Release A: the keyboard editor shows it.
  clickRow("ms_Macro_list", 3);
  EXPECT_EQ(tabPage("ms_tab_macro_edit"), 1);
  EXPECT_EQ(window->findControl<ui::Combo>("ms_macro_combo_keyselect")->currentIndex(), 8);
  EXPECT_EQ(window->findControl<ui::Combo>("ms_macro_combo_upordown")->currentIndex(), 0);
  EXPECT_EQ(text("ms__macro_edit_ActionDelay"), "5");

  choose("ms_macro_combo_upordown", 1);
  EXPECT_EQ(rowLines()[3], "5,0,138,4,1,keyboard_key_A") << "a press, bit 7 set";
  EXPECT_EQ(label(3, 1)->attribute("style"), "macro_label_down_style");
  choose("ms_macro_combo_keyselect", 1);
  EXPECT_EQ(rowLines()[3], "5,0,137,2,1,keyboard_key_LShift");
  EXPECT_EQ(label(3, 0)->rawText(), "keyboard_key_LShift");
  choose("ms_macro_combo_keyselect", 8);
  EXPECT_EQ(rowLines()[3], "5,0,138,4,1,keyboard_key_A");

  type("ms__macro_edit_ActionDelay", "70000");
  EXPECT_EQ(text("ms__macro_edit_ActionDelay"), "65535");
  EXPECT_EQ(rowLines()[3], "255,255,138,4,1,keyboard_key_A");
  EXPECT_EQ(label(3, 2)->text(), "655350");

  // A mouse step becomes a move; its distance is clamped and written back.
  clickRow("ms_Macro_list", 0);
  EXPECT_EQ(tabPage("ms_tab_macro_edit"), 2);
  EXPECT_EQ(window->findControl<ui::Combo>("ms_macro_combo_mouselect")->currentIndex(), 0);
  EXPECT_FALSE(control("ms_macro_tab_mou_pointer_skewing")->isVisible());
  choose("ms_macro_combo_mouselect", 10);
  EXPECT_TRUE(control("ms_macro_tab_mou_pointer_skewing")->isVisible());
  EXPECT_EQ(rowLines()[0], "1,0,132,0,1,mouse_move_to_left_text");
  type("ms_macro_edit_mou_pointer_skewing", "999");
  EXPECT_EQ(text("ms_macro_edit_mou_pointer_skewing"), "255");
  EXPECT_EQ(rowLines()[0], "1,0,132,255,1,mouse_move_to_left_text");
  EXPECT_EQ(label(0, 1)->text(), "255");
  EXPECT_EQ(label(0, 1)->attribute("style"), "macro_label_text_style");
  choose("ms_macro_combo_mouselect", 3);
  EXPECT_EQ(rowLines()[0], "1,0,1,2,0,mouse_key_right");
  EXPECT_FALSE(control("ms_macro_tab_mou_pointer_skewing")->isVisible());
}

TEST_F(MacroPageTest, CancelAfterDeletingAllStepsShowsTheSavedSteps) {
  threeMacros();
  start();
  openSecond();
  click("ms_macro_btn_deleteall");
  EXPECT_TRUE(rowLines().empty());
  EXPECT_EQ(tabPage("ms_macro_tab_saveorcancel"), 1);
  click("ms_macro_btn_cancel");
  EXPECT_EQ(rowLines(), kFourSteps);
  EXPECT_EQ(list("ms_Macro_list")->currentIndex(), -1);
  EXPECT_EQ(tabPage("ms_macro_tab_saveorcancel"), 0);
  EXPECT_TRUE(control("ms_MacroName_list")->isEnabled());
}

TEST_F(MacroPageTest, DeletingAMacroRenumbersTheButtonsOfEveryProfileInMemoryAndInTheFile) {
  threeMacros();
  start(true);
  // In every profile: button 6 plays macro 2, button 2 macro 1, button 4 macro 0.
  config->editKeyTables([](device::TableSlot&, auto& profiles) {
    for (auto& table : profiles) {
      const Record3 plays2{0x70, 2, 0}, plays1{0x71, 1, 3}, plays0{0x70, 0, 0};
      std::copy(plays2.begin(), plays2.end(), table.begin() + 18);
      std::copy(plays1.begin(), plays1.end(), table.begin() + 6);
      std::copy(plays0.begin(), plays0.end(), table.begin() + 12);
    }
  });
  const device::TableSlot defaults = config->defaultKeyTable();
  openSecond();

  // Cancelled at the reference question: nothing changes.
  answers = {0};
  click("ms_macro_btn_name_sub");
  EXPECT_EQ(shown, Lines{"message_text_2"});
  EXPECT_EQ(names().size(), 3u);
  EXPECT_EQ(recordOf(config->profileKeyTable(3), 6), (Record3{0x70, 2, 0}));
  EXPECT_EQ(labelRebuilds, 0);

  shown.clear();
  answers = {1, 1};
  click("ms_macro_btn_name_sub");
  EXPECT_EQ(shown, (Lines{"message_text_2", "message_text_4"}));
  EXPECT_EQ(names(), (Lines{"name_1", "name_3"}));
  EXPECT_EQ(mouseStore.listedNames(), names());
  EXPECT_FALSE(std::filesystem::exists(mouseStore.actionFile("name_2")));
  EXPECT_EQ(list("ms_MacroName_list")->currentIndex(), 0);
  for (int p = 0; p < device::kOnBoardProfiles; ++p) {
    const device::TableSlot table = config->profileKeyTable(p);
    EXPECT_EQ(recordOf(table, 6), (Record3{0x70, 1, 0})) << "profile " << p;
    EXPECT_EQ(recordOf(table, 2), recordOf(defaults, 2)) << "profile " << p;
    EXPECT_EQ(recordOf(table, 4), (Record3{0x70, 0, 0})) << "profile " << p;
  }
  EXPECT_EQ(selectedKeyProfile(), config->profileKeyTable(config->currentProfile()));
  EXPECT_EQ(labelRebuilds, 1);
  auto* combo = window->findControl<ui::Combo>("ms_key_fct_combo_23");
  EXPECT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(1), "name_3");
  EXPECT_EQ(combo->currentIndex(), 0);
}

TEST_F(MacroPageTest, AMacroNoButtonPlaysIsDeletedAfterOneQuestionAndTheKeyboardAsksOnlyThat) {
  threeMacros();
  ASSERT_EQ(keyboardStore.appendMacro("kb only"), MacroNameResult::ok);
  start();
  answers = {0};
  click("ms_macro_btn_name_sub");
  EXPECT_EQ(shown, Lines{"message_text_4"});
  EXPECT_EQ(names().size(), 3u);

  shown.clear();
  click("kb_macro_btn_name_sub");
  EXPECT_EQ(shown, Lines{"message_text_4"});
  EXPECT_TRUE(names("kb_MacroName_list").empty());
  EXPECT_TRUE(keyboardStore.listedNames().empty());
  EXPECT_FALSE(control("kb_macro_btn_name_sub")->isEnabled());
  EXPECT_EQ(names().size(), 3u) << "the mouse's macros stay";
}

TEST_F(MacroPageTest, RenameRefusesAUsedNameAndFollowsInTheCombo) {
  threeMacros();
  start(true);
  openSecond();
  type("ms_macro_edit_macroname", "NAME_3");
  click("ms_macro_btn_savemacroname");
  EXPECT_EQ(shown, Lines{"message_text_5"});
  EXPECT_EQ(text("ms_macro_edit_macroname"), "name_2");
  type("ms_macro_edit_macroname", "../up");
  click("ms_macro_btn_savemacroname");
  EXPECT_EQ(shown.back(), "message_text_5");
  EXPECT_EQ(renames, 0);

  shown.clear();
  type("ms_macro_edit_macroname", "Burst");
  click("ms_macro_btn_savemacroname");
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(names(), (Lines{"name_1", "Burst", "name_3"}));
  EXPECT_EQ(mouseStore.listedNames(), names());
  EXPECT_EQ(mouseStore.readActions("Burst"), kFourSteps);
  EXPECT_EQ(window->findControl<ui::Combo>("ms_key_fct_combo_23")->itemText(1), "Burst");
  EXPECT_EQ(renames, 1);
}

TEST_F(MacroPageTest, ImportAndExportGoThroughTheFileDialogsAndAHostileFileIsRefused) {
  threeMacros();
  start();
  openSecond();
  ui::ScriptedFileDialogs dialogs;
  ui::ScopedFileDialogs scoped(dialogs);
  const std::filesystem::path exported = documents() / "out.mac";
  dialogs.answer(exported.string());
  click("ms_macro_btn_export");
  ASSERT_EQ(dialogs.requests().size(), 1u);
  const ui::FileDialogRequest& request = dialogs.requests()[0];
  EXPECT_TRUE(request.save);
  EXPECT_EQ(request.defaultExtension, "mac");
  EXPECT_EQ(request.initialName, "*.mac");
  EXPECT_EQ(request.filter, "(*.mac) | *.mac ||");
  EXPECT_EQ(request.flags, ui::kFileHideReadOnly | ui::kFileOverwritePrompt);
  EXPECT_EQ(readBytes(exported), readBytes(mouseStore.actionFile("name_2")));

  const std::string saved = readBytes(mouseStore.actionFile("name_2"));
  const std::filesystem::path hostile = documents() / "..evil.mac";
  for (const char* content :
       {"[MACROACTIONCOUNT]\ncount=2147483647\n[MACROACTION]\n0=5,0,138,4,1,keyboard_key_A\n",
        "[MACROACTIONCOUNT]\ncount=2\n[MACROACTION]\n0=5,0,138,4,1,keyboard_key_A\n1=5,0\n",
        "no macro here"}) {
    writeBytes(hostile, content);
    shown.clear();
    dialogs.answer(hostile.string());
    click("ms_macro_btn_import");
    EXPECT_EQ(shown, Lines{std::string(kImportRefusedText)}) << content;
    EXPECT_EQ(readBytes(mouseStore.actionFile("name_2")), saved);
    EXPECT_EQ(rowLines(), kFourSteps);
  }
  EXPECT_FALSE(dialogs.requests().back().save);
  for (const char* other : {"name_1", "name_3"})
    EXPECT_TRUE(mouseStore.readActions(other).empty()) << other;

  // A file that holds a macro is taken, and its steps are shown.
  const std::filesystem::path good = documents() / "good.mac";
  writeBytes(good, "[MACROACTIONCOUNT]\ncount=1\n[MACROACTION]\n0=5,0,138,4,1,keyboard_key_A\n");
  shown.clear();
  dialogs.answer(good.string());
  click("ms_macro_btn_import");
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(rowLines(), Lines{std::string(kPressA)});

  // Cancelled dialogs and an import while editing change nothing.
  dialogs.cancel();
  click("ms_macro_btn_import");
  EXPECT_EQ(rowLines(), Lines{std::string(kPressA)});
  clickRow("ms_Macro_list", 0);
  shown.clear();
  const size_t asked = dialogs.requests().size();
  click("ms_macro_btn_import");
  EXPECT_EQ(shown, Lines{"message_text_3"});
  EXPECT_EQ(dialogs.requests().size(), asked);
}

TEST_F(MacroPageTest, RecordingAppendsKeysWithTheirPausesAndDropsTypematicRepeats) {
  threeMacros();
  start();
  openSecond();
  clockMs = 1000;
  click("ms_macro_btn_redio");
  EXPECT_EQ(hook.mode(), platform::HookMode::mouseMacro);
  EXPECT_TRUE(hook.keyboardInstalled());
  EXPECT_TRUE(hook.mouseInstalled()) << "the click option is chosen";
  EXPECT_EQ(tabPage("ms_macro_tab_saveorcancel"), 1) << "the editing state";
  EXPECT_EQ(control("ms_macro_btn_redio")->rawText(), "macro_btn_stop_redio_text");
  for (const char* name : {"ms_macro_keyboard_event", "ms_macro_mouse_click", "ms_macro_check_time",
                           "ms_Macro_list", "ms_MacroName_list", "ms_macro_btn_save",
                           "ms_macro_btn_cancel", "ms_macro_btn_up", "ms_macro_btn_deleteall"})
    EXPECT_FALSE(control(name)->isEnabled()) << name;

  // A held, then B pressed before A goes up; the lock keys go on to the system.
  EXPECT_TRUE(key(0x41, true, 2234));
  EXPECT_TRUE(key(0x41, true, 2264)) << "a repeat is swallowed too";
  EXPECT_TRUE(key(0x41, true, 2294));
  EXPECT_FALSE(key(platform::kVkCapsLock, true, 2300));
  EXPECT_FALSE(key(platform::kVkCapsLock, false, 2310));
  EXPECT_TRUE(key(0x42, true, 2400));
  EXPECT_TRUE(key(0x41, false, 2500));
  EXPECT_TRUE(key(0x42, false, 2600));
  EXPECT_TRUE(key(0x0D, true, 2700, platform::kKeyFlagExtended));
  EXPECT_TRUE(key(0x0D, false, 2710, platform::kKeyFlagExtended));
  EXPECT_TRUE(key(0x0D, true, 2720));
  EXPECT_TRUE(key(0x07, true, 2730)) << "a key outside the table is swallowed, not recorded";
  EXPECT_EQ(recorded(3), (Lines{"123,0,10,4,0,keyboard_key_A", "16,0,138,4,1,keyboard_key_A",
                                "10,0,138,5,1,keyboard_key_B", "10,0,10,4,0,keyboard_key_A",
                                "10,0,10,5,0,keyboard_key_B", "1,0,138,88,1,keyboard_key_Num Enter",
                                "1,0,10,88,0,keyboard_key_Num Enter",
                                "0,0,138,40,1,keyboard_key_Enter"}))
      << "each pause is the time to the next recorded event; the last keeps 0";
  EXPECT_EQ(label(3, 2)->text(), "1234") << "the measured time until the row is rebuilt";
  EXPECT_EQ(label(4, 2)->text(), "166");
  EXPECT_EQ(label(10, 0)->rawText(), "keyboard_key_Enter");

  click("ms_macro_btn_redio");
  EXPECT_EQ(hook.mode(), platform::HookMode::none);
  EXPECT_FALSE(key(0x41, true, 3000)) << "stopped: keys reach the system again";
  EXPECT_EQ(rowLines().size(), 11u);
  EXPECT_EQ(control("ms_macro_btn_redio")->rawText(), "macro_btn_star_redio_text");
  EXPECT_FALSE(control("ms_MacroName_list")->isEnabled()) << "editing until Save or Cancel";
  for (const char* name : {"ms_macro_keyboard_event", "ms_macro_check_time", "ms_Macro_list",
                           "ms_macro_btn_save", "ms_macro_btn_cancel", "ms_macro_btn_up"})
    EXPECT_TRUE(control(name)->isEnabled()) << name;
  click("ms_macro_btn_save");
  EXPECT_EQ(mouseStore.readActions("name_2").size(), 11u);
  clickRow("ms_MacroName_list", 0);
  clickRow("ms_MacroName_list", 1);
  EXPECT_EQ(label(3, 2)->text(), "1230") << "rebuilt from the stored units";
}

TEST_F(MacroPageTest, TheFixedPauseOptionGivesEveryRecordedStepFiftyMilliseconds) {
  threeMacros();
  start();
  setOption("ms_macro_check_time", true);
  clockMs = 0;
  click("ms_macro_btn_redio");
  key(0x41, true, 7);
  key(0x41, false, 900);
  key(0x42, true, 70000);
  key(0x42, false, 70001);
  EXPECT_EQ(rowLines(), (Lines{"5,0,138,4,1,keyboard_key_A", "5,0,10,4,0,keyboard_key_A",
                               "5,0,138,5,1,keyboard_key_B", "0,0,10,5,0,keyboard_key_B"}));
  EXPECT_EQ(label(0, 2)->text(), "50");
}

TEST_F(MacroPageTest, ALongPauseIsCappedAndTheClockMayWrap) {
  threeMacros();
  start();
  clockMs = 0xFFFFFF00u;
  click("ms_macro_btn_redio");
  key(0x41, true, 0xFFFFFF00u);
  key(0x41, false, 0x100);  // 512 ms across the wrap of the clock
  key(0x42, true, 0x100 + 700000);
  EXPECT_EQ(rowLines(), (Lines{"51,0,138,4,1,keyboard_key_A", "255,255,10,4,0,keyboard_key_A",
                               "0,0,138,5,1,keyboard_key_B"}));
  EXPECT_EQ(label(1, 2)->text(), "655350");
}

TEST_F(MacroPageTest, MouseButtonsAreRecordedWithTheClickOptionOnlyAndNeverTwiceInARow) {
  threeMacros();
  start();
  setOption("ms_macro_keyboard_event", false);
  click("ms_macro_btn_redio");
  EXPECT_FALSE(hook.keyboardInstalled());
  EXPECT_FALSE(key(0x41, true, 5)) << "no keyboard hook: the key goes on";
  mouseButton(platform::kMsgLeftDown, 10);
  mouseButton(platform::kMsgLeftDown, 20);
  mouseButton(platform::kMsgWheel, 30);
  mouseButton(platform::kMsgSideDown, 40);
  mouseButton(platform::kMsgLeftUp, 110);
  mouseButton(platform::kMsgRightDown, 150);
  mouseButton(platform::kMsgMiddleUp, 160);
  EXPECT_EQ(rowLines(), (Lines{"10,0,129,1,1,mouse_key_left", "4,0,1,1,0,mouse_key_left",
                               "1,0,129,2,1,mouse_key_right", "0,0,1,4,0,mouse_key_middle"}));
  click("ms_macro_btn_redio");
  click("ms_macro_btn_cancel");

  // Only the move option: the mouse hook goes in, and nothing is recorded.
  setOption("ms_macro_mouse_click", false);
  setOption("ms_macro_mouse_move", true);
  click("ms_macro_btn_redio");
  EXPECT_TRUE(hook.mouseInstalled());
  EXPECT_FALSE(hook.keyboardInstalled());
  mouseButton(platform::kMsgRightUp, 200);
  mouseButton(platform::kMsgLeftDown, 210);
  EXPECT_TRUE(rowLines().empty());
}

TEST_F(MacroPageTest, ARefusedHookStillEntersTheRecordingStateAndSwallowsNothing) {
  threeMacros();
  start();
  hook.refuse(true, false);
  click("ms_macro_btn_redio");
  EXPECT_EQ(control("ms_macro_btn_redio")->rawText(), "macro_btn_stop_redio_text");
  EXPECT_EQ(tabPage("ms_macro_tab_saveorcancel"), 1);
  EXPECT_EQ(hook.mode(), platform::HookMode::none);
  EXPECT_FALSE(key(0x41, true, 10));
  EXPECT_TRUE(rowLines().empty());
  click("ms_macro_btn_redio");
  EXPECT_EQ(control("ms_macro_btn_redio")->rawText(), "macro_btn_star_redio_text");
}

TEST_F(MacroPageTest, TheKeyboardPageRecordsInItsOwnModeAndTheRecordingHoldsThePage) {
  ASSERT_EQ(keyboardStore.appendMacro("kb one"), MacroNameResult::ok);
  start();
  window->findControl<ui::Option>("kb_tab")->setVisible(true);
  window->findControl<ui::Option>("kb_tab")->setSelected(true);
  window->findControl<ui::Option>("kb_macro_Op_tab")->setSelected(true);
  pumpFor(20ms);
  EXPECT_FALSE(control("ms_macro_btn_redio")->isEnabled()) << "no mouse macro to record into";
  click("kb_macro_btn_redio");
  EXPECT_EQ(hook.mode(), platform::HookMode::keyboardMacro);
  key(0xA2, true, 30);
  key(0xA2, false, 60);
  mouseButton(platform::kMsgMiddleDown, 90);
  EXPECT_EQ(rowLines("kb_Macro_list"),
            (Lines{"3,0,137,1,1,keyboard_key_LCtrl", "3,0,9,1,0,keyboard_key_LCtrl",
                   "0,0,129,4,1,mouse_key_middle"}));
  EXPECT_TRUE(rowLines().empty()) << "the mouse page saw none of it";

  // The page tabs cannot be switched while recording, and the hooks stay.
  window->findControl<ui::Option>("kb_page_key")->setSelected(true);
  pumpFor(20ms);
  EXPECT_EQ(shown.back(), "message_text_3");
  EXPECT_TRUE(window->findControl<ui::Option>("kb_macro_Op_tab")->isSelected());
  EXPECT_EQ(hook.mode(), platform::HookMode::keyboardMacro);

  // Both languages name the button's state.
  ASSERT_TRUE(ui::loadLanguage("lan_cn.xml"));
  EXPECT_EQ(control("kb_macro_btn_redio")->text(), ui::languageText("macro_btn_stop_redio_text"));
  EXPECT_NE(ui::languageText("macro_btn_stop_redio_text"), "macro_btn_stop_redio_text");
  ASSERT_TRUE(ui::loadLanguage("lan_en.xml"));
  EXPECT_EQ(control("kb_macro_btn_redio")->text(), "Stop recording");

  // Closing the window removes the hooks.
  window->destroy();
  EXPECT_EQ(hook.mode(), platform::HookMode::none);
}

TEST_F(MacroPageTest, WhereKeysAreCaughtOnlyInTheWindowThePageSaysSoOnce) {
  threeMacros();
  hook.setDesktopWide(false);
  start();
  click("ms_macro_btn_redio");
  EXPECT_EQ(shown, Lines{"message_text_22"});
  click("ms_macro_btn_redio");
  click("ms_macro_btn_redio");
  EXPECT_EQ(shown, Lines{"message_text_22"}) << "once";
  EXPECT_NE(ui::languageText("message_text_22"), "message_text_22");
}


}  // namespace
}  // namespace varnacle::macro
