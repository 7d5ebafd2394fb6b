// The profile list model on a temporary Documents folder, with the factory
// default files the build put beside the test binary.
#include "profile/profile_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "profile/ini_store.h"
#include "profile/paths.h"
#include "profile/profile_file.h"
#include "test_documents.h"

namespace varnacle::profile {
namespace {

namespace fs = std::filesystem;

struct ProfileListTest : varnacle::testing::TestDocuments {
  // A list file with these rows (count, names, SELECT 0) and a file for each
  // row whose payload starts with the row number.
  void seed(ProfileListKind kind, const std::vector<std::string>& names) {
    const ProfileRegistry registry(kind);
    registry.setCount(static_cast<int>(names.size()));
    for (size_t i = 0; i < names.size(); ++i) {
      registry.setName(static_cast<int>(i), names[i]);
      std::vector<uint8_t> payload(registry.info().payloadSize, 0);
      payload[0] = static_cast<uint8_t>(0xA0 + i);
      WriteProfileFile(registry.profilePath(names[i]), payload);
    }
    registry.setSelect(0);
  }
  std::vector<uint8_t> payloadOf(ProfileListKind kind, const std::string& name) {
    std::vector<uint8_t> payload(profileListInfo(kind).payloadSize, 0);
    EXPECT_EQ(ReadProfileFile(ProfileRegistry(kind).profilePath(name), payload), kProfileFileRead);
    return payload;
  }
  static std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static constexpr auto kLighting = ProfileListKind::mouseLighting;
  static constexpr auto kKeys = ProfileListKind::mouseKeys;
  static constexpr auto kKeyboardLighting = ProfileListKind::keyboardLighting;
};

TEST_F(ProfileListTest, FirstStartCreatesConfigurationFile1FromTheDefaultFile) {
  ProfileList list(kLighting);
  EXPECT_EQ(list.initialise(), "");
  EXPECT_EQ(list.rows(), std::vector<std::string>{"Configuration File1"});
  const ProfileRegistry& r = list.registry();
  EXPECT_EQ(r.count(), 1);
  EXPECT_EQ(r.name(0), "Configuration File1");
  EXPECT_EQ(r.select(), 0);
  EXPECT_EQ(readIniString(r.file(), r.linkSection(), "0", "missing"), "0");
  std::vector<uint8_t> defaults(64, 0);
  ASSERT_EQ(ReadProfileFile(r.defaultPath(), defaults), kProfileFileRead);
  EXPECT_EQ(payloadOf(kLighting, "Configuration File1"), defaults);
  // The second start reads the list as written.
  ProfileList again(kLighting);
  EXPECT_EQ(again.initialise(), "");
  EXPECT_EQ(again.rows(), list.rows());
}

TEST_F(ProfileListTest, ListFilesThatLieAreReadWithinBounds) {
  const ProfileRegistry r(kLighting);
  // Count 3 with NAME["2"] missing: a row "0", whose file is "0.led".
  r.setCount(3);
  r.setName(0, "A");
  r.setName(1, "B");
  ProfileList list(kLighting);
  list.initialise();
  EXPECT_EQ(list.rows(), (std::vector<std::string>{"A", "B", "0"}));
  std::vector<uint8_t> payload(64, 0x11);
  WriteProfileFile(r.profilePath("0"), payload);
  EXPECT_EQ(list.select(2).payload, payload);

  // A huge count is not believed; a negative one is a first start.
  r.setCount(2'000'000'000);
  ProfileList huge(kLighting);
  huge.initialise();
  EXPECT_EQ(huge.rowCount(), kMaxProfileRows);
  r.setCount(-5);
  ProfileList negative(kLighting);
  negative.initialise();
  EXPECT_EQ(negative.rows(), std::vector<std::string>{"Configuration File1"});

  // Lines the list file does not understand are kept and ignored.
  writeBytes(r.file(), std::string("\x01\xFFjunk\n[PROFILEDENGCOUNT]\ncount=2x\nnoise\n"
                                   "[PROFILEDENGNAME]\n0=A\n=\n1=B\n[\n", 71));
  ProfileList garbage(kLighting);
  garbage.initialise();
  EXPECT_EQ(garbage.rows(), (std::vector<std::string>{"A", "B"}));
}

TEST_F(ProfileListTest, NamesWithPathSeparatorsNeverReachOutsideTheDeviceFolder) {
  const ProfileRegistry r(kLighting);
  const fs::path outside = documents() / "outside.led";
  writeBytes(outside, "keep");
  r.setCount(2);
  r.setName(0, "../outside");
  r.setName(1, "B");
  WriteProfileFile(r.profilePath("B"), std::vector<uint8_t>(64, 0));
  r.setSelect(0);
  ProfileList list(kLighting);
  list.initialise();
  EXPECT_FALSE(list.select(0).payload);
  EXPECT_FALSE(list.save(std::vector<uint8_t>(64, 1)));
  EXPECT_EQ(list.importFrom(0, r.profilePath("B")).message, kMissingFileMessage);
  EXPECT_EQ(list.copy(0).message, kUsedNameMessage);
  EXPECT_EQ(list.rename(0, "C").message, kMissingFileMessage);
  list.remove(0);
  EXPECT_EQ(readBytes(outside), "keep");
  EXPECT_EQ(list.rows(), std::vector<std::string>{"B"});
}

TEST_F(ProfileListTest, AddTakesTheFirstFreeNumberWithoutRegardToCase) {
  seed(kLighting, {"Configuration File1", "configuration file3"});
  ProfileList list(kLighting);
  list.initialise();
  const ListOutcome added = list.add();
  EXPECT_EQ(added.message, "");
  EXPECT_EQ(added.selectRow, 2);
  EXPECT_EQ(list.rows().back(), "Configuration File2");
  EXPECT_EQ(list.registry().count(), 3);
  EXPECT_EQ(list.registry().name(2), "Configuration File2");
  EXPECT_FALSE(list.registry().linked(2));
  EXPECT_TRUE(fs::exists(list.registry().profilePath("Configuration File2")));
}

TEST_F(ProfileListTest, CopyAppendsCopyUntilTheNameIsFreeAndStartsUnlinked) {
  seed(kKeys, {"A", "A copy"});
  const ProfileRegistry& r = ProfileRegistry(kKeys);
  // Entries left behind at index 2 by an earlier delete.
  r.setLinked(2, true);
  r.setProcess(2, "/usr/bin/old");
  ProfileList list(kKeys);
  list.initialise();
  EXPECT_EQ(list.copy(0).selectRow, 2);
  EXPECT_EQ(list.rows().back(), "A copy copy");
  EXPECT_EQ(payloadOf(kKeys, "A copy copy"), payloadOf(kKeys, "A"));
  EXPECT_FALSE(r.linked(2));
}

TEST_F(ProfileListTest, DeleteMovesTheLinksOfTheFollowingRowsDown) {
  seed(kLighting, {"R0", "R1", "R2"});
  const ProfileRegistry r(kLighting);
  r.setLinked(2, true);
  r.setProcess(2, "/usr/bin/game");
  ProfileList list(kLighting);
  list.initialise();
  EXPECT_TRUE(list.canDelete());
  const ListOutcome removed = list.remove(1);
  EXPECT_EQ(removed.selectRow, 1);
  EXPECT_EQ(list.rows(), (std::vector<std::string>{"R0", "R2"}));
  EXPECT_EQ(r.count(), 2);
  EXPECT_EQ(r.name(1), "R2");
  EXPECT_TRUE(r.linked(1));
  EXPECT_EQ(r.process(1), "/usr/bin/game");
  EXPECT_FALSE(fs::exists(r.profilePath("R1")));
  list.remove(1);
  EXPECT_FALSE(list.canDelete());
  EXPECT_EQ(list.remove(0).selectRow, std::nullopt);
  EXPECT_EQ(list.rows(), std::vector<std::string>{"R0"});
}

TEST_F(ProfileListTest, RenameRefusalsChangeNothing) {
  seed(kLighting, {"Game", "Other"});
  seed(kKeyboardLighting, {"Game"});
  ProfileList mouse(kLighting);
  mouse.initialise();
  ProfileList keyboard(kKeyboardLighting);
  keyboard.initialise();
  const auto before = filesIn(DeviceFolder(DeviceKind::mouse));

  struct Case {
    ProfileList* list;
    std::string name;
    std::string_view message;
  };
  const std::string nineteen(19, 'n');
  const std::string twenty(20, 'n');
  for (const Case& c : std::vector<Case>{
           {&mouse, "", kEmptyNameMessage},
           {&mouse, "GAME", kUsedNameMessage},
           {&mouse, "other", kUsedNameMessage},
           {&mouse, twenty, kLongNameMessage},
           {&mouse, "a/b", kUsedNameMessage},
           {&mouse, " lead", kUsedNameMessage},
           {&keyboard, "game", kUsedNameMessage},
       }) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.list->rename(0, c.name).message, c.message);
  }
  EXPECT_EQ(mouse.rows()[0], "Game");
  EXPECT_EQ(mouse.registry().name(0), "Game");
  EXPECT_EQ(filesIn(DeviceFolder(DeviceKind::mouse)), before);

