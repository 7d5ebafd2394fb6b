// The application watcher with a scripted foreground program: what it
// selects, what SELECT holds afterwards, and how it ends.
#include "profile/app_watcher.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "../platform/scripted_foreground.h"
#include "platform/debug_output.h"
#include "profile/profile_file.h"
#include "test_documents.h"

namespace varnacle::profile {
namespace {

using namespace std::chrono_literals;

using platform::test::ScriptedForeground;

struct AppWatcherTest : varnacle::testing::TestDocuments {
  void SetUp() override {
    TestDocuments::SetUp();
    const ProfileRegistry r(ProfileListKind::mouseKeys);
    r.setCount(3);
    for (int i = 0; i < 3; ++i) {
      r.setName(i, "P" + std::to_string(i));
      WriteProfileFile(r.profilePath("P" + std::to_string(i)), std::vector<uint8_t>(512, 0));
    }
    list.initialise();
    // The user's choice; what the panel's Select would write is simulated
    // by the recorder.
    r.setSelect(1);
  }

  // Records each selection and, as the panel does, selects (Select writes
  // SELECT) and restores SELECT.
  AppWatcher::SelectRow recorder() {
    return [this](int row, int saved) {
      std::lock_guard lock(mutex);
      selected.push_back(row);
      list.registry().setSelect(row);
      list.registry().setSelect(saved);
    };
  }

  ProfileList list{ProfileListKind::mouseKeys};
  ScriptedForeground foreground;
  std::mutex mutex;
  std::vector<int> selected;
  platform::Event stop;
  AppWatcherTiming fast{1ms, 1ms};
};

TEST_F(AppWatcherTest, TheLinkedProgramSelectsItsRowAndSelectKeepsTheUsersRow) {
  list.linkThroughButton(2, "/opt/game/game.bin");
  AppWatcher watcher(list, foreground, recorder(), fast);
  foreground.set("/opt/game/GAME.bin");
  EXPECT_TRUE(watcher.poll(stop));
  foreground.set("/usr/bin/editor");
  EXPECT_TRUE(watcher.poll(stop));
  EXPECT_EQ(selected, (std::vector<int>{2, 1}));
  EXPECT_EQ(list.registry().select(), 1);
}

TEST_F(AppWatcherTest, TwoRowsLinkedToOneProgramGiveTheLowerRow) {
  list.linkThroughButton(2, "/opt/game/game.bin");
  list.linkThroughButton(0, "/opt/game/game.bin");
  AppWatcher watcher(list, foreground, recorder(), fast);
  foreground.set("/opt/game/game.bin");
  watcher.poll(stop);
  EXPECT_EQ(selected, std::vector<int>{0});
}

TEST_F(AppWatcherTest, AnUnknownProgramMatchesNothingAndIsToldOncePerSpell) {
  list.linkThroughButton(2, "/opt/game/game.bin");
  platform::DebugCapture capture;
  AppWatcher watcher(list, foreground, recorder(), fast);
  foreground.set(std::nullopt);
  watcher.poll(stop);
  watcher.poll(stop);
  foreground.set("/opt/game/game.bin");
  watcher.poll(stop);
  foreground.set(std::nullopt);
  watcher.poll(stop);
  EXPECT_EQ(selected, (std::vector<int>{1, 1, 2, 1}));
  EXPECT_EQ(capture.count("文件名字访问失败"), 2);
}

TEST_F(AppWatcherTest, TheStopEventEndsTheThreadWithItsStopLine) {
  list.linkThroughButton(2, "/opt/game/game.bin");
  foreground.set("/opt/game/game.bin");
  platform::DebugCapture capture;
  AppWatcher watcher(list, foreground, recorder(), {2000ms, 2000ms});
  std::thread thread([&] { watcher.run(platform::WorkerSlot::mouseKeyLink, stop); });
  // Stop while the first poll rests after its selection.
  for (int i = 0; i < 500; ++i) {
    {
      std::lock_guard lock(mutex);
      if (!selected.empty()) break;
    }
    std::this_thread::sleep_for(2ms);
  }
  stop.set();
  thread.join();
  EXPECT_EQ(capture.count("鼠标按键进程线程设定退出"), 1);
  EXPECT_EQ(appWatcherSlot(ProfileListKind::mousePadLighting),
            platform::WorkerSlot::mousePadLightingLink);
}

}  // namespace
}  // namespace varnacle::profile
