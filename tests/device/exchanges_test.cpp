#include "device/exchanges.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "session_fixture.h"

namespace varnacle::device {
namespace {

using test_support::SimulatedSession;

constexpr uint8_t kSentinel = 0xA5;

std::vector<uint8_t> repeat(uint8_t command, std::size_t times) {
  return std::vector<uint8_t>(times, command);
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

bool sameBytes(std::span<const uint8_t> a, const std::vector<uint8_t>& memory, std::size_t at) {
  return at + a.size() <= memory.size() && std::equal(a.begin(), a.end(), memory.begin() + at);
}

struct MouseExchanges : ::testing::Test {
  SimulatedSession sim{DeviceKind::mouse};
  void SetUp() override { ASSERT_TRUE(sim.connected); }
};

TEST_F(MouseExchanges, ReadAllFollowsTheSequenceAndBringsBackTheMemory) {
  std::array<uint8_t, 1> profile = {3};
  ASSERT_EQ(sim.session->writeLive(profile), kResultOk);
  sim.device->clearLog();

  MouseSettings settings;
  const ExchangeResult result = readAllMouseSettings(*sim.session, settings);
  EXPECT_EQ(result.result, kResultOk);
  EXPECT_TRUE(result.message.empty());

  std::vector<uint8_t> perProfile = concat({{0x05}, repeat(0x08, 10)});
  EXPECT_EQ(sim.commands(), concat({{0x01, 0x03},
                                    repeat(0x07, 10),
                                    perProfile,
                                    perProfile,
                                    perProfile,
                                    perProfile,
                                    perProfile,
                                    {0x05, 0x02}}));

  const auto memory = sim.device->memory();
  EXPECT_EQ(settings.info, sim.device->infoBlock());
  EXPECT_TRUE(sameBytes(settings.keyTable, memory.keyTable, 0));
  for (std::size_t k = 1; k < 5; ++k) {
    EXPECT_TRUE(sameBytes(settings.records[k], memory.settings, 64 * k)) << k;
    EXPECT_TRUE(sameBytes(settings.profileTables[k], memory.profileTables, 126 * k)) << k;
  }
  // Record 0 is read at address 0, whose first byte is the active profile.
  EXPECT_EQ(settings.records[0][0], 3);
  EXPECT_EQ(settings.activeProfile, 3);
}

TEST_F(MouseExchanges, ReadAllGoesOnAfterAFailureAndKeepsWhatItCouldNotRead) {
  sim.device->injectFault(sim::Fault::statusFF, 1);  // the information block
  MouseSettings settings;
  settings.info.fill(kSentinel);
  const ExchangeResult result = readAllMouseSettings(*sim.session, settings);
  EXPECT_EQ(result.result, kResultStatusFF);
  EXPECT_EQ(settings.info[0], kSentinel);
  EXPECT_EQ(sim.commands().back(), 0x02);
  EXPECT_EQ(settings.activeProfile, sim.device->activeProfile());
}

TEST_F(MouseExchanges, SwitchToTheActiveProfileSendsOnlyTheRead) {
  SettingsRecord record;
  record.fill(kSentinel);
  const ProfileSwitch outcome = switchProfile(*sim.session, 0, 0, record);
  EXPECT_FALSE(outcome.switched);
  EXPECT_EQ(sim.commands(), std::vector<uint8_t>{0x05});
  EXPECT_EQ(record[0], kSentinel);
}

TEST_F(MouseExchanges, SwitchToAnotherProfileMakesItActiveAndReadsItsRecord) {
  SettingsRecord record{};
  const ProfileSwitch outcome = switchProfile(*sim.session, 4, 0, record);
  EXPECT_EQ(outcome.result, kResultOk);
  EXPECT_TRUE(outcome.switched);
  EXPECT_EQ(outcome.previous, 0);
  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{0x05, 0x06, 0x05}));
  EXPECT_EQ(sim.device->activeProfile(), 4);
  EXPECT_TRUE(sameBytes(record, sim.device->memory().settings, 256));
}

TEST_F(MouseExchanges, SwitchToAProfileAboveFourSendsNothing) {
  SettingsRecord record{};
  EXPECT_FALSE(switchProfile(*sim.session, 5, 0, record).switched);
  EXPECT_TRUE(sim.device->requestLog().empty());
}

TEST_F(MouseExchanges, CursorReadBackBringsTheWholeImage) {
  const CursorReadBack readBack = readBackCursorTable(*sim.session);
  EXPECT_EQ(readBack.result, kResultOk);
  EXPECT_TRUE(readBack.headValid);
  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{0x01, 0x16, 0x16, 0x02}));
  ASSERT_EQ(readBack.image.size(), 40u);
  EXPECT_TRUE(sameBytes(readBack.image, sim.device->memory().cursor, 0));
}

TEST_F(MouseExchanges, CursorHeadWithoutMagicEndsTheReadBackWithItsEndConfig) {
  auto memory = sim.device->memory();
  memory.cursor[0] = 0x00;
  ASSERT_TRUE(sim.device->setMemory(memory));
  const CursorReadBack readBack = readBackCursorTable(*sim.session);
  EXPECT_FALSE(readBack.headValid);
  EXPECT_TRUE(readBack.image.empty());
  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{0x01, 0x16, 0x02}));
}

