// The main window on the real window library (offscreen), the real skin,
// virtual devices on a private bus and a temporary Documents folder.
#include "app/main_wnd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

#include "../mouse/lighting_profile_list.h"
#include "app/skin_apply.h"
#include "app_test_support.h"
#include "device/exchanges.h"
#include "device/hid_sim.h"
#include "macro/action_file.h"
#include "macro/macro_store.h"
#include "main_window_harness.h"
#include "mouse/cursor_image.h"
#include "pages/page_messages.h"
#include "platform/debug_output.h"
#include "platform/folders.h"
#include "profile/ini_store.h"
#include "profile/paths.h"
#include "profile/profile_file.h"
#include "sim/virtual_device.h"
#include "ui/application.h"
#include "ui/dispatcher.h"
#include "ui/language.h"
#include "ui/modal_responder.h"

namespace varnacle::app {

namespace msg = pages::msg;
namespace {

using namespace std::chrono_literals;

// A page that records what the main window hands it.
class RecordingPage : public pages::Page {
 public:
  std::atomic<int> arrivals{0};
  std::atomic<int> shown{0};
  std::atomic<int> gone{0};
  std::vector<std::uint32_t> messages;
  std::vector<std::string> notifications;
  // Runs for each device message, on the UI thread.
  std::function<void(std::uint32_t)> onMessage;
  // Runs in deviceArrived, on the presence thread.
  std::function<void(device::DeviceSession&)> onArrival;
  // Runs in deviceShown, on the UI thread.
  std::function<void()> onShown;

  void notify(const ui::Notification& n) override {
    notifications.push_back(n.type + ":" + (n.sender ? n.sender->name() : ""));
  }
  void deviceMessage(std::uint32_t m, std::uintptr_t, std::intptr_t) override {
    messages.push_back(m);
    if (onMessage) onMessage(m);
  }
  void deviceArrived(DeviceKind, device::DeviceSession& s) override {
    ++arrivals;
    if (onArrival) onArrival(s);
  }
  void deviceShown(DeviceKind) override {
    ++shown;
    if (onShown) onShown();
  }
  void deviceGone(DeviceKind) override { ++gone; }
};

struct MainWindowTest : test::MainWindowHarness {
  std::shared_ptr<sim::VirtualDevice> mouse = std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  std::shared_ptr<sim::VirtualDevice> keyboard =
      std::make_shared<sim::VirtualDevice>(DeviceKind::keyboard, bus);
  RecordingPage* page = nullptr;
  platform::DebugCapture debug;
  std::vector<std::string> boxes;  // text ids the message box showed
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

  void start(MainTiming timing = test::fastTiming()) {
    window = std::make_unique<CMainWnd>(*backend, timing);
    auto p = std::make_unique<RecordingPage>();
    page = p.get();
    window->addPage(std::move(p));
    ASSERT_TRUE(window->create(nullptr, kMainWindowTitle, {}, kMainWindowSize));
    pumpFor(20ms);  // "windowinit"
  }

