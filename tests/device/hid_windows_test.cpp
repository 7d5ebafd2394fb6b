// The Windows backend against the HID collections the system offers (under
// wine: its virtual mouse and keyboard). Collections the test may not read
// are checked as far as a zero-access open goes.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "device/hid_device.h"
#include "device/hid_path.h"
#include "hid_expectations.h"

namespace varnacle::device {
namespace {

using namespace std::chrono_literals;

struct WindowsHid : ::testing::Test {
  std::unique_ptr<HidBackend> backend = makePlatformBackend();
  HidDevice device{*backend};

  void SetUp() override {
    ASSERT_TRUE(device.enumerate());
    paths = device.pathList;
    if (paths.empty()) GTEST_SKIP() << "the system offers no HID collection";
  }

  // Opens the first listed collection that may be read; false when none may.
  bool openReadable() {
    for (const auto& path : paths) {
      device.devicePath = path;
      device.options = OpenOptions{.read = true, .write = false, .overlapped = true};
      if (device.open()) return true;
    }
    return false;
  }

  std::vector<std::string> paths;
};

TEST_F(WindowsHid, EveryListedCollectionOpensWithoutAccessWithItsIdentityAndCapabilities) {
  for (const auto& path : paths) {
    SCOPED_TRACE(path);
    device.devicePath = path;
    device.options = {};
    ASSERT_TRUE(device.open());
    EXPECT_TRUE(device.probe());
    EXPECT_EQ(device.attributes().vendorId, hexAfter(path, "vid_"));
    EXPECT_EQ(device.attributes().productId, hexAfter(path, "pid_"));
    EXPECT_NE(device.capabilities().usagePage, 0);
    EXPECT_EQ(device.interfaceNumber(), hexAfter(path, "&mi_"));
    EXPECT_EQ(device.collectionNumber(), hexAfter(path, "&col"));
    test_support::expectDescriptorsFollowCapabilities(device);
  }
  device.close();
  EXPECT_FALSE(device.isOpen());
  device.devicePath = paths.front() + "-gone";
  EXPECT_FALSE(device.probe());
  EXPECT_FALSE(device.open());
  EXPECT_EQ(device.openError(), OpenError::absent);
}

TEST_F(WindowsHid, AReadWithoutInputTimesOutAndTheNextWaitsAgain) {
  if (!openReadable()) GTEST_SKIP() << "no collection may be read";
  std::vector<uint8_t> buffer(device.capabilities().inputReportLength);
  std::size_t transferred = 99;
  EXPECT_EQ(device.readReport(buffer, 50, transferred), IoResult::timeout);
  EXPECT_EQ(transferred, 0u);
  EXPECT_FALSE(device.isReading());
  EXPECT_EQ(device.readReport(buffer, 50, transferred), IoResult::timeout);
}

TEST_F(WindowsHid, ClosingWhileAnotherThreadReadsEndsThatReadPromptly) {
  if (!openReadable()) GTEST_SKIP() << "no collection may be read";
  std::vector<uint8_t> buffer(device.capabilities().inputReportLength);
  auto reader = std::async(std::launch::async, [&] {
    std::size_t transferred = 0;
    return device.readReport(buffer, 20000, transferred);
  });
  while (!device.isReading()) std::this_thread::sleep_for(1ms);
  device.close();
  ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(reader.get(), IoResult::aborted);
}

TEST_F(WindowsHid, AnInputReportWithNothingPressedDecodesToEmptyLists) {
  if (!openReadable()) GTEST_SKIP() << "no collection may be read";
  auto& inputs = device.inputDescriptors();
  if (inputs.empty()) GTEST_SKIP() << "the collection has no input fields";
  std::vector<uint8_t> report(device.capabilities().inputReportLength, 0);
  report[0] = uint8_t(inputs.front().reportId);
  device.decodeInputReport(report);
  for (const auto& d : inputs) {
    if (d.reportId != report[0]) continue;
    EXPECT_TRUE(d.isDataSet);
    if (d.isButton && d.status == DecodeStatus::success) {
      for (const uint16_t usage : d.usageList) EXPECT_EQ(usage, 0);
    }
  }
  // A report too short for the collection is refused, not read past its end.
  if (report.size() > 1) {
    EXPECT_FALSE(device.decodeInputReport(std::span(report).first(1)));
  }
}

}  // namespace
}  // namespace varnacle::device
