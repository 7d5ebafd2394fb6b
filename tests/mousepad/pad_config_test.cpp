// PadConfig against a virtual mouse pad: the command sequences of read all,
// reload and profile switch, what the working copy and the caches hold
// afterwards, and the pad lighting profile file they save.
#include "mousepad/pad_config.h"

#include <gtest/gtest.h>

#include <vector>

#include "../device/session_fixture.h"
#include "../profile/test_documents.h"
#include "mouse/mouse_lighting_profile.h"
#include "profile/profile_file.h"
#include "../profile/one_profile_list.h"

namespace varnacle::mousepad {
namespace {

using device::test_support::SimulatedSession;

constexpr uint8_t kBeginConfig = 0x01;
constexpr uint8_t kEndConfig = 0x02;
constexpr uint8_t kReadInfo = 0x03;
constexpr uint8_t kReadBlock = 0x05;
constexpr uint8_t kWriteLive = 0x06;
constexpr uint8_t kReset = 0x0D;

// Record k of the virtual pad: byte 0 is k, byte i (1-55) is 10 k + i.
uint8_t patternByte(int profile, std::size_t i) {
  return i == 0 ? static_cast<uint8_t>(profile) : static_cast<uint8_t>(10 * profile + i);
}

class PadConfigTest : public testing::TestDocuments {
 protected:
  void SetUp() override {
    TestDocuments::SetUp();
    profileFile = profile::test::setUpOneProfile(profile::ProfileListKind::mousePadLighting, "Pad File1");
    ASSERT_TRUE(sim.connected);
    sim::DeviceMemory memory = sim.device->memory();
    for (int k = 0; k < device::kOnBoardProfiles; ++k)
      for (std::size_t i = 0; i < 56; ++i) memory.settings[64 * k + i] = patternByte(k, i);
    memory.activeProfile = 2;
    ASSERT_TRUE(sim.device->setMemory(memory));
  }

  std::vector<uint8_t> savedPayload() {
    std::vector<uint8_t> payload(mouse::kLightingProfilePayload, 0xEE);
    EXPECT_EQ(profile::ReadProfileFile(profileFile, payload), profile::kProfileFileRead);
    return payload;
  }
  // The working copy before any read: a byte the pad never receives set.
  void seedUnsent() {
    live.edit(DeviceKind::mousePad, [](Record& r) { r[40] = 0x77; }, false);
  }

  SimulatedSession sim{DeviceKind::mousePad};
  device::LiveLighting live;
  PadConfig config{live};
  std::filesystem::path profileFile;
};

TEST_F(PadConfigTest, ReadAllReadsEveryRecordAndTakesTheActiveOne) {
  seedUnsent();
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);

  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{kBeginConfig, kReadInfo, kReadBlock, kReadBlock,
                                                  kReadBlock, kReadBlock, kReadBlock, kReadBlock,
                                                  kEndConfig}));
  EXPECT_EQ(sim.addresses()[2], 0);
  EXPECT_EQ(sim.addresses()[6], 256);
  EXPECT_EQ(sim.lengths()[7], 1);
  const Record working = config.workingRecord();
  EXPECT_EQ(working[kProfileByte], 2);
  for (std::size_t i = 1; i < kPadSentBytes; ++i) EXPECT_EQ(working[i], patternByte(2, i)) << i;
  EXPECT_EQ(working[40], 0x77) << "bytes the pad never receives stay";
  EXPECT_FALSE(live.isChanged(DeviceKind::mousePad));
  EXPECT_EQ(config.cachedRecord(4)[5], patternByte(4, 5));
  EXPECT_EQ(config.info()[0], sim.device->infoBlock()[0]);
  const auto saved = savedPayload();
  EXPECT_EQ(saved[kProfileByte], 2);
  EXPECT_EQ(saved[kLightMode], patternByte(2, kLightMode));
}

TEST_F(PadConfigTest, ChoosingTheActiveProfileSendsNothing) {
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  const Record before = config.workingRecord();
  sim.device->clearLog();

  EXPECT_FALSE(config.switchProfile(*sim.session, 2));

  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{kReadBlock}));
  EXPECT_EQ(config.workingRecord(), before);
  EXPECT_FALSE(config.switchProfile(*sim.session, 5));
  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{kReadBlock})) << "no profile 5: nothing at all";
}

TEST_F(PadConfigTest, SwitchingKeepsTheEditedCopyAndTakesTheNewRecord) {
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  live.edit(DeviceKind::mousePad, [](Record& r) { r[kBrightness] = 3; });
  sim.device->clearLog();

  EXPECT_TRUE(config.switchProfile(*sim.session, 4));

  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{kReadBlock, kWriteLive, kReadBlock}));
  EXPECT_EQ(sim.addresses(), (std::vector<uint16_t>{0, 0, 256}));
  EXPECT_EQ(sim.lengths(), (std::vector<uint8_t>{1, 1, 56}));
  EXPECT_EQ(sim.device->activeProfile(), 4);
  const Record working = config.workingRecord();
  EXPECT_EQ(working[kProfileByte], 4);
  EXPECT_EQ(working[kBrightness], patternByte(4, kBrightness));
  EXPECT_EQ(config.cachedRecord(2)[kBrightness], 3) << "the edit went back to profile 2";
}

TEST_F(PadConfigTest, ReloadFollowsAProfileTheUserChoseOnThePad) {
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  live.edit(DeviceKind::mousePad, [](Record& r) { r[kSpeed] = 9; });
  auto memory = sim.device->memory();
  memory.activeProfile = 1;
  ASSERT_TRUE(sim.device->setMemory(memory));
  sim.device->clearLog();

  ASSERT_EQ(config.reloadActive(*sim.session), device::kResultOk);

  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{kReadBlock, kReadBlock}));
  EXPECT_EQ(config.currentProfile(), 1);
  EXPECT_EQ(config.workingRecord()[kSpeed], patternByte(1, kSpeed));
  EXPECT_EQ(config.cachedRecord(2)[kSpeed], 9);
  EXPECT_EQ(savedPayload()[kProfileByte], 1);
}

TEST_F(PadConfigTest, ResetSendsTheResetReportOnceAndDropsAPendingPush) {
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  live.edit(DeviceKind::mousePad, [](Record& r) { r[kLightMode] = 4; });
  sim.device->clearLog();

  config.reset(*sim.session);
  live.flush({nullptr, nullptr, sim.session.get()});

  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{kReset})) << "the edit is not pushed over the reset";
  EXPECT_FALSE(live.isChanged(DeviceKind::mousePad));
}

}  // namespace
}  // namespace varnacle::mousepad
