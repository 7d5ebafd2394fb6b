// Applying the button assignments against a virtual mouse's memory: what the
// macro memory and the assignment area hold afterwards, what is not sent when
// the macros do not fit, that no other profile's buttons change, and a mouse
// that stops answering halfway.
#include "mouse/mouse_key_apply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../device/session_fixture.h"
#include "../profile/test_documents.h"
#include "device/live_lighting.h"
#include "lighting_profile_list.h"
#include "macro/macro_image.h"
#include "macro/macro_store.h"
#include "mouse/cursor_sequences.h"
#include "mouse/key_assignment.h"
#include "mouse/mouse_config.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"
#include "../profile/one_profile_list.h"

namespace varnacle::mouse {
namespace {

using device::test_support::SimulatedSession;

constexpr uint8_t kReadProfileTable = 0x08;
constexpr uint8_t kWriteProfileTable = 0x09;
constexpr uint8_t kWriteMacroTable = 0x15;
constexpr uint8_t kWriteCursorTable = 0x17;
constexpr std::size_t kStride = 126;

// Byte i of the virtual mouse's assignment area before any apply.
uint8_t areaByte(std::size_t i) {
  return static_cast<uint8_t>(i * 7 + 3);
}

class MouseKeyApplyTest : public testing::TestDocuments {
 protected:
  void SetUp() override {
    TestDocuments::SetUp();
    test::setUpOneMouseLightingProfile();
    profile::test::setUpOneProfile(profile::ProfileListKind::mouseKeys, "Keys");
    ASSERT_TRUE(sim.connected);

    sim::DeviceMemory memory = sim.device->memory();
    for (std::size_t i = 0; i < memory.profileTables.size(); ++i)
      memory.profileTables[i] = areaByte(i);
    memory.activeProfile = 2;
    ASSERT_TRUE(sim.device->setMemory(memory));
    setCapacityUnits(8);  // 1024 bytes
    ASSERT_EQ(config.readAll(*sim.session), device::kResultOk);
    original = sim.device->memory().profileTables;
  }

  void setCapacityUnits(uint8_t units) {
    sim::InfoBlock info = sim.device->infoBlock();
    info[sim::kInfoMacroCapacityByte] = units;
    sim.device->setInfoBlock(info);
  }

  // Macros whose step counts are `counts`, saved as the editor saves them.
  void saveMacros(const std::vector<std::size_t>& counts) {
    for (std::size_t m = 0; m < counts.size(); ++m) {
      const std::string name = "name_" + std::to_string(m + 1);
      ASSERT_EQ(store.appendMacro(name), macro::MacroNameResult::ok);
      std::vector<std::string> lines;
      for (std::size_t s = 0; s < counts[m]; ++s)
        lines.push_back(std::to_string(s % 200) + ",0,138," + std::to_string(4 + m) +
                        ",1,keyboard_key_A");
      ASSERT_TRUE(store.saveActions(store.listedNames(), name, lines));
    }
  }

  // The user's edit of button `button` in profile `profile` (memory only).
  void assign(int profile, int button, KeyAssignment record) {
    config.editKeyTables([&](device::TableSlot&, auto& tables) {
      setRecord(tables[static_cast<std::size_t>(profile)], button, record);
    });
  }

  int requests(uint8_t command) const {
    const auto log = sim.device->requestLog();
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [&](const auto& r) { return r.command == command; }));
  }

  // The area as it should be: the original bytes with profile p's 126 bytes
  // being the first 126 of `table`.
  static void overlay(std::vector<uint8_t>& area, int profile, const device::TableSlot& table) {
    std::copy_n(table.begin(), kStride,
                area.begin() + static_cast<std::ptrdiff_t>(kStride * profile));
  }

  device::TableSlot savedKeyProfile() {
    const profile::ProfileRegistry keys(profile::ProfileListKind::mouseKeys);
    device::TableSlot saved{};
    saved.fill(0xEE);
    EXPECT_EQ(profile::ReadProfileFile(keys.profilePath("Keys"), saved), profile::kProfileFileRead);
    return saved;
  }

