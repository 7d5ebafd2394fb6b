// The previews' gates, step count and ticks: a closed gate holds a worker
// without waking it and lets it go on opening or stopping, and the window's
// gates open only with a picture in sight; the step count keeps a pace's speed
// whatever the frames' lengths, within its bounds; the ticks read from the
// clock what a 10 ms timer would have counted.
#include "device/preview_pacing.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <future>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace varnacle::device {
namespace {

using namespace std::chrono_literals;
using Clock = StepCatchUp::Clock;

TEST(StepCatchUp, CountsTheStepsOfThePaceThatFellDueAndCarriesTheRest) {
  StepCatchUp catchUp;
  const Clock::time_point t0{};
  EXPECT_EQ(catchUp.due(t0, 3ms), 1);  // the first frame makes one step
  EXPECT_EQ(catchUp.due(t0 + 33ms, 3ms), 11);
  // 10 ms: three steps, 1 ms carried; 11 ms more make 12 ms: four steps.
  EXPECT_EQ(catchUp.due(t0 + 43ms, 3ms), 3);
  EXPECT_EQ(catchUp.due(t0 + 54ms, 3ms), 4);
  // Over 30 frames of 33 ms a 3 ms pace makes exactly its 330 steps.
  int steps = 0;
  for (int i = 1; i <= 30; ++i) steps += catchUp.due(t0 + 54ms + i * 33ms, 3ms);
  EXPECT_EQ(steps, 330);
}

TEST(StepCatchUp, AnEarlyFrameStepsOnceAndATakenStepIsNotCountedTwice) {
  StepCatchUp catchUp;
  const Clock::time_point t0{};
  catchUp.due(t0, 10ms);
  EXPECT_EQ(catchUp.due(t0 + 4ms, 10ms), 1);
  // That step was owed only at 10 ms; by 20 ms one more is due, not two.
  EXPECT_EQ(catchUp.due(t0 + 20ms, 10ms), 1);
  EXPECT_EQ(catchUp.due(t0 + 30ms, 10ms), 1);
}

TEST(StepCatchUp, AStallIsNotRacedThroughAndARestartForgetsTheRest) {
  StepCatchUp catchUp;
  const Clock::time_point t0{};
  catchUp.due(t0, 3ms);
  EXPECT_EQ(catchUp.due(t0 + 1h, 3ms), StepCatchUp::kMostSteps);
  EXPECT_EQ(catchUp.due(t0 + 1h + 3ms, 3ms), 1);
  catchUp.restart();
  EXPECT_EQ(catchUp.due(t0 + 2h, 3ms), 1);
  // A pace of nothing is bounded by the same limit, not divided by zero.
  EXPECT_EQ(catchUp.due(t0 + 2h + 1s, 0ms), StepCatchUp::kMostSteps);
  // A clock that went back starts afresh.
  EXPECT_EQ(catchUp.due(t0, 3ms), 1);
}

TEST(PreviewGate, AClosedGateHoldsUntilOpenedOrStopped) {
  PreviewGate gate(false);
  platform::Event stop;
  EXPECT_FALSE(gate.isOpen());

  auto opened = std::async(std::launch::async, [&] {
    bool waited = false;
    const bool stopped = gate.waitOpen(stop, &waited);
    return std::pair(stopped, waited);
  });
  EXPECT_EQ(opened.wait_for(50ms), std::future_status::timeout);
  gate.open();
  ASSERT_EQ(opened.wait_for(2s), std::future_status::ready);
  EXPECT_EQ(opened.get(), std::pair(false, true));

  // Open: it lets a worker through at once and says it did not wait.
  bool waited = true;
  EXPECT_FALSE(gate.waitOpen(stop, &waited));
  EXPECT_FALSE(waited);

  // Closed again, a stop ends the wait at once.
  gate.close();
  auto stopped = std::async(std::launch::async, [&] { return gate.waitOpen(stop); });
  EXPECT_EQ(stopped.wait_for(50ms), std::future_status::timeout);
  stop.set();
  ASSERT_EQ(stopped.wait_for(2s), std::future_status::ready);
  EXPECT_TRUE(stopped.get());
  // A stop already set is seen at an open gate too.
  gate.open();
  EXPECT_TRUE(gate.waitOpen(stop));
}

// Every worker resting at a gate goes on when it opens, and one stopped
// while others rest leaves them resting.
TEST(PreviewGate, OpeningLetsEveryRestingWorkerThrough) {
  PreviewGate gate(false);
  std::array<platform::Event, 3> stops;
  std::vector<std::future<bool>> waits;
  for (auto& stop : stops)
    waits.push_back(std::async(std::launch::async, [&gate, &stop] { return gate.waitOpen(stop); }));
  stops[0].set();
  ASSERT_EQ(waits[0].wait_for(2s), std::future_status::ready);
  EXPECT_TRUE(waits[0].get());
  EXPECT_EQ(waits[1].wait_for(50ms), std::future_status::timeout);
  gate.open();
  for (std::size_t i = 1; i < waits.size(); ++i) {
    ASSERT_EQ(waits[i].wait_for(2s), std::future_status::ready);
    EXPECT_FALSE(waits[i].get()) << "worker " << i << " was not stopped";
  }
}

TEST(PreviewGates, EachOpensOnlyWhileTheWindowIsSeenAndOneOfItsPicturesIsShown) {
  PreviewGates gates;
  PreviewGate& mouse = gates.add({"mouse"});
  PreviewGate& shared = gates.add({"mouse", "pad"});
  EXPECT_FALSE(mouse.isOpen()) << "closed until the window says what can be seen";
  EXPECT_FALSE(shared.isOpen());

  std::set<std::string, std::less<>> shown = {"mouse"};
  const auto isShown = [&](std::string_view picture) { return shown.count(picture) > 0; };
  gates.update(true, isShown);
  EXPECT_TRUE(mouse.isOpen());
  EXPECT_TRUE(shared.isOpen());

  shown = {"pad"};
  gates.update(true, isShown);
  EXPECT_FALSE(mouse.isOpen());
  EXPECT_TRUE(shared.isOpen()) << "one of its pictures is enough";

  gates.update(false, isShown);
  EXPECT_FALSE(shared.isOpen()) << "nothing is seen of a hidden window";

  // Added later, a gate keeps its reference and follows the next update.
  std::array<PreviewGate*, 20> more{};
  for (auto& gate : more) gate = &gates.add({"pad"});
  gates.update(true, isShown);
  EXPECT_TRUE(more.front()->isOpen());
  EXPECT_TRUE(more.back()->isOpen());
  EXPECT_FALSE(mouse.isOpen());

  // Released for shutting down: open for good, also gates added after.
  gates.release();
  EXPECT_TRUE(mouse.isOpen());
  gates.update(false, isShown);
  EXPECT_TRUE(mouse.isOpen());
  EXPECT_TRUE(gates.add({"keyboard"}).isOpen());
}

TEST(PreviewTicks, CountWhatATenMillisecondTimerWouldHaveAdvanced) {
  Clock::time_point now{};
  PreviewTicks ticks([&] { return now; });
  EXPECT_EQ(ticks.freeCounter(), 0u);
  EXPECT_FALSE(ticks.takeTick()) << "no period has passed";

  // Period by period: each counter wraps at its value, the first raises the flag.
  std::array<int, 5> wraps{};
  int tickCount = 0;
  for (int step = 1; step <= 60; ++step) {
    now += PreviewTicks::kPeriod;
    for (std::size_t i = 0; i < 5; ++i) {
      ASSERT_LT(ticks.counter(i), PreviewTicks::kWrap[i]);
      if (ticks.counter(i) == 0) ++wraps[i];
    }
    if (ticks.takeTick()) ++tickCount;
  }
  EXPECT_EQ(wraps, (std::array<int, 5>{30, 30, 20, 15, 12}));
  EXPECT_EQ(tickCount, 30);
  EXPECT_FALSE(ticks.takeTick());
  EXPECT_EQ(ticks.freeCounter(), 60u);

  // Part of a period counts nothing; many raises before a take are one flag.
  now += PreviewTicks::kPeriod - 1ns;
  EXPECT_EQ(ticks.freeCounter(), 60u);
  now += 1s;
  EXPECT_EQ(ticks.freeCounter(), 160u);
  EXPECT_TRUE(ticks.takeTick());
  EXPECT_FALSE(ticks.takeTick());
  // A clock read before the start counts as the start.
  now = Clock::time_point{} - 1s;
  EXPECT_EQ(ticks.freeCounter(), 0u);
}

TEST(PreviewTicks, OneRaiseIsTakenByOneReaderOnly) {
  Clock::time_point now{};
  PreviewTicks ticks([&] { return now; });
  now += 20ms;
  std::atomic<int> taken{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i)
    readers.emplace_back([&] {
      for (int n = 0; n < 1000; ++n) taken += ticks.takeTick();
    });
  for (auto& r : readers) r.join();
  EXPECT_EQ(taken.load(), 1);
}

}  // namespace
}  // namespace varnacle::device
