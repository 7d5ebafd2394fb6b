// The DPI and motion page in the real main window: offscreen, the real skin,
// a virtual mouse on a private bus, a temporary Documents folder, and
// recorders in place of the desktop's pointer settings (or the desktop's own,
// with a settings tool that hangs).
#include "mouse/ms_dpi_page.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "../app/main_window_harness.h"
#include "app/main_wnd.h"
#include "device/hid_sim.h"
#include "lighting_profile_list.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_settings_record.h"
#include "mouse/preset_colors.h"
#include "platform/debug_output.h"
#include "platform/event.h"
#include "platform/folders.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"
#include "sim/virtual_device.h"
#include "ui/application.h"
#include "ui/qt/native.h"

namespace varnacle::mouse {
namespace {

using namespace std::chrono_literals;

constexpr uint8_t kWriteLive = 0x06;
constexpr uint8_t kResetDefaults = 0x0D;
constexpr int kDpiMaximum = 60;

// DPI stage positions the virtual mouse holds per on-board profile. Profile
// 0 shows both sides of the step change at position 49.
constexpr std::array<std::array<uint8_t, 6>, 5> kStages = {{
    {10, 20, 30, 48, 49, 50},
    {1, 2, 3, 4, 5, 6},
    {11, 12, 13, 14, 15, 16},
    {21, 22, 23, 24, 25, 26},
    {31, 32, 33, 34, 35, 36},
}};

// What the page handed the desktop.
struct AppliedValues {
  std::mutex mutex;
  std::vector<int> speeds;
  std::vector<int> lines;

  platform::PointerApplier applier() {
    return {[this](int v) {
              std::lock_guard lock(mutex);
              speeds.push_back(v);
            },
            [this](int v) {
              std::lock_guard lock(mutex);
              lines.push_back(v);
            }};
  }
};

// A desktop settings tool ("gsettings", first on PATH) that records each call
// and then hangs until the test releases it, or until `giveUpAfter` has passed
// (so that a window waiting for it fails its test instead of hanging it).
class HungSettingsTool {
 public:
  explicit HungSettingsTool(std::chrono::milliseconds giveUpAfter) {
    std::filesystem::create_directories(dir_ / "bin");
    EXPECT_EQ(::mkfifo(gate_.c_str(), 0600), 0);
    // Held open for reading and writing: the tool's read then waits for a
    // line instead of for a writer.
    gateFd_ = ::open(gate_.c_str(), O_RDWR | O_CLOEXEC);
    EXPECT_GE(gateFd_, 0);
    const std::filesystem::path tool = dir_ / "bin" / "gsettings";
    std::ofstream(tool) << "#!/bin/sh\necho \"$@\" >> '" << log_.string() << "'\nread line < '"
                        << gate_.string() << "'\n";
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    ::setenv("PATH", (dir_ / "bin").c_str(), 1);
    giveUp_ = std::thread([this, giveUpAfter] {
      released_.wait(giveUpAfter);
      openGate();
    });
  }
  ~HungSettingsTool() {
    release();
    giveUp_.join();
    ::close(gateFd_);
    ::setenv("PATH", savedPath_.c_str(), 1);
    std::filesystem::remove_all(dir_);
  }

