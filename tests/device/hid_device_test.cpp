#include "device/hid_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <limits>
#include <thread>

#include "device/hid_path.h"
#include "hid_expectations.h"
#include "device/hid_sim.h"
#include "sim/sim_bus.h"

namespace varnacle::device {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A vendor collection (report id 4, 63 data bytes each way) and a
// consumer-control collection (report id 3, one 16-bit usage index).
const std::vector<uint8_t> kTwoCollections = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF,
    0x00, 0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02,
    0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF,
    0x0F, 0x19, 0x00, 0x2A, 0xFF, 0x0F, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
};

// Echoes every vendor report back; refuses writes while `refuse` is set.
class EchoMouse : public sim::VirtualInterface {
 public:
  explicit EchoMouse(sim::SimBus& bus, uint16_t productId = 0x662E)
      : bus_(bus), productId_(productId) {}
  sim::Identity identity() const override { return {0x0C45, productId_, 0x0105, 1}; }
  std::vector<uint8_t> reportDescriptor() const override { return kTwoCollections; }
  bool onOutputReport(std::span<const uint8_t> report) override {
    ++received;
    if (refuse) return false;
    bus_.deliver(*this, {report.begin(), report.end()});
    return true;
  }
  std::atomic<bool> refuse{false};
  std::atomic<int> received{0};  // reports the host wrote, refused ones too

 private:
  sim::SimBus& bus_;
  uint16_t productId_;
};

struct HidDeviceTest : ::testing::Test {
  sim::SimBus bus;
  std::shared_ptr<EchoMouse> mouse = std::make_shared<EchoMouse>(bus);
  std::unique_ptr<HidBackend> backend = makeSimulatedBackend(bus);
  HidDevice device{*backend};

  void SetUp() override { bus.plug(mouse); }

  // Opens the n-th listed collection (1-based) for reading and writing.
  bool openCollection(HidDevice& d, int n) {
    if (!d.enumerate() || d.pathList.size() < std::size_t(n)) return false;
    d.devicePath = d.pathList[std::size_t(n) - 1];
    d.options = {.read = true, .write = true, .overlapped = true, .exclusive = false};
    return d.open();
  }

  std::vector<uint8_t> vendorReport(uint8_t marker) {
    std::vector<uint8_t> r(64, 0);
    r[0] = 4;
    r[1] = marker;
    return r;
  }
};

TEST_F(HidDeviceTest, ListsOneSpelledPathPerCollectionAndOpensWithItsCapabilities) {
  ASSERT_TRUE(device.enumerate());
  ASSERT_EQ(device.pathList.size(), 2u);
  EXPECT_EQ(device.pathList[0], "sim/0#vid_0c45&pid_662e&mi_01&col01");
  EXPECT_EQ(device.pathList[1], "sim/0#vid_0c45&pid_662e&mi_01&col02");

  ASSERT_TRUE(openCollection(device, 1));
  test_support::expectTestMouseVendorCollection(device);
  test_support::expectDescriptorsFollowCapabilities(device);

  ASSERT_TRUE(openCollection(device, 2));
  test_support::expectTestMouseConsumerCollection(device);
  test_support::expectDescriptorsFollowCapabilities(device);
  EXPECT_EQ(device.capabilities().inputReportLength, 3);
  EXPECT_EQ(device.capabilities().outputReportLength, 0);
  EXPECT_EQ(device.collectionNumber(), 2);
}

TEST_F(HidDeviceTest, MoreThanEightInterfacesAreAllListedAndTheCursorStartsAtZero) {
  std::vector<std::shared_ptr<EchoMouse>> more;
  for (int i = 0; i < 11; ++i) {
    more.push_back(std::make_shared<EchoMouse>(bus, uint16_t(0x1000 + i)));
    bus.plug(more.back());
  }
  device.pathCursor = 5;
  ASSERT_TRUE(device.enumerate());
  EXPECT_EQ(device.pathList.size(), 24u);
  EXPECT_EQ(device.pathCursor, 0u);
  EXPECT_EQ(device.pathList[23], "sim/11#vid_0c45&pid_100a&mi_01&col02");
  device.freePathList();
  EXPECT_TRUE(device.pathList.empty());
}

