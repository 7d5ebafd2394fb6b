#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <thread>

#include "device/device_session.h"
#include "device/report.h"
#include "platform/debug_output.h"
#include "session_fixture.h"

namespace varnacle::device {
namespace {

using test_support::SimulatedSession;
using namespace std::chrono_literals;

constexpr uint8_t kSentinel = 0xA5;

// --- Report framing -------------------------------------------------------

TEST(Report, ChecksumOfTheTwoReferenceRequests) {
  const Report begin = Report::request(Command::beginConfig);
  EXPECT_EQ(begin.bytes[0], 0x04);
  EXPECT_EQ(begin.bytes[1], 0x01);
  EXPECT_EQ(begin.bytes[2], 0x00);
  EXPECT_TRUE(
      std::all_of(begin.bytes.begin() + 4, begin.bytes.end(), [](uint8_t b) { return b == 0; }));

  const Report info = Report::request(Command::readDeviceInfo, 0x21);
  EXPECT_EQ(info.bytes[1], 0x24);
  EXPECT_EQ(info.bytes[2], 0x00);
}

TEST(Report, ChecksumCarriesIntoTheHighByteAndCoversAddressAndData) {
  std::array<uint8_t, 56> data;
  data.fill(0xFF);
  const Report report = Report::request(Command::writeProfileTable, 56, 0x01F8, data);
  // 0x09 + 56 + 0xF8 + 0x01 + 56 * 0xFF = 14594 = 0x3902
  EXPECT_EQ(report.bytes[1], 0x02);
  EXPECT_EQ(report.bytes[2], 0x39);
  EXPECT_EQ(report.bytes[5], 0xF8);
  EXPECT_EQ(report.bytes[6], 0x01);
  EXPECT_EQ(report.status(), 0);
}

TEST(Report, TakesAtMost56DataBytes) {
  std::vector<uint8_t> data(80, 0x11);
  const Report report = Report::request(Command::writeMacroTable, 56, 0, data);
  EXPECT_TRUE(
      std::all_of(report.data().begin(), report.data().end(), [](uint8_t b) { return b == 0x11; }));
}

// --- Transactions over a simulated mouse ----------------------------------

struct MouseSession : ::testing::Test {
  SimulatedSession sim{DeviceKind::mouse};
  void SetUp() override { ASSERT_TRUE(sim.connected); }
};

TEST_F(MouseSession, ChunkedReadOf512BytesMakesTenRequests) {
  std::array<uint8_t, 512> table{};
  ASSERT_EQ(sim.session->readKeyTable(table), kResultOk);

  std::vector<uint16_t> addresses;
  for (uint16_t a = 0; a <= 504; a += 56) addresses.push_back(a);
  EXPECT_EQ(sim.addresses(), addresses);
  std::vector<uint8_t> lengths(9, 56);
  lengths.push_back(8);
  EXPECT_EQ(sim.lengths(), lengths);
  const auto memory = sim.device->memory();
  EXPECT_TRUE(std::equal(table.begin(), table.end(), memory.keyTable.begin()));
}

TEST_F(MouseSession, ProfileTableOfIndexTwoStartsAt252) {
  std::array<uint8_t, 512> table{};
  ASSERT_EQ(sim.session->readProfileTable(2, table), kResultOk);
  const auto addresses = sim.addresses();
  ASSERT_EQ(addresses.size(), 10u);
  EXPECT_EQ(addresses[0], 252);
  EXPECT_EQ(addresses[1], 308);
  EXPECT_EQ(addresses[9], 252 + 504);
  const auto memory = sim.device->memory();
  EXPECT_TRUE(std::equal(table.begin(), table.end(), memory.profileTables.begin() + 252));
}

TEST_F(MouseSession, ProfileIndexOutsideZeroToFourIsRefusedWithoutTraffic) {
  std::array<uint8_t, 512> table;
  table.fill(kSentinel);
  EXPECT_EQ(sim.session->readProfileTable(5, table), kResultBadProfileIndex);
  EXPECT_EQ(sim.session->readProfileTable(-1, table), kResultBadProfileIndex);
  EXPECT_EQ(sim.session->writeProfileTable(5, table), kResultBadProfileIndex);
  EXPECT_TRUE(sim.device->requestLog().empty());
  EXPECT_EQ(table[0], kSentinel);
}

TEST_F(MouseSession, EmptyTablesSucceedWithoutTraffic) {
  EXPECT_EQ(sim.session->writeMacroTable({}), kResultOk);
  EXPECT_EQ(sim.session->readCursorTable({}), kResultOk);
  EXPECT_EQ(sim.session->writeCursorTable({}), kResultOk);
  sim.session->transferSize = 0;
  EXPECT_EQ(sim.session->readKeyTable({}), kResultOk);
  EXPECT_TRUE(sim.device->requestLog().empty());
}

TEST_F(MouseSession, SilentDeviceGetsTheSameRequestFourTimesThenZero) {
  sim.device->injectFault(sim::Fault::silent, 0, sim::VirtualDevice::kAlways);
  DeviceInfoBlock info;
  info.fill(kSentinel);
  EXPECT_EQ(sim.session->readDeviceInfo(info), kResultNoReply);

  const auto log = sim.device->requestLog();
  ASSERT_EQ(log.size(), 4u);
  for (const auto& request : log) {
    EXPECT_EQ(request.command, 0x03);
    EXPECT_EQ(request.length, 33);
    EXPECT_EQ(request.checksumLow, 0x24);
  }
  EXPECT_EQ(info[0], kSentinel);
}

TEST_F(MouseSession, SilentDeviceTakesAboutFourReadLimitsWithTheRealLimit) {
  sim.session->readTimeout = 300ms;
  sim.device->injectFault(sim::Fault::silent, 0, sim::VirtualDevice::kAlways);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(sim.session->beginConfig(), kResultNoReply);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 1150ms);
  EXPECT_LT(elapsed, 4000ms);
  EXPECT_EQ(sim.device->requestLog().size(), 4u);
}

TEST_F(MouseSession, ReplyAfterTwoSilentAttemptsSucceeds) {
  sim.device->injectFault(sim::Fault::silent, 0, 2);
  DeviceInfoBlock info{};
  EXPECT_EQ(sim.session->readDeviceInfo(info), kResultOk);
  EXPECT_EQ(sim.device->requestLog().size(), 3u);
  EXPECT_EQ(info, sim.device->infoBlock());
}

TEST_F(MouseSession, LateReplyOfAnAbandonedRequestIsNotTakenForTheNextOne) {
  sim.session->attempts = 1;
  // Far beyond the 20 ms read limit, so a loaded machine that wakes the
  // reader late still finds no reply.
  sim.device->setReplyDelay(500ms);
  std::array<uint8_t, 56> record{};
  EXPECT_EQ(sim.session->readBlock(64, record), kResultNoReply);
  sim.device->setReplyDelay(0ms);
  std::this_thread::sleep_for(600ms);  // the late reply for address 64 is now waiting

  platform::DebugCapture capture;
  ASSERT_EQ(sim.session->readBlock(128, record), kResultOk);
  const auto memory = sim.device->memory();
  EXPECT_TRUE(std::equal(record.begin(), record.end(), memory.settings.begin() + 128));
  EXPECT_EQ(capture.count("device session: dropped 1 late replies of earlier requests"), 1);
}

TEST_F(MouseSession, BusyStatusEndsAChunkedWriteAfterThatChunk) {
  sim.device->injectFault(sim::Fault::statusFE, 2);
  const auto before = sim.device->memory();
  std::vector<uint8_t> image(300);
  std::iota(image.begin(), image.end(), uint8_t{1});

  EXPECT_EQ(sim.session->writeMacroTable(image), kResultStatusFE);
  EXPECT_EQ(sim.device->requestLog().size(), 3u);
  const auto after = sim.device->memory();
  // Chunks 1 and 2 stay written; chunk 3 and the rest never reached the table.
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + 112, after.macros.begin()));
  EXPECT_TRUE(
      std::equal(after.macros.begin() + 112, after.macros.end(), before.macros.begin() + 112));
}

