// Messages, posts, timers, modal runs with the responder seam, the popup menu
// and the tray icon.
#include <gtest/gtest.h>

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <atomic>
#include <thread>

#include "example_window.h"
#include "support/ui_test_app.h"
#include "ui/dispatcher.h"
#include "ui/menu.h"
#include "ui/modal_responder.h"
#include "ui/qt/native.h"
#include "ui/tray.h"

namespace varnacle::ui {
namespace {

using testing::application;
using testing::ExampleWindow;
using testing::pump;
using testing::pumpUntil;

class ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    ASSERT_TRUE(window.create(nullptr, "Example"));
  }
  ExampleWindow window;
};

TEST_F(ServicesTest, PostsFromManyThreadsRunInOrderPerThreadOnTheUiThread) {
  constexpr int kThreads = 4, kEach = 200;
  std::vector<std::vector<int>> seen(kThreads);
  std::atomic<int> offUiThread{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t)
    workers.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i)
        post([&, t, i] {
          if (!onUiThread()) ++offUiThread;
          seen[static_cast<std::size_t>(t)].push_back(i);
        });
    });
  for (auto& w : workers) w.join();
  ASSERT_TRUE(pumpUntil([&] {
    for (const auto& s : seen)
      if (s.size() < kEach) return false;
    return true;
  }));
  for (const auto& s : seen)
    for (int i = 0; i < kEach; ++i) ASSERT_EQ(s[static_cast<std::size_t>(i)], i);
  EXPECT_EQ(offUiThread, 0);
}

TEST_F(ServicesTest, MessagesReachTheHandlerAndSendWaitsForItsResult) {
  ASSERT_TRUE(postMessage(window.id(), 0x901, 1, 2));
  ASSERT_TRUE(postMessage(window.id(), 0x902, 3, 4));
  std::optional<std::intptr_t> sent;
  std::thread worker([&] { sent = sendMessage(window.id(), 0xB01, 5, 6); });
  ASSERT_TRUE(pumpUntil([&] { return window.messages.size() >= 3; }));
  worker.join();
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(*sent, 0xB01 + 1);  // the handler's result
  ASSERT_EQ(window.messages.size(), 3u);
  EXPECT_EQ(window.messages[0].msg, 0x901u);
  EXPECT_EQ(window.messages[1].l, 4);
  EXPECT_EQ(window.messages[2].w, 5u);
  // On the UI thread a send runs at once.
  EXPECT_EQ(sendMessage(window.id(), 0x700), 0x701);
}

TEST_F(ServicesTest, MessagesForAGoneWindowAreDropped) {
  WindowId gone;
  {
    ExampleWindow temporary;
    ASSERT_TRUE(temporary.create(nullptr, "temporary"));
    gone = temporary.id();
  }
  EXPECT_EQ(Window::fromId(gone), nullptr);
  EXPECT_TRUE(postMessage(gone, 0x901));
  std::optional<std::intptr_t> sent = 1;
  std::thread worker([&] { sent = sendMessage(gone, 0x901); });
  while (!pumpUntil([&] { return !sent.has_value(); }, 50)) {
  }
  worker.join();
  EXPECT_FALSE(sent.has_value());
}

TEST_F(ServicesTest, TimersDeliverByIdUntilKilled) {
  window.setTimer(3, 10);
  window.setTimer(7, 10);
  ASSERT_TRUE(pumpUntil([&] {
    return std::count(window.timers.begin(), window.timers.end(), 3) >= 2 &&
           std::count(window.timers.begin(), window.timers.end(), 7) >= 1;
  }));
  window.killTimer(3);
  window.killTimer(7);
  pump();
  const std::size_t after = window.timers.size();
  pump(60);
  EXPECT_EQ(window.timers.size(), after);
}

TEST_F(ServicesTest, ResponderAnswersAModalRunAndSeesTheBuiltWindow) {
  std::vector<std::string> seenTitles;
  ScopedModalResponder responder([&](Window& w) -> std::optional<int> {
    seenTitles.push_back(w.findControl("title")->rawText());
    return 7;
  });
  ExampleWindow dialog;
  ASSERT_TRUE(dialog.create(&window, "dialog"));
  EXPECT_EQ(dialog.showModal(), 7);
  EXPECT_EQ(seenTitles, (std::vector<std::string>{"example_title"}));
  EXPECT_FALSE(dialog.isCreated());
  // The window heard its destruction.
  ASSERT_FALSE(dialog.messages.empty());
  EXPECT_EQ(dialog.messages.back().msg, kMsgDestroy);
}

TEST_F(ServicesTest, ModalRunEndsWithTheResultOfClose) {
  // A click on the dialog's button closes it from inside the modal loop.
  class Closer : public ExampleWindow {
   public:
    void notify(const Notification& n) override {
      if (n.type == "click" && n.sender->name() == "closebtn") close(42);
    }
  } closer;
  ASSERT_TRUE(closer.create(&window, "closer"));
  QTimer::singleShot(20, [&] {
    QWidget* button = widgetOf(*closer.findControl("closebtn"));
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
  });
  EXPECT_EQ(closer.showModal(), 42);
  EXPECT_FALSE(closer.isVisible());
}

