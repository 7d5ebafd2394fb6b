// The key page in the real main window: offscreen, the real skin, a virtual
// keyboard on a private bus (read on its arrival as in the program), the key
// profile panel, a temporary Documents folder, scripted message boxes and
// synthetic key events through the input hook.
#include "keyboard/kb_key_page.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "../app/main_window_harness.h"
#include "app/main_wnd.h"
#include "keyboard/key_profile_steps.h"
#include "keyboard/keyboard_config.h"
#include "macro/macro_image.h"
#include "macro/macro_store.h"
#include "pages/page_messages.h"
#include "pages/profile_panel.h"
#include "platform/input_hook.h"
#include "profile/paths.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"
#include "sim/virtual_device.h"
#include "ui/language.h"
#include "ui/modal_responder.h"
#include "ui/qt/native.h"

namespace varnacle::keyboard {
namespace {

using namespace std::chrono_literals;

constexpr uint16_t kVkLeftShift = 0xA0;
constexpr uint16_t kVkReturn = 0x0D;
constexpr uint16_t kVkNumLock = 0x90;
constexpr uint8_t kReadKeyTable = 0x07;
constexpr std::size_t kTableBytes = 106 * 3;
// Picture positions and the keyboard's key indexes of their keys.
constexpr std::size_t kPositionA = 64;
constexpr int kKeyA = 58;
constexpr std::size_t kPositionEsc = 0;

struct KbKeyPageTest : app::test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> keyboard =
      std::make_shared<sim::VirtualDevice>(DeviceKind::keyboard, bus);
  platform::SyntheticInputHook hook;
  std::unique_ptr<KeyboardConfig> config;
  KbKeyPage* page = nullptr;
  pages::ProfilePanel* panel = nullptr;
  std::vector<std::string> boxes;
  std::unique_ptr<ui::ScopedModalResponder> responder;

  void SetUp() override {
    MainWindowHarness::SetUp();
    const profile::ProfileRegistry keys(profile::ProfileListKind::keyboardKeys);
    ASSERT_TRUE(keys.setCount(2));
    ASSERT_TRUE(keys.setName(0, "Keys"));
    ASSERT_TRUE(keys.setName(1, "Other"));
    ASSERT_TRUE(keys.setSelect(0));
    device::TableSlot other{};
    std::copy(kInitialKeyboardKeys.begin(), kInitialKeyboardKeys.end(), other.begin());
    other[0] = 0x40;  // Esc puts the computer to sleep
    other[1] = 0x02;
    other[2] = 0x00;
    ASSERT_TRUE(profile::WriteProfileFile(keys.profilePath("Other"), other));
    responder = app::test::recordMessageBoxes(boxes, 1);
  }

  void TearDown() override {
    MainWindowHarness::TearDown();
    config.reset();
    responder.reset();
  }

  // Starts the window with the key page and its profile panel; the keyboard
  // is plugged in and read first.
  void start() {
    bus.plug(keyboard);
    window = std::make_unique<app::CMainWnd>(*backend, app::test::fastTiming());
    config = std::make_unique<KeyboardConfig>();
    window->deviceHook().attach(&hook);
    auto p = std::make_unique<KbKeyPage>(window->pageContext(), *config);
    page = p.get();
    auto keyPanel = std::make_unique<pages::ProfilePanel>(
        window->pageContext(), profile::ProfileListKind::keyboardKeys,
        keyboardKeySteps(*config, window->session(DeviceKind::keyboard), *page), nullptr);
    panel = keyPanel.get();
    window->addPage(std::move(p));
    window->addPage(std::move(keyPanel));
    ASSERT_TRUE(window->create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize));
    ASSERT_TRUE(pumpUntil([&] { return window->findControl("kb_tab")->isVisible(); }));
    pumpFor(50ms);
    window->findControl<ui::Option>("kb_page_key")->setSelected(true);
    pumpFor(20ms);
  }

