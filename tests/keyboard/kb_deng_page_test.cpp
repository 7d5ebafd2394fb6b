// The keyboard lighting page in the real main window: offscreen, the real
// skin with its generated art, a virtual keyboard on a private bus, a
// temporary Documents folder, and the preview paced in milliseconds.
#include "keyboard/kb_deng_page.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "../app/main_window_harness.h"
#include "app/main_wnd.h"
#include "device/exchanges.h"
#include "keyboard/keyboard_lighting.h"
#include "keyboard/keyboard_lighting_steps.h"
#include "mouse/preset_colors.h"
#include "mouse/preview_workers.h"
#include "pages/page_messages.h"
#include "pages/profile_panel.h"
#include "profile/profile_file.h"
#include "sim/virtual_device.h"
#include "ui/application.h"
#include "ui/language.h"
#include "ui/menu.h"
#include "ui/qt/native.h"
#include "../profile/one_profile_list.h"

namespace varnacle::keyboard {
namespace {

using namespace std::chrono_literals;

KbDengTiming fastPreview() {
  KbDengTiming t;
  t.preview.startDelay = 10ms;
  t.preview.offlinePause = 10ms;
  t.preview.idlePause = 5ms;
  return t;
}

// The lighting the virtual keyboard holds at settings address 0.
constexpr uint8_t kStoredMode = 3;
constexpr uint8_t kStoredBrightness = 14;
constexpr uint8_t kStoredSpeed = 4;
constexpr uint8_t kStoredRed = 10, kStoredGreen = 200, kStoredBlue = 30;
constexpr uint8_t kStoredExtra = 0x5A;  // byte 15: a device setting the page never edits

struct KbDengPageTest : app::test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> keyboard =
      std::make_shared<sim::VirtualDevice>(DeviceKind::keyboard, bus);
  std::unique_ptr<KeyboardLighting> lighting;
  mouse::SharedPreviewBlock sharedBlock;
  KbDengPage* page = nullptr;
  pages::ProfilePanel* panel = nullptr;
  std::filesystem::path profileFile;

  void SetUp() override {
    MainWindowHarness::SetUp();
    profileFile = profile::test::setUpOneProfile(profile::ProfileListKind::keyboardLighting, "Configuration File1");

    auto memory = keyboard->memory();
    uint8_t* r = memory.settings.data();
    r[kLightMode] = kStoredMode;
    r[kBrightness] = kStoredBrightness;
    r[kSpeed] = kStoredSpeed;
    r[kDirection] = 1;
    r[kSevenColor] = 0;
    r[kRed] = kStoredRed;
    r[kGreen] = kStoredGreen;
    r[kBlue] = kStoredBlue;
    r[15] = kStoredExtra;
    ASSERT_TRUE(keyboard->setMemory(memory));
  }

  void TearDown() override {
    MainWindowHarness::TearDown();
    lighting.reset();
  }

  void start() {
    window = std::make_unique<app::CMainWnd>(*backend, app::test::fastTiming());
    lighting = std::make_unique<KeyboardLighting>(window->liveLighting());
    auto p =
        std::make_unique<KbDengPage>(window->pageContext(), *lighting, sharedBlock, fastPreview());
    page = p.get();
    auto profilePanel = std::make_unique<pages::ProfilePanel>(
        window->pageContext(), profile::ProfileListKind::keyboardLighting,
        keyboardLightingSteps(window->liveLighting(), *lighting, *page), nullptr);
    panel = profilePanel.get();
    window->addPage(std::move(p));
    window->addPage(std::move(profilePanel));
    ASSERT_TRUE(window->create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize));
    pumpFor(20ms);
  }

  // Plugs the keyboard in, starts, and reads the keyboard the way the key
  // page does on its arrival; then the lighting page is in front.
  void startWithKeyboard() {
    bus.plug(keyboard);
    start();
    ASSERT_TRUE(pumpUntil([&] { return window->session(DeviceKind::keyboard).online.load(); }));
    pumpFor(20ms);
    // The profile panel's selection on arrival marked its profile pending.
    window->liveLighting().flush({});
    readAllAsTheKeyPageDoes();
    ASSERT_EQ(combo()->currentIndex(), kStoredMode);
    window->findControl<ui::Option>("kb_tab")->setSelected(true);
    window->findControl<ui::Option>("kb_page_deng")->setSelected(true);
    pumpFor(20ms);
  }
  void readAllAsTheKeyPageDoes() {
    device::KeyboardSettings settings;
    ASSERT_EQ(
        device::readAllKeyboardSettings(window->session(DeviceKind::keyboard), settings).result,
        device::kResultOk);
    device::LiveLighting::Record record{};
    std::copy(settings.record.begin(), settings.record.end(), record.begin());
    record[kActiveProfileByte] = settings.activeProfile;
    window->liveLighting().set(DeviceKind::keyboard, record, false);
    window->sendMessage(pages::msg::kKeyboardReadAll);
  }

