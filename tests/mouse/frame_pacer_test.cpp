// The frame pacer between the preview threads and the UI thread: a frame that
// comes a frame interval after the last batch is shown at once, frames that
// come sooner are held to one batch per interval, and the newest always shows.
#include "mouse/frame_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "../app/app_test_support.h"
#include "ui/application.h"

namespace varnacle::mouse {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

Frame frameOf(int light) {
  return Frame{Tint{light, 0x00FF00, 255}};
}

struct Shown {
  std::size_t preview;
  int light;
  Clock::time_point at;
};

struct FramePacerTest : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(host.create(nullptr, "host")); }
  void TearDown() override { host.destroy(); }

  template <typename Pred>
  static bool pumpUntil(Pred pred, std::chrono::milliseconds limit = 5s) {
    const auto end = Clock::now() + limit;
    while (!pred()) {
      if (Clock::now() > end) return false;
      ui::Application::instance()->processEvents(1);
    }
    return true;
  }

  app::test::HostWindow host;
  std::vector<Shown> shown;  // UI thread only
  FramePacer pacer{2, [this](std::size_t preview, const Frame& frame) {
                     shown.push_back({preview, frame.front().light, Clock::now()});
                   }};
};

TEST_F(FramePacerTest, AFrameAfterAQuietIntervalShowsAtOnce) {
  pacer.start(host.id(), 200ms);
  const auto posted = Clock::now();
  pacer.post(0, frameOf(1));
  ASSERT_TRUE(pumpUntil([&] { return shown.size() == 1; }));
  EXPECT_LT(shown[0].at - posted, 150ms) << "it waited for the pacer's interval";
  EXPECT_EQ(shown[0].light, 1);
}

TEST_F(FramePacerTest, FramesComingFasterShowOneBatchPerIntervalEndingWithTheNewest) {
  constexpr auto kInterval = 50ms;
  pacer.start(host.id(), kInterval);
  std::atomic<bool> done = false;
  std::thread preview([&] {
    for (int i = 1; i <= 100; ++i) {
      pacer.post(0, frameOf(i));
      if (i % 10 == 0) pacer.post(1, frameOf(-i));
      std::this_thread::sleep_for(3ms);
    }
    done = true;
  });
  const auto newestShown = [&] {
    return std::any_of(shown.begin(), shown.end(), [](const Shown& s) { return s.preview == 0 && s.light == 100; });
  };
  pumpUntil([&] { return done.load(); });
  preview.join();
  ASSERT_TRUE(pumpUntil(newestShown)) << "the newest frame was not shown";
  // About 300 ms of frames every 3 ms: a few batches, not a hundred frames.
  EXPECT_LT(shown.size(), 30u);
  // Each preview's frames, one per batch: an interval apart, newer each time.
  std::array<const Shown*, 2> last{};
  for (const Shown& s : shown) {
    if (const Shown* before = last[s.preview]) {
      EXPECT_GE(s.at - before->at, kInterval / 2) << "light " << s.light;
      EXPECT_GT(std::abs(s.light), std::abs(before->light)) << "an older frame came later";
    }
    last[s.preview] = &s;
  }
  const bool secondShown = std::any_of(shown.begin(), shown.end(), [](const Shown& s) {
    return s.preview == 1 && s.light == -100;
  });
  EXPECT_TRUE(secondShown) << "the other preview's newest frame was lost";
}

TEST_F(FramePacerTest, FramesPostedBeforeTheStartWaitForIt) {
  pacer.post(0, frameOf(7));
  ui::Application::instance()->processEvents(50);
  EXPECT_TRUE(shown.empty());
  pacer.start(host.id(), 50ms);
  ASSERT_TRUE(pumpUntil([&] { return shown.size() == 1; }));
  EXPECT_EQ(shown[0].light, 7);
}

}  // namespace
}  // namespace varnacle::mouse