TEST_F(ServicesTest, AModalRunEndedByTheProgramsQuitLeavesNoLoopBehind) {
  // The program is told to end while a box is open: the toolkit ends every
  // loop, the box's run returns, and the box is destroyed afterwards.
  auto box = std::make_unique<ExampleWindow>();
  ASSERT_TRUE(box->create(&window, "box"));
  QTimer::singleShot(20, [] { Application::instance()->quit(0); });
  box->showModal();
  EXPECT_EQ(Window::Native::of(*box)->modalLoop, nullptr) << "the loop of the run is gone";
  box->close(0);
  box.reset();
  EXPECT_TRUE(window.isCreated());
}

TEST_F(ServicesTest, MenuReportsTheChosenItemAsTheCommandRecord) {
  Menu menu(window, VARNACLE_UI_TESTDATA "/menu.xml");
  menu.insertItem(0, MenuItem{"exit", "EXIT", {}, false});
  ASSERT_EQ(menu.items().size(), 3u);
  EXPECT_EQ(menu.items()[0].name, "exit");
  EXPECT_EQ(menu.items()[2].name, "qianting");
  EXPECT_TRUE(menu.items()[2].checked);

  window.show();
  menu.popup({50, 50}, kAlignLeft | kAlignTop);
  auto* qmenu = topWidgetOf(window)->findChild<QMenu*>();
  ASSERT_NE(qmenu, nullptr);
  ASSERT_EQ(qmenu->actions().size(), 3);
  EXPECT_EQ(qmenu->actions()[0]->text(), "EXIT");  // no language entry: the key

  window.messages.clear();
  qmenu->actions()[1]->trigger();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].msg, kMenuCommandMessage);
  // The record lives only during the call: a window that reads it.
  class Reader : public Window {
   public:
    std::string layoutName() const override { return VARNACLE_UI_TESTDATA "/example.xml"; }
    std::string windowClassName() const override { return "Reader"; }
    std::intptr_t handleMessage(std::uint32_t msg, std::uintptr_t w, std::intptr_t,
                                bool& handled) override {
      if (msg == kMenuCommandMessage)
        if (const MenuCommand* c = menuCommandFrom(w)) read.push_back(*c);
      handled = true;
      return 0;
    }
    std::vector<MenuCommand> read;
  } reader;
  ASSERT_TRUE(reader.create(nullptr, "reader"));
  Menu second(reader, VARNACLE_UI_TESTDATA "/menu.xml");
  second.popup({0, 0}, kAlignRight | kAlignBottom);
  auto* qsecond = topWidgetOf(reader)->findChild<QMenu*>();
  ASSERT_NE(qsecond, nullptr);
  qsecond->actions()[0]->trigger();
  ASSERT_EQ(reader.read.size(), 1u);
  EXPECT_EQ(reader.read[0].name, "lan");
  EXPECT_EQ(reader.read[0].userData, "switch");
  EXPECT_EQ(reader.read[0].text, "menu_lan");
  EXPECT_FALSE(reader.read[0].checked);
  EXPECT_EQ(menuCommandFrom(0), nullptr);
}

TEST_F(ServicesTest, MenuWithoutItemsStillTakesInsertedOnes) {
  Menu menu(window, VARNACLE_UI_TESTDATA "/no_such_menu.xml");
  EXPECT_TRUE(menu.items().empty());
  menu.insertItem(5, MenuItem{"exit", "EXIT", {}, false});
  ASSERT_EQ(menu.items().size(), 1u);
  EXPECT_EQ(menu.items()[0].name, "exit");
}

TEST_F(ServicesTest, TrayClicksArriveAsTheMouseMessage) {
  TrayIcon tray;
  tray.create(window, "no_icon_file.png", "tip text");
  EXPECT_TRUE(tray.isCreated());
  EXPECT_EQ(tray.tip(), "tip text");
  auto* icon = topWidgetOf(window)->findChild<QSystemTrayIcon*>();
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->toolTip(), "tip text");
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  EXPECT_TRUE(icon->isVisible()) << "shown before any tray exists, so one that starts later gets it";
  emit icon->activated(QSystemTrayIcon::Trigger);
  emit icon->activated(QSystemTrayIcon::Context);
  emit icon->activated(QSystemTrayIcon::DoubleClick);
  ASSERT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages[0].msg, kTrayMessage);
  EXPECT_EQ(window.messages[0].l, kTrayLeftButtonUp);
  EXPECT_EQ(window.messages[1].l, kTrayRightButtonUp);
  tray.remove();
  EXPECT_FALSE(tray.isCreated());
}

TEST_F(ServicesTest, TrayAvailabilityOverridesNestAndTheDesktopAnswersAgainAfterwards) {
  const bool desktop = QSystemTrayIcon::isSystemTrayAvailable();
  {
    ScopedTrayAvailability outer(!desktop);
    EXPECT_EQ(TrayIcon::available(), !desktop);
    {
      ScopedTrayAvailability inner(desktop);
      EXPECT_EQ(TrayIcon::available(), desktop);
    }
    EXPECT_EQ(TrayIcon::available(), !desktop);
  }
  EXPECT_EQ(TrayIcon::available(), desktop);
}

}  // namespace
}  // namespace varnacle::ui