  ui::Control* control(std::string_view name) {
    ui::Control* c = window->findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  ui::Combo* combo() { return window->findControl<ui::Combo>("kb_deng_combo_modeSelect"); }
  ui::CheckBox* check(std::string_view name) { return window->findControl<ui::CheckBox>(name); }
  bool enabled(std::string_view name) { return control(name)->isEnabled(); }
  KeyboardLightingBlock block() { return lighting->block(); }
  void chooseMode(int mode) { ASSERT_TRUE(combo()->selectItem1(mode, false, true)); }
  void drag(std::string_view name, int position) {
    auto* slider = qobject_cast<QSlider*>(ui::widgetOf(*control(name)));
    ASSERT_NE(slider, nullptr);
    slider->setSliderDown(true);
    slider->setSliderPosition(position);
    slider->setSliderDown(false);
  }
  void click(std::string_view name) {
    QWidget* w = ui::widgetOf(*control(name));
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
  }
  void type(std::string_view name, const char* text) {
    auto* edit = qobject_cast<QLineEdit*>(ui::widgetOf(*control(name)));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
  KeyboardLightingBlock saved() {
    KeyboardLightingBlock b;
    EXPECT_EQ(profile::ReadProfileFile(profileFile, b.bytes), profile::kProfileFileRead);
    return b;
  }
  ui::Control* light(std::size_t position) {
    return control("kb_dkey_" + std::to_string(position));
  }
};

TEST_F(KbDengPageTest, TheKeyboardsRecordIsShownAndSavedWithoutMarkingAChange) {
  startWithKeyboard();
  EXPECT_EQ(window->findControl<ui::Slider>("kb_deng_light_slider")->value(), kStoredBrightness);
  EXPECT_EQ(window->findControl<ui::Slider>("kb_deng_speed_slider")->value(), 14 - kStoredSpeed);
  EXPECT_TRUE(check("kb_Deng_FXL_check")->isChecked());
  EXPECT_EQ(control("kb_Deng_edit_G")->text(), "200");
  EXPECT_EQ(control("kb_Deng_colordp_btn")->bkColor(), 0xFF0AC81Eu);
  EXPECT_FALSE(enabled("kb_deng_speed_layout")) << "steady has no speed";
  EXPECT_FALSE(enabled("kb_deng_custom_tool_layout"));
  EXPECT_EQ(saved().bytes[15], kStoredExtra);
  EXPECT_EQ(saved().bytes[kLightMode], kStoredMode);
  EXPECT_FALSE(window->liveLighting().isChanged(DeviceKind::keyboard));
  // Every light of the picture is named by its key.
  EXPECT_EQ(light(0)->toolTip(), ui::languageText("keyboard_key_Esc"));
  EXPECT_EQ(light(110)->toolTip(), "Fn");
  const std::string english = light(105)->toolTip();
  ui::MenuCommand lan{.name = "lan", .userData = {}, .text = "menu_lan_text", .checked = false};
  window->sendMessage(pages::msg::kMenuCommand, reinterpret_cast<std::uintptr_t>(&lan));
  ASSERT_EQ(ui::currentLanguageName(), "cn_zh");
  EXPECT_NE(light(105)->toolTip(), english) << "the names follow the language";
  EXPECT_EQ(light(105)->toolTip(), ui::languageText("keyboard_key_LCtrl"));
}

TEST_F(KbDengPageTest, SlidersAndModesEditTheRecordAndAnEditReachesTheKeyboard) {
  startWithKeyboard();
  drag("kb_deng_speed_slider", 14);
  EXPECT_EQ(block().bytes[kSpeed], 0);
  drag("kb_deng_speed_slider", 0);
  EXPECT_EQ(block().bytes[kSpeed], 14);
  EXPECT_EQ(saved().bytes[kSpeed], 14);
  chooseMode(kCustomMode);
  EXPECT_TRUE(enabled("kb_deng_custom_tool_layout"));
  EXPECT_TRUE(enabled("kb_deng_custom_select_layout"));
  EXPECT_FALSE(enabled("kb_deng_fx_layout"));
  EXPECT_FALSE(enabled("kb_deng_7colorselect_layout"));
  EXPECT_FALSE(enabled("kb_deng_color_display_layout"));
  EXPECT_FALSE(enabled("kb_deng_same_mode"));
  chooseMode(0);
  EXPECT_TRUE(enabled("kb_deng_same_mode"));
  EXPECT_FALSE(enabled("kb_deng_custom_tool_layout"));
  EXPECT_TRUE(window->liveLighting().isChanged(DeviceKind::keyboard));

  // Within about a second the keyboard holds bytes 0-20 of the record, then zeros.
  ASSERT_TRUE(pumpUntil(
      [&] {
        const auto live = keyboard->liveRecord();
        return live.size() == 56 && live[kLightMode] == 0 && live[kSpeed] == 14;
      },
      2500ms));
  const auto live = keyboard->liveRecord();
  EXPECT_EQ(live[15], kStoredExtra) << "device settings go back as read";
  EXPECT_TRUE(std::all_of(live.begin() + 21, live.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(KbDengPageTest, APresetSetsTheSingleColourOrInCustomModeOnlyTheCustomColour) {
  startWithKeyboard();
  lighting->edit([](KeyboardLightingBlock& b) { b.bytes[kSevenColor] = 1; }, false);
  page->refresh();
  ASSERT_TRUE(check("kb_Deng_7color_check")->isChecked());
  click("kb_Deng_color_btn_4");
  const ui::Color preset = mouse::PresetColors[4];
  KeyboardLightingBlock b = block();
  EXPECT_EQ(b.bytes[kSevenColor], 0);
  EXPECT_FALSE(check("kb_Deng_7color_check")->isChecked());
  EXPECT_EQ(b.bytes[kBlue], ui::blueOf(preset));
  EXPECT_EQ(control("kb_Deng_colordp_btn")->bkColor(), preset);
  EXPECT_EQ(saved().bytes[kGreen], ui::greenOf(preset));

  chooseMode(kCustomMode);
  window->liveLighting().flush({});  // forget the pending mode change
  ASSERT_FALSE(window->liveLighting().isChanged(DeviceKind::keyboard));
  click("kb_Deng_color_btn_7");
  const ui::Color custom = mouse::PresetColors[7];
  b = block();
  EXPECT_EQ(b.customColor(),
            (Rgb{static_cast<uint8_t>(ui::redOf(custom)), static_cast<uint8_t>(ui::greenOf(custom)),
                 static_cast<uint8_t>(ui::blueOf(custom))}));
  EXPECT_EQ(b.bytes[kBlue], ui::blueOf(preset)) << "the single colour stays";
  EXPECT_EQ(control("kb_Deng_custom_colordp_btn")->bkColor(), custom);
  EXPECT_EQ(control("kb_Deng_colordp_btn")->bkColor(), preset);
  EXPECT_FALSE(window->liveLighting().isChanged(DeviceKind::keyboard)) << "nothing to send";
  type("kb_Deng_edit_R", "300");
  EXPECT_EQ(control("kb_Deng_edit_R")->text(), "255");
  EXPECT_EQ(block().customColor().red, 255);
  EXPECT_EQ(saved().customColor().red, 255);
}

TEST_F(KbDengPageTest, CustomModePaintsFillsAndClearsTheTableShownOnThePicture) {
  startWithKeyboard();
  chooseMode(kCustomMode);
  click("kb_Deng_color_btn_0");  // red paints
  for (std::size_t position : {0u, 13u, 60u}) click("kb_dkey_" + std::to_string(position));
  EXPECT_EQ(light(13)->changerColor(), 0xFFFF0000u) << "shown at once";
  EXPECT_EQ(light(14)->changerAlpha(), 255);
  EXPECT_EQ(light(14)->changerColor(), 0xFF000000u);

  click("kb_Deng_color_btn_2");
  click("kb_Deng_all_bright_check");
  EXPECT_FALSE(check("kb_Deng_all_bright_check")->isChecked()) << "a tool runs once per click";
  const CustomTable t = block().customTable(0);
  EXPECT_EQ(std::count(t.begin(), t.end(), Rgb{255, 0, 0}), 3);
  EXPECT_EQ(std::count(t.begin(), t.end(), Rgb{0x6C, 0xFF, 0}), 123);
  EXPECT_EQ(saved().customTable(0), t);

  // Table 2 is empty: switching shows it and sends nothing.
  window->liveLighting().flush({});
  auto* tables = window->findControl<ui::Combo>("kb_deng_combo_curtom_count");
  ASSERT_TRUE(tables->selectItem1(2, false, true));
  EXPECT_EQ(block().customTableIndex(), 2u);
  EXPECT_EQ(light(13)->changerColor(), 0xFF000000u);
  EXPECT_FALSE(window->liveLighting().isChanged(DeviceKind::keyboard));
  click("kb_dkey_16");  // a position without an LED
  EXPECT_EQ(block().customTable(2), CustomTable{});
  ASSERT_TRUE(tables->selectItem1(0, false, true));
  click("kb_Deng_all_kill_check");
  EXPECT_EQ(block().customTable(0), CustomTable{});
  EXPECT_EQ(light(13)->changerColor(), 0xFF000000u);
}

TEST_F(KbDengPageTest, ThePreviewAnimatesTheKeysAndRipplesFromClicksInReactiveMode) {
  startWithKeyboard();
  const ui::Color stored = 0xFF0AC81E;
  ASSERT_TRUE(pumpUntil([&] { return light(60)->changerColor() == stored; }));
  for (std::size_t n : {0u, 42u, 108u, 110u, 117u})
    EXPECT_EQ(light(n)->changerColor(), stored) << n;
  EXPECT_EQ(light(60)->changerAlpha(), 255);

  chooseMode(kReactiveMode);
  ASSERT_TRUE(pumpUntil([&] { return light(60)->changerAlpha() == 0; })) << "dark until a click";
  click("kb_dkey_52");
  EXPECT_TRUE(pumpUntil([&] { return light(52)->changerAlpha() > 0; }));
  EXPECT_TRUE(pumpUntil([&] { return light(30)->changerAlpha() > 0; })) << "the ripple spreads";
}

TEST_F(KbDengPageTest, ALightingChangeTheKeyboardReportsIsReadAndShown) {
  startWithKeyboard();
  auto memory = keyboard->memory();
  memory.settings[kLightMode] = 7;
  memory.settings[kBrightness] = 5;
  ASSERT_TRUE(keyboard->setMemory(memory));
  keyboard->sendNotification(0x0401);
  ASSERT_TRUE(pumpUntil([&] { return combo()->currentIndex() == 7; }));
  EXPECT_EQ(window->findControl<ui::Slider>("kb_deng_light_slider")->value(), 5);
  EXPECT_EQ(block().bytes[kActiveProfileByte], 0);
  EXPECT_EQ(saved().bytes[kLightMode], 7);
}

TEST_F(KbDengPageTest, AProfileBringsItsCustomTablesAndTheMouseSameModeReachesThePage) {
  KeyboardLightingBlock stored;
  stored.bytes[kLightMode] = kCustomMode;
  stored.bytes[kCustomTableByte] = 1;
  stored.setEntry(1, 14, {1, 2, 3});
  startWithKeyboard();
  ASSERT_TRUE(profile::WriteProfileFile(profileFile, stored.bytes));
  panel->selectRow(0);
  EXPECT_EQ(combo()->currentIndex(), kCustomMode);
  EXPECT_EQ(window->findControl<ui::Combo>("kb_deng_combo_curtom_count")->currentIndex(), 1);
  EXPECT_EQ(light(13)->changerColor(), 0xFF010203u);
  EXPECT_TRUE(window->liveLighting().isChanged(DeviceKind::keyboard));

  // The mouse page's button gives the keyboard the mouse's effect.
  device::LiveLighting::Record ms{};
  ms[kLightMode] = 1;
  ms[kSpeed] = 2;
  window->liveLighting().set(DeviceKind::mouse, ms, false);
  ui::Button mouseButton;
  mouseButton.setName("ms_deng_same_mode");
  page->notify(ui::Notification{"click", &mouseButton});
  EXPECT_EQ(combo()->currentIndex(), 1);
  EXPECT_EQ(window->findControl<ui::Slider>("kb_deng_speed_slider")->value(), 12);
  EXPECT_EQ(saved().bytes[kLightMode], 1);
  EXPECT_EQ(saved().customTable(1)[14], (Rgb{1, 2, 3})) << "the custom tables stay";
  EXPECT_TRUE(window->session(DeviceKind::keyboard).lightingSync);
  EXPECT_EQ(sharedBlock.get().mode, 1);
}

}  // namespace
}  // namespace varnacle::keyboard
