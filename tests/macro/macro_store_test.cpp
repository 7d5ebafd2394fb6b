#include "macro/macro_store.h"

#include <gtest/gtest.h>

#include <array>

#include "../profile/test_documents.h"
#include "macro/action_file.h"
#include "profile/ini_store.h"
#include "profile/paths.h"

namespace varnacle::macro {
namespace {

using Lines = std::vector<std::string>;

class MacroFiles : public testing::TestDocuments, public ::testing::WithParamInterface<DeviceKind> {
 protected:
  MacroStore store{GetParam()};
  std::filesystem::path folder() const { return profile::DeviceFolder(GetParam()); }
  bool fileExists(std::string_view name) const {
    return std::filesystem::exists(folder() / std::string(name));
  }
  size_t filesInDocuments() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e :
         std::filesystem::recursive_directory_iterator(documents())) {
      ++n;
    }
    return n;
  }
};

TEST_P(MacroFiles, AppendReadAndSaveActions) {
  EXPECT_TRUE(store.readList().empty());
  EXPECT_EQ(store.appendMacro("name_1"), MacroNameResult::ok);
  EXPECT_EQ(store.appendMacro("Fast reload"), MacroNameResult::ok);
  EXPECT_EQ(store.appendMacro("FAST RELOAD"), MacroNameResult::nameUsed);
  EXPECT_EQ(store.readList(), (Lines{"name_1", "Fast reload"}));
  EXPECT_EQ(store.listFile().filename(),
            GetParam() == DeviceKind::keyboard ? "kbMacro.ini" : "msMacro.ini");
  // No action file yet: no steps.
  EXPECT_TRUE(store.readActions("Fast reload").empty());

  const Lines five = {"5,0,138,4,1,keyboard_key_A", "0,0,10,4,0,keyboard_key_A",
                      "1,0,129,1,1,mouse_key_left", "1,0,1,1,0,mouse_key_left",
                      "0,0,132,9,1,mouse_move_to_left_text"};
  const Lines names = store.readList();
  ASSERT_TRUE(store.saveActions(names, "Fast reload", five));
  EXPECT_EQ(store.readActions("Fast reload"), five);
  // A shorter save leaves the stale keys; readers stop at the count.
  ASSERT_TRUE(store.saveActions(names, "Fast reload", Lines(five.begin(), five.begin() + 2)));
  EXPECT_EQ(store.readActions("Fast reload"), Lines(five.begin(), five.begin() + 2));
  EXPECT_EQ(profile::readIniString(store.actionFile("Fast reload"), "MACROACTION", "4"), five[4]);
  EXPECT_EQ(profile::readIniInt(store.actionFile("Fast reload"), "MACROACTIONCOUNT", "count"), 2);
}

TEST_P(MacroFiles, AListThatSaysZeroHasNoMacrosWhateverNamesAreLeft) {
  profile::writeIniString(store.listFile(), "MACRONAME", "0", "ghost");
  profile::writeIniString(store.listFile(), "MACROCOUNT", "count", "0");
  EXPECT_TRUE(store.readList().empty());
  profile::writeIniString(store.listFile(), "MACROCOUNT", "count", "abc");
  EXPECT_TRUE(store.readList().empty());
}

TEST_P(MacroFiles, CountsFarAboveTheStoredKeysAreBounded) {
  profile::writeIniString(store.listFile(), "MACROCOUNT", "count", "2000000000");
  profile::writeIniString(store.listFile(), "MACRONAME", "0", "real");
  const Lines names = store.readList();
  ASSERT_EQ(names.size(), static_cast<size_t>(kMaxMacros));
  EXPECT_EQ(names[0], "real");
  EXPECT_EQ(names[1], "0");  // missing keys read as the default
  EXPECT_EQ(store.appendMacro("one more"), MacroNameResult::listFull);

  profile::writeIniString(store.actionFile("real"), "MACROACTIONCOUNT", "count", "999999999");
  EXPECT_EQ(store.readActions("real").size(), static_cast<size_t>(kMaxActionLines));
  profile::writeIniString(store.actionFile("real"), "MACROACTIONCOUNT", "count", "-5");
  EXPECT_TRUE(store.readActions("real").empty());
}

