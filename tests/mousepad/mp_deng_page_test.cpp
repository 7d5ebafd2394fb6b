// The mouse pad page in the real main window: offscreen, the real skin with
// its generated art, a virtual mouse and pad on a private bus, a temporary
// Documents folder, and the pad preview paced in milliseconds.
#include "mousepad/mp_deng_page.h"

#include <gtest/gtest.h>

#include <QSlider>
#include <QTest>
#include <filesystem>

#include "../app/main_window_harness.h"
#include "app/main_wnd.h"
#include "mouse/lighting_tables.h"
#include "mouse/mouse_config.h"
#include "mouse/ms_deng_page.h"
#include "mouse/ms_dpi_page.h"
#include "mousepad/pad_config.h"
#include "mousepad/pad_preview_steps.h"
#include "profile/profile_file.h"
#include "sim/virtual_device.h"
#include "ui/dispatcher.h"
#include "ui/qt/native.h"
#include "../profile/one_profile_list.h"

namespace varnacle::mousepad {
namespace {

using namespace std::chrono_literals;

MpDengTiming fastPreview() {
  MpDengTiming t;
  t.preview.startDelay = 10ms;
  t.preview.offlinePause = 10ms;
  t.preview.idlePause = 10ms;
  return t;
}

// The lighting the virtual pad holds in its active profile 1.
constexpr int kActive = 1;
constexpr uint8_t kStoredMode = 6;
constexpr uint8_t kStoredBrightness = 9;
constexpr uint8_t kStoredSpeed = 5;

struct MpDengPageTest : app::test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> mouse =
      std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  std::shared_ptr<sim::VirtualDevice> pad =
      std::make_shared<sim::VirtualDevice>(DeviceKind::mousePad, bus);
  std::unique_ptr<mouse::MouseConfig> mouseConfig;
  std::unique_ptr<PadConfig> config;
  std::filesystem::path profileFile;

  void SetUp() override {
    MainWindowHarness::SetUp();
    profileFile = profile::test::setUpOneProfile(profile::ProfileListKind::mousePadLighting, "Pad File1");

    auto memory = pad->memory();
    uint8_t* r = memory.settings.data() + 64 * kActive;
    r[kLightMode] = kStoredMode;
    r[kBrightness] = kStoredBrightness;
    r[kSpeed] = kStoredSpeed;
    r[kDirection] = kDirectionRight;
    r[kSevenColor] = 0;
    r[kRed] = 1;
    r[kGreen] = 2;
    r[kBlue] = 3;
    memory.activeProfile = kActive;
    ASSERT_TRUE(pad->setMemory(memory));
  }

  void TearDown() override {
    MainWindowHarness::TearDown();
    config.reset();
    mouseConfig.reset();
  }

  // The main window with the mouse's DPI and lighting pages and the pad
  // page, as the program has them; waits until the pad page shows the pad.
  void start() {
    bus.plug(mouse);
    bus.plug(pad);
    window = std::make_unique<app::CMainWnd>(*backend, app::test::fastTiming());
    mouseConfig = std::make_unique<mouse::MouseConfig>(window->liveLighting());
    config = std::make_unique<PadConfig>(window->liveLighting());
    window->addPage(std::make_unique<mouse::MsDpiPage>(window->pageContext(), *mouseConfig));
    window->addPage(std::make_unique<mouse::MsDengPage>(window->pageContext(), *mouseConfig));
    window->addPage(std::make_unique<MpDengPage>(window->pageContext(), *config,
                                                 mouseConfig->sharedBlock, fastPreview()));
    ASSERT_TRUE(window->create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize));
    ASSERT_TRUE(pumpUntil([&] { return modeCombo()->currentIndex() == kStoredMode; }));
    // The mouse's arrival brings its pages to the front: the pad's come after it.
    ASSERT_TRUE(pumpUntil([&] { return control("ms_tab")->isVisible(); }));
    window->findControl<ui::Option>("mp_tab")->setSelected(true);
    pumpFor(20ms);
  }

