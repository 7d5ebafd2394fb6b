#include "platform/worker_slots.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/debug_output.h"

namespace varnacle::platform {
namespace {

using namespace std::chrono_literals;

TEST(WorkerSlots, StopAllEndsEveryLoopWithItsStopLine) {
  DebugCapture capture;
  WorkerSlots slots;
  std::atomic<int> passes{0};
  for (auto slot : {WorkerSlot::mousePresence, WorkerSlot::mouseListener, WorkerSlot::mousePreview})
    slots.start(slot, [&, slot](Event& stop) {
      runWorkerLoop(slot, stop, [&] {
        ++passes;
        return true;
      });
    });
  while (passes < 10) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(slots.stopAll(5s), WorkerSlots::Outcome::allEnded);
  EXPECT_EQ(capture.count("鼠标设备侦测线程设定退出"), 1);
  EXPECT_EQ(capture.count("鼠标同步线程设定测试退出"), 1);
  EXPECT_EQ(capture.count("鼠标灯光线程设定退出"), 1);
  EXPECT_EQ(capture.count(std::string(kAllWorkersEnded)), 1);
  EXPECT_FALSE(slots.isRunning(WorkerSlot::mousePresence));
}

TEST(WorkerSlots, FailedPassEndsTheThreadWithoutStopLine) {
  DebugCapture capture;
  WorkerSlots slots;
  slots.start(WorkerSlot::keyboardListener,
              [](Event& stop) { runWorkerLoop(WorkerSlot::keyboardListener, stop, [] { return false; }); });
  for (int i = 0; i < 1000 && slots.isRunning(WorkerSlot::keyboardListener); ++i)
    std::this_thread::sleep_for(1ms);
  EXPECT_FALSE(slots.isRunning(WorkerSlot::keyboardListener));
  slots.stopAll(1s);
  EXPECT_EQ(capture.count("键盘同步线程设定退出"), 0);
}

TEST(WorkerSlots, StuckThreadCannotHoldTheExitPastTheDeadline) {
  DebugCapture capture;
  auto release = std::make_shared<Event>();
  const auto start = std::chrono::steady_clock::now();
  {
    WorkerSlots slots;
    slots.start(WorkerSlot::mousePresence, [release](Event&) { release->wait(60s); });
    slots.start(WorkerSlot::mousePreview, [](Event& stop) {
      runWorkerLoop(WorkerSlot::mousePreview, stop, [] { return true; });
    });
    EXPECT_EQ(slots.stopAll(200ms), WorkerSlots::Outcome::timedOut);
    EXPECT_TRUE(slots.anyRunning()) << "the straggler is still known to run";
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_EQ(capture.count(std::string(kWorkersTimedOut)), 1);
  EXPECT_EQ(capture.count("鼠标灯光线程设定退出"), 1) << "the well-behaved thread still ended";
  release->set();  // let the detached straggler finish
}

}  // namespace
}  // namespace varnacle::platform

namespace varnacle::platform {
namespace {

// Passes that return at once are still spaced by the stop check's wait; a
// pass that rests on the stop event ends the loop as soon as the event is set,
// without another pass.
TEST(WorkerSlots, LoopSpacesQuickPassesAndEndsRightAfterARestingPass) {
  DebugCapture capture;
  {
    WorkerSlots slots;
    std::atomic<int> quick{0};
    slots.start(WorkerSlot::mousePreview, [&](Event& stop) {
      runWorkerLoop(WorkerSlot::mousePreview, stop, [&] {
        ++quick;
        return true;
      });
    });
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(slots.stopAll(5s), WorkerSlots::Outcome::allEnded);
    EXPECT_GT(quick.load(), 0);
    EXPECT_LT(quick.load(), 1000) << "about one pass a millisecond, not a spinning loop";
  }
  WorkerSlots slots;
  std::atomic<int> resting{0};
  std::atomic<bool> passAfterStop{false};
  slots.start(WorkerSlot::mousePresence, [&](Event& stop) {
    runWorkerLoop(WorkerSlot::mousePresence, stop, [&] {
      if (stop.isSet()) passAfterStop = true;
      ++resting;
      stop.wait(10s);
      return true;
    });
  });
  while (resting == 0) std::this_thread::sleep_for(1ms);
  const auto stopAt = std::chrono::steady_clock::now();
  EXPECT_EQ(slots.stopAll(5s), WorkerSlots::Outcome::allEnded);
  EXPECT_LT(std::chrono::steady_clock::now() - stopAt, 5s);
  EXPECT_FALSE(passAfterStop);
  EXPECT_EQ(resting.load(), 1);
  EXPECT_EQ(capture.count("鼠标设备侦测线程设定退出"), 1);
}

TEST(WorkerSlots, StopRightAfterStartIsNotLost) {
  for (int round = 0; round < 50; ++round) {
    WorkerSlots slots;
    slots.start(WorkerSlot::combinedPreview, [](Event& stop) {
      runWorkerLoop(WorkerSlot::combinedPreview, stop, [] { return true; });
    });
    ASSERT_EQ(slots.stopAll(std::chrono::seconds(5)), WorkerSlots::Outcome::allEnded) << round;
  }
}

}  // namespace
}  // namespace varnacle::platform
