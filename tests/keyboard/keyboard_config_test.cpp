// The keyboard's tables against a virtual keyboard: the position map, read
// all (with a keyboard reporting too many keys and one that stops
// answering), and the default key profile written into a folder that takes
// it and into one that does not.
#include "keyboard/keyboard_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "../device/session_fixture.h"
#include "../profile/test_documents.h"
#include "device/live_lighting.h"
#include "keyboard/key_assignment.h"
#include "profile/profile_file.h"

namespace varnacle::keyboard {
namespace {

using device::test_support::SimulatedSession;

constexpr uint8_t kReadKeyTable = 0x07;
constexpr int kSimKeys = 106;

class KeyboardConfigTest : public testing::TestDocuments {
 protected:
  void SetUp() override {
    TestDocuments::SetUp();
    ASSERT_TRUE(sim.connected);
  }

  void setKeyCount(uint8_t keys) {
    sim::InfoBlock info = sim.device->infoBlock();
    info[sim::kInfoKeyCountByte] = keys;
    sim.device->setInfoBlock(info);
  }

  SimulatedSession sim{DeviceKind::keyboard};
  device::LiveLighting live;
  KeyboardConfig config;
};

TEST(KeyPositionMapTest, EveryKeyOfThePictureFindsItsOwnIndexAndEmptyPositionsNone) {
  const KeyPositionMap map = buildKeyPositionMap(kInitialKeyboardKeys, int(kInitialKeyCount));
  EXPECT_EQ(kInitialKeyCount, 106u);
  std::set<uint8_t> indexes;
  for (std::size_t n = 0; n < kKeyPositionCount; ++n) {
    if (kExpectedDefaultRecords[n] == kNoKeyRecord) {
      EXPECT_EQ(map[n], kNoDeviceKey) << n;
    } else {
      ASSERT_NE(map[n], kNoDeviceKey) << n;
      EXPECT_EQ(recordAt(kInitialKeyboardKeys, map[n]), kExpectedDefaultRecords[n]) << n;
      indexes.insert(map[n]);
    }
  }
  EXPECT_EQ(indexes.size(), kInitialKeyCount) << "no two positions share a key";
  EXPECT_EQ(recordAt(kInitialKeyboardKeys, map[kFnKeyPosition]), kFnKeyRecord);
}

TEST(KeyPositionMapTest, AKeyBeyondTheKeyCountOrAZeroRecordMatchesNoPosition) {
  std::array<uint8_t, 12> table = {0x20, 0x00, 0x00, 0x20, 0x00, 0x04,
                                   0x20, 0x00, 0x29, 0x20, 0x00, 0x04};
  const KeyPositionMap map = buildKeyPositionMap(table, 2);
  EXPECT_EQ(map[64], 1) << "A, the first match";
  EXPECT_EQ(map[0], kNoDeviceKey) << "Esc lies beyond the two keys";
  EXPECT_EQ(map[16], kNoDeviceKey) << "an empty position does not take the (0x20, 0, 0) key";
  EXPECT_EQ(std::count(map.begin(), map.end(), kNoDeviceKey), 125);
}

TEST_F(KeyboardConfigTest, ReadAllTakesTheKeyboardsTablesLightingRecordAndActiveProfile) {
  sim::DeviceMemory memory = sim.device->memory();
  // The keyboard's own layout with A (index 58) and S (59) swapped, and an
  // edit in profile 0.
  std::swap_ranges(memory.keyTable.begin() + 58 * 3, memory.keyTable.begin() + 59 * 3,
                   memory.keyTable.begin() + 59 * 3);
  memory.profileTables[5 * 3] = 0x30;
  memory.activeProfile = 3;
  ASSERT_TRUE(sim.device->setMemory(memory));

  const KeyboardReadOutcome outcome = config.readAll(*sim.session, live);
  EXPECT_EQ(outcome.result, device::kResultOk);
  EXPECT_TRUE(outcome.message.empty());
  EXPECT_EQ(sim.session->transferSize, 3 * kSimKeys);
  EXPECT_EQ(config.keyCount(), kSimKeys);
  EXPECT_EQ(config.macroCapacity(), 32u * 128u);
  const device::TableSlot base = config.baseTable();
  EXPECT_TRUE(std::equal(base.begin(), base.end(), memory.keyTable.begin()));
  const device::TableSlot slot0 = config.slot(0);
  EXPECT_TRUE(
      std::equal(slot0.begin(), slot0.begin() + 3 * kSimKeys, memory.profileTables.begin()));
  EXPECT_TRUE(std::all_of(slot0.begin() + 3 * kSimKeys, slot0.end(), [](uint8_t b) { return !b; }))
      << "the slot beyond the keys is zero";

  const auto record = live.snapshot(DeviceKind::keyboard);
  EXPECT_EQ(record[0], 3);
  EXPECT_TRUE(std::equal(record.begin() + 1, record.end(), memory.settings.begin() + 1));
  EXPECT_FALSE(live.isChanged(DeviceKind::keyboard));
  EXPECT_EQ(activeKeySlot(live), 3);

  // The map follows the keyboard's order.
  EXPECT_EQ(config.keyAt(64), 59);
  EXPECT_EQ(config.keyAt(65), 58);
  EXPECT_EQ(recordAt(base, 59), (KeyRecord{0x20, 0x00, 0x04}));
  EXPECT_EQ(sim.device->configDepth(), 0);
}

TEST_F(KeyboardConfigTest, AKeyboardWithMoreKeysThanASlotHoldsIsNotReadAndLeftOutOfConfiguration) {
  setKeyCount(171);
  const device::TableSlot before = config.baseTable();
  const KeyboardReadOutcome outcome = config.readAll(*sim.session, live);
  EXPECT_EQ(outcome.message, "message_text_11");
  const auto commands = sim.commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), kReadKeyTable), 0);
  EXPECT_EQ(sim.device->configDepth(), 0) << "the bracket is closed";
  EXPECT_EQ(config.baseTable(), before);
  EXPECT_EQ(config.keyCount(), int(kInitialKeyCount));

  setKeyCount(170);
  EXPECT_TRUE(config.readAll(*sim.session, live).message.empty());
  EXPECT_EQ(config.keyCount(), 170);
  EXPECT_EQ(sim.session->transferSize, 510);
}

