// The fire-key page in the real main window: offscreen, the real skin, a
// virtual mouse on a private bus that holds the factory sequences, a
// temporary Documents folder (and working folder), scripted message boxes and
// the user's clicks and typing through the toolkit's widgets.
#include "mouse/ms_cursor_page.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "../app/main_window_harness.h"
#include "app/cursor_path_view.h"
#include "app/main_wnd.h"
#include "lighting_profile_list.h"
#include "macro/action_file.h"
#include "macro/macro_action.h"
#include "macro/macro_store.h"
#include "mouse/cursor_image.h"
#include "mouse/cursor_sequences.h"
#include "mouse/fire_key_bullets.h"
#include "mouse/mouse_config.h"
#include "mouse/ms_dpi_page.h"
#include "profile/ini_store.h"
#include "profile/paths.h"
#include "sim/virtual_device.h"
#include "ui/modal_responder.h"
#include "ui/qt/native.h"

namespace varnacle::mouse {
namespace {

using namespace std::chrono_literals;

constexpr uint8_t kWriteCursorTable = 0x17;

struct MsCursorPageTest : app::test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> mouse =
      std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  std::unique_ptr<MouseConfig> config;
  MsCursorPage* page = nullptr;
  std::vector<std::string> boxes;
  std::unique_ptr<ui::ScopedModalResponder> responder;

  std::filesystem::path workingFolder = std::filesystem::current_path();

  void SetUp() override {
    MainWindowHarness::SetUp();
    std::filesystem::current_path(root());
    test::setUpOneMouseLightingProfile();
    // The mouse holds what the factory files hold, so its read-back on
    // arrival gives the files back as they were.
    macro::MacroStore(DeviceKind::mouse).ensureCursorSections();
    giveMouseImage(*buildCursorImageFromFiles());
    factory = allFiles();
    responder =
        std::make_unique<ui::ScopedModalResponder>([this](ui::Window& w) -> std::optional<int> {
          if (auto* text = w.findControl("MessageText")) boxes.push_back(text->rawText());
          return 1;
        });
  }

  void TearDown() override {
    // The working folder comes back before the temporary folder goes.
    std::filesystem::current_path(workingFolder);
    MainWindowHarness::TearDown();
    config.reset();
    responder.reset();
  }

  void giveMouseImage(const std::vector<uint8_t>& image) {
    auto memory = mouse->memory();
    std::fill(memory.cursor.begin(), memory.cursor.end(), 0);
    std::copy(image.begin(), image.end(), memory.cursor.begin());
    ASSERT_TRUE(mouse->setMemory(memory));
  }

  void start() {
    bus.plug(mouse);
    window = std::make_unique<app::CMainWnd>(*backend, app::test::fastTiming());
    config = std::make_unique<MouseConfig>(window->liveLighting());
    window->addPage(std::make_unique<MsDpiPage>(window->pageContext(), *config,
                                                platform::PointerApplier{[](int) {}, [](int) {}}));
    auto p = std::make_unique<MsCursorPage>(window->pageContext(), *config);
    page = p.get();
    window->addPage(std::move(p));
    ASSERT_TRUE(window->create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize));
    ASSERT_TRUE(pumpUntil([&] { return window->findControl("ms_tab")->isVisible(); }));
    window->findControl<ui::Option>("ms_page_cursor")->setSelected(true);
    pumpFor(20ms);
  }

  // Unplugs the mouse, runs `whileAway`, plugs it in again and waits until
  // its pages are back.
  template <typename Away>
  void replug(Away&& whileAway) {
    bus.unplug(*mouse);
    ASSERT_TRUE(pumpUntil([&] { return !window->findControl("ms_tab")->isVisible(); }));
    whileAway();
    bus.plug(mouse);
    ASSERT_TRUE(pumpUntil([&] { return window->findControl("ms_tab")->isVisible(); }));
    pumpFor(20ms);
  }

  ui::Control* control(std::string_view name) {
    ui::Control* c = window->findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  std::string text(std::string_view name) { return control(name)->rawText(); }
  bool selected(std::string_view name) {
    auto* option = window->findControl<ui::Option>(name);
    return option && option->isSelected();
  }
  // The user's gestures, through the toolkit's widgets.
  void click(std::string_view name) {
    QWidget* w = ui::widgetOf(*control(name));
    ASSERT_NE(w, nullptr) << name;
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
  }
  void type(std::string_view name, const char* typed) {
    auto* edit = qobject_cast<QLineEdit*>(ui::widgetOf(*control(name)));
    ASSERT_NE(edit, nullptr) << name;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, typed);
  }
  void bullet(int b) { click("ms_bullet_op_" + std::to_string(b)); }

