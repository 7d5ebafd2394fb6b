// How the main window stays reachable on the desktops it meets: without a
// tray icon it says at start, and on every second start, that no device is
// there; a device it may not open is said once, with the fix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../device/fake_hidraw.h"
#include "app/main_wnd.h"
#include "app_test_support.h"
#include "device/hid_linux.h"
#include "main_window_harness.h"
#include "pages/page_messages.h"
#include "sim/virtual_device.h"
#include "ui/dispatcher.h"
#include "ui/language.h"
#include "ui/modal_responder.h"
#include "ui/tray.h"

namespace varnacle::app {
namespace {

using namespace std::chrono_literals;
namespace msg = pages::msg;
using device::test_support::FakeMachine;
using device::test_support::kTwoCollections;
using device::test_support::NodeOpenSwitch;
using Boxes = std::vector<std::string>;

struct ReachTest : test::MainWindowHarness {
  Boxes boxes;  // text ids the message box showed, in order
  std::unique_ptr<ui::ScopedModalResponder> responder;

  void SetUp() override {
    MainWindowHarness::SetUp();
    responder = test::recordMessageBoxes(boxes, 0);
  }
  void TearDown() override {
    MainWindowHarness::TearDown();
    responder.reset();
    test::switchLanguage("lan_en.xml");
  }

  void start(device::HidBackend& on) {
    window = std::make_unique<CMainWnd>(on, test::fastTiming());
    ASSERT_TRUE(window->create(nullptr, kMainWindowTitle, {}, kMainWindowSize));
  }
  void start() { start(*backend); }
  // Long enough for every presence thread's first pass and several scans.
  static void settle() { pumpFor(400ms); }
  // What the single-instance listener posts when the program is started again.
  void startAgain() {
    ui::postMessage(window->id(), msg::kWake);
    pumpFor(50ms);
  }
};

// The desktop shows no tray icons (offscreen never does; the harness says it does).
struct NoTrayTest : ReachTest {
  ui::ScopedTrayAvailability noTray{false};
};

TEST_F(NoTrayTest, WithoutADeviceTheStartAndEachStartAgainSayNoDeviceOnce) {
  start();
  ASSERT_TRUE(pumpUntil([&] { return !boxes.empty(); }, 3s)) << "the program runs invisibly";
  settle();
  EXPECT_EQ(boxes, Boxes{"message_text_1"}) << "once, not on every scan";
  EXPECT_FALSE(window->isVisible());

  startAgain();
  startAgain();
  EXPECT_EQ(boxes, (Boxes{"message_text_1", "message_text_1", "message_text_1"}));
  EXPECT_FALSE(window->isVisible());
}

TEST_F(NoTrayTest, WithADeviceTheWindowComesUpWithoutAMessage) {
  auto keyboard = std::make_shared<sim::VirtualDevice>(DeviceKind::keyboard, bus);
  bus.plug(keyboard);
  start();
  ASSERT_TRUE(pumpUntil([&] { return window->isVisible(); }, 3s));
  settle();
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(window->findControl("kb_tab")->isVisible());
}

TEST_F(ReachTest, WithATrayAndNoDeviceTheProgramWaitsBehindTheIcon) {
  start();
  settle();
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(window->isVisible());
}

// The Linux backend on a fake machine whose keyboard, mouse and mouse pad
// nodes exist but refuse the user.
struct DeniedTest : ReachTest {
  FakeMachine machine;
  NodeOpenSwitch access;
  std::unique_ptr<device::HidBackend> hidraw =
      device::makeLinuxBackend(machine.sys(), machine.dev(), {}, access.nodeOpen());

  void plugAllThree() {
    machine.add(1, 0x0C45, 0x0800, kTwoCollections);
    machine.add(2, 0x0C45, 0x662E, kTwoCollections);
    machine.add(3, 0x0C45, 0x5004, kTwoCollections);
  }
};

TEST_F(DeniedTest, DevicesThatMayNotBeOpenedAreSaidOnceWithTheFix) {
  plugAllThree();
  start(*hidraw);
  ASSERT_TRUE(pumpUntil([&] { return !boxes.empty(); }, 3s)) << "looks like no device at all";
  settle();
  EXPECT_EQ(boxes, Boxes{"message_text_19"}) << "one box for three devices and many scans";
  EXPECT_FALSE(window->isVisible());

  // A device plugged in later that refuses too is no news.
  machine.remove(2);
  pumpFor(150ms);
  machine.add(2, 0x0C45, 0x662E, kTwoCollections);
  settle();
  EXPECT_EQ(boxes, Boxes{"message_text_19"});
}

TEST_F(DeniedTest, WithoutATrayThePermissionMessageIsTheOnlyOneAtStart) {
  ui::ScopedTrayAvailability noTray{false};
  machine.add(2, 0x0C45, 0x662E, kTwoCollections);
  start(*hidraw);
  ASSERT_TRUE(pumpUntil([&] { return !boxes.empty(); }, 3s));
  settle();
  EXPECT_EQ(boxes, Boxes{"message_text_19"});

  // Nothing usable is there when asked for the window.
  startAgain();
  EXPECT_EQ(boxes, (Boxes{"message_text_19", "message_text_1"}));
}

TEST(PermissionText, NamesTheRuleFileAndTheReloadCommandInBothLanguages) {
  for (const char* file : {"lan_en.xml", "lan_cn.xml"}) {
    test::switchLanguage(file);
    const std::string text = ui::languageText("message_text_19");
    EXPECT_NE(text.find("70-varnacle-driver.rules"), std::string::npos) << file;
    EXPECT_NE(text.find("sudo udevadm control --reload-rules && sudo udevadm trigger"),
              std::string::npos)
        << file;
  }
  test::switchLanguage("lan_en.xml");
}

}  // namespace
}  // namespace varnacle::app
