// The mouse lighting page in the real main window: offscreen, the real skin
// with its generated art, virtual devices on a private bus, a temporary
// Documents folder, and previews paced in milliseconds instead of seconds.
#include "mouse/ms_deng_page.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <filesystem>

#include "../app/main_window_harness.h"
#include "app/main_wnd.h"
#include "device/hid_sim.h"
#include "lighting_profile_list.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_settings_record.h"
#include "mouse/ms_dpi_page.h"
#include "mouse/preset_colors.h"
#include "platform/folders.h"
#include "profile/profile_file.h"
#include "sim/virtual_device.h"
#include "ui/application.h"
#include "ui/image.h"
#include "ui/qt/native.h"

namespace varnacle::mouse {
namespace {

using namespace std::chrono_literals;

DengPreviewTiming fastPreviews() {
  DengPreviewTiming t;
  t.mouse.startDelay = 10ms;
  t.mouse.offlinePause = 10ms;
  t.mouse.stepPause = 5ms;
  t.shared.offlinePause = 20ms;
  t.shared.idlePause = 5ms;
  return t;
}

// The lighting bytes the virtual mouse holds in its active profile 0.
constexpr uint8_t kStoredMode = 3;
constexpr uint8_t kStoredBrightness = 14;
constexpr uint8_t kStoredSpeed = 4;
constexpr uint8_t kStoredRed = 10, kStoredGreen = 200, kStoredBlue = 30;

struct MsDengPageTest : app::test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> mouse =
      std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  std::shared_ptr<sim::VirtualDevice> keyboard =
      std::make_shared<sim::VirtualDevice>(DeviceKind::keyboard, bus);
  std::unique_ptr<MouseConfig> config;
  MsDengPage* page = nullptr;
  std::filesystem::path profileFile;  // the selected mouse lighting profile's

  void SetUp() override {
    MainWindowHarness::SetUp();
    profileFile = test::setUpOneMouseLightingProfile();

    auto memory = mouse->memory();
    uint8_t* r = memory.settings.data();
    r[kLightMode] = kStoredMode;
    r[kBrightness] = kStoredBrightness;
    r[kSpeed] = kStoredSpeed;
    r[kDirection] = kDirectionLeft;
    r[kSevenColor] = 0;
    r[kRed] = kStoredRed;
    r[kGreen] = kStoredGreen;
    r[kBlue] = kStoredBlue;
    memory.activeProfile = 0;
    ASSERT_TRUE(mouse->setMemory(memory));
  }

  void TearDown() override {
    MainWindowHarness::TearDown();
    config.reset();
  }

  // Starts the main window with both mouse pages, as the program does.
  void start() {
    window = std::make_unique<app::CMainWnd>(*backend, app::test::fastTiming());
    config = std::make_unique<MouseConfig>(window->liveLighting());
    window->addPage(std::make_unique<MsDpiPage>(window->pageContext(), *config));
    auto p = std::make_unique<MsDengPage>(window->pageContext(), *config, fastPreviews());
    page = p.get();
    window->addPage(std::move(p));
    ASSERT_TRUE(window->create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize));
    pumpFor(20ms);
  }
  // Plugs the mouse in, starts, and waits until the page shows what was read.
  void startWithMouse() {
    bus.plug(mouse);
    start();
    ASSERT_TRUE(pumpUntil([&] { return combo()->currentIndex() == kStoredMode; }));
    window->findControl<ui::Option>("ms_page_deng")->setSelected(true);
    pumpFor(20ms);
  }


