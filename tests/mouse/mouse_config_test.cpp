// MouseConfig against a virtual mouse: the command sequences of each
// operation, what the working record and the caches hold afterwards, and the
// lighting profile file they save.
#include "mouse/mouse_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "../device/session_fixture.h"
#include "../profile/test_documents.h"
#include "device/live_lighting.h"
#include "lighting_profile_list.h"
#include "mouse/mouse_key_profile.h"
#include "mouse/mouse_lighting_profile.h"
#include "platform/debug_output.h"
#include "profile/paths.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"
#include "../profile/one_profile_list.h"

namespace varnacle::mouse {
namespace {

using device::test_support::SimulatedSession;

constexpr uint8_t kBeginConfig = 0x01;
constexpr uint8_t kEndConfig = 0x02;
constexpr uint8_t kReadInfo = 0x03;
constexpr uint8_t kReadBlock = 0x05;
constexpr uint8_t kWriteLive = 0x06;
constexpr uint8_t kReadKeys = 0x07;
constexpr uint8_t kReadProfile = 0x08;
constexpr uint8_t kReset = 0x0D;

// Record k of the virtual mouse: byte 0 is k, byte i (1-55) is 10 k + i.
uint8_t patternByte(int profile, std::size_t i) {
  return i == 0 ? static_cast<uint8_t>(profile) : static_cast<uint8_t>(10 * profile + i);
}

Record patternRecord(int profile) {
  Record r{};
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = patternByte(profile, i);
  return r;
}

std::filesystem::path selectedLightingFile() {
  const profile::ProfileRegistry registry(profile::ProfileListKind::mouseLighting);
  return registry.profilePath(registry.name(registry.select()));
}

std::vector<uint8_t> savedPayload(const std::filesystem::path& file) {
  std::vector<uint8_t> payload(kLightingProfilePayload, 0xEE);
  EXPECT_EQ(profile::ReadProfileFile(file, payload), profile::kProfileFileRead) << file;
  return payload;
}

class MouseConfigTest : public testing::TestDocuments {
 protected:
  void SetUp() override {
    TestDocuments::SetUp();
    test::setUpOneMouseLightingProfile();
    ASSERT_TRUE(sim.connected);
    sim::DeviceMemory memory = sim.device->memory();
    for (int k = 0; k < device::kOnBoardProfiles; ++k) {
      const Record r = patternRecord(k);
      std::copy(r.begin(), r.end(), memory.settings.begin() + 64 * k);
    }
    memory.activeProfile = 2;
    ASSERT_TRUE(sim.device->setMemory(memory));
    sim::InfoBlock info = sim.device->infoBlock();
    info[12] = 74;
    info[13] = 0x11;
    info[14] = 0x22;
    sim.device->setInfoBlock(info);
  }

  // The working record before any read: pointer speed 8, wheel lines 4.
  void seedWorking() {
    Record r{};
    r[kPointerSpeed] = 8;
    r[kWheelLines] = 4;
    live.set(DeviceKind::mouse, r, false);
  }

  // An edit of the working record that has not been pushed yet.
  void setWorking(std::size_t byte, uint8_t value) {
    Record r = live.snapshot(DeviceKind::mouse);
    r[byte] = value;
    live.set(DeviceKind::mouse, r, false);
  }

