// The virtual devices' consumer collection as a notification listener sees it:
// found by its usage page and usage, read and decoded through HidDevice.
#include <gtest/gtest.h>

#include <memory>

#include "device/hid_device.h"
#include "device/hid_sim.h"
#include "sim/virtual_device.h"

namespace varnacle::device {
namespace {

struct Listener : ::testing::TestWithParam<DeviceKind> {
  sim::SimBus bus;
  std::shared_ptr<sim::VirtualDevice> device =
      std::make_shared<sim::VirtualDevice>(GetParam(), bus);
  std::unique_ptr<HidBackend> backend = makeSimulatedBackend(bus);
  HidDevice hid{*backend};

  void SetUp() override {
    bus.plug(device);
    ASSERT_TRUE(hid.enumerate());
    for (const auto& path : hid.pathList) {
      hid.devicePath = path;
      hid.options = OpenOptions{.read = true, .overlapped = true};
      if (hid.open() && hid.capabilities().usagePage == 0x000C &&
          hid.capabilities().usage == 0x0001)
        return;
      hid.close();
    }
    FAIL() << "no consumer collection";
  }

  // The first usage of the first input descriptor after decoding one report.
  uint16_t nextUsage() {
    std::vector<uint8_t> report(hid.capabilities().inputReportLength);
    std::size_t got = 0;
    if (hid.readReport(report, 200, got) != IoResult::ok || !hid.decodeInputReport(report))
      return 0xFFFF;
    const auto& descriptors = hid.inputDescriptors();
    if (descriptors.empty() || descriptors[0].usageList.empty()) return 0xFFFF;
    return descriptors[0].usageList[0];
  }
};

TEST_P(Listener, ProfileButtonArrivesAsUsage0401ThenARelease) {
  device->pressProfileButton();
  EXPECT_EQ(nextUsage(), 0x0401);
  EXPECT_EQ(nextUsage(), 0x0000);
  EXPECT_EQ(device->activeProfile(), 1);
}

TEST_P(Listener, OtherNotificationsArriveWithTheirUsage) {
  device->sendNotification(0x0402);
  EXPECT_EQ(nextUsage(), 0x0402);
  EXPECT_EQ(nextUsage(), 0x0000);
  device->sendNotification(0x0403);
  EXPECT_EQ(nextUsage(), 0x0403);
}

INSTANTIATE_TEST_SUITE_P(Devices, Listener,
                         ::testing::Values(DeviceKind::keyboard, DeviceKind::mouse));

}  // namespace
}  // namespace varnacle::device