TEST_F(MouseSession, RefusedStatusLeavesTheCallersBufferAlone) {
  sim.device->injectFault(sim::Fault::statusFF);
  std::array<uint8_t, 56> record;
  record.fill(kSentinel);
  EXPECT_EQ(sim.session->readBlock(64, record), kResultStatusFF);
  EXPECT_TRUE(std::all_of(record.begin(), record.end(), [](uint8_t b) { return b == kSentinel; }));
}

TEST_F(MouseSession, FailedWriteReturnsAtOnceWithoutRetry) {
  sim.device->injectFault(sim::Fault::refuseWrite);
  EXPECT_EQ(sim.session->beginConfig(), kResultWriteFailed);
  ASSERT_EQ(sim.device->requestLog().size(), 1u);
  EXPECT_TRUE(sim.device->requestLog()[0].refused);
}

TEST_F(MouseSession, ShortReplyIsNotUsedAndTheRequestIsRetried) {
  sim.device->injectFault(sim::Fault::shortReply);
  platform::DebugCapture capture;
  std::array<uint8_t, 56> record{};
  EXPECT_EQ(sim.session->readBlock(64, record), kResultOk);
  EXPECT_EQ(sim.device->requestLog().size(), 2u);
  const auto memory = sim.device->memory();
  EXPECT_TRUE(std::equal(record.begin(), record.end(), memory.settings.begin() + 64));
  EXPECT_EQ(capture.count("device session: device sent a short reply of 6 bytes"), 1);
}

