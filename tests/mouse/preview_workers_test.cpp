// The preview workers on their own threads with shortened timing: a mouse
// that is offline or synced gets no frames from its own preview, the shared
// preview takes over what is synced, and the stop event ends both with their
// stop lines.
#include "mouse/preview_workers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>
#include <thread>

#include "device/hid_sim.h"
#include "device/live_lighting.h"
#include "device/preview_pacing.h"
#include "platform/debug_output.h"
#include "platform/worker_slots.h"
#include "sim/sim_bus.h"

namespace varnacle::mouse {
namespace {

using namespace std::chrono_literals;

// Frames handed on by a worker, as the page's sink would receive them.
class FrameLog {
 public:
  FrameSink sink() {
    return [this](Frame frame) {
      std::lock_guard lock(mutex_);
      frames_.push_back(std::move(frame));
      arrived_.notify_all();
    };
  }
  bool waitFor(std::size_t count, std::chrono::milliseconds deadline = 2000ms) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, deadline, [&] { return frames_.size() >= count; });
  }
  std::vector<Frame> frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
  }
  std::size_t size() const { return frames().size(); }

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Frame> frames_;
};

// A worker body running on its own thread until the test ends it.
class Running {
 public:
  template <typename Worker>
  explicit Running(Worker& worker) : thread_([this, &worker] { worker.run(stop_); }) {}
  ~Running() { end(); }
  void end() {
    stop_.set();
    if (thread_.joinable()) thread_.join();
  }

 private:
  platform::Event stop_;
  std::thread thread_;
};

Record steadyRecord(uint8_t red) {
  Record r{};
  r[kLightMode] = 3;
  r[kBrightness] = 14;
  r[kRed] = red;
  return r;
}

std::array<std::unique_ptr<device::DeviceSession>, 3> makeSessions(device::HidBackend& backend) {
  return {std::make_unique<device::DeviceSession>(backend),
          std::make_unique<device::DeviceSession>(backend),
          std::make_unique<device::DeviceSession>(backend)};
}

// Three sessions that are never opened: the tests raise their online and
// sync flags by hand, which is all the previews look at.
class PreviewWorkerTest : public ::testing::Test {
 protected:
  PreviewWorkerTest() {
    mouseWorker.timing.startDelay = 0ms;
    mouseWorker.timing.offlinePause = 5ms;
    mouseWorker.timing.stepPause = 1ms;
    sharedWorker.timing.offlinePause = 5ms;
    sharedWorker.timing.idlePause = 2ms;
    live.set(DeviceKind::mouse, steadyRecord(100), false);
  }

  device::DeviceSession& session(DeviceKind kind) {
    return *sessions[static_cast<std::size_t>(kind)];
  }

  sim::SimBus bus;
  std::unique_ptr<device::HidBackend> backend = device::makeSimulatedBackend(bus);
  std::array<std::unique_ptr<device::DeviceSession>, 3> sessions = makeSessions(*backend);
  device::LiveLighting live;
  MousePreview preview;
  SharedPreviewBlock block;
  FrameLog mouseFrames;
  FrameLog sharedFrames;
  MousePreviewWorker mouseWorker{live, *sessions[1], preview, mouseFrames.sink()};
  SharedPreviewWorker sharedWorker{
      block, {sessions[0].get(), sessions[1].get(), sessions[2].get()}, sharedFrames.sink()};
};

TEST_F(PreviewWorkerTest, WithTheMouseOfflineThePreviewStandsStill) {
  live.set(
      DeviceKind::mouse,
      [] {
        Record r = steadyRecord(100);
        r[kLightMode] = 1;
        r[kDirection] = kDirectionLeft;
        return r;
      }(),
      false);
  {
    Running running(mouseWorker);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(mouseFrames.size(), 0u);
    EXPECT_EQ(preview.state().position, 0);

    session(DeviceKind::mouse).online = true;
    ASSERT_TRUE(mouseFrames.waitFor(3));
  }
  const auto frames = mouseFrames.frames();
  EXPECT_EQ(frames.front().size(), 20u);
  EXPECT_EQ(frames.front().front().color, packTint(HueWheel[1]));
  EXPECT_EQ(frames[1].front().color, packTint(HueWheel[2]));
}