  ui::Control* control(std::string_view name) {
    ui::Control* c = window->findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  ui::Combo* modeCombo() { return window->findControl<ui::Combo>("mp_deng_combo_modeSelect"); }
  ui::Combo* profileCombo() { return window->findControl<ui::Combo>("mp_deng_combo_profile"); }
  bool enabled(std::string_view name) { return control(name)->isEnabled(); }
  Record working() { return window->liveLighting().snapshot(DeviceKind::mousePad); }
  void chooseMode(int mode) { ASSERT_TRUE(modeCombo()->selectItem1(mode, false, true)); }
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
  Record savedRecord() {
    std::array<uint8_t, 64> payload{};
    EXPECT_EQ(profile::ReadProfileFile(profileFile, payload), profile::kProfileFileRead);
    Record r{};
    std::copy_n(payload.begin(), r.size(), r.begin());
    return r;
  }
  bool padWasSent(std::uint8_t command) {
    for (const auto& request : pad->requestLog())
      if (request.command == command) return true;
    return false;
  }
};

TEST_F(MpDengPageTest, ArrivalShowsThePadsActiveProfileWithoutMarkingAChange) {
  start();
  EXPECT_EQ(profileCombo()->currentIndex(), kActive);
  EXPECT_EQ(window->findControl<ui::Slider>("mp_deng_light_slider")->value(), kStoredBrightness);
  EXPECT_EQ(window->findControl<ui::Slider>("mp_deng_speed_slider")->value(), 14 - kStoredSpeed);
  EXPECT_TRUE(window->findControl<ui::CheckBox>("mp_Deng_FXR_check")->isChecked());
  EXPECT_FALSE(window->findControl<ui::CheckBox>("mp_Deng_FXL_check")->isChecked());
  EXPECT_EQ(control("mp_Deng_edit_G")->text(), "2");
  EXPECT_EQ(control("mp_Deng_colordp_btn")->bkColor(), 0xFF010203u);
  EXPECT_FALSE(window->liveLighting().isChanged(DeviceKind::mousePad));
  EXPECT_EQ(savedRecord()[kLightMode], kStoredMode) << "read all saves the profile file";
}

// What each mode leaves enabled: direction, colour, seven-colour, speed, same mode.
TEST_F(MpDengPageTest, EachModeEnablesItsControlGroups) {
  start();
  const bool expected[10][5] = {
      {true, true, true, true, true},     {false, false, false, true, true},
      {false, true, true, true, true},    {false, true, false, false, true},
      {true, true, true, true, false},    {true, true, true, true, false},
      {false, false, false, true, false}, {false, true, true, true, false},
      {false, true, true, false, false},  {false, true, true, true, false},
  };
  for (int mode : {3, 8, 0, 1, 2, 4, 5, 6, 7, 9}) {
    SCOPED_TRACE(mode);
    if (mode < 9) {
      chooseMode(mode);
    } else {
      // No item 9 in the skin; the choice is still taken as the pad's.
      window->notify({.type = "itemselect", .sender = modeCombo(), .wParam = 9, .lParam = 0});
    }
    EXPECT_EQ(enabled("mp_deng_fx_layout"), expected[mode][0]);
    EXPECT_EQ(enabled("mp_deng_color_layout"), expected[mode][1]);
    EXPECT_EQ(enabled("mp_deng_7colorselect_layout"), expected[mode][2]);
    EXPECT_EQ(enabled("mp_deng_speed_layout"), expected[mode][3]);
    EXPECT_EQ(enabled("mp_deng_same_mode"), expected[mode][4]);
    EXPECT_EQ(working()[kLightMode], mode);
    EXPECT_EQ(savedRecord()[kLightMode], mode);
  }
  EXPECT_TRUE(window->liveLighting().isChanged(DeviceKind::mousePad));
}

TEST_F(MpDengPageTest, SpeedFourteenStoresZeroAndReachesThePadWithinASecond) {
  start();
  pad->clearLog();
  drag("mp_deng_speed_slider", 14);
  EXPECT_EQ(working()[kSpeed], 0);
  EXPECT_EQ(padPassPause(working()[kSpeed]), 9ms) << "the preview's fastest pass";
  drag("mp_deng_light_slider", 4);
  EXPECT_EQ(working()[kBrightness], 4);
  const auto edited = std::chrono::steady_clock::now();
  ASSERT_TRUE(pumpUntil([&] {
    const auto live = pad->liveRecord();
    return live.size() > kBrightness && live[kSpeed] == 0 && live[kBrightness] == 4;
  }, 3s));
  EXPECT_LT(std::chrono::steady_clock::now() - edited, 1500ms);
  // Both edits went out as one live report of the 21 pad bytes.
  int pushes = 0;
  for (const auto& request : pad->requestLog())
    if (request.command == 0x06) {
      ++pushes;
      EXPECT_EQ(request.length, 56);
      EXPECT_EQ(request.data[kProfileByte], kActive);
    }
  EXPECT_EQ(pushes, 1);
}

TEST_F(MpDengPageTest, ChoosingTheActiveProfileSendsNothingAnotherSwitchesThePad) {
  start();
  pad->clearLog();
  ASSERT_TRUE(profileCombo()->selectItem1(kActive, false, true));
  pumpFor(20ms);
  EXPECT_FALSE(padWasSent(0x06)) << "no switch for the active profile";

  ASSERT_TRUE(profileCombo()->selectItem1(3, false, true));
  EXPECT_EQ(pad->activeProfile(), 3);
  EXPECT_TRUE(padWasSent(0x06));
  // Profile 3 of the factory pad: steady orange.
  EXPECT_EQ(modeCombo()->currentIndex(), 3);
  EXPECT_EQ(working()[kProfileByte], 3);
  EXPECT_EQ(control("mp_Deng_edit_G")->text(), "128");
}

TEST_F(MpDengPageTest, ResetShowsWhatThePadReportsASecondLaterAndTheWindowStaysResponsive) {
  start();
  chooseMode(4);
  const auto clicked = std::chrono::steady_clock::now();
  click("mp_one_profile_default");
  EXPECT_TRUE(padWasSent(0x0D));
  // The UI thread goes on at once: a job posted now runs well within the second.
  bool ran = false;
  ui::post([&] { ran = true; });
  ASSERT_TRUE(pumpUntil([&] { return ran; }, 300ms));
  EXPECT_LT(std::chrono::steady_clock::now() - clicked, 500ms);
  EXPECT_EQ(modeCombo()->currentIndex(), 4) << "not yet read back";
  // Then the page shows the factory profile 0 the pad now holds.
  ASSERT_TRUE(pumpUntil([&] { return profileCombo()->currentIndex() == 0; }, 4s));
  EXPECT_GE(std::chrono::steady_clock::now() - clicked, 900ms);
  EXPECT_EQ(modeCombo()->currentIndex(), 0);
  EXPECT_EQ(window->findControl<ui::Slider>("mp_deng_speed_slider")->value(), 14 - 7);
  EXPECT_TRUE(window->findControl<ui::CheckBox>("mp_Deng_7color_check")->isChecked());
  EXPECT_EQ(savedRecord()[kLightMode], 0);
}

TEST_F(MpDengPageTest, AMouseTriggerFlashesThePadPictureOnceInModeEight) {
  start();
  chooseMode(8);
  ui::Control* light = control("mp_dkey_7");
  ASSERT_TRUE(pumpUntil([&] { return light->changerAlpha() == 0; }, 2s)) << "dark between flashes";
  pumpFor(100ms);
  ASSERT_EQ(light->changerAlpha(), 0);

  mouse->sendNotification(0x0403);
  ASSERT_TRUE(pumpUntil([&] { return light->changerAlpha() > 0; }, 3s));
  const auto lit = std::chrono::steady_clock::now();
  // Colour cycle off: the pad's fixed colour, at the brightness alpha.
  EXPECT_EQ(light->changerColor(), 0xFF010203u);
  EXPECT_EQ(light->changerAlpha(), mouse::BrightnessAlpha[kStoredBrightness]);
  ASSERT_TRUE(pumpUntil([&] { return light->changerAlpha() == 0; }, 2s));
  const auto shown = std::chrono::steady_clock::now() - lit;
  EXPECT_GE(shown, 50ms);
  EXPECT_LT(shown, 600ms) << "about 100 ms";
  // Once: it stays dark without another trigger.
  pumpFor(300ms);
  EXPECT_EQ(light->changerAlpha(), 0);
  EXPECT_FALSE(window->pageContext().mouseTrigger.load()) << "the preview took the flag";
}

TEST_F(MpDengPageTest, SameModeFromTheMouseShowsOnThePadPage) {
  start();
  mouseConfig->sharedBlock.set({});
  window->liveLighting().edit(DeviceKind::mouse, [](Record& r) {
    r[kLightMode] = 2;
    r[kBrightness] = 11;
    r[kRed] = 200;
  });
  window->notify({.type = "click", .sender = control("ms_deng_same_mode"), .wParam = 0, .lParam = 0});
  EXPECT_EQ(modeCombo()->currentIndex(), 2);
  EXPECT_EQ(window->findControl<ui::Slider>("mp_deng_light_slider")->value(), 11);
  EXPECT_EQ(control("mp_Deng_edit_R")->text(), "200");
  EXPECT_EQ(savedRecord()[kLightMode], 2);
  EXPECT_TRUE(window->session(DeviceKind::mousePad).lightingSync.load());
}

}  // namespace
}  // namespace varnacle::mousepad