  MouseApplyOutcome apply() { return applyKeysToMouse(config, *sim.session, store); }

  SimulatedSession sim{DeviceKind::mouse};
  device::LiveLighting live;
  MouseConfig config{live};
  macro::MacroStore store{DeviceKind::mouse};
  std::vector<uint8_t> original;
};

TEST_F(MouseKeyApplyTest, WithoutMacrosOnlyTheActiveProfilesAssignmentsAreSent) {
  assign(2, 1, {0x13, 0x01, 0x00});
  sim.device->clearLog();
  const MouseApplyOutcome outcome = apply();
  EXPECT_EQ(outcome.status, MouseApplyOutcome::Status::applied);
  EXPECT_EQ(requests(kWriteMacroTable), 0);
  EXPECT_EQ(requests(kWriteCursorTable), 0) << "no fire-key sequences are listed";
  EXPECT_EQ(requests(kWriteProfileTable), 10) << "512 bytes in 56-byte pieces";
  EXPECT_EQ(requests(kReadProfileTable), 0) << "the mirror knew what follows";

  std::vector<uint8_t> expected = original;
  overlay(expected, 2, config.profileKeyTable(2));
  EXPECT_EQ(sim.device->memory().profileTables, expected);
  const std::vector<uint8_t> area = sim.device->memory().profileTables;
  EXPECT_EQ(recordAt(std::span(area).subspan(2 * kStride), 1), (KeyAssignment{0x13, 0x01, 0x00}));
  EXPECT_EQ(savedKeyProfile(), config.profileKeyTable(2));
}

TEST_F(MouseKeyApplyTest, TheFireKeySequencesGoFirstAsTheirFilesHoldThem) {
  store.ensureCursorSections();  // the four factory sequences
  const auto image = buildCursorImageFromFiles();
  ASSERT_TRUE(image && image->size() > 16);
  sim.device->clearLog();
  EXPECT_EQ(apply().status, MouseApplyOutcome::Status::applied);
  const auto log = sim.device->requestLog();
  const auto firstCursor = std::find_if(
      log.begin(), log.end(), [](const auto& r) { return r.command == kWriteCursorTable; });
  const auto firstTable = std::find_if(
      log.begin(), log.end(), [](const auto& r) { return r.command == kWriteProfileTable; });
  ASSERT_NE(firstCursor, log.end());
  EXPECT_LT(firstCursor - log.begin(), firstTable - log.begin());
  const auto cursor = sim.device->memory().cursor;
  EXPECT_TRUE(std::equal(image->begin(), image->end(), cursor.begin()));
}

TEST_F(MouseKeyApplyTest, MacrosThatDoNotFitStopEverythingAndTellHowManyStepsToRemove) {
  saveMacros({100, 100, 50});  // 16 + 18 + 1000 = 1034 bytes for 1024
  assign(2, 0, {0x10, 0x02, 0x00});
  sim.device->clearLog();
  const MouseApplyOutcome outcome = apply();
  EXPECT_EQ(outcome.status, MouseApplyOutcome::Status::macrosTooLarge);
  EXPECT_EQ(outcome.stepsToRemove, 3);
  EXPECT_EQ(requests(kWriteMacroTable), 0);
  EXPECT_EQ(requests(kWriteProfileTable), 0) << "not even the assignments";
  EXPECT_EQ(sim.device->memory().profileTables, original);
}