TEST_F(HidDeviceTest, EmptyBusListsNothingAndSucceeds) {
  bus.unplug(*mouse);
  ASSERT_TRUE(device.enumerate());
  EXPECT_TRUE(device.pathList.empty());
}

TEST_F(HidDeviceTest, WrittenReportComesBackOnlyOnItsOwnCollection) {
  ASSERT_TRUE(openCollection(device, 1));
  HidDevice consumer{*backend};
  ASSERT_TRUE(openCollection(consumer, 2));

  std::size_t n = 0;
  ASSERT_EQ(device.writeReport(vendorReport(0x5A), n), IoResult::ok);
  EXPECT_EQ(n, 64u);
  std::vector<uint8_t> in(64);
  ASSERT_EQ(device.readReport(in, 1000, n), IoResult::ok);
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(in[0], 4);
  EXPECT_EQ(in[1], 0x5A);

  std::vector<uint8_t> small(3);
  EXPECT_EQ(consumer.readReport(small, 20, n), IoResult::timeout);
  EXPECT_EQ(n, 0u);
}

TEST_F(HidDeviceTest, RefusedWrongLengthAndForeignReportsFail) {
  ASSERT_TRUE(openCollection(device, 1));
  std::size_t n = 99;
  std::vector<uint8_t> shortReport(63, 0);
  shortReport[0] = 4;
  EXPECT_EQ(device.writeReport(shortReport, n), IoResult::failed);
  EXPECT_EQ(n, 0u);

  auto foreign = vendorReport(0);
  foreign[0] = 3;  // the consumer collection's id
  EXPECT_EQ(device.writeReport(foreign, n), IoResult::failed);

  mouse->refuse = true;
  EXPECT_EQ(device.writeReport(vendorReport(1), n), IoResult::failed);
  mouse->refuse = false;
  EXPECT_EQ(device.writeReport(vendorReport(1), n), IoResult::ok);

  std::vector<uint8_t> tooSmall(10);
  EXPECT_EQ(device.readReport(tooSmall, 100, n), IoResult::failed);
}

TEST_F(HidDeviceTest, ReadsAndWritesNeedTheAccessTheyWereOpenedWith) {
  ASSERT_TRUE(device.enumerate());
  device.devicePath = device.pathList[0];
  std::vector<uint8_t> in(64);
  std::size_t n = 0;

  device.options = {.read = true, .write = false};
  ASSERT_TRUE(device.open());
  EXPECT_EQ(device.writeReport(vendorReport(1), n), IoResult::failed);
  bus.deliver(*mouse, vendorReport(2));
  EXPECT_EQ(device.readReport(in, 1000, n), IoResult::ok);

  device.options = {};  // identity and capabilities only
  ASSERT_TRUE(device.open());
  EXPECT_EQ(device.capabilities().usagePage, 0xFF1C);
  bus.deliver(*mouse, vendorReport(3));
  EXPECT_EQ(device.readReport(in, 20, n), IoResult::failed);
  EXPECT_EQ(device.writeReport(vendorReport(4), n), IoResult::failed);
}

TEST_F(HidDeviceTest, TimedOutReadFailsAfterItsLimitAndTheNextReadWorksAtOnce) {
  ASSERT_TRUE(openCollection(device, 1));
  std::vector<uint8_t> in(64);
  std::size_t n = 0;
  const auto start = Clock::now();
  EXPECT_EQ(device.readReport(in, 50, n), IoResult::timeout);
  EXPECT_GE(Clock::now() - start, 45ms);
  EXPECT_FALSE(device.isReading());

  bus.deliver(*mouse, vendorReport(7));
  ASSERT_EQ(device.readReport(in, 1000, n), IoResult::ok);
  EXPECT_EQ(in[1], 7);
}