  ui::Control* control(std::string_view name) {
    ui::Control* c = window->findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  ui::Combo* combo() { return window->findControl<ui::Combo>("ms_deng_combo_modeSelect"); }
  ui::CheckBox* check(std::string_view name) { return window->findControl<ui::CheckBox>(name); }
  bool enabled(std::string_view name) { return control(name)->isEnabled(); }
  Record working() { return window->liveLighting().snapshot(DeviceKind::mouse); }
  Record working(DeviceKind kind) { return window->liveLighting().snapshot(kind); }

  // The user's gestures, through the toolkit's widgets.
  void drag(std::string_view name, int position) {
    auto* slider = qobject_cast<QSlider*>(ui::widgetOf(*control(name)));
    ASSERT_NE(slider, nullptr);
    slider->setSliderDown(true);
    slider->setSliderPosition(position);
    slider->setSliderDown(false);
  }
  void type(std::string_view name, const char* text) {
    auto* edit = qobject_cast<QLineEdit*>(ui::widgetOf(*control(name)));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
  void click(std::string_view name) {
    QWidget* w = ui::widgetOf(*control(name));
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
  }
  void chooseMode(int mode) { ASSERT_TRUE(combo()->selectItem1(mode, false, true)); }

  // The record stored in the selected mouse lighting profile file.
  Record savedRecord() {
    std::array<uint8_t, 64> payload{};
    EXPECT_EQ(profile::ReadProfileFile(profileFile, payload), profile::kProfileFileRead);
    Record r{};
    std::copy_n(payload.begin(), r.size(), r.begin());
    return r;
  }
};

TEST_F(MsDengPageTest, ArrivalShowsTheMouseLightingWithoutMarkingAChange) {
  startWithMouse();
  EXPECT_EQ(control("ms_deng_light_slider")->isEnabled(), true);
  EXPECT_EQ(window->findControl<ui::Slider>("ms_deng_light_slider")->value(), kStoredBrightness);
  EXPECT_EQ(window->findControl<ui::Slider>("ms_deng_speed_slider")->value(), 14 - kStoredSpeed);
  EXPECT_TRUE(check("ms_Deng_FXL_check")->isChecked());
  EXPECT_FALSE(check("ms_Deng_FXR_check")->isChecked());
  EXPECT_FALSE(check("ms_Deng_7color_check")->isChecked());
  EXPECT_EQ(control("ms_Deng_edit_R")->text(), "10");
  EXPECT_EQ(control("ms_Deng_edit_G")->text(), "200");
  EXPECT_EQ(control("ms_Deng_edit_B")->text(), "30");
  EXPECT_EQ(control("ms_Deng_colordp_btn")->bkColor(), 0xFF0AC81Eu);
  EXPECT_EQ(window->findControl<ui::ColorPalette>("ms_deng_Color_Pallet")->selectColor(),
            0xFF0AC81Eu);
  EXPECT_FALSE(window->liveLighting().isChanged(DeviceKind::mouse));
}

// What each mode leaves enabled: direction, colour, seven-colour, speed, same mode.
TEST_F(MsDengPageTest, EachModeEnablesItsControlGroups) {
  startWithMouse();
  const bool expected[6][5] = {
      {true, true, true, true, true},  {false, false, false, true, true},
      {false, true, true, true, true}, {false, true, true, false, true},
      {true, true, true, true, false}, {true, true, true, true, false},
  };
  for (int mode : {1, 3, 4, 5, 2, 0}) {
    SCOPED_TRACE(mode);
    chooseMode(mode);
    EXPECT_EQ(enabled("ms_deng_fx_layout"), expected[mode][0]);
    EXPECT_EQ(enabled("ms_deng_color_layout"), expected[mode][1]);
    EXPECT_EQ(enabled("ms_deng_7colorselect_layout"), expected[mode][2]);
    EXPECT_EQ(enabled("ms_deng_speed_layout"), expected[mode][3]);
    EXPECT_EQ(enabled("ms_deng_same_mode"), expected[mode][4]);
    EXPECT_EQ(working()[kLightMode], mode);
    EXPECT_EQ(savedRecord()[kLightMode], mode);
  }
  EXPECT_TRUE(window->liveLighting().isChanged(DeviceKind::mouse));
  // The chosen mode reaches the mouse with the next live push.
  ASSERT_TRUE(pumpUntil([&] {
    return mouse->liveRecord().size() > kLightMode && mouse->liveRecord()[kLightMode] == 0;
  }));
}

TEST_F(MsDengPageTest, SameModeIsOfferedOnlyForModesTheSharedPreviewCanShow) {
  auto memory = mouse->memory();
  memory.settings[kLightMode] = 7;  // no mode of the page, as a mouse may hold it
  ASSERT_TRUE(mouse->setMemory(memory));
  bus.plug(mouse);
  start();
  ASSERT_TRUE(pumpUntil([&] { return control("ms_tab")->isVisible(); }));
  ASSERT_EQ(working()[kLightMode], 7);
  EXPECT_EQ(combo()->currentIndex(), -1);
  EXPECT_FALSE(enabled("ms_deng_same_mode"));
  EXPECT_TRUE(enabled("ms_deng_color_layout")) << "the other groups as for mode 0";
  chooseMode(2);
  EXPECT_TRUE(enabled("ms_deng_same_mode"));
}

TEST_F(MsDengPageTest, PulseModeStartsItsTriggerByDirection) {
  startWithMouse();
  chooseMode(5);  // direction left (1): trigger 7
  auto triggers = config->preview.state().triggers;
  EXPECT_EQ(triggers[7], 1);
  click("ms_Deng_FXR_check");
  triggers = config->preview.state().triggers;
  EXPECT_EQ(triggers[0], 1) << "a direction change restarts the ring at trigger 0";
  EXPECT_EQ(std::count(triggers.begin(), triggers.end(), 0), 22);
}

TEST_F(MsDengPageTest, SlidersStoreBrightnessAndSpeedFourteenMinusThePosition) {
  startWithMouse();
  drag("ms_deng_speed_slider", 14);
  EXPECT_EQ(working()[kSpeed], 0);
  drag("ms_deng_speed_slider", 0);
  EXPECT_EQ(working()[kSpeed], 14);
  drag("ms_deng_light_slider", 6);
  EXPECT_EQ(working()[kBrightness], 6);
  EXPECT_EQ(savedRecord()[kSpeed], 14);
  EXPECT_EQ(savedRecord()[kBrightness], 6);
  // A stored speed shows as 14 - speed; an impossible one as position 0.
  Record r = working();
  r[kSpeed] = 200;
  window->liveLighting().set(DeviceKind::mouse, r, false);
  page->refresh();
  EXPECT_EQ(window->findControl<ui::Slider>("ms_deng_speed_slider")->value(), 0);
  EXPECT_EQ(working()[kSpeed], 200) << "a refresh writes nothing back";
}

TEST_F(MsDengPageTest, DirectionBoxesExcludeEachOtherAndTheButtonsOnlySetTheByte) {
  startWithMouse();
  click("ms_Deng_FXR_check");
  EXPECT_EQ(working()[kDirection], 1) << "the stored steady mode has no direction";
  chooseMode(0);
  click("ms_Deng_FXR_check");
  EXPECT_EQ(working()[kDirection], 0);
  EXPECT_TRUE(check("ms_Deng_FXR_check")->isChecked());
  EXPECT_FALSE(check("ms_Deng_FXL_check")->isChecked());
  click("ms_Deng_FXR_check");  // clicking the checked box keeps it checked
  EXPECT_TRUE(check("ms_Deng_FXR_check")->isChecked());
  EXPECT_EQ(working()[kDirection], 0);
  click("ms_Deng_FXR_btn");
  EXPECT_EQ(working()[kDirection], 1);
  EXPECT_TRUE(check("ms_Deng_FXR_check")->isChecked()) << "the buttons leave the boxes alone";
  click("ms_Deng_FXL_btn");
  EXPECT_EQ(working()[kDirection], 0);
  click("ms_Deng_FXL_check");
  EXPECT_EQ(working()[kDirection], 1);
  EXPECT_FALSE(check("ms_Deng_FXR_check")->isChecked());
  EXPECT_EQ(savedRecord()[kDirection], 1);
}

TEST_F(MsDengPageTest, ChoosingAColourSwitchesSevenColourOff) {
  startWithMouse();
  click("ms_Deng_7color_check");
  ASSERT_TRUE(check("ms_Deng_7color_check")->isChecked());
  EXPECT_EQ(working()[kSevenColor], 1);

  // The palette: a click at its left edge, top row, picks pure red.
  QWidget* palette = ui::widgetOf(*control("ms_deng_Color_Pallet"));
  QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(1, 1));
  const ui::Color picked =
      window->findControl<ui::ColorPalette>("ms_deng_Color_Pallet")->selectColor();
  EXPECT_FALSE(check("ms_Deng_7color_check")->isChecked());
  Record r = working();
  EXPECT_EQ(r[kSevenColor], 0);
  EXPECT_EQ(r[kRed], ui::redOf(picked));
  EXPECT_EQ(r[kGreen], ui::greenOf(picked));
  EXPECT_EQ(r[kBlue], ui::blueOf(picked));
  EXPECT_EQ(control("ms_Deng_edit_R")->text(), std::to_string(ui::redOf(picked)));

  // A preset button.
  click("ms_Deng_7color_check");
  click("ms_Deng_color_btn_16");
  const ui::Color preset = PresetColors[16];
  r = working();
  EXPECT_EQ(r[kSevenColor], 0);
  EXPECT_FALSE(check("ms_Deng_7color_check")->isChecked());
  EXPECT_EQ((std::array<int, 3>{r[kRed], r[kGreen], r[kBlue]}),
            (std::array<int, 3>{ui::redOf(preset), ui::greenOf(preset), ui::blueOf(preset)}));
  EXPECT_EQ(control("ms_Deng_colordp_btn")->bkColor(), preset);
  EXPECT_EQ(control("ms_Deng_edit_G")->text(), std::to_string(ui::greenOf(preset)));
  EXPECT_EQ(savedRecord()[kBlue], ui::blueOf(preset));
}

TEST_F(MsDengPageTest, ColourEditsStopAt255AndMoveThePreviewAndPalette) {
  startWithMouse();
  click("ms_Deng_7color_check");
  type("ms_Deng_edit_B", "300");
  EXPECT_EQ(control("ms_Deng_edit_B")->text(), "255");
  EXPECT_EQ(working()[kBlue], 255);
  EXPECT_EQ(working()[kSevenColor], 0);
  EXPECT_FALSE(check("ms_Deng_7color_check")->isChecked());
  const ui::Color expected = 0xFF0AC8FF;  // stored red and green, blue 255
  EXPECT_EQ(control("ms_Deng_colordp_btn")->bkColor(), expected);
  EXPECT_EQ(window->findControl<ui::ColorPalette>("ms_deng_Color_Pallet")->selectColor(), expected);
  // Long runs of digits do not overflow, text without digits counts as 0.
  type("ms_Deng_edit_R", "99999999999999999999");
  EXPECT_EQ(control("ms_Deng_edit_R")->text(), "255");
  EXPECT_EQ(working()[kRed], 255);
  type("ms_Deng_edit_G", "x");
  EXPECT_EQ(working()[kGreen], 0);
  EXPECT_EQ(savedRecord()[kGreen], 0);
}

TEST_F(MsDengPageTest, SameModeGivesTheMouseLightingToTheOtherDevicesUntilTheirNextPush) {
  bus.plug(keyboard);
  startWithMouse();
  ASSERT_TRUE(pumpUntil([&] { return control("ms_deng_same_mode")->isVisible(); }))
      << "shown while another device is online";
  Record kb = working(DeviceKind::keyboard);
  kb[0] = 0x44;
  kb[12] = 0x55;
  kb[kLightMode] = 9;
  window->liveLighting().set(DeviceKind::keyboard, kb, false);
  const Record ms = working();

  click("ms_deng_same_mode");
  for (DeviceKind kind : {DeviceKind::keyboard, DeviceKind::mousePad}) {
    SCOPED_TRACE(static_cast<int>(kind));
    const Record r = working(kind);
    EXPECT_TRUE(std::equal(ms.begin() + 1, ms.begin() + 9, r.begin() + 1));
    EXPECT_FALSE(window->liveLighting().isChanged(kind)) << "sent with the next push only";
    EXPECT_TRUE(window->session(kind).lightingSync);
  }
  EXPECT_EQ(working(DeviceKind::keyboard)[0], 0x44) << "only the lighting bytes move";
  EXPECT_EQ(working(DeviceKind::keyboard)[12], 0x55);
  EXPECT_TRUE(window->session(DeviceKind::mouse).lightingSync);
  EXPECT_EQ(config->sharedBlock.get(), sharedBlockOf(ms));

  // The mouse's next push ends its part; the others stay synced until theirs.
  drag("ms_deng_light_slider", 3);
  ASSERT_TRUE(pumpUntil([&] { return !window->session(DeviceKind::mouse).lightingSync; }));
  EXPECT_TRUE(window->session(DeviceKind::keyboard).lightingSync);
  EXPECT_TRUE(window->session(DeviceKind::mousePad).lightingSync);
  window->liveLighting().markChanged(DeviceKind::keyboard);
  ASSERT_TRUE(pumpUntil([&] { return !window->session(DeviceKind::keyboard).lightingSync; }));
  EXPECT_EQ(keyboard->liveRecord()[kLightMode], ms[kLightMode]);
  EXPECT_TRUE(window->session(DeviceKind::mousePad).lightingSync);
}

TEST_F(MsDengPageTest, AnotherDevicesSameModeReachesTheMousePageAndFile) {
  startWithMouse();
  Record pad = working(DeviceKind::mousePad);
  pad[kLightMode] = 1;
  pad[kBrightness] = 5;
  pad[kSpeed] = 2;
  pad[kDirection] = 0;
  pad[kRed] = 1;
  pad[kGreen] = 2;
  pad[kBlue] = 3;
  window->liveLighting().set(DeviceKind::mousePad, pad, false);
  // The pad page's button, as the pad page would raise it.
  ui::Button padButton;
  padButton.setName("mp_deng_same_mode");
  page->notify(ui::Notification{"click", &padButton});

  EXPECT_EQ(working()[kLightMode], 1);
  EXPECT_EQ(combo()->currentIndex(), 1);
  EXPECT_FALSE(enabled("ms_deng_color_layout"));
  EXPECT_EQ(window->findControl<ui::Slider>("ms_deng_speed_slider")->value(), 12);
  EXPECT_TRUE(check("ms_Deng_FXR_check")->isChecked());
  EXPECT_EQ(control("ms_Deng_edit_B")->text(), "3");
  EXPECT_EQ(savedRecord()[kBrightness], 5);
  EXPECT_FALSE(window->liveLighting().isChanged(DeviceKind::mouse));
}

// Light 18 (the wheel) and its middle in the page's picture panel: the mouse
// picture lies at (20, 39) and the wheel light's middle at (100, 63) in it.
constexpr int kWheelLight = 18;
constexpr ui::Point kWheelMiddle{120, 102};

TEST_F(MsDengPageTest, ThePreviewTintsTheLightsInTheStoredColour) {
  startWithMouse();
  ui::Control* light = control("ms_dkey_" + std::to_string(kWheelLight));
  const ui::Color stored = 0xFF0AC81E;
  ASSERT_TRUE(pumpUntil([&] { return light->changerColor() == stored; }));
  EXPECT_EQ(light->changerAlpha(), 255) << "brightness 14";
  for (int n = 0; n < 20; ++n)
    EXPECT_EQ(control("ms_dkey_" + std::to_string(n))->changerColor(), stored) << n;

  const ui::Image image = ui::renderToImage(*control("ms_deng_picture"), 240, 418);
  const ui::Color pixel = image.at(kWheelMiddle.x, kWheelMiddle.y);
  EXPECT_NEAR(ui::redOf(pixel), kStoredRed, 2);
  EXPECT_NEAR(ui::greenOf(pixel), kStoredGreen, 2);
  EXPECT_NEAR(ui::blueOf(pixel), kStoredBlue, 2);
}

TEST_F(MsDengPageTest, WithTheMouseOfflineThePreviewStandsStill) {
  start();
  // The picture in sight, so only the missing mouse holds the preview.
  window->show();
  window->findControl<ui::Option>("ms_tab")->setSelected(true);
  window->findControl<ui::Option>("ms_page_deng")->setSelected(true);
  Record r = working();
  r[kLightMode] = 1;  // spectrum cycle: every frame a new colour
  r[kBrightness] = 14;
  window->liveLighting().set(DeviceKind::mouse, r, false);
  ui::Control* light = control("ms_dkey_0");
  light->setChangerColor(0xFF123456);
  light->setChangerAlpha(77);
  pumpFor(300ms);
  EXPECT_EQ(light->changerColor(), 0xFF123456u);
  EXPECT_EQ(light->changerAlpha(), 77);
  // The same preview moves once the mouse is there.
  bus.plug(mouse);
  EXPECT_TRUE(pumpUntil([&] { return light->changerColor() != 0xFF123456u; }));
}

// The preview moves only while its picture can be seen: the window shown, not
// minimised, the lighting page in front.
TEST_F(MsDengPageTest, ThePreviewRestsWhileItsPictureCannotBeSeen) {
  startWithMouse();
  Record r = working();
  r[kLightMode] = 1;  // spectrum cycle: every frame a new colour
  r[kSpeed] = 0;
  window->liveLighting().set(DeviceKind::mouse, r, false);
  ui::Control* light = control("ms_dkey_0");
  const auto moves = [&] {
    const ui::Color before = light->changerColor();
    return pumpUntil([&] { return light->changerColor() != before; }, 1s);
  };
  const auto standsStill = [&] {
    pumpFor(60ms);  // a frame handed on before the rest is applied
    const ui::Color before = light->changerColor();
    pumpFor(300ms);
    return light->changerColor() == before;
  };
  ASSERT_TRUE(moves()) << "lighting page in front";
  window->findControl<ui::Option>("ms_page_dpi")->setSelected(true);
  EXPECT_TRUE(standsStill()) << "another page in front";
  window->findControl<ui::Option>("ms_page_deng")->setSelected(true);
  EXPECT_TRUE(moves()) << "back in front";
  window->minimize();
  EXPECT_TRUE(standsStill()) << "minimised";
  window->restore();
  EXPECT_TRUE(moves()) << "restored";
  window->hide();
  EXPECT_TRUE(standsStill()) << "hidden";
  window->show();
  EXPECT_TRUE(moves()) << "shown again";
}

TEST_F(MsDengPageTest, AfterSameModeTheSharedPreviewPaintsTheMouseUntilItsNextPush) {
  bus.plug(keyboard);
  startWithMouse();
  ASSERT_TRUE(pumpUntil([&] { return control("ms_deng_same_mode")->isVisible(); }));
  click("ms_deng_same_mode");
  // The mouse's own record changes without a push: the shared block still
  // paints the copied colour.
  Record r = working();
  r[kRed] = 250;
  r[kGreen] = 0;
  r[kBlue] = 0;
  window->liveLighting().set(DeviceKind::mouse, r, false);
  ui::Control* light = control("ms_dkey_5");
  light->setChangerColor(0);
  ASSERT_TRUE(pumpUntil([&] { return light->changerColor() == 0xFF0AC81Eu; }));
  pumpFor(100ms);
  EXPECT_EQ(light->changerColor(), 0xFF0AC81Eu);
  // Once the mouse is sent its record, its own preview shows it again.
  window->liveLighting().markChanged(DeviceKind::mouse);
  EXPECT_TRUE(pumpUntil([&] { return light->changerColor() == 0xFFFA0000u; }));
}

}  // namespace
}  // namespace varnacle::mouse
