#include "sim/virtual_device.h"

#include <gtest/gtest.h>

#include <numeric>

namespace varnacle::sim {
namespace {

using namespace std::chrono_literals;

// A request as the host frames it: report id 4, checksum over bytes 3-63.
std::vector<uint8_t> request(uint8_t command, uint8_t length = 0, uint16_t address = 0,
                             std::vector<uint8_t> data = {}) {
  std::vector<uint8_t> report(64, 0);
  report[0] = 0x04;
  report[3] = command;
  report[4] = length;
  report[5] = static_cast<uint8_t>(address & 0xFF);
  report[6] = static_cast<uint8_t>(address >> 8);
  std::copy(data.begin(), data.end(), report.begin() + 8);
  const unsigned sum = std::accumulate(report.begin() + 3, report.end(), 0u);
  report[1] = static_cast<uint8_t>(sum & 0xFF);
  report[2] = static_cast<uint8_t>(sum >> 8 & 0xFF);
  return report;
}

struct VirtualMouse : ::testing::Test {
  SimBus bus;
  std::shared_ptr<VirtualDevice> device = std::make_shared<VirtualDevice>(DeviceKind::mouse, bus);
  std::shared_ptr<SimBus::Endpoint> vendor;
  std::shared_ptr<SimBus::Endpoint> consumer;

  void SetUp() override {
    bus.plug(device);
    vendor = bus.connect(device, {0x04});
    consumer = bus.connect(device, {0x02});
    ASSERT_TRUE(vendor && consumer);
  }

  // Sends one request and returns the reply (empty when none came in time).
  std::vector<uint8_t> send(const std::vector<uint8_t>& report,
                            std::chrono::milliseconds wait = 50ms) {
    if (!device->onOutputReport(report)) return {};
    std::vector<uint8_t> reply(64, 0);
    std::size_t got = 0;
    if (vendor->read(reply, wait, got) != ReadStatus::ok) return {};
    reply.resize(got);
    return reply;
  }
};

TEST_F(VirtualMouse, ReplyEchoesTheRequestAndCarriesAValidChecksum) {
  const auto reply = send(request(0x03, 33));
  ASSERT_EQ(reply.size(), 64u);
  EXPECT_EQ(reply[0], 0x04);
  EXPECT_EQ(reply[3], 0x03);
  EXPECT_EQ(reply[4], 33);
  EXPECT_EQ(reply[7], 0x00);
  const unsigned sum = std::accumulate(reply.begin() + 3, reply.end(), 0u) & 0xFFFF;
  EXPECT_EQ(reply[1] | reply[2] << 8, static_cast<int>(sum));
  const InfoBlock info = device->infoBlock();
  EXPECT_TRUE(std::equal(info.begin(), info.end(), reply.begin() + 8));
  EXPECT_EQ(info[12], 103);  // DPI slider maximum
  EXPECT_EQ(info[6] * 128u, device->memory().macros.size());
}

TEST_F(VirtualMouse, BadChecksumIsRefusedAndChangesNothing) {
  auto report = request(0x06, 1, 0, {3});
  report[1] ^= 0x01;
  const auto reply = send(report);
  ASSERT_EQ(reply.size(), 64u);
  EXPECT_EQ(reply[7], 0xFF);
  EXPECT_EQ(device->activeProfile(), 0);
}

TEST_F(VirtualMouse, ResetIsAcceptedWithoutAChecksumAndRestoresTheFactoryMemory) {
  const auto factory = device->memory();
  ASSERT_EQ(send(request(0x06, 1, 0, {2}))[7], 0x00);
  ASSERT_EQ(send(request(0x15, 3, 10, {7, 8, 9}))[7], 0x00);
  ASSERT_NE(device->memory(), factory);

  std::vector<uint8_t> reset(64, 0);
  reset[0] = 0x04;
  reset[3] = 0x0D;
  EXPECT_EQ(send(reset)[7], 0x00);
  EXPECT_EQ(device->memory(), factory);
}

TEST_F(VirtualMouse, AddressZeroReadsBackTheActiveProfile) {
  ASSERT_EQ(send(request(0x06, 1, 0, {4}))[7], 0x00);
  EXPECT_EQ(send(request(0x05, 1, 0))[8], 4);
  const auto record4 = send(request(0x05, 56, 256));
  EXPECT_EQ(record4[8], 4);
  EXPECT_EQ(record4[8 + 15], device->memory().settings[256 + 15]);
}

TEST_F(VirtualMouse, RequestsOutsideTheTablesAreRefused) {
  EXPECT_EQ(send(request(0x05, 56, 320 - 55))[7], 0xFF);   // past the settings
  EXPECT_EQ(send(request(0x05, 57, 0))[7], 0xFF);          // more than 56 bytes
  EXPECT_EQ(send(request(0x06, 1, 0, {5}))[7], 0xFF);      // no profile 5
  EXPECT_EQ(send(request(0x15, 56, 2048 - 55))[7], 0xFF);  // past the macro memory
  EXPECT_EQ(send(request(0x42))[7], 0xFF);                 // unknown command
  EXPECT_EQ(send(request(0x05, 56, 320 - 56))[7], 0x00);   // the last record fits
}

TEST_F(VirtualMouse, LiveRecordReplacesTheActiveProfilesRecordButNotItsNumber) {
  ASSERT_EQ(send(request(0x06, 1, 0, {1}))[7], 0x00);
  std::vector<uint8_t> record(56, 0x33);
  record[0] = 4;
  ASSERT_EQ(send(request(0x06, 56, 0, record))[7], 0x00);
  const auto memory = device->memory();
  EXPECT_EQ(memory.settings[64], 1);
  EXPECT_EQ(memory.settings[64 + 1], 0x33);
  EXPECT_EQ(memory.settings[64 + 55], 0x33);
  EXPECT_EQ(memory.settings[64 + 56], 0);  // the record's padding is untouched
  EXPECT_EQ(device->liveRecord(), record);
}

TEST_F(VirtualMouse, BracketsNest) {
  send(request(0x01));
  send(request(0x01));
  send(request(0x02));
  EXPECT_EQ(device->configDepth(), 1);
  send(request(0x02));
  send(request(0x02));
  EXPECT_EQ(device->configDepth(), 0);
}

TEST_F(VirtualMouse, FaultsApplyAfterTheSkippedRequestsForTheirCount) {
  device->injectFault(Fault::silent, 1, 2);
  EXPECT_FALSE(send(request(0x01)).empty());
  EXPECT_TRUE(send(request(0x01)).empty());
  EXPECT_TRUE(send(request(0x01)).empty());
  EXPECT_FALSE(send(request(0x01)).empty());

  const auto log = device->requestLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].replyStatus, 0);
  EXPECT_FALSE(log[1].replyStatus.has_value());
  EXPECT_FALSE(log[2].replyStatus.has_value());
  EXPECT_EQ(log[3].replyStatus, 0);
}

