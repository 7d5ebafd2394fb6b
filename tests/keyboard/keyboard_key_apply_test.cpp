// Applying the key assignments against a virtual keyboard's memory: the
// macro image and the active slot byte for byte, nothing sent when the
// macros do not fit, and a keyboard that stops answering.
#include "keyboard/keyboard_key_apply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../device/session_fixture.h"
#include "../profile/test_documents.h"
#include "device/live_lighting.h"
#include "keyboard/key_assignment.h"
#include "keyboard/keyboard_config.h"
#include "macro/macro_action.h"
#include "macro/macro_image.h"
#include "macro/macro_store.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"
#include "../profile/one_profile_list.h"

namespace varnacle::keyboard {
namespace {

using device::test_support::SimulatedSession;

constexpr uint8_t kWriteProfileTable = 0x09;
constexpr uint8_t kWriteMacroTable = 0x15;
constexpr std::size_t kStride = 126;
constexpr std::size_t kTableBytes = 106 * 3;

class KeyboardKeyApplyTest : public testing::TestDocuments {
 protected:
  void SetUp() override {
    TestDocuments::SetUp();
    profile::test::setUpOneProfile(profile::ProfileListKind::keyboardKeys, "Keys");
    ASSERT_TRUE(sim.connected);
    ASSERT_TRUE(config.readAll(*sim.session, live).message.empty());
    sim.device->clearLog();
  }

  void setCapacityUnits(uint8_t units) {
    sim::InfoBlock info = sim.device->infoBlock();
    info[sim::kInfoMacroCapacityByte] = units;
    sim.device->setInfoBlock(info);
    ASSERT_TRUE(config.readAll(*sim.session, live).message.empty());
    sim.device->clearLog();
  }

  // Macros whose step counts are `counts`, saved as the editor saves them.
  void saveMacros(const std::vector<std::size_t>& counts) {
    for (std::size_t m = 0; m < counts.size(); ++m) {
      const std::string name = "macro_" + std::to_string(m + 1);
      ASSERT_EQ(store.appendMacro(name), macro::MacroNameResult::ok);
      std::vector<std::string> lines;
      for (std::size_t s = 0; s < counts[m]; ++s)
        lines.push_back(std::to_string(s % 200) + ",0,138," + std::to_string(4 + m) +
                        ",1,keyboard_key_A");
      ASSERT_TRUE(store.saveActions(store.listedNames(), name, lines));
    }
  }

  void assign(int slot, int key, KeyRecord record) {
    config.editSlots([&](device::TableSlot&, auto& slots) {
      setRecord(slots[static_cast<std::size_t>(slot)], key, record);
    });
  }

  void makeActive(uint8_t slot) {
    live.edit(
        DeviceKind::keyboard, [&](auto& r) { r[0] = slot; }, false);
  }

  int requests(uint8_t command) const {
    const auto log = sim.device->requestLog();
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const auto& r) { return r.command == command; }));
  }

  device::TableSlot savedKeyProfile() {
    const profile::ProfileRegistry keys(profile::ProfileListKind::keyboardKeys);
    device::TableSlot saved{};
    saved.fill(0xEE);
    EXPECT_EQ(profile::ReadProfileFile(keys.profilePath("Keys"), saved), profile::kProfileFileRead);
    return saved;
  }

  KeyboardApplyOutcome apply() { return applyKeysToKeyboard(config, live, *sim.session, store); }

  SimulatedSession sim{DeviceKind::keyboard};
  device::LiveLighting live;
  KeyboardConfig config;
  macro::MacroStore store{DeviceKind::keyboard};
};