TEST_F(PreviewWorkerTest, ASteadyPictureIsHandedOnOnceUntilItChanges) {
  mouseWorker.timing.repaintInterval = 60s;
  session(DeviceKind::mouse).online = true;
  Running running(mouseWorker);
  ASSERT_TRUE(mouseFrames.waitFor(1));
  std::this_thread::sleep_for(80ms);
  EXPECT_EQ(mouseFrames.size(), 1u);

  live.set(DeviceKind::mouse, steadyRecord(7), false);
  ASSERT_TRUE(mouseFrames.waitFor(2));
  running.end();
  EXPECT_EQ(mouseFrames.frames()[1].front().color, packTint({7, 0, 0}));
  EXPECT_EQ(mouseFrames.size(), 2u);
}

TEST_F(PreviewWorkerTest, TheSyncFlagHandsThePictureToTheSharedPreview) {
  session(DeviceKind::mouse).online = true;
  session(DeviceKind::mouse).lightingSync = true;
  block.set({3, 14, 0, 0, 0, 1, 2, 3});
  {
    Running mouseRunning(mouseWorker);
    Running sharedRunning(sharedWorker);
    ASSERT_TRUE(sharedFrames.waitFor(3));
    std::this_thread::sleep_for(30ms);
  }
  EXPECT_EQ(mouseFrames.size(), 0u);
  const Frame frame = sharedFrames.frames().front();
  ASSERT_EQ(frame.size(), 20u);  // only the mouse is synced
  EXPECT_EQ(frame.front().color, packTint({1, 2, 3}));

  // The next live report clears the flag: the mouse preview paints again.
  session(DeviceKind::mouse).lightingSync = false;
  const std::size_t sharedBefore = sharedFrames.size();
  {
    Running mouseRunning(mouseWorker);
    Running sharedRunning(sharedWorker);
    ASSERT_TRUE(mouseFrames.waitFor(1));
    std::this_thread::sleep_for(30ms);
  }
  EXPECT_EQ(sharedFrames.size(), sharedBefore);
  EXPECT_EQ(mouseFrames.frames().front().front().color, packTint({100, 0, 0}));
}

TEST_F(PreviewWorkerTest, TheSharedPreviewRestsWhileNoDeviceIsOnline) {
  session(DeviceKind::keyboard).lightingSync = true;
  block.set({1, 14, 0, 1, 0, 0, 0, 0});
  Running running(sharedWorker);
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(sharedFrames.size(), 0u);

  // An online mouse alone does not: the keyboard is not there to be sent the
  // report that ends its sync.
  session(DeviceKind::mouse).online = true;
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(sharedFrames.size(), 0u);
  // Once the keyboard is online its picture moves.
  session(DeviceKind::keyboard).online = true;
  ASSERT_TRUE(sharedFrames.waitFor(2));
  running.end();
  const auto frames = sharedFrames.frames();
  EXPECT_EQ(frames[0].size(), 126u);
  EXPECT_EQ(frames[0].front().light, 35);
  EXPECT_NE(frames[0].front().color, frames[1].front().color);
}

// Over half a second: a worker that rests wakes a few times, one that spins
// about once a millisecond.
constexpr auto kWatchPeriod = 500ms;
constexpr std::uint64_t kRestingPasses = 40;