TEST_F(HidDeviceTest, ReopenAndCloseAbortAWaitingReadPromptly) {
  ASSERT_TRUE(openCollection(device, 1));
  for (const bool reopen : {true, false}) {
    std::atomic<IoResult> result{IoResult::ok};
    std::atomic<bool> started{false};
    const auto start = Clock::now();
    std::thread reader([&] {
      std::vector<uint8_t> in(64);
      std::size_t n = 0;
      started = true;
      result = device.readReport(in, 10000, n);
    });
    while (!started || !device.isReading()) std::this_thread::sleep_for(1ms);
    if (reopen) {
      EXPECT_TRUE(device.open());
    } else {
      device.close();
    }
    reader.join();
    EXPECT_EQ(result, IoResult::aborted);
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_EQ(device.isOpen(), reopen);
  }
}

TEST_F(HidDeviceTest, DestroyingTheDeviceEndsAWaitingReadWithoutPullingItsConnection) {
  auto owned = std::make_unique<HidDevice>(*backend);
  ASSERT_TRUE(openCollection(*owned, 1));
  HidDevice* raw = owned.get();
  std::atomic<IoResult> result{IoResult::ok};
  const auto start = Clock::now();
  std::thread reader([&] {
    std::vector<uint8_t> in(64);
    std::size_t n = 0;
    result = raw->readReport(in, 10000, n);
  });
  while (!owned->isReading()) std::this_thread::sleep_for(1ms);
  owned.reset();
  reader.join();
  EXPECT_EQ(result, IoResult::aborted);
  EXPECT_LT(Clock::now() - start, 5s);
}

TEST_F(HidDeviceTest, CloseRacingAReadNeverLeavesItWaiting) {
  // The close may land before, during or after the reader takes the
  // connection; in every case the read returns long before its limit.
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(openCollection(device, 1));
    const auto start = Clock::now();
    std::thread reader([&] {
      std::vector<uint8_t> in(64);
      std::size_t n = 0;
      EXPECT_NE(device.readReport(in, 10000, n), IoResult::ok);
    });
    device.close();
    reader.join();
    ASSERT_LT(Clock::now() - start, 5s);
  }
}

TEST_F(HidDeviceTest, UnpluggedDeviceFailsReadsWritesProbeAndOpen) {
  ASSERT_TRUE(openCollection(device, 1));
  EXPECT_TRUE(device.probe());
  bus.unplug(*mouse);
  EXPECT_FALSE(device.probe());
  std::vector<uint8_t> in(64);
  std::size_t n = 0;
  EXPECT_EQ(device.readReport(in, 1000, n), IoResult::gone);
  EXPECT_EQ(device.writeReport(vendorReport(1), n), IoResult::gone);
  EXPECT_FALSE(device.open());
  EXPECT_FALSE(device.isOpen());
  EXPECT_EQ(device.capabilities().usagePage, 0);

  bus.plug(mouse);  // the same interface comes back under the same path
  EXPECT_TRUE(device.probe());
  EXPECT_TRUE(device.open());
}

TEST_F(HidDeviceTest, UnknownPathsDoNotOpenOrProbe) {
  ASSERT_TRUE(device.enumerate());
  for (const char* path : {"", "sim/0", "sim/9#vid_0c45&pid_662e&mi_01&col01", "sim/x#vid_0c45",
                           "sim/0#vid_0c45&pid_662e&mi_01&col03", "/dev/null#vid_0c45"}) {
    device.devicePath = path;
    EXPECT_FALSE(device.open()) << path;
    EXPECT_FALSE(device.probe()) << path;
  }
}