TEST_P(MacroFiles, UnsafeNamesAreRefusedAndTouchNoFile) {
  store.appendMacro("ok");
  const size_t before = filesInDocuments();
  for (const char* name : {"../x", "a/b", "a\\b", "..", "", "bad:name", "tab\there", "CON",
                           "lpt1.txt", "trailing.", "what?"}) {
    EXPECT_EQ(store.appendMacro(name), MacroNameResult::unsafeName) << name;
    EXPECT_EQ(store.renameMacro(0, name, {}), MacroNameResult::unsafeName) << name;
    EXPECT_FALSE(store.saveActions({}, name, Lines{"0,0,0,0,0,x"})) << name;
    EXPECT_EQ(store.importMacro(documents() / "nothing", name), MacroImportResult::unsafeName)
        << name;
  }
  EXPECT_EQ(filesInDocuments(), before);
  EXPECT_EQ(store.readList(), Lines{"ok"});

  // A hand-edited list naming a file outside the folder: read as no steps,
  // never deleted.
  const std::filesystem::path outside = documents() / "GRIMWOLF Q650" / "precious.mac";
  writeBytes(outside, "keep");
  profile::writeIniString(store.listFile(), "MACRONAME", "0", "../precious");
  EXPECT_TRUE(store.readActions("../precious").empty());
  EXPECT_TRUE(store.deleteMacro(0, {}));
  EXPECT_EQ(readBytes(outside), "keep");
}

TEST_P(MacroFiles, NamesTheListWouldChangeAreRefusedAsUnsafe) {
  ASSERT_EQ(store.appendMacro("kept"), MacroNameResult::ok);
  const size_t before = filesInDocuments();
  for (const char* name : {" a", "  lead", "'a'", "''", "' a'"}) {
    EXPECT_EQ(store.appendMacro(name), MacroNameResult::unsafeName) << name;
    EXPECT_EQ(store.renameMacro(0, name, {}), MacroNameResult::unsafeName) << name;
  }
  EXPECT_EQ(filesInDocuments(), before);
  EXPECT_EQ(store.readList(), Lines{"kept"});
}

TEST_P(MacroFiles, AcceptedNamesKeepTheirStepsThroughTheListFile) {
  // Each name is appended, read back from the list as after a restart, given
  // steps, renamed to the next name and finally deleted: the list always names
  // the file that holds the steps.
  const Lines names = {"it's", "'a", "a'", "[a]", "a=b", ";a", "名字 1", "mid 'q' x"};
  const Lines steps = {"5,0,138,4,1,keyboard_key_A"};
  for (size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    ASSERT_EQ(store.appendMacro(names[i]), MacroNameResult::ok);
    ASSERT_EQ(store.readList(), Lines{names[i]});
    ASSERT_TRUE(store.saveActions(store.readList(), store.readList()[0], steps));
    EXPECT_EQ(store.readActions(store.readList()[0]), steps);
    const std::string next = names[(i + 1) % names.size()] + " 2";
    ASSERT_EQ(store.renameMacro(0, next, steps), MacroNameResult::ok);
    ASSERT_EQ(store.readList(), Lines{next});
    EXPECT_EQ(store.readActions(store.readList()[0]), steps);
    ASSERT_TRUE(store.deleteMacro(0, {}));
    EXPECT_FALSE(fileExists(next + ".mac"));
    EXPECT_TRUE(store.readList().empty());
  }
}

TEST_P(MacroFiles, RenameMovesTheStepsAndRefusesANameUsedElsewhere) {
  store.appendMacro("Game");
  store.appendMacro("Work");
  store.saveActions(store.readList(), "Game", Lines{"1,0,129,1,1,mouse_key_left"});
  EXPECT_EQ(store.renameMacro(0, "WORK", {}), MacroNameResult::nameUsed);
  EXPECT_EQ(store.renameMacro(5, "Other", {}), MacroNameResult::badPosition);
  EXPECT_EQ(store.readList(), (Lines{"Game", "Work"}));

  const Lines current = {"2,0,129,1,1,mouse_key_left", "0,0,1,1,0,mouse_key_left"};
  EXPECT_EQ(store.renameMacro(0, "Arena", current), MacroNameResult::ok);
  EXPECT_EQ(store.readList(), (Lines{"Arena", "Work"}));
  EXPECT_EQ(store.readActions("Arena"), current);
  EXPECT_FALSE(fileExists("Game.mac"));
  // Its own name in another case is not "used elsewhere".
  EXPECT_EQ(store.renameMacro(0, "ARENA", current), MacroNameResult::ok);
  EXPECT_EQ(store.readList()[0], "ARENA");
  EXPECT_EQ(store.readActions("ARENA"), current);
}