  // Every call, waiting or to come, goes through.
  void release() { released_.set(); }
  std::string calls() const {
    std::ifstream in(log_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  void openGate() {
    const std::string lines(64, '\n');
    EXPECT_EQ(::write(gateFd_, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  }

  std::filesystem::path dir_ =
      std::filesystem::temp_directory_path() / ("varnacle-hung-tool-" + std::to_string(::getpid()));
  std::filesystem::path gate_ = dir_ / "gate";
  std::filesystem::path log_ = dir_ / "calls.txt";
  std::string savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
  int gateFd_ = -1;
  platform::Event released_;
  std::thread giveUp_;
};

// What the hung tool is asked for pointer speed 8 and 20.
constexpr std::string_view kSpeed8 = "set org.gnome.desktop.peripherals.mouse speed -0.20\n";
constexpr std::string_view kSpeed20 = "set org.gnome.desktop.peripherals.mouse speed 1.00\n";

struct MsDpiPageTest : app::test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> mouse =
      std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  AppliedValues applied;
  std::unique_ptr<MouseConfig> config;
  MsDpiPage* page = nullptr;

  void SetUp() override {
    MainWindowHarness::SetUp();
    test::setUpOneMouseLightingProfile();

    auto info = mouse->infoBlock();
    info[sim::kInfoDpiMaximumByte] = kDpiMaximum;
    mouse->setInfoBlock(info);
    auto memory = mouse->memory();
    for (std::size_t p = 0; p < kStages.size(); ++p) {
      uint8_t* r = memory.settings.data() + 64 * p;
      for (std::size_t s = 0; s < 6; ++s) r[kDpiStageBytes[s]] = kStages[p][s];
      r[kDpiRed] = 0x12;
      r[kDpiGreen] = 0x34;
      r[kDpiBlue] = static_cast<uint8_t>(0x50 + p);
      r[kReportRate] = 2;
      r[kActiveStage] = 2;
      r[kLiftHeight] = 1;
    }
    memory.settings[64 * 1 + kActiveStage] = 9;  // not a stage: shown as stage 1
    memory.activeProfile = 0;
    ASSERT_TRUE(mouse->setMemory(memory));
  }

  void TearDown() override {
    MainWindowHarness::TearDown();
    config.reset();
  }

  // Plugs the mouse in, starts the main window with the page and waits until
  // the page shows the mouse's profile 0. The page tells the recorders, or
  // with `desktop` the desktop itself.
  void start(bool desktop = false) {
    bus.plug(mouse);
    window = std::make_unique<app::CMainWnd>(*backend, app::test::fastTiming());
    config = std::make_unique<MouseConfig>(window->liveLighting());
    auto p = std::make_unique<MsDpiPage>(window->pageContext(), *config,
                                         desktop ? platform::PointerApplier{} : applied.applier());
    page = p.get();
    window->addPage(std::move(p));
    ASSERT_TRUE(window->create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize));
    ASSERT_TRUE(pumpUntil([&] { return slider("ms_DPI1_slider")->value() == kStages[0][0]; }));
    window->findControl<ui::Option>("ms_page_dpi")->setSelected(true);
    pumpFor(20ms);
  }

  ui::Control* control(std::string_view name) {
    ui::Control* c = window->findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  ui::Slider* slider(std::string_view name) { return window->findControl<ui::Slider>(name); }
  std::string text(std::string_view name) { return control(name)->text(); }
  QWidget* widget(std::string_view name) { return ui::widgetOf(*control(name)); }

  // The user drags a slider to `position` and lets it go.
  void drag(std::string_view name, int position) {
    auto* s = qobject_cast<QSlider*>(widget(name));
    ASSERT_NE(s, nullptr) << name;
    s->setSliderDown(true);
    s->setSliderPosition(position);
    s->setSliderDown(false);
  }
  // The user replaces the text of an edit by typing.
  void type(std::string_view name, const char* text) {
    auto* e = qobject_cast<QLineEdit*>(widget(name));
    ASSERT_NE(e, nullptr) << name;
    e->clear();
    QTest::keyClicks(e, text);
  }
  void click(std::string_view name) {
    auto* b = window->findControl<ui::Button>(name);
    ASSERT_NE(b, nullptr) << name;
    b->activate();
  }

  device::LiveLighting::Record working() {
    return window->liveLighting().snapshot(DeviceKind::mouse);
  }
  std::vector<sim::LoggedRequest> liveWrites() {
    std::vector<sim::LoggedRequest> writes;
    for (const auto& r : mouse->requestLog())
      if (r.command == kWriteLive) writes.push_back(r);
    return writes;
  }
  // The record in the selected mouse lighting profile file.
  std::array<uint8_t, 64> savedRecord() {
    const profile::ProfileRegistry registry(profile::ProfileListKind::mouseLighting);
    std::array<uint8_t, 64> payload{};
    EXPECT_EQ(
        profile::ReadProfileFile(registry.profilePath(registry.name(registry.select())), payload),
        profile::kProfileFileRead);
    return payload;
  }
  int requests(uint8_t command) {
    int n = 0;
    for (const auto& r : mouse->requestLog()) n += r.command == command;
    return n;
  }

  // The mouse's profile 0 gets DPI stage 1 at `position`, and a read of the
  // whole mouse lands right after the next access of the working record on
  // this (the UI) thread: between the two steps of an edit made of a copy and
  // a write-back, as a read by the presence thread may.
  void landReadOnNextAccess(uint8_t position) {
    auto memory = mouse->memory();
    memory.settings[kDpiStageBytes[0]] = position;
    ASSERT_TRUE(mouse->setMemory(memory));
    window->liveLighting().setAccessHook([this, ui = std::this_thread::get_id()](DeviceKind kind) {
      if (kind != DeviceKind::mouse || std::this_thread::get_id() != ui ||
          readLanded.exchange(true))
        return;
      config->readAll(window->session(DeviceKind::mouse));
    });
  }
  // What was read stays in the working record and the profile file, and the
  // next push carries it.
  void expectReadKept(int position) {
    window->liveLighting().setAccessHook({});
    ASSERT_TRUE(readLanded);
    EXPECT_EQ(int{working()[kDpiStageBytes[0]]}, position);
    EXPECT_EQ(int{savedRecord()[kDpiStageBytes[0]]}, position);
    drag("ms_sensor_height_slider", 2);
    ASSERT_TRUE(pumpUntil(
        [&] {
          const auto live = mouse->liveRecord();
          return live.size() > kLiftHeight && live[kLiftHeight] == 2;
        },
        2s));
    EXPECT_EQ(int{mouse->liveRecord()[kDpiStageBytes[0]]}, position);
  }

  std::atomic<bool> readLanded{false};
};

TEST_F(MsDpiPageTest, PluggingInShowsTheMousesStagesColoursAndRatesWithoutSendingAnything) {
  start();
  for (int s = 0; s < 6; ++s) {
    auto* stage = slider("ms_DPI" + std::to_string(s + 1) + "_slider");
    EXPECT_EQ(stage->value(), kStages[0][static_cast<std::size_t>(s)]);
    EXPECT_EQ(stage->minValue(), 0);
    EXPECT_EQ(stage->maxValue(), kDpiMaximum);
  }
  EXPECT_EQ(text("ms_DPI1_label_value"), "1200");
  EXPECT_EQ(text("ms_DPI4_label_value"), "5000");
  EXPECT_EQ(text("ms_DPI5_label_value"), "5200");
  EXPECT_EQ(text("ms_DPI6_label_value"), "5400");
  for (int s = 1; s <= 6; ++s) {
    const ui::Color expected = s == 3 ? kActiveStageColor : kStageColor;
    EXPECT_EQ(control("ms_DPI" + std::to_string(s) + "_label_rank")->textColor(), expected) << s;
    EXPECT_EQ(control("ms_DPI" + std::to_string(s) + "_label_value")->textColor(), expected) << s;
  }
  EXPECT_EQ(text("ms_DPI_edit_R"), "18");
  EXPECT_EQ(text("ms_DPI_edit_G"), "52");
  EXPECT_EQ(text("ms_DPI_edit_B"), "80");
  EXPECT_EQ(control("ms_DPI_colordp_btn")->bkColor(), 0xFF123450u);
  EXPECT_EQ(window->findControl<ui::ColorPalette>("Pallet")->selectColor(), 0xFF123450u);
  EXPECT_EQ(window->findControl<ui::Combo>("ms_report_fct_combo")->currentIndex(), 2);
  EXPECT_EQ(slider("ms_sensor_height_slider")->value(), 1);

  mouse->clearLog();
  pumpFor(1300ms);
  EXPECT_TRUE(liveWrites().empty()) << "showing what was read is no edit";
}

TEST_F(MsDpiPageTest, ADraggedStageFollowsOnItsLabelAndReachesTheMouseWithinASecond) {
  start();
  auto* s = qobject_cast<QSlider*>(widget("ms_DPI6_slider"));
  ASSERT_NE(s, nullptr);
  s->setSliderDown(true);
  s->setSliderPosition(49);
  EXPECT_EQ(text("ms_DPI6_label_value"), "5200") << "the label follows the drag";
  EXPECT_EQ(working()[kDpiStageBytes[5]], 50) << "the record waits for the release";
  s->setSliderPosition(12);
  s->setSliderDown(false);
  EXPECT_EQ(text("ms_DPI6_label_value"), "1400");
  EXPECT_EQ(working()[kDpiStageBytes[5]], 12);
  EXPECT_EQ(savedRecord()[kDpiStageBytes[5]], 12) << "every edit saves the lighting profile file";

  drag("ms_sensor_height_slider", 2);
  ASSERT_TRUE(pumpUntil(
      [&] {
        const auto live = mouse->liveRecord();
        return live.size() > kLiftHeight && live[kDpiStageBytes[5]] == 12 && live[kLiftHeight] == 2;
      },
      2s));
}

TEST_F(MsDpiPageTest, TenEditsWithinASecondReachTheMouseAsOneLiveWriteWithTheLastValues) {
  start();
  pumpFor(100ms);
  mouse->clearLog();
  auto* s = qobject_cast<QSlider*>(widget("ms_DPI2_slider"));
  ASSERT_NE(s, nullptr);
  for (int i = 0; i < 10; ++i) s->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(working()[kDpiStageBytes[1]], kStages[0][1] + 10);
  ASSERT_TRUE(pumpUntil([&] { return !liveWrites().empty(); }, 2s));
  pumpFor(1200ms);
  const auto writes = liveWrites();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].length, 56);
  EXPECT_EQ(writes[0].data[kDpiStageBytes[1]], kStages[0][1] + 10);
  EXPECT_EQ(writes[0].data[kDpiStageBytes[0]], kStages[0][0]);
}

TEST_F(MsDpiPageTest, OnBoardProfilesSwitchFromThePageAndFollowTheMousesButton) {
  start();
  mouse->clearLog();
  click("ms_profile_0");
  pumpFor(50ms);
  EXPECT_EQ(requests(kWriteLive), 0) << "the active profile is not switched again";

  click("ms_profile_1");
  EXPECT_EQ(mouse->activeProfile(), 1);
  EXPECT_EQ(slider("ms_DPI1_slider")->value(), kStages[1][0]);
  EXPECT_EQ(control("ms_profile_1")->bkColor(), 0xFF0199CBu);
  EXPECT_NE(control("ms_profile_0")->bkColor(), 0xFF0199CBu);
  EXPECT_EQ(control("ms_DPI1_label_rank")->textColor(), kActiveStageColor)
      << "an active stage outside 0-5 shows stage 1";
  EXPECT_EQ(working()[kProfileByte], 1);
  EXPECT_EQ(text("ms_DPI_edit_B"), std::to_string(0x51));

  // The mouse's own button: the page follows once the listener hears it.
  ASSERT_TRUE(pumpUntil([&] {
    mouse->pressProfileButton();
    pumpFor(150ms);
    const int active = mouse->activeProfile();
    return active != 1 &&
           slider("ms_DPI1_slider")->value() == kStages[static_cast<std::size_t>(active)][0];
  }));
  EXPECT_EQ(working()[kProfileByte], mouse->activeProfile());
}

TEST_F(MsDpiPageTest, WheelLinesStayWithinOneToTenAndReachTheDesktop) {
  start();
  auto* edit = window->findControl<ui::Edit>("ms_gunlun_speed_edit");
  ASSERT_NE(edit, nullptr);
  // The worker hands the desktop only the latest value: each step is waited
  // for, so every one of them is seen.
  edit->setText("10");
  click("ms_gunlun_speed_up_btn");
  ASSERT_TRUE(page->finishPointerWork());
  EXPECT_EQ(edit->text(), "10");
  edit->setText("1");
  click("ms_gunlun_speed_down_btn");
  ASSERT_TRUE(page->finishPointerWork());
  EXPECT_EQ(edit->text(), "1");
  edit->setText("");
  click("ms_gunlun_speed_up_btn");
  ASSERT_TRUE(page->finishPointerWork());
  EXPECT_EQ(edit->text(), "2");
  EXPECT_EQ(working()[kWheelLines], 2);
  edit->setText("7");
  click("ms_gunlun_speed_down_btn");
  ASSERT_TRUE(page->finishPointerWork());
  EXPECT_EQ(edit->text(), "6");
  EXPECT_EQ(working()[kWheelLines], 6);
  EXPECT_EQ(savedRecord()[kWheelLines], 6) << "the file keeps what the mouse is never sent";
  std::lock_guard lock(applied.mutex);
  EXPECT_EQ(applied.lines, (std::vector<int>{10, 1, 2, 6}));
}

TEST_F(MsDpiPageTest, PointerSpeedIsTwiceThePositionPlusOneAndNeverSentToTheMouse) {
  start();
  pumpFor(100ms);
  mouse->clearLog();
  drag("ms_point_speed_slider", 9);
  page->finishPointerWork();
  EXPECT_EQ(working()[kPointerSpeed], 20);
  drag("ms_point_speed_slider", 0);
  page->finishPointerWork();
  EXPECT_EQ(working()[kPointerSpeed], 2);
  {
    std::lock_guard lock(applied.mutex);
    EXPECT_EQ(applied.speeds, (std::vector<int>{20, 2}));
  }
  pumpFor(1200ms);
  EXPECT_TRUE(liveWrites().empty()) << "the desktop's setting is no news for the mouse";
}

TEST_F(MsDpiPageTest, TypedColourComponentsAreCappedAtTwoHundredFiftyFive) {
  start();
  type("ms_DPI_edit_G", "999");
  EXPECT_EQ(text("ms_DPI_edit_G"), "255");
  EXPECT_EQ(working()[kDpiGreen], 255);
  EXPECT_EQ(control("ms_DPI_colordp_btn")->bkColor(), 0xFF12FF50u);
  EXPECT_EQ(window->findControl<ui::ColorPalette>("Pallet")->selectColor(), 0xFF12FF50u);
  EXPECT_TRUE(window->liveLighting().isChanged(DeviceKind::mouse));
  ASSERT_TRUE(pumpUntil(
      [&] {
        const auto live = mouse->liveRecord();
        return live.size() > kDpiGreen && live[kDpiGreen] == 255;
      },
      2s));
}

TEST_F(MsDpiPageTest, APresetColourFillsTheEditsPreviewAndRecord) {
  start();
  click("ms_DPI_color_btn_16");
  const ui::Color preset = PresetColors[16];
  EXPECT_EQ(text("ms_DPI_edit_R"), std::to_string(ui::redOf(preset)));
  EXPECT_EQ(text("ms_DPI_edit_G"), std::to_string(ui::greenOf(preset)));
  EXPECT_EQ(text("ms_DPI_edit_B"), std::to_string(ui::blueOf(preset)));
  EXPECT_EQ(control("ms_DPI_colordp_btn")->bkColor(), preset);
  const auto r = working();
  EXPECT_EQ(ui::argb(0xFF, r[kDpiRed], r[kDpiGreen], r[kDpiBlue]), preset);
}

TEST_F(MsDpiPageTest, ResetGivesTheDesktopItsDefaultsAndAsksTheMouseOnce) {
  start();
  drag("ms_point_speed_slider", 9);
  mouse->clearLog();
  click("ms_one_profile_default");
  page->finishPointerWork();
  EXPECT_EQ(slider("ms_point_speed_slider")->value(), 5);
  EXPECT_EQ(text("ms_gunlun_speed_edit"), "3");
  EXPECT_EQ(working()[kPointerSpeed], 10);
  EXPECT_EQ(working()[kWheelLines], 3);
  {
    std::lock_guard lock(applied.mutex);
    EXPECT_EQ(applied.speeds.back(), 10);
    EXPECT_EQ(applied.lines.back(), 3);
  }
  EXPECT_EQ(requests(kResetDefaults), 1);
}

TEST_F(MsDpiPageTest, AMouseReadLandingWhileThePointerSpeedIsStoredIsNotUndone) {
  start();
  landReadOnNextAccess(44);
  drag("ms_point_speed_slider", 9);
  EXPECT_EQ(working()[kPointerSpeed], 20);
  EXPECT_EQ(savedRecord()[kPointerSpeed], 20);
  expectReadKept(44);
}

TEST_F(MsDpiPageTest, AMouseReadLandingWhileTheResetStoresTheDesktopValuesIsNotUndone) {
  start();
  drag("ms_point_speed_slider", 9);
  landReadOnNextAccess(45);
  click("ms_one_profile_default");
  EXPECT_EQ(working()[kPointerSpeed], 10);
  EXPECT_EQ(working()[kWheelLines], 3);
  expectReadKept(45);
}

TEST_F(MsDpiPageTest, AHungDesktopSettingsToolNeverHoldsTheWindowAndTheNewestSpeedWins) {
  HungSettingsTool tool(8s);
  start(true);
  drag("ms_point_speed_slider", 3);  // speed 8
  ASSERT_TRUE(pumpUntil([&] { return tool.calls() == kSpeed8; }));
  // The tool now hangs in its first call.
  const auto begin = std::chrono::steady_clock::now();
  drag("ms_point_speed_slider", 5);  // speed 12, overtaken before its turn
  drag("ms_point_speed_slider", 9);  // speed 20
  const auto spent = std::chrono::steady_clock::now() - begin;
  tool.release();
  EXPECT_LT(spent, 1s) << "the UI thread waited for the desktop";
  EXPECT_EQ(working()[kPointerSpeed], 20);
  ASSERT_TRUE(page->finishPointerWork());
  EXPECT_EQ(tool.calls(), std::string(kSpeed8) + std::string(kSpeed20));
}

TEST_F(MsDpiPageTest, ClosingWhileTheDesktopSettingsToolHangsEndsPromptly) {
  HungSettingsTool tool(8s);
  platform::DebugCapture debug;
  start(true);
  drag("ms_point_speed_slider", 3);
  ASSERT_TRUE(pumpUntil([&] { return tool.calls() == kSpeed8; }));
  const auto begin = std::chrono::steady_clock::now();
  window->destroy();
  window.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 4s);
  EXPECT_EQ(
      debug.count("pointer settings: the desktop has not answered; its worker ends on its own"), 1);
}

}  // namespace
}  // namespace varnacle::mouse
