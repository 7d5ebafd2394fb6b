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

// What every backend's open collection must hold together: one descriptor
// per button capability of each kind, at least one per value capability
// (a ranged one gives one per usage), every input button descriptor with a
// zeroed usage list, every descriptor of the collection's report ids.
inline void expectDescriptorsFollowCapabilities(HidDevice& device) {
  const auto& caps = device.capabilities();
  const uint16_t buttons[] = {caps.numberInputButtonCaps, caps.numberOutputButtonCaps,
                              caps.numberFeatureButtonCaps};
  const uint16_t values[] = {caps.numberInputValueCaps, caps.numberOutputValueCaps,
                             caps.numberFeatureValueCaps};
  for (std::size_t k = 0; k < kReportKindCount; ++k) {
    SCOPED_TRACE(k);
    std::size_t buttonDescriptors = 0, valueDescriptors = 0;
    for (const auto& d : device.descriptors(ReportKind(k))) {
      (d.isButton ? buttonDescriptors : valueDescriptors)++;
      EXPECT_FALSE(d.isDataSet);
      if (d.isButton) {
        EXPECT_LE(d.usageMin, d.usageMax);
      }
      if (d.isButton && k == 0) {
        for (const uint16_t usage : d.usageList) EXPECT_EQ(usage, 0);
      }
    }
    EXPECT_EQ(buttonDescriptors, buttons[k]);
    EXPECT_GE(valueDescriptors, values[k]);
  }
}

}  // namespace varnacle::device::test_support
