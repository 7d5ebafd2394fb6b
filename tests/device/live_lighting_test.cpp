#include "device/live_lighting.h"

#include <gtest/gtest.h>

#include "session_fixture.h"

namespace varnacle::device {
namespace {

using test_support::SimulatedSession;

TEST(LiveLighting, ChangesWithinOneIntervalBecomeOneWriteLiveWithTheLatestRecord) {
  SimulatedSession sim(DeviceKind::mouse);
  ASSERT_TRUE(sim.connected);
  LiveLighting live;
  live.edit(DeviceKind::mouse, [](LiveLighting::Record& r) { r.fill(0x11); });
  live.edit(DeviceKind::mouse, [](LiveLighting::Record& r) { r.fill(0x22); });
  sim.device->clearLog();

  live.flush({nullptr, sim.session.get(), nullptr});
  live.flush({nullptr, sim.session.get(), nullptr});

  const auto log = sim.device->requestLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].command, 0x06);
  EXPECT_EQ(log[0].length, 56);
  for (std::size_t i = 0; i < 56; ++i)
    EXPECT_EQ(log[0].data[i], i < 23 ? 0x22 : 0x00) << "byte " << i << ": 23 record bytes, then zeros";
  EXPECT_FALSE(live.isChanged(DeviceKind::mouse));
}

TEST(LiveLighting, LoadingARecordMarksOnlyWhenAsked) {
  LiveLighting live;
  LiveLighting::Record r{};
  r[1] = 4;
  live.set(DeviceKind::mousePad, r, false);
  EXPECT_FALSE(live.isChanged(DeviceKind::mousePad));
  EXPECT_EQ(live.snapshot(DeviceKind::mousePad)[1], 4);
  live.set(DeviceKind::mousePad, r, true);
  EXPECT_TRUE(live.isChanged(DeviceKind::mousePad));
}

TEST(LiveLighting, FailedPushClearsTheFlagAndIsNotRetried) {
  SimulatedSession sim(DeviceKind::keyboard);
  sim.device->injectFault(sim::Fault::refuseWrite);
  LiveLighting live;
  live.edit(DeviceKind::keyboard, [](LiveLighting::Record& r) { r[1] = 3; });
  live.flush({sim.session.get(), nullptr, nullptr});
  EXPECT_FALSE(live.isChanged(DeviceKind::keyboard));
  sim.device->clearLog();
  live.flush({sim.session.get(), nullptr, nullptr});
  EXPECT_TRUE(sim.device->requestLog().empty());
}

}  // namespace
}  // namespace varnacle::device
