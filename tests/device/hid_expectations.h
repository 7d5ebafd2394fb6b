#pragma once
// What every backend must report for the test mouse's interface 1: its
// vendor collection (number 1) and its consumer collection (number 2).
#include <gtest/gtest.h>

#include "device/hid_device.h"

namespace varnacle::device::test_support {

inline void expectTestMouseVendorCollection(const HidDevice& device) {
  EXPECT_EQ(device.attributes().vendorId, 0x0C45);
  EXPECT_EQ(device.attributes().productId, 0x662E);
  EXPECT_EQ(device.attributes().versionNumber, 0x0105);
  EXPECT_EQ(device.capabilities().usagePage, 0xFF1C);
  EXPECT_EQ(device.capabilities().usage, 0x0092);
  EXPECT_EQ(device.capabilities().inputReportLength, 64);
  EXPECT_EQ(device.capabilities().outputReportLength, 64);
  EXPECT_EQ(device.capabilities().featureReportLength, 0);
  EXPECT_EQ(device.interfaceNumber(), 1);
  EXPECT_EQ(device.collectionNumber(), 1);
}

inline void expectTestMouseConsumerCollection(const HidDevice& device) {
  EXPECT_EQ(device.capabilities().usagePage, 0x000C);
  EXPECT_EQ(device.capabilities().usage, 0x0001);
}

}  // namespace varnacle::device::test_support