TEST_F(MouseSession, OnlyShortRepliesEndLikeNoReply) {
  sim.device->injectFault(sim::Fault::shortReply, 0, sim::VirtualDevice::kAlways);
  std::array<uint8_t, 8> block;
  block.fill(kSentinel);
  EXPECT_EQ(sim.session->readBlock(0, block), kResultNoReply);
  EXPECT_EQ(sim.device->requestLog().size(), 4u);
  EXPECT_EQ(block[0], kSentinel);
}

TEST_F(MouseSession, UnplugMidTransferEndsItWithAWriteFailure) {
  sim.device->injectFault(sim::Fault::unplug, 3);
  std::array<uint8_t, 512> table;
  table.fill(kSentinel);
  EXPECT_EQ(sim.session->readKeyTable(table), kResultWriteFailed);
  EXPECT_EQ(sim.device->requestLog().size(), 4u);
  EXPECT_FALSE(sim.bus.isPlugged(*sim.device));
  // The three chunks that came back are in place; the rest is untouched.
  const auto memory = sim.device->memory();
  EXPECT_TRUE(std::equal(table.begin(), table.begin() + 168, memory.keyTable.begin()));
  EXPECT_EQ(table[168], kSentinel);
  EXPECT_FALSE(sim.session->device.probe());
  EXPECT_FALSE(sim.session->online);

  // Plugged in again, the interface is found and opened anew.
  sim.bus.plug(sim.device);
  ASSERT_TRUE(openMatchingInterface(*sim.session));
  EXPECT_EQ(sim.session->readKeyTable(table), kResultOk);
  EXPECT_TRUE(std::equal(table.begin(), table.end(), memory.keyTable.begin()));
}

TEST_F(MouseSession, DeviceReplugSinceTheOpenTakesTheSessionOfflineAndNothingReachesIt) {
  sim.bus.unplug(*sim.device);
  sim.bus.plug(sim.device);  // back under the same path before anyone looked
  platform::DebugCapture capture;
  // The read for late replies before the write finds the connection gone.
  EXPECT_EQ(sim.session->beginConfig(), kResultNoReply);
  EXPECT_FALSE(sim.session->online);
  EXPECT_EQ(capture.count("device session: the device went away under its connection; "
                          "offline until it is opened again"),
            1);

  // Offline now: the rest of an exchange sends nothing and changes nothing.
  const auto before = sim.device->memory();
  std::array<uint8_t, 512> table;
  table.fill(kSentinel);
  EXPECT_EQ(sim.session->writeProfileTable(0, table), kResultNoReply);
  EXPECT_EQ(sim.session->endConfig(), kResultNoReply);
  EXPECT_TRUE(sim.device->requestLog().empty());
  EXPECT_EQ(sim.device->configDepth(), 0);
  EXPECT_EQ(sim.device->memory(), before);

  ASSERT_TRUE(openMatchingInterface(*sim.session));
  EXPECT_EQ(sim.session->beginConfig(), kResultOk);
  EXPECT_EQ(sim.device->configDepth(), 1);
}