  ui::Control* control(std::string_view name) {
    ui::Control* c = window->findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  ui::Control* key(std::size_t position) { return control("kb_key_" + std::to_string(position)); }
  void click(std::string_view name) {
    auto* b = window->findControl<ui::Button>(name);
    ASSERT_NE(b, nullptr) << name;
    b->activate();
  }
  void choose(std::string_view name, int item) {
    auto* c = window->findControl<ui::Combo>(name);
    ASSERT_NE(c, nullptr) << name;
    ASSERT_TRUE(c->selectItem1(item));
  }
  void type(std::string_view name, const char* text) {
    auto* e = qobject_cast<QLineEdit*>(ui::widgetOf(*control(name)));
    ASSERT_NE(e, nullptr) << name;
    e->clear();
    QTest::keyClicks(e, text);
  }
  bool panelShown() { return control("kb_tab_function")->isVisible(); }
  KeyRecord stored(int k, int slot = 0) { return recordAt(config->slot(slot), k); }
  bool press(uint16_t vk, uint32_t flags = 0) {
    const bool swallowed = hook.deliver({vk, flags});
    pumpFor(20ms);
    return swallowed;
  }
  bool markedChanged(std::size_t position) {
    return key(position)->toolTip().find(ui::languageText("Key_Set")) != std::string::npos;
  }
  int requests(uint8_t command) const {
    const auto log = keyboard->requestLog();
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const auto& r) { return r.command == command; }));
  }
  device::TableSlot savedKeyProfile(std::string_view name = "Keys") {
    const profile::ProfileRegistry keys(profile::ProfileListKind::keyboardKeys);
    device::TableSlot saved{};
    EXPECT_EQ(profile::ReadProfileFile(keys.profilePath(name), saved), profile::kProfileFileRead);
    return saved;
  }
};