  SimulatedSession sim{DeviceKind::mouse};
  device::LiveLighting live;
  MouseConfig config{live};
};

TEST(DpiValue, StepsOfOneHundredThenTwoHundred) {
  EXPECT_EQ(dpiValue(0), 200);
  EXPECT_EQ(dpiValue(1), 300);
  EXPECT_EQ(dpiValue(48), 5000);
  EXPECT_EQ(dpiValue(49), 5200);
  EXPECT_EQ(dpiValue(50), 5400);
}

TEST_F(MouseConfigTest, ReadAllReadsEverythingAndTakesTheActiveProfile) {
  seedWorking();
  EXPECT_EQ(config.readAll(*sim.session), device::kResultOk);

  const std::vector<uint8_t> expected = {kBeginConfig, kReadInfo,  kReadKeys,    kReadBlock,
                                         kReadProfile, kReadBlock, kReadProfile, kReadBlock,
                                         kReadProfile, kReadBlock, kReadProfile, kReadBlock,
                                         kReadProfile, kReadBlock, kEndConfig};
  // A table moved in several reports counts once.
  std::vector<uint8_t> commands = sim.commands();
  commands.erase(std::unique(commands.begin(), commands.end()), commands.end());
  EXPECT_EQ(commands, expected);
  std::vector<uint16_t> blockAddresses;
  const auto log = sim.device->requestLog();
  for (const auto& request : log) {
    if (request.command == kReadBlock) blockAddresses.push_back(request.address);
  }
  EXPECT_EQ(blockAddresses, (std::vector<uint16_t>{0, 64, 128, 192, 256, 0}));

  const Record working = config.workingRecord();
  EXPECT_EQ(working[kProfileByte], 2);
  for (std::size_t i = 1; i < kSentBytes; ++i) EXPECT_EQ(working[i], patternByte(2, i)) << i;
  // What the mouse never holds stays the program's.
  EXPECT_EQ(working[kPointerSpeed], 8);
  EXPECT_EQ(working[kWheelLines], 4);
  EXPECT_FALSE(live.isChanged(DeviceKind::mouse));
  EXPECT_EQ(config.currentProfile(), 2);

  // Byte 0 at address 0 reads back as the active profile.
  EXPECT_EQ(config.cachedRecord(0)[0], 2);
  for (int k = 1; k < device::kOnBoardProfiles; ++k) {
    EXPECT_EQ(config.cachedRecord(k), patternRecord(k));
  }
  EXPECT_EQ(config.dpiSliderMaximum(), 74);
  // The DPI base replaces whatever the mouse put in bytes 13-14.
  EXPECT_EQ(config.info()[13], 200);
  EXPECT_EQ(config.info()[14], 0);
  const auto memory = sim.device->memory();
  EXPECT_TRUE(
      std::equal(memory.keyTable.begin(), memory.keyTable.end(), config.defaultKeyTable().begin()));
  const device::TableSlot profile3 = config.profileKeyTable(3);
  EXPECT_TRUE(std::equal(profile3.begin(), profile3.end(), memory.profileTables.begin() + 3 * 126));

  const std::vector<uint8_t> saved = savedPayload(selectedLightingFile());
  EXPECT_TRUE(std::equal(working.begin(), working.end(), saved.begin()));
  EXPECT_TRUE(std::all_of(saved.begin() + 56, saved.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(MouseConfigTest, BeforeAnyReadTheDefaultKeyTableHoldsTheFactoryButtons) {
  const auto table = config.defaultKeyTable();
  EXPECT_TRUE(std::equal(kInitialDefaultKeys.begin(), kInitialDefaultKeys.end(), table.begin()));
  EXPECT_EQ(config.info()[13], 200);
}

TEST_F(MouseConfigTest, AFailedReadKeepsWhatWasReadBefore) {
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  setWorking(kDpiStageBytes[0], 33);
  sim.bus.unplug(*sim.device);

  EXPECT_NE(config.readAll(*sim.session), device::kResultOk);
  EXPECT_EQ(config.cachedRecord(4), patternRecord(4));
  EXPECT_EQ(config.dpiSliderMaximum(), 74);
  // The working record comes from the cached active record again: the unsent
  // edit is replaced by the mouse's last known value, the profile stays.
  EXPECT_EQ(config.workingRecord()[kProfileByte], 2);
  EXPECT_EQ(config.workingRecord()[kDpiStageBytes[0]], patternByte(2, kDpiStageBytes[0]));
}

TEST_F(MouseConfigTest, ReloadActiveStoresTheWorkingRecordAndFollowsTheMouse) {
  seedWorking();
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  setWorking(kDpiStageBytes[2], 61);
  sim.device->pressProfileButton();  // profile 3 becomes active on the mouse
  sim.device->clearLog();

  EXPECT_EQ(config.reloadActive(*sim.session), device::kResultOk);

  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{kReadBlock, kReadBlock}));
  EXPECT_EQ(sim.addresses(), (std::vector<uint16_t>{0, 192}));
  EXPECT_EQ(sim.lengths(), (std::vector<uint8_t>{1, 56}));
  EXPECT_EQ(config.cachedRecord(2)[kDpiStageBytes[2]], 61);
  EXPECT_EQ(config.cachedRecord(3), patternRecord(3));
  const Record working = config.workingRecord();
  EXPECT_EQ(working[kProfileByte], 3);
  for (std::size_t i = 1; i < kSentBytes; ++i) EXPECT_EQ(working[i], patternByte(3, i)) << i;
  EXPECT_EQ(working[kWheelLines], 4);
  EXPECT_FALSE(live.isChanged(DeviceKind::mouse));
  EXPECT_EQ(savedPayload(selectedLightingFile())[kProfileByte], 3);
}

TEST_F(MouseConfigTest, ClickingTheActiveProfileSendsNothing) {
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  const Record before = config.workingRecord();
  sim.device->clearLog();

  EXPECT_FALSE(config.switchProfile(*sim.session, 2));

  // Only the question which profile is active.
  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{kReadBlock}));
  EXPECT_EQ(config.workingRecord(), before);
  EXPECT_EQ(sim.device->activeProfile(), 2);
}

TEST_F(MouseConfigTest, SwitchingSendsTheProfileAndTakesItsRecord) {
  seedWorking();
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  setWorking(kLiftHeight, 5);
  sim.device->clearLog();

  EXPECT_TRUE(config.switchProfile(*sim.session, 4));

  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{kReadBlock, kWriteLive, kReadBlock}));
  EXPECT_EQ(sim.addresses(), (std::vector<uint16_t>{0, 0, 256}));
  EXPECT_EQ(sim.lengths(), (std::vector<uint8_t>{1, 1, 56}));
  EXPECT_EQ(sim.device->requestLog()[1].data[0], 4);
  EXPECT_EQ(sim.device->activeProfile(), 4);
  const Record working = config.workingRecord();
  EXPECT_EQ(working[kProfileByte], 4);
  for (std::size_t i = 1; i < kSentBytes; ++i) EXPECT_EQ(working[i], patternByte(4, i)) << i;
  EXPECT_EQ(working[kPointerSpeed], 8);
  EXPECT_FALSE(live.isChanged(DeviceKind::mouse));
  // The edit made on profile 2 is kept for it.
  EXPECT_EQ(config.cachedRecord(2)[kLiftHeight], 5);
  EXPECT_EQ(config.cachedRecord(4), patternRecord(4));
}