TEST_F(MouseSession, DeviceLeavingWhileAReplyIsAwaitedEndsTheTransactionAtOnce) {
  sim.session->readTimeout = 10s;
  sim.device->injectFault(sim::Fault::silent, 0, sim::VirtualDevice::kAlways);
  std::atomic<int> result{99};
  std::thread caller([&] { result = sim.session->beginConfig(); });
  // The request is on the device and the session waits for its reply.
  while (sim.device->requestLog().empty() || !sim.session->device.isReading())
    std::this_thread::sleep_for(1ms);
  const auto unpluggedAt = std::chrono::steady_clock::now();
  sim.bus.unplug(*sim.device);
  caller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - unpluggedAt, 5s);
  EXPECT_EQ(result, kResultNoReply);
  EXPECT_FALSE(sim.session->online);
  EXPECT_EQ(sim.device->requestLog().size(), 1u);
}

TEST_F(MouseSession, ChunkedWriteReusesTheReportFromChunkToChunk) {
  std::vector<uint8_t> image(60);
  std::iota(image.begin(), image.end(), uint8_t{100});
  ASSERT_EQ(sim.session->writeMacroTable(image), kResultOk);

  const auto log = sim.device->requestLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].length, 4);
  EXPECT_EQ(log[1].address, 56);
  EXPECT_TRUE(std::equal(image.begin() + 56, image.end(), log[1].data.begin()));
  // Past the 4 new bytes the second request still carries the first chunk's.
  EXPECT_TRUE(std::equal(log[1].data.begin() + 4, log[1].data.end(), image.begin() + 4));
  // The device accepted both, so both checksums covered the bytes as sent.
  EXPECT_EQ(log[1].replyStatus, 0);
  const auto memory = sim.device->memory();
  EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.macros.begin()));
  EXPECT_EQ(memory.macros[60], 0);
}

TEST_F(MouseSession, ResetGoesOutOnceWithZeroChecksum) {
  std::array<uint8_t, 1> profile = {3};
  ASSERT_EQ(sim.session->writeLive(profile), kResultOk);
  sim.device->clearLog();
  sim.device->injectFault(sim::Fault::silent, 0, sim::VirtualDevice::kAlways);

  EXPECT_EQ(sim.session->resetDefaults(), kResultNoReply);
  const auto log = sim.device->requestLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].command, 0x0D);
  EXPECT_EQ(log[0].checksumLow, 0);
  EXPECT_EQ(log[0].checksumHigh, 0);
  EXPECT_EQ(sim.device->activeProfile(), 0);
}

TEST_F(MouseSession, CallerErrorsAreRefusedWithoutTraffic) {
  platform::DebugCapture capture;
  std::array<uint8_t, 57> tooLong{};
  EXPECT_EQ(sim.session->readBlock(0, {}), kResultCallerError);
  EXPECT_EQ(sim.session->readBlock(0, tooLong), kResultCallerError);
  EXPECT_EQ(sim.session->writeLive({}), kResultCallerError);
  EXPECT_EQ(sim.session->writeLive(tooLong), kResultCallerError);
  std::array<uint8_t, 511> shortTable;
  shortTable.fill(kSentinel);
  EXPECT_EQ(sim.session->readKeyTable(shortTable), kResultCallerError);
  EXPECT_EQ(sim.session->readProfileTable(0, shortTable), kResultCallerError);
  EXPECT_EQ(sim.session->writeProfileTable(0, shortTable), kResultCallerError);
  std::vector<uint8_t> huge(0x10001);
  EXPECT_EQ(sim.session->writeMacroTable(huge), kResultCallerError);
  EXPECT_TRUE(sim.device->requestLog().empty());
  EXPECT_EQ(shortTable[0], kSentinel);
  EXPECT_EQ(capture.lines().size(), 8u);
}

TEST_F(MouseSession, WriteLiveClearsTheSyncFlagAndReachesTheDevice) {
  sim.session->lightingSync = true;
  std::array<uint8_t, 1> profile = {2};
  ASSERT_EQ(sim.session->writeLive(profile), kResultOk);
  EXPECT_FALSE(sim.session->lightingSync);
  EXPECT_EQ(sim.device->activeProfile(), 2);

  std::array<uint8_t, 56> record{};
  record[0] = 2;
  record[1] = 4;  // lighting mode
  record[6] = 0x12;
  ASSERT_EQ(sim.session->writeLive(record), kResultOk);
  EXPECT_EQ(sim.device->liveRecord(), std::vector<uint8_t>(record.begin(), record.end()));
  std::array<uint8_t, 56> stored{};
  ASSERT_EQ(sim.session->readBlock(128, stored), kResultOk);
  EXPECT_EQ(stored, record);
}