TEST_F(KeyboardKeyApplyTest, TheMacroImageAndTheActiveSlotReachTheKeyboardByteForByte) {
  saveMacros({2, 0, 5});
  assign(0, 58, {0x71, 2, 3});
  assign(0, 0, {0x30, 0xE2, 0x00});
  std::vector<std::vector<macro::MacroAction>> steps;
  for (const std::string& name : store.listedNames()) {
    steps.emplace_back();
    for (const std::string& line : store.readActions(name))
      steps.back().push_back(macro::parseMacroAction(line).value());
  }
  const std::vector<uint8_t> image = macro::buildMacroImage(steps);
  ASSERT_EQ(image.size(), 16u + 18u + 4u * 7u);

  const KeyboardApplyOutcome outcome = apply();
  EXPECT_EQ(outcome.status, KeyboardApplyOutcome::Status::applied);
  const sim::DeviceMemory memory = sim.device->memory();
  EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.macros.begin()));
  const device::TableSlot slot = config.slot(0);
  EXPECT_TRUE(std::equal(slot.begin(), slot.begin() + kTableBytes, memory.profileTables.begin()));
  EXPECT_EQ(requests(kWriteProfileTable), int((kTableBytes + 55) / 56))
      << "3 x key count bytes in 56-byte pieces";
  EXPECT_EQ(savedKeyProfile(), slot);
  EXPECT_EQ(sim.device->configDepth(), 0);
}

TEST_F(KeyboardKeyApplyTest, WithoutMacrosOnlyTheActiveSlotGoesToItsOnBoardProfile) {
  makeActive(2);
  assign(2, 3, {0x10, 0x01, 0x00});
  const sim::DeviceMemory before = sim.device->memory();
  EXPECT_EQ(apply().status, KeyboardApplyOutcome::Status::applied);
  EXPECT_EQ(requests(kWriteMacroTable), 0);
  const sim::DeviceMemory after = sim.device->memory();
  const device::TableSlot slot = config.slot(2);
  EXPECT_TRUE(std::equal(slot.begin(), slot.begin() + kTableBytes,
                         after.profileTables.begin() + 2 * kStride));
  EXPECT_TRUE(std::equal(before.profileTables.begin(), before.profileTables.begin() + 2 * kStride,
                         after.profileTables.begin()))
      << "nothing before profile 2 changed";
  EXPECT_EQ(savedKeyProfile(), config.slot(0)) << "the file keeps slot 0";
}

TEST_F(KeyboardKeyApplyTest, MacrosLargerThanTheKeyboardsMemorySendNothing) {
  setCapacityUnits(1);  // 128 bytes: 16 + 6 + 4 x 27 = 130
  saveMacros({27});
  const KeyboardApplyOutcome outcome = apply();
  EXPECT_EQ(outcome.status, KeyboardApplyOutcome::Status::macrosTooLarge);
  EXPECT_EQ(outcome.stepsToRemove, 1);
  EXPECT_TRUE(sim.device->requestLog().empty());

  ASSERT_TRUE(store.saveActions(store.listedNames(), "macro_1",
                                std::vector<std::string>(26, "5,0,138,4,1,keyboard_key_A")));
  EXPECT_EQ(apply().status, KeyboardApplyOutcome::Status::applied) << "exactly 128 bytes fit";
  EXPECT_EQ(requests(kWriteMacroTable), 3);
}

TEST_F(KeyboardKeyApplyTest, AKeyboardThatStopsAnsweringFailsTheApplyButTheProfileIsSaved) {
  assign(0, 1, {0x13, 0x01, 0x00});
  sim.device->injectFault(sim::Fault::silent, 0, sim::VirtualDevice::kAlways);
  const KeyboardApplyOutcome outcome = apply();
  EXPECT_EQ(outcome.status, KeyboardApplyOutcome::Status::failed);
  EXPECT_NE(outcome.result, device::kResultOk);
  EXPECT_EQ(requests(kWriteProfileTable), 0) << "the failed bracket ends the device part";
  EXPECT_EQ(recordAt(savedKeyProfile(), 1), (KeyRecord{0x13, 0x01, 0x00}));
}

}  // namespace
}  // namespace varnacle::keyboard