TEST_F(MouseConfigTest, AnEditGoesBackToItsOwnProfileWhenTheMouseMovedOnItsOwn) {
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  setWorking(kLiftHeight, 9);
  sim.device->pressProfileButton();  // the mouse is on 3, the page still on 2

  EXPECT_TRUE(config.switchProfile(*sim.session, 4));

  EXPECT_EQ(config.cachedRecord(2)[kLiftHeight], 9);
  EXPECT_EQ(config.cachedRecord(3), patternRecord(3));
  EXPECT_EQ(config.currentProfile(), 4);
}

TEST_F(MouseConfigTest, ProfilesOutsideZeroToFourDoNothing) {
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  sim.device->clearLog();
  EXPECT_FALSE(config.switchProfile(*sim.session, 5));
  EXPECT_FALSE(config.switchProfile(*sim.session, -1));
  EXPECT_TRUE(sim.commands().empty());
  EXPECT_EQ(config.currentProfile(), 2);
}

TEST_F(MouseConfigTest, ResetSendsOneResetReport) {
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  sim.device->clearLog();
  EXPECT_EQ(config.reset(*sim.session), device::kResultOk);
  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{kReset}));
  EXPECT_NE(sim.device->memory().settings[64 * 2 + 1], patternByte(2, 1));
}