TEST_F(MouseSession, BracketsOpenAndCloseConfiguration) {
  ASSERT_EQ(sim.session->beginConfig(), kResultOk);
  EXPECT_EQ(sim.device->configDepth(), 1);
  sim.session->endConfigPause = 10ms;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(sim.session->endConfig(), kResultOk);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 10ms);
  EXPECT_EQ(sim.device->configDepth(), 0);
}

TEST_F(MouseSession, AnotherThreadHoldingTheLockHoldsBackTheRequest) {
  std::atomic<int> result{99};
  std::unique_lock held(sim.session->lock);
  std::thread other([&] { result = sim.session->beginConfig(); });
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(sim.device->requestLog().empty());
  held.unlock();
  other.join();
  EXPECT_EQ(result, kResultOk);
  EXPECT_EQ(sim.device->requestLog().size(), 1u);
}

TEST_F(MouseSession, LockOwnerCanStillSendCommands) {
  std::lock_guard held(sim.session->lock);
  EXPECT_EQ(sim.session->beginConfig(), kResultOk);
}

// --- Every command, on all three devices ----------------------------------

struct AnyDevice : ::testing::TestWithParam<DeviceKind> {
  SimulatedSession sim{GetParam()};
};

TEST_P(AnyDevice, OfflineSessionSendsNothingAndReturnsZero) {
  ASSERT_TRUE(sim.connected);
  sim.session->online = false;
  std::array<uint8_t, 512> table{};
  DeviceInfoBlock info{};
  std::array<uint8_t, 56> block{};
  EXPECT_EQ(sim.session->beginConfig(), kResultNoReply);
  EXPECT_EQ(sim.session->endConfig(), kResultNoReply);
  EXPECT_EQ(sim.session->readDeviceInfo(info), kResultNoReply);
  EXPECT_EQ(sim.session->readBlock(0, block), kResultNoReply);
  EXPECT_EQ(sim.session->writeLive(block), kResultNoReply);
  EXPECT_EQ(sim.session->readKeyTable(table), kResultNoReply);
  EXPECT_EQ(sim.session->readProfileTable(1, table), kResultNoReply);
  EXPECT_EQ(sim.session->writeProfileTable(1, table), kResultNoReply);
  EXPECT_EQ(sim.session->resetDefaults(), kResultNoReply);
  EXPECT_EQ(sim.session->writeMacroTable(block), kResultNoReply);
  EXPECT_EQ(sim.session->readCursorTable(block), kResultNoReply);
  EXPECT_EQ(sim.session->writeCursorTable(block), kResultNoReply);
  EXPECT_TRUE(sim.device->requestLog().empty());
}

TEST_P(AnyDevice, OpensTheVendorCollectionWith64ByteReports) {
  ASSERT_TRUE(sim.connected);
  EXPECT_EQ(sim.session->device.capabilities().usagePage, 0xFF1C);
  EXPECT_EQ(sim.session->device.capabilities().usage, 0x0092);
  EXPECT_EQ(sim.session->device.capabilities().inputReportLength, 64);
  EXPECT_EQ(sim.session->device.capabilities().outputReportLength, 64);
  DeviceInfoBlock info{};
  ASSERT_EQ(sim.session->readDeviceInfo(info), kResultOk);
  EXPECT_EQ(info, sim.device->infoBlock());
}

TEST_P(AnyDevice, AnotherDevicesIdentityIsNotOpened) {
  const DeviceKind other =
      GetParam() == DeviceKind::mouse ? DeviceKind::keyboard : DeviceKind::mouse;
  DeviceSession session(*sim.backend);
  assignIdentity(session, other);
  EXPECT_FALSE(openMatchingInterface(session));
  EXPECT_FALSE(session.online);
  EXPECT_FALSE(session.device.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Devices, AnyDevice,
                         ::testing::Values(DeviceKind::keyboard, DeviceKind::mouse,
                                           DeviceKind::mousePad));

}  // namespace
}  // namespace varnacle::device