TEST_F(HidDeviceTest, ConsumerReportDecodesToItsUsageAndOtherIdsLeaveDescriptorsAlone) {
  ASSERT_TRUE(openCollection(device, 2));
  auto& descriptors = device.inputDescriptors();
  ASSERT_EQ(descriptors.size(), 1u);
  EXPECT_TRUE(descriptors[0].isButton);
  EXPECT_EQ(descriptors[0].usagePage, 0x000C);
  ASSERT_EQ(descriptors[0].usageList.size(), 1u);

  const uint8_t other[] = {5, 0x02, 0x04};
  EXPECT_TRUE(device.decodeInputReport(other));
  EXPECT_FALSE(descriptors[0].isDataSet);

  const uint8_t report[] = {3, 0x02, 0x04};
  ASSERT_TRUE(device.decodeInputReport(report));
  EXPECT_TRUE(descriptors[0].isDataSet);
  EXPECT_EQ(descriptors[0].status, DecodeStatus::success);
  EXPECT_EQ(descriptors[0].usageList[0], 0x0402);

  const uint8_t released[] = {3, 0x00, 0x00};
  ASSERT_TRUE(device.decodeInputReport(released));
  EXPECT_EQ(descriptors[0].usageList[0], 0);

  const uint8_t truncated[] = {3, 0x01};
  EXPECT_FALSE(device.decodeInputReport(truncated));
  EXPECT_EQ(descriptors[0].status, DecodeStatus::invalidReportLength);
}

// A plugged interface with a descriptor of the test's choice.
class Described : public sim::VirtualInterface {
 public:
  explicit Described(std::vector<uint8_t> descriptor) : descriptor_(std::move(descriptor)) {}
  sim::Identity identity() const override { return {0x0C45, 0x0001, 1, 0}; }
  std::vector<uint8_t> reportDescriptor() const override { return descriptor_; }
  bool onOutputReport(std::span<const uint8_t>) override { return true; }

 private:
  std::vector<uint8_t> descriptor_;
};

struct DecodeTest : ::testing::Test {
  sim::SimBus bus;
  std::unique_ptr<HidBackend> backend = makeSimulatedBackend(bus);
  HidDevice device{*backend};

  void openWith(std::vector<uint8_t> descriptor) {
    bus.plug(std::make_shared<Described>(std::move(descriptor)));
    ASSERT_TRUE(device.enumerate());
    ASSERT_EQ(device.pathList.size(), 1u);
    device.devicePath = device.pathList[0];
    device.options = {.read = true};
    ASSERT_TRUE(device.open());
  }
};

TEST_F(DecodeTest, MouseButtonsAndSignedAxesDecode) {
  // Buttons 1..3, 5 bits padding, X and Y signed bytes in -127..127; unnumbered.
  openWith({0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03,
            0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01,
            0x75, 0x05, 0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81,
            0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0});
  auto& d = device.inputDescriptors();
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(device.capabilities().numberInputButtonCaps, 1);
  EXPECT_EQ(device.capabilities().numberInputValueCaps, 2);
  ASSERT_EQ(d[0].usageList.size(), 3u);

  const uint8_t report[] = {0, 0b101, 0xFB, 0x05};
  ASSERT_TRUE(device.decodeInputReport(report));
  EXPECT_EQ(d[0].usageList, (std::vector<uint16_t>{1, 3, 0}));
  EXPECT_EQ(d[1].usage, 0x30);
  EXPECT_EQ(d[1].rawValue, 0xFBu);
  EXPECT_EQ(d[1].scaledValue, -5);
  EXPECT_EQ(d[2].rawValue, 5u);
  EXPECT_EQ(d[2].scaledValue, 5);
  for (const auto& each : d) EXPECT_TRUE(each.isDataSet);

  // -128 lies outside the logical range: raw value only.
  const uint8_t outside[] = {0, 0b111, 0x80, 0x00};
  ASSERT_TRUE(device.decodeInputReport(outside));
  EXPECT_EQ(d[0].usageList, (std::vector<uint16_t>{1, 2, 3}));
  EXPECT_EQ(d[1].rawValue, 0x80u);
  EXPECT_EQ(d[1].status, DecodeStatus::valueOutOfRange);

  // A report cut short fails at the first value it no longer holds.
  const uint8_t cut[] = {0, 0b010};
  EXPECT_FALSE(device.decodeInputReport(cut));
  EXPECT_EQ(d[0].usageList, (std::vector<uint16_t>{2, 0, 0}));
  EXPECT_EQ(d[1].status, DecodeStatus::invalidReportLength);
}