TEST_F(MouseConfigTest, TheSelectedLightingProfileIsTheFileWritten) {
  const profile::ProfileRegistry registry(profile::ProfileListKind::mouseLighting);
  ASSERT_TRUE(registry.setCount(2));
  ASSERT_TRUE(registry.setName(1, "Evening"));
  ASSERT_TRUE(registry.setSelect(1));
  const Record record = patternRecord(3);

  ASSERT_TRUE(saveMouseLightingProfile(record));

  const std::vector<uint8_t> saved = savedPayload(registry.profilePath("Evening"));
  EXPECT_TRUE(std::equal(record.begin(), record.end(), saved.begin()));
  EXPECT_TRUE(std::all_of(saved.begin() + 56, saved.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(MouseConfigTest, ASelectedNameThatLeadsOutOfTheFolderIsNotWritten) {
  const std::filesystem::path escaped =
      profile::test::setUpOneProfile(profile::ProfileListKind::mouseLighting, "../escape");

  EXPECT_FALSE(saveMouseLightingProfile(patternRecord(1)));
  EXPECT_FALSE(std::filesystem::exists(escaped));
}

TEST_F(MouseConfigTest, NothingIsSavedIntoAProfileTheListDoesNotHold) {
  platform::DebugCapture debug;
  const profile::ProfileRegistry registry(profile::ProfileListKind::mouseLighting);
  const auto ledFiles = [] {
    int n = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(profile::DeviceFolder(DeviceKind::mouse)))
      n += entry.path().extension() == ".led";
    return n;
  };
  // A fresh start: no list file yet, so no profile at all.
  std::filesystem::remove(registry.file());
  ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
  EXPECT_EQ(ledFiles(), 0);

  // A selection beyond the list.
  ASSERT_TRUE(registry.setCount(2));
  ASSERT_TRUE(registry.setName(0, "Day"));
  ASSERT_TRUE(registry.setName(1, "Night"));
  ASSERT_TRUE(registry.setSelect(2));
  EXPECT_FALSE(saveMouseLightingProfile(patternRecord(1)));
  EXPECT_EQ(ledFiles(), 0);
  EXPECT_EQ(debug.count("mouse lighting profile: the list holds no selected profile; not saved"),
            2);

  ASSERT_TRUE(registry.setSelect(1));
  EXPECT_TRUE(saveMouseLightingProfile(patternRecord(1)));
  EXPECT_TRUE(std::filesystem::exists(registry.profilePath("Night")));
  EXPECT_EQ(ledFiles(), 1);
}

TEST_F(MouseConfigTest, KeyTablesChangedInPlaceAreWhatTheAccessorsGive) {
  const uint8_t seen = config.editKeyTables([](device::TableSlot& defaults, auto& profiles) {
    profiles[3][4] = 0x70;
    defaults[0] = 0x11;
    return profiles[1][0];
  });
  EXPECT_EQ(seen, config.profileKeyTable(1)[0]);
  EXPECT_EQ(config.profileKeyTable(3)[4], 0x70);
  EXPECT_EQ(config.defaultKeyTable()[0], 0x11);
  EXPECT_NE(config.profileKeyTable(2)[4], 0x70);
}

TEST_F(MouseConfigTest, TheSelectedKeyProfileIsTheFileWritten) {
  const profile::ProfileRegistry registry(profile::ProfileListKind::mouseKeys);
  device::TableSlot table{};
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(i * 7);

  // No key profile list yet: nothing to write into.
  EXPECT_FALSE(saveMouseKeyProfile(table));

  ASSERT_TRUE(registry.setCount(2));
  ASSERT_TRUE(registry.setName(0, "Desk"));
  ASSERT_TRUE(registry.setName(1, "../escape"));
  ASSERT_TRUE(registry.setSelect(1));
  EXPECT_FALSE(saveMouseKeyProfile(table));
  EXPECT_FALSE(std::filesystem::exists(registry.profilePath("../escape")));

  ASSERT_TRUE(registry.setSelect(0));
  ASSERT_TRUE(saveMouseKeyProfile(table));
  device::TableSlot saved{};
  ASSERT_EQ(profile::ReadProfileFile(registry.profilePath("Desk"), saved),
            profile::kProfileFileRead);
  EXPECT_EQ(saved, table);
  // The lighting list's selection is another entry of the same list file.
  EXPECT_FALSE(std::filesystem::exists(
      profile::ProfileRegistry(profile::ProfileListKind::mouseLighting).profilePath("Desk")));
}

TEST_F(MouseConfigTest, TheSelectedLightingProfileLoadsIntoTheWorkingRecordUnmarked) {
  platform::DebugCapture debug;
  const profile::ProfileRegistry registry(profile::ProfileListKind::mouseLighting);
  const auto file = registry.profilePath("Configuration File1");
  seedWorking();
  const Record before = config.workingRecord();

  EXPECT_FALSE(loadMouseLightingProfile(live)) << "no file yet";
  EXPECT_EQ(debug.count("配置文件丢失"), 1);
  writeBytes(file, "not a profile");
  EXPECT_FALSE(loadMouseLightingProfile(live));
  EXPECT_EQ(debug.count("配置文件格式错误"), 1);
  EXPECT_EQ(config.workingRecord(), before) << "a failed load keeps what was there";

  ASSERT_TRUE(saveMouseLightingProfile(patternRecord(3)));
  EXPECT_TRUE(loadMouseLightingProfile(live));
  EXPECT_EQ(config.workingRecord(), patternRecord(3));
  EXPECT_FALSE(live.isChanged(DeviceKind::mouse));

  // Beyond the list: nothing is read.
  ASSERT_TRUE(registry.setSelect(1));
  live.set(DeviceKind::mouse, before, false);
  EXPECT_FALSE(loadMouseLightingProfile(live));
  EXPECT_EQ(config.workingRecord(), before);
}

}  // namespace
}  // namespace varnacle::mouse