TEST_F(KeyboardConfigTest, AKeyboardThatStopsAnsweringLeavesTheTablesAsTheyWere) {
  config.editSlots([](device::TableSlot&, auto& slots) { slots[0][0] = 0x77; });
  live.edit(
      DeviceKind::keyboard, [](auto& r) { r[1] = 9; }, false);
  sim.device->injectFault(sim::Fault::silent, 0, sim::VirtualDevice::kAlways);
  const KeyboardReadOutcome outcome = config.readAll(*sim.session, live);
  EXPECT_NE(outcome.result, device::kResultOk);
  EXPECT_EQ(config.slot(0)[0], 0x77);
  EXPECT_EQ(config.baseTable(), KeyboardConfig().baseTable());
  EXPECT_EQ(live.snapshot(DeviceKind::keyboard)[1], 9);
}

TEST_F(KeyboardConfigTest, TheDefaultKeyProfileIsWrittenWhereTheFolderTakesItOnly) {
  sim::DeviceMemory memory = sim.device->memory();
  memory.keyTable[0] = 0x30;  // Esc plays a media key by default
  ASSERT_TRUE(sim.device->setMemory(memory));
  ASSERT_TRUE(config.readAll(*sim.session, live).message.empty());
  ASSERT_EQ(config.keyAt(0), kNoDeviceKey);

  // A folder standing where the file goes: nothing is written, nothing changes.
  const std::filesystem::path blocked = root() / "blocked";
  std::filesystem::create_directories(blocked / std::string(kDefaultKeyProfileName) / "inside");
  memory.keyTable[0] = 0x20;
  ASSERT_TRUE(sim.device->setMemory(memory));
  EXPECT_FALSE(config.writeDefaultKeyProfile(*sim.session, blocked));
  EXPECT_EQ(config.baseTable()[0], 0x30);
  EXPECT_EQ(config.keyAt(0), kNoDeviceKey);

  const std::filesystem::path program = root() / "program";
  std::filesystem::create_directories(program);
  EXPECT_TRUE(config.writeDefaultKeyProfile(*sim.session, program));
  device::TableSlot saved{};
  ASSERT_EQ(profile::ReadProfileFile(program / std::string(kDefaultKeyProfileName), saved),
            profile::kProfileFileRead);
  EXPECT_TRUE(std::equal(saved.begin(), saved.end(), memory.keyTable.begin()));
  EXPECT_EQ(config.baseTable(), saved);
  EXPECT_EQ(config.keyAt(0), 0) << "the map was rebuilt";
  EXPECT_EQ(sim.device->configDepth(), 0);
}

}  // namespace
}  // namespace varnacle::keyboard