TEST_F(DecodeTest, ValuesScaleFromLogicalToPhysicalRange) {
  // One byte 0..255 standing for 0..1000; a 16-bit value 0..32767 whose
  // physical range 100..10 is empty.
  openWith({0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x10, 0x15, 0x00, 0x26, 0xFF,
            0x00, 0x35, 0x00, 0x46, 0xE8, 0x03, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x09,
            0x11, 0x26, 0xFF, 0x7F, 0x35, 0x64, 0x45, 0x0A, 0x75, 0x10, 0x81, 0x02, 0xC0});
  auto& d = device.inputDescriptors();
  ASSERT_EQ(d.size(), 2u);
  const uint8_t report[] = {0, 128, 0x34, 0x12};
  ASSERT_TRUE(device.decodeInputReport(report));
  EXPECT_EQ(d[0].scaledValue, 501);
  EXPECT_EQ(d[0].status, DecodeStatus::success);
  EXPECT_EQ(d[1].rawValue, 0x1234u);
  EXPECT_EQ(d[1].status, DecodeStatus::badLogicalPhysical);
}

TEST_F(DecodeTest, FullThirtyTwoBitRangesScaleWithoutOverflow) {
  // A signed 32-bit value over the whole range: range times range leaves 64 bits.
  openWith({0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x10, 0x17, 0x00, 0x00, 0x00,
            0x80, 0x27, 0xFF, 0xFF, 0xFF, 0x7F, 0x75, 0x20, 0x95, 0x01, 0x81, 0x02, 0xC0});
  auto& d = device.inputDescriptors();
  ASSERT_EQ(d.size(), 1u);
  const uint8_t five[] = {0, 0x05, 0x00, 0x00, 0x00};
  ASSERT_TRUE(device.decodeInputReport(five));
  EXPECT_EQ(d[0].scaledValue, 5);
  const uint8_t lowest[] = {0, 0x00, 0x00, 0x00, 0x80};
  ASSERT_TRUE(device.decodeInputReport(lowest));
  EXPECT_EQ(d[0].rawValue, 0x80000000u);
  EXPECT_EQ(d[0].scaledValue, std::numeric_limits<int32_t>::min());
}

TEST_F(DecodeTest, UsageListsOfHostileDescriptorsAreBoundedAtOpen) {
  // n one-bit buttons of one page: n descriptors with room for n usages each.
  const auto buttons = [](int n) {
    std::vector<uint8_t> d = {0x05, 0x09, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x01, 0x95, 0x01};
    for (int i = 0; i < n; ++i) d.insert(d.end(), {0x09, 0x01, 0x81, 0x02});
    d.push_back(0xC0);
    return d;
  };
  openWith(buttons(200));
  EXPECT_EQ(device.inputDescriptors().size(), 200u);
  EXPECT_EQ(device.inputDescriptors()[0].usageList.size(), 200u);

  HidDevice other{*backend};
  bus.plug(std::make_shared<Described>(buttons(300)));
  ASSERT_TRUE(other.enumerate());
  ASSERT_EQ(other.pathList.size(), 2u);
  other.devicePath = other.pathList[1];
  EXPECT_FALSE(other.open());
  EXPECT_FALSE(other.isOpen());
  EXPECT_TRUE(other.inputDescriptors().empty());
}

TEST_F(DecodeTest, KeyboardPageListsEveryPressedUsageInsideEachRange) {
  // Modifiers E0..E7 as bits, a reserved byte, six key indices 0..255.
  openWith({0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,
            0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01,
            0x75, 0x08, 0x81, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x26, 0xFF,
            0x00, 0x19, 0x00, 0x2A, 0xFF, 0x00, 0x81, 0x00, 0xC0});
  auto& d = device.inputDescriptors();
  ASSERT_EQ(d.size(), 2u);
  ASSERT_EQ(d[0].usageList.size(), 14u);  // 8 bits and 6 indices of the page
  const uint8_t report[] = {0, 0x02, 0, 0x04, 0x05, 0, 0, 0, 0};
  ASSERT_TRUE(device.decodeInputReport(report));
  EXPECT_EQ(d[0].usageList[0], 0xE1);
  EXPECT_EQ(d[0].usageList[1], 0);
  EXPECT_EQ(d[1].usageList[0], 0xE1);
  EXPECT_EQ(d[1].usageList[1], 0x04);
  EXPECT_EQ(d[1].usageList[2], 0x05);
  EXPECT_EQ(d[1].usageList[3], 0);
}

