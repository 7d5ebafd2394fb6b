// The keyboard's preview thread with shortened timing: at its fastest pace
// the column wave makes up its steps once per frame and still goes round in
// its time.
#include "keyboard/kb_preview_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "device/hid_sim.h"
#include "device/live_lighting.h"
#include "sim/sim_bus.h"

namespace varnacle::keyboard {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(KeyboardPreviewWorkerTest, AtSpeedZeroTheWaveGoesRoundInItsTimeAtOneFramePerShortestFrame) {
  sim::SimBus bus;
  const std::unique_ptr<device::HidBackend> backend = device::makeSimulatedBackend(bus);
  device::DeviceSession keyboard(*backend);
  keyboard.online = true;  // all the preview looks at
  device::LiveLighting live;
  KeyboardLighting lighting(live);
  lighting.edit(
      [](KeyboardLightingBlock& b) {
        b.bytes[kLightMode] = 0;  // the wave: a step every 2 ms, 192 steps round the wheel
        b.bytes[kBrightness] = 14;
        b.bytes[kSpeed] = 0;
        b.bytes[kDirection] = 1;
        b.bytes[kSevenColor] = 1;
      },
      false);
  KeyboardPreview preview;
  device::PreviewTicks ticks;
  std::mutex mutex;
  std::vector<std::pair<Clock::time_point, int>> positions;  // the wave's, by frame
  KeyboardPreviewWorker worker(lighting, keyboard, preview, ticks, [&](Frame) {
    const std::lock_guard lock(mutex);
    positions.emplace_back(Clock::now(), preview.state().wave.position);
  });
  worker.timing.startDelay = 0ms;
  worker.timing.shortestFrame = 33ms;
  platform::Event stop;
  std::thread thread([&] { worker.run(stop); });
  std::this_thread::sleep_for(1500ms);
  stop.set();
  thread.join();

  // The first time the position comes back past where the first frame left
  // it: one turn of the wheel, 384 ms of steps.
  ASSERT_GE(positions.size(), 2u);
  const int start = positions.front().second;
  int travelled = 0;
  std::size_t frames = 0;
  Clock::duration took{};
  for (std::size_t i = 1; i < positions.size(); ++i) {
    const int moved = ((positions[i].second - positions[i - 1].second) % 192 + 192) % 192;
    travelled += std::min(moved, 192 - moved);  // either way round
    if (travelled >= 192) {
      frames = i;
      took = positions[i].first - positions.front().first;
      break;
    }
  }
  ASSERT_GT(frames, 0u) << "the wave did not go round in 1.5 s from " << start;
  EXPECT_GT(took, 192ms);
  EXPECT_LT(took, 1152ms);
  // About 12 frames of 33 ms, not 192 of one step each.
  EXPECT_LT(frames, 40u);
}

}  // namespace
}  // namespace varnacle::keyboard