TEST_F(MouseExchanges, CursorHeadWithAnImpossibleSizeIsTreatedAsWrong) {
  auto memory = sim.device->memory();
  memory.cursor[2] = 0x01;  // 0x0C01 bytes: beyond the 3072-byte image limit
  memory.cursor[3] = 0x0C;
  ASSERT_TRUE(sim.device->setMemory(memory));
  EXPECT_FALSE(readBackCursorTable(*sim.session).headValid);
  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{0x01, 0x16, 0x02}));
}

TEST_F(MouseExchanges, CursorReadBackStopsAtAFailedReadAndStillEndsTheConfiguration) {
  sim.device->injectFault(sim::Fault::statusFE, 1);
  const CursorReadBack readBack = readBackCursorTable(*sim.session);
  EXPECT_EQ(readBack.result, kResultStatusFE);
  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{0x01, 0x16, 0x02}));
  EXPECT_EQ(sim.device->configDepth(), 0);

  // The mouse stops answering after the head: the image read gives up, no
  // part of it is handed on, and EndConfig is still sent.
  sim.device->clearLog();
  sim.device->injectFault(sim::Fault::silent, 2, sim::VirtualDevice::kAlways);
  const CursorReadBack silent = readBackCursorTable(*sim.session);
  EXPECT_EQ(silent.result, kResultNoReply);
  EXPECT_TRUE(silent.headValid);
  EXPECT_TRUE(silent.image.empty());
  const std::vector<uint8_t> commands = sim.commands();
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back(), 0x02);
}

struct KeyboardExchanges : ::testing::Test {
  SimulatedSession sim{DeviceKind::keyboard};
  void SetUp() override { ASSERT_TRUE(sim.connected); }
};

TEST_F(KeyboardExchanges, ReadAllSetsTheTransferSizeFromTheKeyCount) {
  KeyboardSettings settings;
  const ExchangeResult result = readAllKeyboardSettings(*sim.session, settings);
  EXPECT_EQ(result.result, kResultOk);
  EXPECT_TRUE(result.message.empty());
  const unsigned keyCount = sim.device->infoBlock()[5];
  EXPECT_EQ(sim.session->transferSize, 3 * keyCount);

  const std::size_t chunks = (3 * keyCount + 55) / 56;
  EXPECT_EQ(
      sim.commands(),
      concat({{0x01, 0x03}, repeat(0x07, chunks), {0x05}, repeat(0x08, chunks), {0x05, 0x02}}));
  const auto memory = sim.device->memory();
  EXPECT_TRUE(std::equal(settings.keyTable.begin(), settings.keyTable.begin() + 3 * keyCount,
                         memory.keyTable.begin()));
  EXPECT_EQ(settings.keyTable[3 * keyCount], 0);
  EXPECT_TRUE(std::equal(settings.profileTable.begin(),
                         settings.profileTable.begin() + 3 * keyCount,
                         memory.profileTables.begin()));
}

TEST_F(KeyboardExchanges, TooManyKeysStopsWithTheMessageAndNoEndConfig) {
  auto info = sim.device->infoBlock();
  info[5] = 171;
  sim.device->setInfoBlock(info);
  KeyboardSettings settings;
  settings.keyTable.fill(kSentinel);
  const ExchangeResult result = readAllKeyboardSettings(*sim.session, settings);
  EXPECT_EQ(result.message, "message_text_11");
  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{0x01, 0x03}));
  EXPECT_EQ(sim.session->transferSize, 512);
  EXPECT_EQ(settings.keyTable[0], kSentinel);
}

TEST_F(KeyboardExchanges, ExactlyOneSlotOfKeysIsStillRead) {
  auto info = sim.device->infoBlock();
  info[5] = 170;
  sim.device->setInfoBlock(info);
  KeyboardSettings settings;
  EXPECT_TRUE(readAllKeyboardSettings(*sim.session, settings).message.empty());
  EXPECT_EQ(sim.session->transferSize, 510);
}

TEST(MousePadExchanges, ReadAllReadsTheFiveRecordsAndTheActiveProfile) {
  SimulatedSession sim{DeviceKind::mousePad};
  ASSERT_TRUE(sim.connected);
  MousePadSettings settings;
  EXPECT_EQ(readAllMousePadSettings(*sim.session, settings).result, kResultOk);
  EXPECT_EQ(sim.commands(), concat({{0x01, 0x03}, repeat(0x05, 6), {0x02}}));
  EXPECT_EQ(sim.addresses()[2 + 4], 256);
  const auto memory = sim.device->memory();
  EXPECT_TRUE(sameBytes(settings.records[4], memory.settings, 256));
  EXPECT_EQ(settings.activeProfile, 0);
}

TEST(OfflineExchanges, KeyboardReadAllOfAnOfflineSessionSendsNothing) {
  SimulatedSession sim{DeviceKind::keyboard};
  sim.session->online = false;
  KeyboardSettings settings;
  const ExchangeResult result = readAllKeyboardSettings(*sim.session, settings);
  EXPECT_EQ(result.result, kResultNoReply);
  EXPECT_TRUE(sim.device->requestLog().empty());
}

}  // namespace
}  // namespace varnacle::device