// Buttons 0–6 of five profiles; button k's default record is (0x10, k, 0).
struct Tables {
  std::array<std::array<uint8_t, 512>, 5> profiles{};
  std::array<uint8_t, 512> defaults{};
  std::array<std::span<uint8_t>, 5> spans;
  Tables() {
    for (size_t k = 0; k < 7; ++k) defaults[3 * k] = 0x10, defaults[3 * k + 1] = uint8_t(k);
    for (size_t p = 0; p < 5; ++p) {
      profiles[p] = {};
      std::copy(defaults.begin(), defaults.end(), profiles[p].begin());
      spans[p] = profiles[p];
    }
  }
  MacroReferenceTables view() { return {spans, defaults, 7}; }
  void assign(size_t profile, size_t button, uint8_t type, uint8_t macro, uint8_t mode) {
    profiles[profile][3 * button] = type;
    profiles[profile][3 * button + 1] = macro;
    profiles[profile][3 * button + 2] = mode;
  }
  std::array<uint8_t, 3> record(size_t profile, size_t button) const {
    return {profiles[profile][3 * button], profiles[profile][3 * button + 1],
            profiles[profile][3 * button + 2]};
  }
};

TEST_P(MacroFiles, DeleteRenumbersReferencesAndRewritesTheList) {
  for (const char* name : {"m0", "m1", "m2"}) store.appendMacro(name);
  for (const char* name : {"m0", "m1", "m2"}) store.saveActions({}, name, Lines{"0,0,1,1,1,x"});
  Tables t;
  t.assign(0, 3, 0x70, 2, 1);  // first button: macro 2
  t.assign(4, 6, 0x71, 1, 9);  // second button: macro 1, repeat 9
  t.assign(2, 0, 0x70, 0, 0);  // macro 0 stays
  EXPECT_TRUE(isMacroReferenced(t.view(), 1));
  EXPECT_FALSE(isMacroReferenced(t.view(), 3));

  ASSERT_TRUE(store.deleteMacro(1, t.view()));
  EXPECT_EQ(t.record(0, 3), (std::array<uint8_t, 3>{0x70, 1, 1}));
  EXPECT_EQ(t.record(4, 6), (std::array<uint8_t, 3>{0x10, 6, 0}));  // the default again
  EXPECT_EQ(t.record(2, 0), (std::array<uint8_t, 3>{0x70, 0, 0}));
  EXPECT_EQ(store.readList(), (Lines{"m0", "m2"}));
  EXPECT_FALSE(fileExists("m1.mac"));
  EXPECT_TRUE(fileExists("m2.mac"));
  EXPECT_FALSE(profile::loadIniFile(store.listFile()).has("MACRONAME", "2"));

  // Macro 0 of macros 0 and 1, a button holding only macro 1: it moves to 0.
  Tables u;
  u.assign(1, 2, 0x70, 1, 3);
  ASSERT_TRUE(store.deleteMacro(0, u.view()));
  EXPECT_EQ(u.record(1, 2), (std::array<uint8_t, 3>{0x70, 0, 3}));
  EXPECT_EQ(store.readList(), Lines{"m2"});
  EXPECT_FALSE(store.deleteMacro(3, u.view()));
}

TEST_P(MacroFiles, DeletingTheOnlyMacroLeavesAnEmptyList) {
  store.appendMacro("solo");
  store.saveActions(store.readList(), "solo", Lines{"0,0,1,1,1,x"});
  Tables t;
  ASSERT_TRUE(store.deleteMacro(0, t.view()));
  EXPECT_EQ(profile::readIniString(store.listFile(), "MACROCOUNT", "count"), "0");
  EXPECT_FALSE(fileExists("solo.mac"));
  const bool mouse = GetParam() == DeviceKind::mouse;
  EXPECT_EQ(profile::readIniInt(store.listFile(), "CURSORCOUNT", "count"), mouse ? 4 : 0);
  EXPECT_EQ(profile::readIniString(store.listFile(), "CURSORNAME", "3"), mouse ? "name_4" : "0");
}