TEST_F(PreviewWorkerTest, SyncFlagsOfDevicesThatAreNotOnlineKeepNoStepsGoing) {
  // After a copy the keyboard and the pad, both absent, stay synced for good.
  session(DeviceKind::mouse).online = true;
  session(DeviceKind::keyboard).lightingSync = true;
  session(DeviceKind::mousePad).lightingSync = true;
  block.set({0, 14, 0, 1, 1, 0, 0, 0});  // the fastest wave
  sharedWorker.timing.idlePause = 50ms;
  Running running(sharedWorker);
  std::this_thread::sleep_for(kWatchPeriod);
  running.end();
  EXPECT_EQ(sharedFrames.size(), 0u);
  EXPECT_LT(sharedWorker.passes(), kRestingPasses);
}

TEST_F(PreviewWorkerTest, ASharedModeThePreviewCannotShowRestsInsteadOfSpinning) {
  session(DeviceKind::mouse).online = true;
  session(DeviceKind::mouse).lightingSync = true;
  block.set({7, 14, 0, 1, 0, 1, 2, 3});  // mode 7 at speed 0 draws nothing
  sharedWorker.timing.idlePause = 50ms;
  Running running(sharedWorker);
  std::this_thread::sleep_for(kWatchPeriod);
  running.end();
  EXPECT_EQ(sharedFrames.size(), 0u);
  EXPECT_GE(sharedWorker.passes(), 1u);
  EXPECT_LT(sharedWorker.passes(), kRestingPasses);
}

TEST_F(PreviewWorkerTest, AMouseModeThePreviewCannotDrawRestsUntilTheRecordChanges) {
  session(DeviceKind::mouse).online = true;
  Record r = steadyRecord(100);
  r[kLightMode] = 9;  // as a mouse may report it
  live.set(DeviceKind::mouse, r, false);
  mouseWorker.timing.idlePause = 50ms;
  Running running(mouseWorker);
  std::this_thread::sleep_for(kWatchPeriod);
  EXPECT_EQ(mouseFrames.size(), 0u);
  EXPECT_LT(mouseWorker.passes(), kRestingPasses);
  live.set(DeviceKind::mouse, steadyRecord(100), false);
  EXPECT_TRUE(mouseFrames.waitFor(1));
}

