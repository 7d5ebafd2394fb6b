// The pad preview on its own thread with shortened timing: an offline or
// synced pad gets no frames, the mouse's trigger flag is taken only while the
// pad's preview steps, and the sliding block's turn holds the next frame back by a second.
#include "mousepad/pad_preview_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "device/hid_sim.h"
#include "device/live_lighting.h"
#include "sim/sim_bus.h"

namespace varnacle::mousepad {
namespace {

using namespace std::chrono_literals;

class FrameLog {
 public:
  mouse::FrameSink sink() {
    return [this](Frame frame) {
      std::lock_guard lock(mutex_);
      frames_.push_back(std::move(frame));
      times_.push_back(std::chrono::steady_clock::now());
      arrived_.notify_all();
    };
  }
  bool waitFor(std::size_t count, std::chrono::milliseconds deadline = 3000ms) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, deadline, [&] { return frames_.size() >= count; });
  }
  std::size_t size() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
  }
  std::vector<std::chrono::steady_clock::time_point> times() const {
    std::lock_guard lock(mutex_);
    return times_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Frame> frames_;
  std::vector<std::chrono::steady_clock::time_point> times_;
};

class PadPreviewWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Record r{};
    r[kLightMode] = 1;  // spectrum: a new frame every pass
    r[kBrightness] = 14;
    live.set(DeviceKind::mousePad, r, false);
    worker.timing.startDelay = 0ms;
    worker.timing.offlinePause = 5ms;
    worker.timing.idlePause = 5ms;
  }
  void TearDown() override { stopWorker(); }

  void startWorker() {
    thread = std::thread([this] { worker.run(stop); });
  }
  void stopWorker() {
    stop.set();
    if (thread.joinable()) thread.join();
  }
  void setMode(uint8_t mode) {
    live.edit(DeviceKind::mousePad, [mode](Record& r) { r[kLightMode] = mode; }, false);
  }

  sim::SimBus bus;
  std::unique_ptr<device::HidBackend> backend = device::makeSimulatedBackend(bus);
  device::DeviceSession pad{*backend};
  device::LiveLighting live;
  PadPreview preview;
  std::atomic<bool> mouseTrigger{false};
  FrameLog log;
  PadPreviewWorker worker{live, pad, preview, mouseTrigger, log.sink()};
  platform::Event stop;
  std::thread thread;
};

TEST_F(PadPreviewWorkerTest, AnOfflinePadStandsStillAndKeepsTheTrigger) {
  startWorker();
  mouseTrigger = true;
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(log.size(), 0u);
  EXPECT_TRUE(mouseTrigger.load()) << "nothing steps, nothing is taken";
  EXPECT_GT(worker.passes(), 0u);

  pad.online = true;
  ASSERT_TRUE(log.waitFor(3));
  EXPECT_FALSE(mouseTrigger.load()) << "a stepping pass takes the flag";
}

TEST_F(PadPreviewWorkerTest, ASyncedPadIsLeftToTheSharedPreview) {
  pad.online = true;
  pad.lightingSync = true;
  startWorker();
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(log.size(), 0u);
  pad.lightingSync = false;
  EXPECT_TRUE(log.waitFor(2));
}

TEST_F(PadPreviewWorkerTest, TheSlidingBlockHoldsStillAtEachTurn) {
  pad.online = true;
  setMode(7);
  // Fifteen steps out, a second's pause, then the way back. (Repeated dark
  // frames are not handed on, so the frames are counted by their gaps.)
  startWorker();
  ASSERT_TRUE(log.waitFor(16, 5000ms));
  const auto times = log.times();
  int turns = 0;
  for (std::size_t i = 1; i < times.size(); ++i) {
    const auto gap = times[i] - times[i - 1];
    if (gap >= 1000ms) {
      ++turns;
    } else {
      EXPECT_LT(gap, 500ms) << i;
    }
  }
  EXPECT_EQ(turns, 1);
}

TEST_F(PadPreviewWorkerTest, AModeThePreviewDoesNotKnowSendsNothing) {
  pad.online = true;
  setMode(9);
  startWorker();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(log.size(), 0u);
}

}  // namespace
}  // namespace varnacle::mousepad