  std::filesystem::path cur(int sequence) const {
    return profile::DeviceFolder(DeviceKind::mouse) /
           ("name_" + std::to_string(sequence + 1) + ".cur");
  }
  std::vector<std::string> allFiles() const {
    std::vector<std::string> bytes;
    for (int i = 0; i < 4; ++i) bytes.push_back(readBytes(cur(i)));
    return bytes;
  }
  macro::MacroAction line(int sequence, int index) {
    const auto lines = macro::readActionLines(cur(sequence));
    EXPECT_LT(static_cast<size_t>(index), lines.size());
    if (static_cast<size_t>(index) >= lines.size()) return {};
    return macro::parseMacroAction(lines[static_cast<size_t>(index)])
        .value_or(macro::MacroAction{});
  }
  int requests(uint8_t command) const {
    const auto log = mouse->requestLog();
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const auto& r) { return r.command == command; }));
  }

  std::vector<std::string> factory;
};

TEST_F(MsCursorPageTest, ABulletIsShownAndSavedWithItsLimitsAndTheOtherLinesCarried) {
  start();
  EXPECT_TRUE(selected("ms_gun_op_0"));
  EXPECT_TRUE(selected("ms_bullet_op_0"));
  EXPECT_TRUE(control("cursor_edit_layout")->isEnabled());
  EXPECT_EQ(text("bullet_select_index"), "1");
  // Factory sequence 1, bullet 1: 100 ms, no sideways pull, 3 down.
  EXPECT_EQ(text("ms_cursor_delay_eidt"), "100");
  EXPECT_EQ(text("ms_cursor_x_eidt"), "0");
  EXPECT_EQ(text("ms_cursor_y_eidt"), "3");
  EXPECT_EQ(text("ms_cursor_x_check"), "mouse_move_to_right_text");
  EXPECT_EQ(text("ms_cursor_y_check"), "mouse_move_to_down_text");

  bullet(4);
  const std::vector<std::string> before = macro::readActionLines(cur(0));
  type("ms_cursor_delay_eidt", "1234");
  EXPECT_EQ(line(0, 27).delayLow, 123);
  EXPECT_EQ(line(0, 27).delayHigh, 0);
  type("ms_cursor_delay_eidt", "65535");
  EXPECT_EQ(line(0, 27).delayLow, 153);
  EXPECT_EQ(line(0, 27).delayHigh, 25);
  type("ms_cursor_delay_eidt", "99999");
  EXPECT_EQ(text("ms_cursor_delay_eidt"), "65535") << "the limit is written back";
  type("ms_cursor_delay_eidt", "1234");
  type("ms_cursor_x_eidt", "300");
  EXPECT_EQ(text("ms_cursor_x_eidt"), "255");

  click("ms_cursor_x_check");
  EXPECT_EQ(line(0, 28), (macro::MacroAction{0, 0, 0x84, 255, 1, "mouse_move_to_left_text"}));
  EXPECT_EQ(text("ms_cursor_x_check"), "mouse_move_to_left_text");
  click("ms_cursor_x_check");
  EXPECT_EQ(line(0, 28), (macro::MacroAction{0, 0, 0x04, 255, 0, "mouse_move_to_right_text"}));
  click("ms_cursor_y_check");
  EXPECT_EQ(line(0, 29), (macro::MacroAction{0, 0, 0x85, 3, 1, "mouse_move_to_up_text"}));
  EXPECT_EQ(text("ms_cursor_y_check"), "mouse_move_to_up_text");

  // Only lines 27 to 29 changed; the pause line kept its other fields.
  const std::vector<std::string> after = macro::readActionLines(cur(0));
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    if (i >= 27 && i <= 29) continue;
    EXPECT_EQ(after[i], before[i]) << i;
  }
  const auto oldPause = macro::parseMacroAction(before[27]);
  ASSERT_TRUE(oldPause);
  EXPECT_EQ(line(0, 27).kind, oldPause->kind);
  EXPECT_EQ(line(0, 27).label, oldPause->label);

  // Shown again: the pause in whole 10 ms units.
  bullet(5);
  bullet(4);
  EXPECT_EQ(text("ms_cursor_delay_eidt"), "1230");
  EXPECT_EQ(text("ms_cursor_x_eidt"), "255");
  EXPECT_FALSE(selected("ms_cursor_x_check"));
  EXPECT_TRUE(selected("ms_cursor_y_check"));
  EXPECT_EQ(readBytes(cur(1)), factory[1]) << "other sequences stay";
}