TEST_P(MacroFiles, ExportAndImportAreByteCopies) {
  store.appendMacro("src");
  store.saveActions(store.readList(), "src", Lines{"5,0,138,4,1,keyboard_key_A"});
  const std::filesystem::path exported = documents() / "exported.mac";
  ASSERT_TRUE(store.exportMacro("src", exported));
  EXPECT_EQ(readBytes(exported), readBytes(store.actionFile("src")));

  const std::string foreign =
      "[MACROACTIONCOUNT]\ncount=1\n[MACROACTION]\n0=1,0,129,1,1,mouse_key_left\n";
  writeBytes(documents() / "in.mac", foreign);
  ASSERT_EQ(store.importMacro(documents() / "in.mac", "src"), MacroImportResult::ok);
  EXPECT_EQ(readBytes(store.actionFile("src")), foreign);
  EXPECT_EQ(store.readActions("src"), Lines{"1,0,129,1,1,mouse_key_left"});
  EXPECT_EQ(store.importMacro(documents() / "missing.mac", "src"), MacroImportResult::unreadable);
  EXPECT_EQ(readBytes(store.actionFile("src")), foreign);
}

TEST_P(MacroFiles, ExportAndImportTakeTheUsersPathExactly) {
  store.appendMacro("src");
  store.saveActions(store.readList(), "src", Lines{"5,0,138,4,1,keyboard_key_A"});
  const std::string steps = readBytes(store.actionFile("src"));
  // A file beside the chosen one whose name differs only in case stays as it is.
  const std::string someoneElses =
      "[MACROACTIONCOUNT]\ncount=1\n[MACROACTION]\n0=0,0,1,2,0,mouse_key_right\n";
  writeBytes(documents() / "macro.mac", someoneElses);
  if (std::filesystem::exists(documents() / "MACRO.MAC"))
    GTEST_SKIP() << "the file system ignores case itself (Windows)";
  ASSERT_TRUE(store.exportMacro("src", documents() / "Macro.mac"));
  EXPECT_EQ(readBytes(documents() / "macro.mac"), someoneElses);
  EXPECT_EQ(readBytes(documents() / "Macro.mac"), steps);

  // Importing a file that is not there fails, whatever lies beside it.
  std::filesystem::remove(documents() / "Macro.mac");
  EXPECT_EQ(store.importMacro(documents() / "Macro.mac", "src"), MacroImportResult::unreadable);
  EXPECT_EQ(readBytes(store.actionFile("src")), steps);

  // Inside the settings folder the action file is found without regard to case.
  std::filesystem::rename(store.actionFile("src"), folder() / "SRC.mac");
  ASSERT_TRUE(store.exportMacro("src", documents() / "out.mac"));
  EXPECT_EQ(readBytes(documents() / "out.mac"), steps);
  ASSERT_EQ(store.importMacro(documents() / "macro.mac", "src"), MacroImportResult::ok);
  EXPECT_EQ(readBytes(folder() / "SRC.mac"), someoneElses);
  EXPECT_FALSE(fileExists("src.mac"));
}

INSTANTIATE_TEST_SUITE_P(BothDevices, MacroFiles,
                         ::testing::Values(DeviceKind::keyboard, DeviceKind::mouse),
                         [](const auto& info) {
                           return info.param == DeviceKind::keyboard ? "keyboard" : "mouse";
                         });

class MouseMacroList : public testing::TestDocuments {};

TEST_F(MouseMacroList, FirstReadSetsUpTheFireKeySequencesWithoutOverwriting) {
  const MacroStore store(DeviceKind::mouse);
  const std::filesystem::path mine = profile::DeviceFolder(DeviceKind::mouse) / "name_2.cur";
  writeBytes(mine, "mine");
  store.readList();
  EXPECT_EQ(store.cursorNames(), (Lines{"name_1", "name_2", "name_3", "name_4"}));
  EXPECT_EQ(readBytes(mine), "mine");
  const std::filesystem::path copied = profile::DeviceFolder(DeviceKind::mouse) / "name_1.cur";
  EXPECT_EQ(readBytes(copied), readBytes(profile::ProgramFolder() / "name_1.cur"));
  EXPECT_EQ(readActionLines(copied).size(), 180u);

  // Set up once: a user's names stay.
  profile::writeIniString(store.listFile(), "CURSORNAME", "0", "custom");
  store.readList();
  EXPECT_EQ(store.cursorNames()[0], "custom");
  // The keyboard has no fire-key sections.
  MacroStore(DeviceKind::keyboard).readList();
  EXPECT_EQ(MacroStore(DeviceKind::keyboard).cursorNames(), Lines{});
}

}  // namespace
}  // namespace varnacle::macro