TEST_F(PreviewWorkerTest, TheStopEventEndsBothWorkersWithTheirStopLines) {
  platform::DebugCapture capture;
  mouseWorker.timing.startDelay = 60s;
  sharedWorker.timing.offlinePause = 60s;
  const auto started = std::chrono::steady_clock::now();
  {
    Running mouseRunning(mouseWorker);
    Running sharedRunning(sharedWorker);
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  const auto slot = [](platform::WorkerSlot s) {
    return platform::kWorkerStopLines[static_cast<std::size_t>(s)];
  };
  EXPECT_EQ(capture.count(slot(platform::WorkerSlot::mousePreview)), 1);
  EXPECT_EQ(capture.count(slot(platform::WorkerSlot::combinedPreview)), 1);
}

// A worker stepping a spectrum cycle, with the time and the preview position
// of every frame it hands on.
struct TimedPositions {
  struct Entry {
    std::chrono::steady_clock::time_point at;
    int position;
  };
  std::mutex mutex;
  std::vector<Entry> entries;
  void add(int position) {
    std::lock_guard lock(mutex);
    entries.push_back({std::chrono::steady_clock::now(), position});
  }
  // From the first frame: the time the position took to go once round the
  // 192 hue-wheel entries, and the frames that took (none when it did not).
  std::optional<std::pair<std::chrono::milliseconds, std::size_t>> firstCycle() {
    std::lock_guard lock(mutex);
    int travelled = 0;
    for (std::size_t i = 1; i < entries.size(); ++i) {
      travelled += (entries[i].position - entries[i - 1].position + 192) % 192;
      if (travelled >= 192)
        return std::pair(std::chrono::duration_cast<std::chrono::milliseconds>(entries[i].at -
                                                                             entries[0].at),
                         i);
    }
    return std::nullopt;
  }
};

TEST_F(PreviewWorkerTest, AtSpeedZeroTheSpectrumGoesRoundInItsTimeAtOneFramePerShortestFrame) {
  Record r = steadyRecord(100);
  r[kLightMode] = 1;
  r[kSpeed] = 0;  // a step every 3 ms: 192 steps take 576 ms
  r[kDirection] = kDirectionLeft;
  live.set(DeviceKind::mouse, r, false);
  session(DeviceKind::mouse).online = true;
  TimedPositions positions;
  MousePreviewWorker worker{live, session(DeviceKind::mouse), preview,
                            [&](Frame) { positions.add(preview.state().position); }};
  worker.timing = mouseWorker.timing;
  worker.timing.shortestFrame = 33ms;
  {
    Running running(worker);
    std::this_thread::sleep_for(1500ms);
  }
  const auto cycle = positions.firstCycle();
  ASSERT_TRUE(cycle.has_value());
  EXPECT_GT(cycle->first, 288ms);
  EXPECT_LT(cycle->first, 1728ms);
  // About 18 frames of 33 ms, not 192 of one step each.
  EXPECT_LT(cycle->second, 48u);
}

TEST_F(PreviewWorkerTest, AClosedGateHoldsBothWorkersWithoutPassesUntilItOpens) {
  Record r = steadyRecord(100);
  r[kLightMode] = 1;
  live.set(DeviceKind::mouse, r, false);
  session(DeviceKind::mouse).online = true;
  session(DeviceKind::keyboard).online = true;
  session(DeviceKind::keyboard).lightingSync = true;
  block.set({1, 14, 0, 1, 0, 0, 0, 0});
  device::PreviewGate gate(false);
  mouseWorker.gate = &gate;
  sharedWorker.gate = &gate;
  Running mouseRunning(mouseWorker);
  Running sharedRunning(sharedWorker);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(mouseFrames.size(), 0u);
  EXPECT_EQ(sharedFrames.size(), 0u);
  EXPECT_LE(mouseWorker.passes(), 1u);
  EXPECT_LE(sharedWorker.passes(), 1u);

  gate.open();
  EXPECT_TRUE(mouseFrames.waitFor(2));
  EXPECT_TRUE(sharedFrames.waitFor(2));
  // Closed again, they rest after the pass under way.
  gate.close();
  std::this_thread::sleep_for(50ms);
  const std::size_t mouseSeen = mouseFrames.size();
  const std::size_t sharedSeen = sharedFrames.size();
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(mouseFrames.size(), mouseSeen);
  EXPECT_EQ(sharedFrames.size(), sharedSeen);
}

TEST_F(PreviewWorkerTest, EveryDeviceSyncedAtTheFastestWaveStillPausesEachPass) {
  // Mode 0 with every device synced has no pause of its own at speed 0.
  for (DeviceKind kind : kAllDeviceKinds) {
    session(kind).online = true;
    session(kind).lightingSync = true;
  }
  block.set({0, 14, 0, 1, 1, 0, 0, 0});
  Running running(sharedWorker);
  std::this_thread::sleep_for(kWatchPeriod);
  running.end();
  EXPECT_GT(sharedFrames.size(), 0u);
  // At most one pass a millisecond, not as many as the core can run.
  EXPECT_LE(sharedWorker.passes(), 2 * static_cast<std::uint64_t>(kWatchPeriod.count()));
}

TEST(MousePreviewState, RestartAndTriggersAreTakenBetweenSteps) {
  MousePreview preview;
  Record r{};
  r[kLightMode] = 4;
  preview.step(r);
  preview.step(r);
  EXPECT_EQ(preview.state().barCount, 2);
  preview.restart();
  preview.setTrigger(7);
  preview.setTrigger(23);  // outside the ring: ignored
  const MousePreviewState state = preview.state();
  EXPECT_EQ(state.barCount, 0);
  EXPECT_EQ(state.position, 0);
  EXPECT_EQ(state.triggers[7], 1);
  EXPECT_EQ(std::count(state.triggers.begin(), state.triggers.end(), 1), 1);
}

}  // namespace
}  // namespace varnacle::mouse