TEST_F(MsCursorPageTest, BulletsAndSequencesAreChosenAndThePathFollowsTheEdits) {
  start();
  click("bullet_selected_prev");
  EXPECT_EQ(config->fireKeyBullet(), 0) << "nothing before bullet 1";
  click("bullet_selected_next");
  EXPECT_EQ(config->fireKeyBullet(), 1);
  EXPECT_EQ(text("bullet_select_index"), "2");
  EXPECT_TRUE(selected("ms_bullet_op_1"));
  EXPECT_FALSE(selected("ms_bullet_op_0"));
  bullet(29);
  click("bullet_selected_next");
  EXPECT_EQ(config->fireKeyBullet(), 29) << "nothing after bullet 30";
  EXPECT_EQ(text("bullet_select_index"), "30");

  auto* path = window->findControl<app::CCursorPathUI>("ms_cursor_path");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->selectedBullet(), 29);
  // Clicking the selected bullet unselects it; the edits go dark.
  bullet(29);
  EXPECT_FALSE(selected("ms_bullet_op_29"));
  EXPECT_FALSE(control("cursor_edit_layout")->isEnabled());
  EXPECT_EQ(path->selectedBullet(), -1);
  bullet(29);
  EXPECT_TRUE(control("cursor_edit_layout")->isEnabled());

  // Another sequence starts on its bullet 1: factory sequence 3 pauses 120 ms
  // and pulls 4 down, 8 on its last bullet.
  click("ms_gun_op_2");
  EXPECT_EQ(config->fireKeySequence(), 2);
  EXPECT_EQ(config->fireKeyBullet(), 0);
  EXPECT_TRUE(selected("ms_bullet_op_0"));
  EXPECT_FALSE(selected("ms_bullet_op_29"));
  EXPECT_EQ(text("ms_cursor_delay_eidt"), "120");
  EXPECT_EQ(text("ms_cursor_y_eidt"), "4");
  ASSERT_EQ(path->path().size(), 31u);
  EXPECT_EQ(path->path()[1], (ui::Point{0, 4}));
  EXPECT_EQ(path->path()[30].x, 0);

  // The picture draws the edited sequence.
  type("ms_cursor_x_eidt", "20");
  click("ms_cursor_x_check");
  EXPECT_EQ(path->path()[1], (ui::Point{-20, 4}));
  EXPECT_EQ(path->path()[30].x, -20);
  const auto expected = bulletPath(macro::readActionLines(cur(2)));
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(path->path()[i], (ui::Point{expected[i].x, expected[i].y})) << i;
}

TEST_F(MsCursorPageTest, TheSendFitsFourSequencesOf189LinesAndRefusesFourOf190) {
  start();
  const auto fill = [](size_t count) {
    for (int s = 0; s < 4; ++s)
      ASSERT_TRUE(writeSequenceLines(
          s, std::vector<std::string>(count, "1,0,5,2,0,mouse_move_to_down_text")));
  };
  fill(189);
  mouse->clearLog();
  click("ms_bulletdate_save_btn");
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(requests(kWriteCursorTable), (3064 + 55) / 56);
  const auto image = *buildCursorImageFromFiles();
  ASSERT_EQ(image.size(), 3064u);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), mouse->memory().cursor.begin()));
  EXPECT_EQ(readBytes(root() / std::string(kCursorSendDump)),
            std::string(image.begin(), image.end()));
  EXPECT_EQ(mouse->configDepth(), 0);

  fill(190);
  mouse->clearLog();
  click("ms_bulletdate_save_btn");
  EXPECT_EQ(boxes, (std::vector<std::string>{"message_text_7"}));
  EXPECT_TRUE(mouse->requestLog().empty());

  // No sequences listed: nothing is sent and nothing is said.
  profile::writeIniInt(macro::MacroStore(DeviceKind::mouse).listFile(), "CURSORCOUNT", "count", 0);
  click("ms_bulletdate_save_btn");
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(mouse->requestLog().empty());
}

TEST_F(MsCursorPageTest, ResetBringsBackTheFactorySequenceOnItsFirstBullet) {
  start();
  click("ms_gun_op_1");
  type("ms_cursor_delay_eidt", "500");
  bullet(6);
  type("ms_cursor_y_eidt", "40");
  ASSERT_NE(readBytes(cur(1)), factory[1]);
  click("ms_bulletdate_reset_btn");
  EXPECT_EQ(readBytes(cur(1)),
            readBytes(profile::ProgramFolder() / std::filesystem::path("name_2.cur")));
  EXPECT_EQ(config->fireKeyBullet(), 0);
  EXPECT_TRUE(selected("ms_bullet_op_0"));
  EXPECT_EQ(text("ms_cursor_delay_eidt"), "80");
}