TEST_F(VirtualMouse, StatusFaultsLeaveTheMemoryAlone) {
  device->injectFault(Fault::statusFE);
  EXPECT_EQ(send(request(0x06, 1, 0, {2}))[7], 0xFE);
  EXPECT_EQ(device->activeProfile(), 0);
  EXPECT_EQ(send(request(0x06, 1, 0, {2}))[7], 0x00);
  EXPECT_EQ(device->activeProfile(), 2);
}

TEST_F(VirtualMouse, UnplugFaultRefusesTheWriteAndLeavesTheBus) {
  device->injectFault(Fault::unplug);
  EXPECT_FALSE(device->onOutputReport(request(0x01)));
  EXPECT_FALSE(bus.isPlugged(*device));
  EXPECT_TRUE(vendor->isGone());
  ASSERT_EQ(device->requestLog().size(), 1u);
  EXPECT_TRUE(device->requestLog()[0].refused);
}

TEST_F(VirtualMouse, ReplyDelayHoldsTheReplyBack) {
  device->setReplyDelay(80ms);
  EXPECT_TRUE(send(request(0x01), 20ms).empty());
  std::vector<uint8_t> reply(64);
  std::size_t got = 0;
  EXPECT_EQ(vendor->read(reply, 500ms, got), ReadStatus::ok);
  EXPECT_EQ(got, 64u);
}

TEST_F(VirtualMouse, ProfileButtonSwitchesAndNotifiesWithUsage0401) {
  ASSERT_EQ(send(request(0x06, 1, 0, {4}))[7], 0x00);
  device->pressProfileButton();
  EXPECT_EQ(device->activeProfile(), 0);  // 4 wraps to 0

  std::vector<uint8_t> report(3);
  std::size_t got = 0;
  ASSERT_EQ(consumer->read(report, 100ms, got), ReadStatus::ok);
  EXPECT_EQ(report, (std::vector<uint8_t>{0x02, 0x01, 0x04}));
  ASSERT_EQ(consumer->read(report, 100ms, got), ReadStatus::ok);
  EXPECT_EQ(report, (std::vector<uint8_t>{0x02, 0x00, 0x00}));
  // Notifications never reach the vendor collection.
  EXPECT_EQ(vendor->read(report, 10ms, got), ReadStatus::timeout);
}

TEST(VirtualMousePad, HasNoKeyTablesAndSendsNoNotifications) {
  SimBus bus;
  auto pad = std::make_shared<VirtualDevice>(DeviceKind::mousePad, bus);
  bus.plug(pad);
  auto consumer = bus.connect(pad, {0x02});
  auto vendor = bus.connect(pad, {0x04});
  pad->sendNotification(0x0402);
  std::vector<uint8_t> buffer(64);
  std::size_t got = 0;
  EXPECT_EQ(consumer->read(buffer, 10ms, got), ReadStatus::timeout);

  ASSERT_TRUE(pad->onOutputReport(request(0x07, 56, 0)));
  ASSERT_EQ(vendor->read(buffer, 100ms, got), ReadStatus::ok);
  EXPECT_EQ(buffer[7], 0xFF);
}

TEST(VirtualKeyboard, KeyTableHoldsKeyCountRecordsThenZeros) {
  SimBus bus;
  VirtualDevice keyboard(DeviceKind::keyboard, bus);
  const unsigned keys = keyboard.infoBlock()[kInfoKeyCountByte];
  ASSERT_GT(keys, 0u);
  ASSERT_LE(keys * 3, kKeyTableSize);
  const auto memory = keyboard.memory();
  for (unsigned k = 0; k < keys; ++k) EXPECT_NE(memory.keyTable[3 * k], 0) << k;
  EXPECT_TRUE(std::all_of(memory.keyTable.begin() + keys * 3, memory.keyTable.end(),
                          [](uint8_t b) { return b == 0; }));
}

}  // namespace
}  // namespace varnacle::sim