TEST_F(KbKeyPageTest, ArrivalReadsTheKeyboardShowsEveryKeyAndSavesTheKeyProfile) {
  // The selected profile makes A the mute key; the keyboard's own layout has
  // A and S (index 59) swapped, and it plays on-board profile 2.
  device::TableSlot selected{};
  std::copy(kInitialKeyboardKeys.begin(), kInitialKeyboardKeys.end(), selected.begin());
  setRecord(selected, kKeyA, {0x30, 0xE2, 0x00});
  const profile::ProfileRegistry keys(profile::ProfileListKind::keyboardKeys);
  ASSERT_TRUE(profile::WriteProfileFile(keys.profilePath("Keys"), selected));
  sim::DeviceMemory memory = keyboard->memory();
  std::swap_ranges(memory.keyTable.begin() + kKeyA * 3, memory.keyTable.begin() + kKeyA * 3 + 3,
                   memory.keyTable.begin() + kKeyA * 3 + 3);
  memory.activeProfile = 2;
  ASSERT_TRUE(keyboard->setMemory(memory));
  start();
  ASSERT_TRUE(pumpUntil([&] { return config->keyAt(kPositionA) == kKeyA + 1; }));
  pumpFor(50ms);
  EXPECT_EQ(window->liveLighting().snapshot(DeviceKind::keyboard)[0], 2);
  EXPECT_TRUE(std::equal(memory.settings.begin() + 1, memory.settings.begin() + 56,
                         window->liveLighting().snapshot(DeviceKind::keyboard).begin() + 1));
  EXPECT_EQ(stored(kKeyA), (KeyRecord{0x30, 0xE2, 0x00})) << "the profile went to the keyboard";
  EXPECT_TRUE(std::equal(selected.begin(), selected.begin() + kTableBytes,
                         keyboard->memory().profileTables.begin()));
  // Slot 2 is empty: the picture shows slot 0 once profile 0 plays.
  window->liveLighting().edit(
      DeviceKind::keyboard, [](auto& r) { r[0] = 0; }, false);
  page->refreshLabels();
  EXPECT_EQ(savedKeyProfile(), config->slot(0));
  // Index 58 is S on this keyboard: the mute key shows on S, A (index 59)
  // sends what the profile gave index 59.
  const std::string changed = " (" + ui::languageText("Key_Set") + ")";
  EXPECT_EQ(key(65)->toolTip(), ui::languageText("media_mute") + changed);
  EXPECT_EQ(key(kPositionA)->toolTip(), ui::languageText("keyboard_key_S") + changed);
  EXPECT_EQ(key(84)->toolTip(), ui::languageText("keyboard_key_LShift"));
  EXPECT_EQ(key(kFnKeyPosition)->text(), "Fn");
  EXPECT_FALSE(key(kExtraBackslashPosition)->isVisible());
  // Every shown cap's text fits it: shortened with an ellipsis when needed.
  for (std::size_t n = 0; n < kKeyPositionCount; ++n) {
    ui::Control* cap = key(n);
    if (!cap->isVisible()) continue;
    EXPECT_FALSE(cap->toolTip().empty()) << n;
    if (cap->text() != cap->toolTip() && !markedChanged(n)) {
      EXPECT_NE(cap->text().find("\u2026"), std::string::npos) << n << " " << cap->text();
    }
  }
  EXPECT_EQ(key(65)->text(), window->elidedText(3, ui::languageText("media_mute"), 28));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(KbKeyPageTest, AnotherActiveSlotShowsItsOwnKeysOnceTheRecordIsReloaded) {
  start();
  click("kb_key_" + std::to_string(kPositionA));
  ASSERT_TRUE(panelShown());
  // The lighting page's reload brings the record that names slot 1 (empty).
  window->liveLighting().edit(
      DeviceKind::keyboard, [](auto& r) { r[0] = 1; }, false);
  window->sendMessage(pages::msg::kKeyboardReloadRecord);
  ASSERT_TRUE(pumpUntil([&] { return !panelShown(); }));
  EXPECT_EQ(key(kPositionA)->toolTip(),
            ui::languageText("close_text") + " (" + ui::languageText("Key_Set") + ")");
  click("kb_key_" + std::to_string(kPositionA));
  choose("kb_key_fct_combo", 5);
  EXPECT_EQ(stored(kKeyA, 1), (KeyRecord{0x13, 0x01, 0x00}));
  EXPECT_EQ(stored(kKeyA, 0), (KeyRecord{0x20, 0x00, 0x04}));
}

TEST_F(KbKeyPageTest, AKeyboardReportingTooManyKeysIsNotRead) {
  sim::InfoBlock info = keyboard->infoBlock();
  info[sim::kInfoKeyCountByte] = 171;
  keyboard->setInfoBlock(info);
  start();
  ASSERT_TRUE(pumpUntil([&] { return !boxes.empty(); }));
  EXPECT_EQ(boxes, std::vector<std::string>{"message_text_11"});
  EXPECT_EQ(requests(kReadKeyTable), 0);
  EXPECT_EQ(keyboard->configDepth(), 0);
}

TEST_F(KbKeyPageTest, CaptureAssignsLeftShiftAndKeypadEnterAndDefaultRestoresTheKey) {
  start();
  EXPECT_FALSE(panelShown());
  click("kb_key_" + std::to_string(kPositionA));
  EXPECT_TRUE(panelShown());
  EXPECT_EQ(page->editedKey(), kKeyA);
  EXPECT_EQ(window->findControl<ui::Combo>("kb_key_fct_combo")->currentIndex(), 0);
  EXPECT_FALSE(markedChanged(kPositionA));

  choose("kb_key_fct_combo", 1);
  EXPECT_EQ(window->findControl<ui::TabLayout>("kb_tab_function_switch_1")->currentIndex(), 1);
  EXPECT_EQ(hook.mode(), platform::HookMode::keyboardSingleKey);
  EXPECT_TRUE(press(kVkLeftShift));
  EXPECT_EQ(stored(kKeyA), (KeyRecord{0x20, 0x02, 0x00}));
  EXPECT_EQ(control("kb_key_fct_edit_21")->rawText(), "keyboard_key_LShift");
  EXPECT_TRUE(markedChanged(kPositionA));
  EXPECT_FALSE(press(kVkNumLock)) << "lock keys pass on";
  EXPECT_EQ(stored(kKeyA), (KeyRecord{0x20, 0x02, 0x00}));
  EXPECT_TRUE(press(kVkReturn, platform::kKeyFlagExtended));
  EXPECT_EQ(stored(kKeyA), (KeyRecord{0x20, 0x00, 0x58}));
  EXPECT_TRUE(press(kVkReturn));
  EXPECT_EQ(stored(kKeyA), (KeyRecord{0x20, 0x00, 0x28}));

  choose("kb_key_fct_combo", 0);
  EXPECT_EQ(hook.mode(), platform::HookMode::none) << "the capture ends with its item";
  EXPECT_EQ(stored(kKeyA), (KeyRecord{0x20, 0x00, 0x04}));
  EXPECT_FALSE(markedChanged(kPositionA));
  EXPECT_EQ(key(kPositionA)->text(), "A");

  // A record set to the base explicitly opens on the default item too.
  config->editSlots([](device::TableSlot&, auto& tables) {
    setRecord(tables[0], kKeyA, {0x20, 0, 4});
  });
  click("kb_key_" + std::to_string(kPositionA));
  EXPECT_EQ(window->findControl<ui::Combo>("kb_key_fct_combo")->currentIndex(), 0);
}

TEST_F(KbKeyPageTest, MacrosPlayWithAModeOrACountAndTheEditsAreClampedAndWrittenBack) {
  macro::MacroStore store(DeviceKind::keyboard);
  for (const char* name : {"Open", "Close"}) {
    ASSERT_EQ(store.appendMacro(name), macro::MacroNameResult::ok);
    ASSERT_TRUE(store.saveActions(store.listedNames(), name,
                                  std::vector<std::string>(2, "5,0,138,4,1,keyboard_key_A")));
  }
  start();
  click("kb_key_" + std::to_string(kPositionEsc));
  choose("kb_key_fct_combo", 9);
  EXPECT_EQ(stored(0), (KeyRecord{0x20, 0x00, 0x29})) << "no macro chosen yet";
  choose("kb_key_fct_combo_23", 1);
  choose("kb_key_fct_combo_24", 4);
  EXPECT_TRUE(control("kb_key_fct_count_row")->isVisible());
  type("kb_key_fct_edit_25", "3");
  EXPECT_EQ(stored(0), (KeyRecord{0x71, 1, 3}));
  EXPECT_EQ(key(kPositionEsc)->toolTip(), "Close (" + ui::languageText("Key_Set") + ")");
  choose("kb_key_fct_combo_24", 2);
  EXPECT_FALSE(control("kb_key_fct_count_row")->isVisible());
  EXPECT_EQ(stored(0), (KeyRecord{0x70, 1, 2}));

  choose("kb_key_fct_combo", 4);
  choose("kb_key_fct_combo_13", 1);
  type("kb_key_fct_edit_16", "300");
  EXPECT_EQ(control("kb_key_fct_edit_16")->text(), "127");
  type("kb_key_fct_edit_18", "9");
  type("kb_key_fct_edit_19", "99");
  EXPECT_EQ(control("kb_key_fct_edit_19")->text(), "15");
  EXPECT_EQ(stored(0), (KeyRecord{0x12, 0x9F, 0xFF}));
}

TEST_F(KbKeyPageTest, APositionWithoutADeviceKeyDoesNothing) {
  sim::DeviceMemory memory = keyboard->memory();
  memory.keyTable[0] = 0x30;  // the keyboard has no Esc of the picture's kind
  ASSERT_TRUE(keyboard->setMemory(memory));
  start();
  ASSERT_EQ(config->keyAt(kPositionEsc), kNoDeviceKey);
  const device::TableSlot before = config->slot(0);
  click("kb_key_" + std::to_string(kPositionEsc));
  EXPECT_EQ(page->editedKey(), -1);
  choose("kb_key_fct_combo", 7);
  choose("kb_key_fct_combo_21", 3);
  EXPECT_EQ(config->slot(0), before);
}

TEST_F(KbKeyPageTest, ApplySendsMacrosAndTableAndEndsOnTheFailureTextWhenTheKeyboardFails) {
  macro::MacroStore store(DeviceKind::keyboard);
  ASSERT_EQ(store.appendMacro("Greet"), macro::MacroNameResult::ok);
  const std::vector<std::string> steps = {"5,0,138,11,1,keyboard_key_H",
                                          "0,0,10,11,0,keyboard_key_H"};
  ASSERT_TRUE(store.saveActions(store.listedNames(), "Greet", steps));
  start();
  click("kb_key_" + std::to_string(kPositionA));
  choose("kb_key_fct_combo", 7);
  choose("kb_key_fct_combo_21", 7);
  click("kb_key_butt_prosave");
  auto* progress = control("setting_progress");
  EXPECT_TRUE(progress->isVisible());
  EXPECT_EQ(progress->rawText(), "setting_progress_text");
  const sim::DeviceMemory memory = keyboard->memory();
  const device::TableSlot slot = config->slot(0);
  EXPECT_TRUE(std::equal(slot.begin(), slot.begin() + kTableBytes, memory.profileTables.begin()));
  EXPECT_EQ(recordAt(memory.profileTables, kKeyA), (KeyRecord{0x30, 0xE2, 0x00}));
  const std::vector<uint8_t> image =
      macro::buildMacroImage(std::vector<std::vector<macro::MacroAction>>{
          {{5, 0, 138, 11, 1, "keyboard_key_H"}, {0, 0, 10, 11, 0, "keyboard_key_H"}}});
  EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.macros.begin()));
  EXPECT_EQ(savedKeyProfile(), slot);
  ASSERT_TRUE(pumpUntil([&] { return !progress->isVisible(); }, 3s));

  keyboard->injectFault(sim::Fault::silent, 0, sim::VirtualDevice::kAlways);
  click("kb_key_butt_prosave");
  EXPECT_TRUE(progress->isVisible());
  EXPECT_EQ(progress->rawText(), app::kProgressFailedText);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(KbKeyPageTest, SelectingAKeyProfileWritesSlotZeroToOnBoardProfileZero) {
  start();
  click("kb_key_" + std::to_string(kPositionA));
  ASSERT_TRUE(panelShown());
  choose("kb_key_profile_combo", 1);
  EXPECT_FALSE(panelShown());
  EXPECT_EQ(stored(0), (KeyRecord{0x40, 0x02, 0x00}));
  EXPECT_EQ(recordAt(keyboard->memory().profileTables, 0), (KeyRecord{0x40, 0x02, 0x00}));
  EXPECT_EQ(key(kPositionEsc)->toolTip(),
            ui::languageText("system_sleep") + " (" + ui::languageText("Key_Set") + ")");

  click("kb_key_" + std::to_string(kPositionA));
  click("kb_pro_key_reset_btn");
  EXPECT_FALSE(panelShown());
  EXPECT_FALSE(control("kb_tab_function")->isEnabled());
  device::TableSlot defaults{};
  ASSERT_EQ(profile::ReadProfileFile(profile::ProgramFolder() / "kbkeydefault.pro", defaults),
            profile::kProfileFileRead);
  EXPECT_EQ(config->slot(0), defaults);
  EXPECT_EQ(savedKeyProfile("Other"), defaults);
  EXPECT_TRUE(std::equal(defaults.begin(), defaults.begin() + kTableBytes,
                         keyboard->memory().profileTables.begin()));
}

}  // namespace
}  // namespace varnacle::keyboard