TEST_F(MsCursorPageTest, SentSequencesComeBackByteForByteWhenTheMouseIsPluggedInAgain) {
  start();
  type("ms_cursor_x_eidt", "7");
  click("ms_cursor_x_check");
  click("ms_gun_op_3");
  bullet(12);
  type("ms_cursor_delay_eidt", "2560");
  type("ms_cursor_y_eidt", "31");
  click("ms_cursor_y_check");
  click("ms_bulletdate_save_btn");
  const std::vector<std::string> sent = allFiles();
  ASSERT_NE(sent, factory);

  replug([&] {
    // Meanwhile the files change on this side.
    for (int s = 0; s < 4; ++s) ASSERT_TRUE(resetSequenceFile(s));
    ASSERT_EQ(allFiles(), factory);
  });
  EXPECT_EQ(allFiles(), sent);
  EXPECT_EQ(mouse->configDepth(), 0);
  const auto image = *buildCursorImageFromFiles();
  EXPECT_EQ(readBytes(root() / std::string(kCursorReadDump)),
            std::string(image.begin(), image.end()));
  // The page shows sequence 1 afresh.
  EXPECT_EQ(config->fireKeySequence(), 0);
  EXPECT_TRUE(selected("ms_gun_op_0"));
  EXPECT_FALSE(selected("ms_gun_op_3"));
  EXPECT_EQ(text("ms_cursor_x_eidt"), "7");
  EXPECT_TRUE(selected("ms_cursor_x_check"));
}

TEST_F(MsCursorPageTest, AMouseWithoutTheMagicLeavesTheFilesAsTheyAre) {
  start();
  std::vector<std::string> changed;
  replug([&] {
    auto memory = mouse->memory();
    memory.cursor[0] = 0x00;
    ASSERT_TRUE(mouse->setMemory(memory));
    for (int s = 0; s < 4; ++s)
      ASSERT_TRUE(writeSequenceLines(
          s, std::vector<std::string>{"0,0,4," + std::to_string(s + 1) + ",0,x"}));
    changed = allFiles();
  });
  EXPECT_EQ(allFiles(), changed);
  EXPECT_EQ(mouse->configDepth(), 0) << "the read-back closed its bracket";

  // Sequences whose sizes do not add up are refused as well.
  replug([&] {
    auto image = *buildCursorImage(std::vector<std::vector<macro::MacroAction>>(4));
    image[2] = static_cast<uint8_t>(image[2] + 8);
    image.resize(image.size() + 8, 0);
    giveMouseImage(image);
  });
  EXPECT_EQ(allFiles(), changed);
}

TEST_F(MsCursorPageTest, AMouseThatFallsSilentInTheMiddleOfTheReadBackLeavesEveryFileWhole) {
  // Long sequences on the mouse, so the image takes many chunks.
  giveMouseImage(*buildCursorImage(std::vector<std::vector<macro::MacroAction>>(
      4, std::vector<macro::MacroAction>(150, macro::MacroAction{2, 0, 0x05, 1, 0, ""}))));
  start();
  std::vector<std::string> changed;
  // Where in an arrival the image read starts: after the head's read.
  mouse->clearLog();
  replug([&] {
    for (int s = 0; s < 4; ++s) ASSERT_TRUE(resetSequenceFile(s));
  });
  const auto log = mouse->requestLog();
  std::vector<size_t> cursorReads;
  for (size_t i = 0; i < log.size(); ++i)
    if (log[i].command == 0x16) cursorReads.push_back(i);
  ASSERT_GT(cursorReads.size(), 4u);
  const int imageStart = static_cast<int>(cursorReads[1]);

  replug([&] {
    for (int s = 0; s < 4; ++s) ASSERT_TRUE(resetSequenceFile(s));
    changed = allFiles();
    mouse->clearLog();
    // Three chunks of the image come, then nothing more.
    mouse->injectFault(sim::Fault::silent, imageStart + 3, sim::VirtualDevice::kAlways);
  });
  EXPECT_EQ(allFiles(), changed);
  const auto silent = mouse->requestLog();
  ASSERT_FALSE(silent.empty());
  const auto cursorRequests =
      std::count_if(silent.begin(), silent.end(), [](const auto& r) { return r.command == 0x16; });
  EXPECT_GT(cursorRequests, 4) << "the read-back got into the image before the silence";
  EXPECT_EQ(silent.back().command, 0x02) << "the bracket is closed after the failed read";
}

}  // namespace
}  // namespace varnacle::mouse
