// The previews' gate and step count: a closed gate holds a worker without
// waking it and lets it go on opening or stopping; the step count keeps a
// pace's speed whatever the frames' lengths, within its bounds.
#include "device/preview_pacing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

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

  // Closed again, a stop ends the wait (within the gate's stop check).
  gate.close();
  auto stopped = std::async(std::launch::async, [&] { return gate.waitOpen(stop); });
  EXPECT_EQ(stopped.wait_for(50ms), std::future_status::timeout);
  stop.set();
  ASSERT_EQ(stopped.wait_for(PreviewGate::kStopCheck + 2s), std::future_status::ready);
  EXPECT_TRUE(stopped.get());
  // A stop already set is seen at an open gate too.
  gate.open();
  EXPECT_TRUE(gate.waitOpen(stop));
}

}  // namespace
}  // namespace varnacle::device