  EXPECT_EQ(mouse.rename(0, nineteen).message, "");
  EXPECT_EQ(mouse.registry().name(0), nineteen);
  EXPECT_FALSE(fs::exists(mouse.registry().profilePath("Game")));
  EXPECT_EQ(payloadOf(kLighting, nineteen)[0], 0xA0);
  // Other lists set no length limit.
  EXPECT_EQ(keyboard.rename(0, std::string(40, 'k')).message, "");
}

TEST_F(ProfileListTest, RenameWhoseOldFileIsMissingLeavesListAndFilesAsTheyWere) {
  seed(kLighting, {"Game", "Other"});
  ProfileList list(kLighting);
  list.initialise();
  fs::remove(list.registry().profilePath("Game"));
  const auto before = filesIn(DeviceFolder(DeviceKind::mouse));
  const std::string listBefore = readBytes(list.registry().file());
  EXPECT_EQ(list.rename(0, "Renamed").message, kMissingFileMessage);
  EXPECT_EQ(list.rows()[0], "Game");
  EXPECT_EQ(readBytes(list.registry().file()), listBefore);
  EXPECT_EQ(filesIn(DeviceFolder(DeviceKind::mouse)), before);
}

TEST_F(ProfileListTest, ImportChecksTheMagicAndFillsAShortPayloadWithZeros) {
  seed(kLighting, {"A"});
  seed(kKeyboardLighting, {"K"});
  ProfileList mouse(kLighting);
  mouse.initialise();
  const std::string before = readBytes(mouse.registry().profilePath("A"));
  const fs::path bad = root() / "bad.led";
  writeBytes(bad, std::string(80, 'x'));
  EXPECT_EQ(mouse.importFrom(0, bad).message, kBadFileMessage);
  EXPECT_EQ(mouse.importFrom(0, root() / "none.led").message, kMissingFileMessage);
  EXPECT_EQ(readBytes(mouse.registry().profilePath("A")), before);

  ProfileList keyboard(kKeyboardLighting);
  keyboard.initialise();
  const fs::path shortFile = root() / "short.led";
  WriteProfileFile(shortFile, std::vector<uint8_t>(100, 0x5A));
  const ListOutcome imported = keyboard.importFrom(0, shortFile);
  EXPECT_EQ(imported.message, "");
  EXPECT_EQ(imported.selectRow, 0);
  std::vector<uint8_t> expected(1958, 0);
  std::fill_n(expected.begin(), 100, 0x5A);
  EXPECT_EQ(payloadOf(kKeyboardLighting, "K"), expected);
}

TEST_F(ProfileListTest, ExportWritesTheProfileWithAFreshHeader) {
  seed(kKeys, {"A"});
  ProfileList list(kKeys);
  list.initialise();
  // A profile file whose reserved header bytes hold junk.
  std::string bytes = readBytes(list.registry().profilePath("A"));
  bytes[2] = 'J';
  bytes[8] = 'J';
  writeBytes(list.registry().profilePath("A"), bytes);
  const fs::path target = root() / "out.pro";
  EXPECT_EQ(list.exportTo(0, target), "");
  const std::string exported = readBytes(target);
  ASSERT_EQ(exported.size(), 16u + 512u);
  EXPECT_EQ(exported.substr(0, 6), std::string("\xAA\x55\0\0\x01\0", 6));
  EXPECT_EQ(exported.substr(16), bytes.substr(16));
}

TEST_F(ProfileListTest, ResetOfTheMouseLightingListKeepsTheRecordsLastEightBytes) {
  seed(kLighting, {"A"});
  ProfileList list(kLighting);
  list.initialise();
  std::vector<uint8_t> defaults(64, 0);
  ASSERT_EQ(ReadProfileFile(list.registry().defaultPath(), defaults), kProfileFileRead);
  std::vector<uint8_t> current(64, 0xEE);
  const auto reset = list.reset(current);
  ASSERT_TRUE(reset.payload);
  for (size_t i = 0; i < 64; ++i) EXPECT_EQ((*reset.payload)[i], i < 56 ? defaults[i] : 0xEE) << i;
  EXPECT_EQ(payloadOf(kLighting, "A"), *reset.payload);

  seed(kKeys, {"K"});
  ProfileList keys(kKeys);
  keys.initialise();
  std::vector<uint8_t> keyDefaults(512, 0);
  ASSERT_EQ(ReadProfileFile(keys.registry().defaultPath(), keyDefaults), kProfileFileRead);
  EXPECT_EQ(keys.reset(std::vector<uint8_t>(512, 0xEE)).payload, keyDefaults);
}

TEST_F(ProfileListTest, SelectPersistsTheRowAndLoadsItsFileOrKeepsTheSettings) {
  seed(kLighting, {"A", "B"});
  ProfileList list(kLighting);
  list.initialise();
  Selection s = list.select(1);
  EXPECT_EQ(list.registry().select(), 1);
  EXPECT_EQ(s.name, "B");
  ASSERT_TRUE(s.payload);
  EXPECT_EQ((*s.payload)[0], 0xA1);
  EXPECT_FALSE(s.linkLabel);
  // An unlinked row's entries are written unlinked (PROCESS one space,
  // which reads back empty).
  list.registry().setProcess(1, "/usr/bin/stale");
  list.select(1);
  EXPECT_EQ(list.registry().process(1), "");
  writeBytes(list.registry().profilePath("A"), "no magic");
  EXPECT_FALSE(list.select(0).payload);
  fs::remove(list.registry().profilePath("A"));
  EXPECT_FALSE(list.select(0).payload);
}

TEST_F(ProfileListTest, LinksThroughTheOptionAreUniqueThroughTheButtonNot) {
  seed(kLighting, {"A", "B", "C"});
  ProfileList list(kLighting);
  list.initialise();
  const ProfileRegistry& r = list.registry();
  EXPECT_EQ(list.linkThroughOption(1, "/opt/game/Game.bin").label, "Game.bin");
  EXPECT_TRUE(r.linked(1));
  EXPECT_EQ(r.process(1), "/opt/game/Game.bin");

  const LinkState duplicate = list.linkThroughOption(2, "/OPT/game/game.BIN");
  EXPECT_EQ(duplicate.message, kAlreadyLinkedMessage);
  EXPECT_FALSE(duplicate.label);
  EXPECT_FALSE(r.linked(2));
  EXPECT_EQ(r.process(2), "");

  EXPECT_EQ(list.linkThroughButton(2, "/opt/game/Game.bin"), "Game.bin");
  EXPECT_EQ(list.linkedRow("/opt/game/game.bin", 3), 1);

  // Cancel and a path without a separator leave the row unlinked.
  EXPECT_FALSE(list.linkThroughOption(0, std::nullopt).label);
  EXPECT_EQ(r.process(0), "");
  EXPECT_FALSE(list.linkThroughOption(0, "game").label);
  EXPECT_FALSE(r.linked(0));
  EXPECT_EQ(list.linkThroughButton(0, "game"), std::nullopt);
  EXPECT_EQ(list.linkedRow("game", 3), std::nullopt);
  EXPECT_EQ(list.linkedRow("", 3), std::nullopt);
  // Rows at or beyond the combo's count do not match.
  EXPECT_EQ(list.linkedRow("/opt/game/Game.bin", 1), std::nullopt);
}

TEST_F(ProfileListTest, ProgramFileNameIsThePartAfterTheLastSeparator) {
  EXPECT_EQ(programFileName("/usr/bin/xmessage"), "xmessage");
  EXPECT_EQ(programFileName("/usr/bin/"), std::nullopt);
  EXPECT_EQ(programFileName("game.exe"), std::nullopt);
}

}  // namespace
}  // namespace varnacle::profile