TEST_F(MouseKeyApplyTest, TheMacroImageInTheMouseIsTheModelsByteForByte) {
  for (const std::vector<std::size_t>& counts :
       {std::vector<std::size_t>{100, 100, 47}, std::vector<std::size_t>{200, 49}}) {
    // 247 steps in three macros: 1022 bytes; 249 in two: exactly 1024.
    for (const std::string& name : store.listedNames())
      std::filesystem::remove(store.actionFile(name));
    std::filesystem::remove(store.listFile());
    saveMacros(counts);
    const macro::MacroImagePlan plan = macro::prepareMacroImage(store, 1024);
    ASSERT_EQ(plan.status, macro::MacroImagePlan::Status::ready);
    sim.device->clearLog();
    EXPECT_EQ(apply().status, MouseApplyOutcome::Status::applied);
    const auto macros = sim.device->memory().macros;
    ASSERT_GE(macros.size(), plan.image.size());
    EXPECT_TRUE(std::equal(plan.image.begin(), plan.image.end(), macros.begin()));
    EXPECT_EQ(requests(kWriteProfileTable), 10);
  }
  EXPECT_EQ(macro::prepareMacroImage(store, 1024).total, 1024u);
}

TEST_F(MouseKeyApplyTest, OtherProfilesButtonsStayAsTheMouseHasThem) {
  // Unapplied edits of profiles 3 and 1 stay in memory only.
  assign(3, 0, {0x40, 0x01, 0x00});
  assign(2, 4, {0x72, 0x01, 0x00});
  std::vector<uint8_t> expected = original;
  ASSERT_EQ(apply().status, MouseApplyOutcome::Status::applied);
  overlay(expected, 2, config.profileKeyTable(2));
  EXPECT_EQ(sim.device->memory().profileTables, expected);

  // Profile 1 next: its write reaches over profiles 2, 3 and 4.
  ASSERT_TRUE(config.switchProfile(*sim.session, 1));
  assign(1, 6, {0x14, 3, 4});
  ASSERT_EQ(apply().status, MouseApplyOutcome::Status::applied);
  overlay(expected, 1, config.profileKeyTable(1));
  EXPECT_EQ(sim.device->memory().profileTables, expected)
      << "profile 2 keeps what was applied, profile 3 never gets its unapplied edit";
}

TEST_F(MouseKeyApplyTest, AMouseThatStopsAnsweringMidApplyIsAFailure) {
  saveMacros({3});
  assign(2, 2, {0x30, 0xE2, 0x00});
  sim.device->clearLog();
  // Begin, the macro table (one piece), End, Begin, three table pieces; then silence.
  sim.device->injectFault(sim::Fault::silent, 7, sim::VirtualDevice::kAlways);
  const MouseApplyOutcome outcome = apply();
  EXPECT_EQ(outcome.status, MouseApplyOutcome::Status::failed);
  EXPECT_EQ(outcome.result, device::kResultNoReply);
  EXPECT_EQ(savedKeyProfile(), config.profileKeyTable(2)) << "the user's edits are kept";

  // The mouse answers again; what it holds after profile 2 is read back
  // before the next write, since the failed write may have landed in part.
  sim.device->clearFaults();
  ASSERT_TRUE(sim.session->online) << "a silent mouse is still there";
  sim.device->clearLog();
  EXPECT_EQ(apply().status, MouseApplyOutcome::Status::applied);
  EXPECT_GT(requests(kReadProfileTable), 0);
  std::vector<uint8_t> expected = original;
  overlay(expected, 2, config.profileKeyTable(2));
  EXPECT_EQ(sim.device->memory().profileTables, expected);
}

TEST_F(MouseKeyApplyTest, AFailedReadLeavesNothingToTrustAndTheApplyReadsFirst) {
  sim.device->injectFault(sim::Fault::statusFF, 3, 1);
  EXPECT_NE(config.readAll(*sim.session), device::kResultOk);
  assign(2, 3, {0x10, 0x08, 0x00});
  sim.device->clearLog();
  EXPECT_EQ(apply().status, MouseApplyOutcome::Status::applied);
  EXPECT_EQ(requests(kReadProfileTable), 10);
  std::vector<uint8_t> expected = original;
  overlay(expected, 2, config.profileKeyTable(2));
  EXPECT_EQ(sim.device->memory().profileTables, expected);
}

}  // namespace
}  // namespace varnacle::mouse