  bool visible(std::string_view name) {
    auto* c = window->findControl(name);
    return c && c->isVisible();
  }
  int wakeLines() {
    int n = 0;
    for (const auto& l : debug.lines()) n += l.rfind("软件标示 ", 0) == 0;
    return n;
  }
};

TEST_F(MainWindowTest, WithoutDevicesTheWindowNeverShows) {
  start();
  pumpFor(300ms);
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(visible("ms_tab"));
  EXPECT_FALSE(visible("kb_tab"));
  EXPECT_EQ(page->arrivals, 0);
}

TEST_F(MainWindowTest, MouseAttachedBeforeStartIsReadShownAndBroughtUpOnce) {
  bus.plug(mouse);
  start();
  ASSERT_TRUE(pumpUntil([&] { return visible("ms_tab") && window->isVisible(); }));
  pumpFor(200ms);
  EXPECT_EQ(page->arrivals, 1);
  EXPECT_EQ(page->shown, 1);
  EXPECT_EQ(wakeLines(), 1) << "one broadcast after the first pass";
  auto* tab = window->findControl<ui::Option>("ms_tab");
  ASSERT_NE(tab, nullptr);
  EXPECT_TRUE(tab->isSelected());
  auto* pages = window->findControl<ui::TabLayout>("device_pages");
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(pages->currentIndex(), 1) << "the mouse tab shows the mouse pages";
  EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, MouseAttachedLaterIsFoundWithoutBroadcast) {
  start();
  pumpFor(150ms);
  bus.plug(mouse);
  ASSERT_TRUE(pumpUntil([&] { return visible("ms_tab"); }, 3s));
  EXPECT_EQ(wakeLines(), 0);
  EXPECT_FALSE(window->isVisible()) << "only the tray brings the window up later";
}

TEST_F(MainWindowTest, RemovingTheOnlyDeviceHidesTabAndWindow) {
  bus.plug(mouse);
  start();
  ASSERT_TRUE(pumpUntil([&] { return window->isVisible(); }));
  bus.unplug(*mouse);
  ASSERT_TRUE(pumpUntil([&] { return !window->isVisible(); }, 2s));
  EXPECT_FALSE(visible("ms_tab"));
  EXPECT_EQ(page->gone, 1);
}

TEST_F(MainWindowTest, TheMousePagesComeToTheFrontWhateverArrivesAfterIt) {
  bus.plug(mouse);
  bus.plug(keyboard);
  start();
  ASSERT_TRUE(pumpUntil([&] { return visible("ms_tab") && visible("kb_tab"); }));
  pumpFor(100ms);
  EXPECT_TRUE(window->findControl<ui::Option>("ms_tab")->isSelected());
  EXPECT_EQ(wakeLines(), 1) << "two devices found at start bring the window up once";
}

TEST_F(MainWindowTest, RemovingTheMouseWhileTheKeyboardStaysSelectsTheKeyboard) {
  bus.plug(mouse);
  bus.plug(keyboard);
  start();
  ASSERT_TRUE(pumpUntil([&] { return visible("ms_tab") && visible("kb_tab"); }));
  bus.unplug(*mouse);
  ASSERT_TRUE(pumpUntil([&] { return !visible("ms_tab"); }, 2s));
  EXPECT_TRUE(window->findControl<ui::Option>("kb_tab")->isSelected());
  EXPECT_TRUE(window->isVisible());
}

// The mouse's presence is probed at its own pace, the keyboard's and the
// pad's at theirs: each device's removal shows after its own period.
TEST_F(MainWindowTest, EachPresenceThreadProbesAtItsDevicesPace) {
  bus.plug(mouse);
  bus.plug(keyboard);
  MainTiming timing = test::fastTiming();
  timing.keyboardAndPadPresent = 2s;
  start(timing);
  ASSERT_TRUE(pumpUntil([&] { return visible("ms_tab") && visible("kb_tab"); }));
  bus.unplug(*keyboard);
  bus.unplug(*mouse);
  ASSERT_TRUE(pumpUntil([&] { return !visible("ms_tab"); }, 1s)) << "the mouse is probed every 20 ms";
  pumpFor(300ms);
  EXPECT_TRUE(visible("kb_tab")) << "the keyboard every 2 s";
  EXPECT_TRUE(pumpUntil([&] { return !visible("kb_tab"); }, 5s));
}

TEST_F(MainWindowTest, MouseSettingsChangedOnTheDeviceAreReadWhileTheListenerWaits) {
  bus.plug(mouse);
  start();
  ASSERT_TRUE(pumpUntil([&] { return visible("ms_tab"); }));
  // The page's handler reads the whole mouse, as the mouse pages do.
  int readResult = 0;
  page->onMessage = [&](std::uint32_t m) {
    if (m != msg::kMouseReadAll) return;
    device::MouseSettings settings;
    readResult = device::readAllMouseSettings(window->session(DeviceKind::mouse), settings).result;
  };
  ASSERT_TRUE(pumpUntil([&] {
    mouse->sendNotification(0x0402);
    pumpFor(30ms);
    return readResult != 0;
  }));
  EXPECT_EQ(readResult, 1);

  page->messages.clear();
  mouse->pressProfileButton();
  ASSERT_TRUE(pumpUntil([&] {
    return std::find(page->messages.begin(), page->messages.end(), msg::kMouseReloadActive) !=
           page->messages.end();
  }));
}

TEST_F(MainWindowTest, TriggerUsageSetsTheMouseTriggerFlag) {
  bus.plug(mouse);
  start();
  ASSERT_TRUE(pumpUntil([&] {
    mouse->sendNotification(0x0403);
    pumpFor(30ms);
    return window->mouseTrigger().load();
  }));
}

TEST_F(MainWindowTest, ClosingWhileAListenerWaitsInAReadEndsPromptly) {
  bus.plug(mouse);
  MainTiming timing = test::fastTiming();
  timing.listenerReadMs = 500;
  start(timing);
  ASSERT_TRUE(pumpUntil([&] { return visible("ms_tab"); }));
  pumpFor(100ms);
  const auto begin = std::chrono::steady_clock::now();
  window->destroy();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
  EXPECT_EQ(debug.count("退出测试"), 1);
  EXPECT_EQ(debug.count("所有对象处于激发状态\n"), 1);
  EXPECT_EQ(debug.count("鼠标同步线程设定测试退出"), 1);
  EXPECT_EQ(debug.count("鼠标设备侦测线程设定退出"), 1);
}

TEST_F(MainWindowTest, AWorkerBlockedInADeviceReadCannotHoldTheExit) {
  bus.plug(mouse);
  MainTiming timing = test::fastTiming();
  timing.shutdownDeadline = 300ms;
  start(timing);
  auto release = std::make_shared<platform::Event>();
  bus.unplug(*mouse);
  ASSERT_TRUE(pumpUntil([&] { return !window->session(DeviceKind::mouse).online; }));
  // The presence thread reads the mouse and the mouse stops answering. Set
  // while the mouse is away, so the presence thread is not reading the page.
  page->onArrival = [release](device::DeviceSession&) { release->wait(20s); };
  page->arrivals = 0;
  bus.plug(mouse);
  ASSERT_TRUE(pumpUntil([&] { return page->arrivals == 1; }));
  const auto begin = std::chrono::steady_clock::now();
  window->destroy();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 5s);
  EXPECT_EQ(debug.count("所有对象处于非激发状态，超时\n"), 1);
  EXPECT_TRUE(window->workerSlots().anyRunning()) << "the program must not destroy the window now";
  // Unlike the program, the test lets the straggler finish before cleaning up.
  release->set();
  ASSERT_TRUE(pumpUntil([&] { return !window->workerSlots().anyRunning(); }));
  window.reset();
}

TEST_F(MainWindowTest, TheMousesArrivalTakesItsSavedLightingThenTheReadsThenTheFireKeys) {
  // The saved lighting profile, with the pointer speed and wheel lines that
  // only it keeps.
  device::LiveLighting::Record saved{};
  saved[1] = 2;
  saved[23] = 14;
  saved[24] = 7;
  std::array<uint8_t, 64> payload{};
  std::copy(saved.begin(), saved.end(), payload.begin());
  ASSERT_TRUE(
      profile::WriteProfileFile(mouse::test::setUpOneMouseLightingProfile("Evening"), payload));
  // One fire-key sequence file, and another sequence in the mouse.
  const auto macroList = macro::MacroStore(DeviceKind::mouse).listFile();
  ASSERT_TRUE(profile::writeIniInt(macroList, "CURSORCOUNT", "count", 1));
  ASSERT_TRUE(profile::writeIniString(macroList, "CURSORNAME", "0", "Burst"));
  const auto burst = profile::DeviceFolder(DeviceKind::mouse) / "Burst.cur";
  const std::vector<std::string> ownLines = {"0,0,4,9,0,mouse_move_to_right_text"};
  ASSERT_TRUE(macro::replaceActionFile(burst, ownLines));
  const std::vector<std::vector<macro::MacroAction>> held = {{{3, 0, 0x85, 12, 1, ""}}};
  const auto image = *mouse::buildCursorImage(held);
  auto memory = mouse->memory();
  std::copy(image.begin(), image.end(), memory.cursor.begin());
  ASSERT_TRUE(mouse->setMemory(memory));
  const std::vector<std::string> mouseLines = {"3,0,133,12,1,mouse_move_to_up_text"};

  // What each step finds of the ones before it.
  std::mutex seenMutex;
  std::optional<device::LiveLighting::Record> whenRead;
  std::vector<std::string> linesWhenRead, linesWhenShown;
  bool tabWhenShown = true;
  start();
  page->onArrival = [&](device::DeviceSession&) {
    std::lock_guard lock(seenMutex);
    whenRead = window->liveLighting().snapshot(DeviceKind::mouse);
    linesWhenRead = macro::readActionLines(burst);
  };
  page->onShown = [&] {
    std::lock_guard lock(seenMutex);
    linesWhenShown = macro::readActionLines(burst);
    tabWhenShown = visible("ms_tab");
  };
  bus.plug(mouse);
  ASSERT_TRUE(pumpUntil([&] { return visible("ms_tab"); }));
  std::lock_guard lock(seenMutex);
  ASSERT_TRUE(whenRead.has_value());
  EXPECT_EQ(*whenRead, saved) << "the profile is loaded before the pages read the mouse";
  EXPECT_EQ(linesWhenRead, ownLines) << "the fire keys come back after the read";
  EXPECT_EQ(linesWhenShown, mouseLines) << "the pages show what all the reads brought";
  EXPECT_FALSE(tabWhenShown) << "the tab comes up once the pages show the mouse";
  EXPECT_EQ(macro::readActionLines(burst), mouseLines);
  EXPECT_EQ(window->liveLighting().snapshot(DeviceKind::mouse), saved);
  EXPECT_FALSE(window->liveLighting().isChanged(DeviceKind::mouse)) << "nothing new for the mouse";
}

TEST_F(MainWindowTest, TwoLightingChangesWithinASecondGiveOneWriteLiveWithTheLatest) {
  bus.plug(mouse);
  start();
  ASSERT_TRUE(pumpUntil([&] { return window->session(DeviceKind::mouse).online.load(); }));
  pumpFor(100ms);
  mouse->clearLog();
  window->liveLighting().edit(DeviceKind::mouse, [](device::LiveLighting::Record& r) { r.fill(7); });
  window->liveLighting().edit(DeviceKind::mouse, [](device::LiveLighting::Record& r) { r.fill(9); });
  pumpFor(1300ms);
  int writes = 0;
  for (const auto& r : mouse->requestLog())
    if (r.command == 0x06) {
      ++writes;
      EXPECT_EQ(r.data[0], 9);
      EXPECT_EQ(r.data[22], 9);
      EXPECT_EQ(r.data[23], 0);
    }
  EXPECT_EQ(writes, 1);
}

TEST_F(MainWindowTest, LanguageToggleTwiceReturnsToEnglish) {
  start();
  auto* title = window->findControl("title");
  ASSERT_NE(title, nullptr);
  const std::string english = title->text();
  ui::MenuCommand lan{.name = "LAN", .userData = {}, .text = "menu_lan_text", .checked = false};
  window->sendMessage(msg::kMenuCommand, reinterpret_cast<std::uintptr_t>(&lan));
  EXPECT_EQ(ui::currentLanguageName(), "cn_zh");
  EXPECT_TRUE(window->chineseLoaded());
  EXPECT_EQ(title->text(), ui::languageText("main_title_text"));
  const std::string chineseTip = window->findControl("closebtn")->toolTip();
  EXPECT_EQ(chineseTip, ui::languageText("main_close_tip"));
  window->sendMessage(msg::kMenuCommand, reinterpret_cast<std::uintptr_t>(&lan));
  EXPECT_EQ(ui::currentLanguageName(), "en");
  EXPECT_EQ(title->text(), english);
  EXPECT_NE(window->findControl("closebtn")->toolTip(), chineseTip);
  EXPECT_EQ(window->findControl("closebtn")->toolTip(), ui::languageText("main_close_tip"));
}

TEST_F(MainWindowTest, ADisplayScaleMessageFromOutsideChangesNothing) {
  // The toolkit scales the window itself; a stray 0x2E0 must neither rescale
  // it nor take its lParam for a rectangle.
  start();
  const int dpi = window->dpi();
  const ui::Rect before = window->geometry();
  const ui::Rect elsewhere{900, 700, 1000, 800};
  window->sendMessage(0x02E0, 192, reinterpret_cast<std::intptr_t>(&elsewhere));
  EXPECT_EQ(window->dpi(), dpi);
  EXPECT_EQ(window->geometry(), before);
}

TEST_F(MainWindowTest, UnknownMenuItemShowsItsTextAsAKey) {
  start();
  ui::MenuCommand other{.name = "somewhere", .userData = {}, .text = "menu_import_text", .checked = false};
  window->sendMessage(msg::kMenuCommand, reinterpret_cast<std::uintptr_t>(&other));
  EXPECT_EQ(boxes, std::vector<std::string>{"menu_import_text"});
  ui::MenuCommand quiet{.name = "Menu_Export", .userData = {}, .text = "x", .checked = false};
  window->sendMessage(msg::kMenuCommand, reinterpret_cast<std::uintptr_t>(&quiet));
  EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(MainWindowTest, TrayRightClickOpensTheMenuWithExitFirst) {
  start();
  window->sendMessage(msg::kTray, 0, ui::kTrayRightButtonUp);
  ASSERT_NE(window->trayMenu(), nullptr);
  const auto& items = window->trayMenu()->items();
  ASSERT_GE(items.size(), 1u);
  EXPECT_EQ(items[0].name, "exit");
  EXPECT_EQ(items[0].text, "EXIT");
}

TEST_F(MainWindowTest, AskingForTheWindowWithoutADeviceExplainsWhy) {
  start();
  window->sendMessage(msg::kTray, 0, ui::kTrayLeftButtonUp);
  window->sendMessage(msg::kWake);
  EXPECT_EQ(boxes, (std::vector<std::string>{"message_text_1", "message_text_1"}));
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, TrayClickWithADeviceShowsTheWindow) {
  bus.plug(keyboard);
  start();
  ASSERT_TRUE(pumpUntil([&] { return window->session(DeviceKind::keyboard).online.load(); }));
  window->hide();
  window->sendMessage(msg::kTray, 0, ui::kTrayLeftButtonUp);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, RememberedBackgroundIsShownAtStart) {
  ASSERT_TRUE(storeSkinImage("bg/bg_2.png", true));
  start();
  EXPECT_NE(window->root()->bkImage().find("bg/bg_2.png"), std::string::npos);
}

TEST_F(MainWindowTest, EveryPageClassIsBuiltFromItsLayout) {
  start();
  for (const char* name : {"kb_key_page", "kb_deng_page", "kb_macro_page", "ms_key_page", "ms_dpi_page",
                           "ms_deng_page", "ms_macro_page", "ms_cursor_page", "mp_deng_page", "str_test",
                           "closebtn", "minbtn", "maxbtn", "restorebtn", "skinbtn", "root"})
    EXPECT_NE(window->findControl(name), nullptr) << name;
}

TEST_F(MainWindowTest, NotificationsReachThePagesExceptTitleBarButtons) {
  start();
  auto* dpiTab = window->findControl<ui::Option>("ms_page_dpi");
  ASSERT_NE(dpiTab, nullptr);
  dpiTab->setSelected(true);
  pumpFor(20ms);
  EXPECT_NE(std::find(page->notifications.begin(), page->notifications.end(), "selectchanged:ms_page_dpi"),
            page->notifications.end());
  EXPECT_EQ(window->findControl<ui::TabLayout>("ms_pages")->currentIndex(), 1);
  window->notify({.type = "click", .sender = window->findControl("minbtn"), .wParam = 0, .lParam = 0});
  EXPECT_EQ(std::count(page->notifications.begin(), page->notifications.end(), "click:minbtn"), 0);
}

}  // namespace
}  // namespace varnacle::app

namespace varnacle::app {
namespace {

TEST_F(MainWindowTest, AfterOneWindowShutDownAWorkersSendReachesTheNext) {
  start();
  window->destroy();
  window.reset();
  start();
  std::optional<std::intptr_t> result;
  std::thread worker([&] { result = ui::sendMessage(window->id(), msg::kMouseReadAll); });
  ASSERT_TRUE(pumpUntil([&] { return result.has_value(); }, 5s));
  worker.join();
  EXPECT_EQ(page->messages, std::vector<std::uint32_t>{msg::kMouseReadAll});
}

}  // namespace
}  // namespace varnacle::app