TEST(HidPath, NumbersAfterKeysAreHexadecimalCaseInsensitiveAndZeroWhenAbsent) {
  EXPECT_EQ(hexAfter("/dev/hidraw3#vid_0c45&pid_662e&mi_01&col02", "&mi_"), 1);
  EXPECT_EQ(hexAfter("/dev/hidraw3#vid_0c45&pid_662e&mi_01&col02", "&col"), 2);
  EXPECT_EQ(hexAfter(R"(\\?\HID#VID_0C45&PID_662E&MI_0A&COL1F#7&1)", "&mi_"), 10);
  EXPECT_EQ(hexAfter(R"(\\?\HID#VID_0C45&PID_662E&MI_0A&COL1F#7&1)", "&col"), 31);
  EXPECT_EQ(hexAfter(R"(\\?\HID#VID_0C45&PID_662E&MI_0A&COL1F#7&1)", "vid_"), 0x0C45);
  EXPECT_EQ(hexAfter("/dev/hidraw0#vid_046d&pid_c077", "&mi_"), 0);
  EXPECT_EQ(hexAfter("/dev/hidraw0#vid_046d&pid_c077", "&col"), 0);
  EXPECT_EQ(hexAfter("x&mi_", "&mi_"), 0);
  EXPECT_EQ(hexAfter("x&mi_fffffffffffff", "&mi_"), 0);
}

TEST(HidPath, CollectionSuffixOnlyWhenTheInterfaceHasSeveral) {
  EXPECT_EQ(collectionPath("/dev/hidraw3", 0x0C45, 0x662E, 1, 2, 2),
            "/dev/hidraw3#vid_0c45&pid_662e&mi_01&col02");
  EXPECT_EQ(collectionPath("/dev/hidraw0", 0x046D, 0xC077, std::nullopt, 1, 1),
            "/dev/hidraw0#vid_046d&pid_c077");
  const auto parts = splitCollectionPath("/dev/hidraw3#vid_0c45&pid_662e&mi_01&col0b");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->node, "/dev/hidraw3");
  EXPECT_EQ(parts->collection, 11);
  EXPECT_EQ(splitCollectionPath("/dev/hidraw0#vid_046d")->collection, 1);
  EXPECT_FALSE(splitCollectionPath("/dev/hidraw0"));
}

TEST_F(HidDeviceTest, ConnectionFromBeforeAReplugIsGoneAndNeverReachesTheDevice) {
  ASSERT_TRUE(openCollection(device, 1));
  const std::string path = device.devicePath;
  bus.unplug(*mouse);
  bus.plug(mouse);  // back at once, under the same path
  EXPECT_TRUE(device.probe());

  std::size_t n = 0;
  EXPECT_EQ(device.writeReport(vendorReport(1), n), IoResult::gone);
  EXPECT_EQ(mouse->received, 0);
  std::vector<uint8_t> in(64);
  EXPECT_EQ(device.readReport(in, 1000, n), IoResult::gone);

  // A connection opened after the replug works as ever.
  HidDevice fresh{*backend};
  fresh.devicePath = path;
  fresh.options = {.read = true, .write = true, .overlapped = true, .exclusive = false};
  ASSERT_TRUE(fresh.open());
  ASSERT_EQ(fresh.writeReport(vendorReport(2), n), IoResult::ok);
  EXPECT_EQ(mouse->received, 1);
  ASSERT_EQ(fresh.readReport(in, 1000, n), IoResult::ok);
  EXPECT_EQ(in[1], 2);
  EXPECT_EQ(device.writeReport(vendorReport(3), n), IoResult::gone);
  EXPECT_EQ(mouse->received, 1);
}

}  // namespace
}  // namespace varnacle::device
