// Same mode without a window: what moves between the working records, what
// stays, and the sync flags.
#include "mouse/same_mode.h"

#include <gtest/gtest.h>

#include "device/hid_sim.h"
#include "sim/sim_bus.h"

namespace varnacle::mouse {
namespace {

// A record whose every byte says which device and position it holds.
Record patterned(uint8_t device) {
  Record r{};
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>(device * 64 + i);
  return r;
}

struct SameModeTest : ::testing::Test {
  sim::SimBus bus;
  std::unique_ptr<device::HidBackend> backend = device::makeSimulatedBackend(bus);
  device::DeviceSession keyboard{*backend}, mouse{*backend}, pad{*backend};
  std::array<device::DeviceSession*, 3> sessions{&keyboard, &mouse, &pad};
  device::LiveLighting live;
  SharedPreviewBlock block;

  void SetUp() override {
    live.set(DeviceKind::keyboard, patterned(1), false);
    live.set(DeviceKind::mouse, patterned(2), false);
    live.set(DeviceKind::mousePad, patterned(3), false);
  }
};

TEST_F(SameModeTest, OnlyTheEightLightingBytesMoveAndNothingIsMarked) {
  const SharedBlock copied = copySameMode(DeviceKind::keyboard, live, block, sessions);
  const Record source = patterned(1);
  for (auto [kind, pattern] : {std::pair{DeviceKind::mouse, 2}, {DeviceKind::mousePad, 3}}) {
    SCOPED_TRACE(pattern);
    const Record r = live.snapshot(kind);
    Record expected = patterned(static_cast<uint8_t>(pattern));
    std::copy(source.begin() + 1, source.begin() + 9, expected.begin() + 1);
    EXPECT_EQ(r, expected);
    EXPECT_FALSE(live.isChanged(kind));
  }
  EXPECT_EQ(live.snapshot(DeviceKind::keyboard), source) << "the source stays as it was";
  EXPECT_EQ(copied, sharedBlockOf(source));
  EXPECT_EQ(block.get(), copied);
  for (auto* s : sessions) EXPECT_TRUE(s->lightingSync);
  // Copying again changes nothing: every page that hears the button may copy.
  const Record mouseBefore = live.snapshot(DeviceKind::mouse);
  copySameMode(DeviceKind::keyboard, live, block, sessions);
  EXPECT_EQ(live.snapshot(DeviceKind::mouse), mouseBefore);
}

TEST_F(SameModeTest, ThePushThatCarriesTheCopyEndsTheDevicesSync) {
  copySameMode(DeviceKind::mouse, live, block, sessions);
  live.markChanged(DeviceKind::mousePad);
  live.flush(sessions);  // the pad is offline: the push fails, the sync still ends
  EXPECT_FALSE(pad.lightingSync);
  EXPECT_TRUE(mouse.lightingSync);
  EXPECT_TRUE(keyboard.lightingSync);
}

TEST_F(SameModeTest, AReadOfAReceivingDeviceLandingDuringTheCopyIsKept) {
  // The keyboard's record is read from the device while the copy reaches it.
  const Record read = patterned(4);
  bool landed = false;
  live.setAccessHook([&](DeviceKind kind) {
    if (kind != DeviceKind::keyboard || landed) return;
    landed = true;
    live.set(DeviceKind::keyboard, read, false);
  });
  copySameMode(DeviceKind::mouse, live, block, sessions);
  live.setAccessHook({});
  ASSERT_TRUE(landed);
  EXPECT_EQ(live.snapshot(DeviceKind::keyboard), read) << "the copy must not undo the read";
}

TEST(SameModeSource, NamesTheDeviceOfEachButtonOnly) {
  EXPECT_EQ(sameModeSource("kb_deng_same_mode"), DeviceKind::keyboard);
  EXPECT_EQ(sameModeSource("ms_deng_same_mode"), DeviceKind::mouse);
  EXPECT_EQ(sameModeSource("mp_deng_same_mode"), DeviceKind::mousePad);
  EXPECT_EQ(sameModeSource("ms_deng_same_mode_"), std::nullopt);
  EXPECT_EQ(sameModeSource("MS_deng_same_mode"), std::nullopt);
  EXPECT_EQ(sameModeSource(""), std::nullopt);
}

}  // namespace
}  // namespace varnacle::mouse
