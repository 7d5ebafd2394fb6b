// The macro editor's model without a window: the step list operations, the
// change rules of the step editor, the add naming rule and the editing-state
// guards, on the real macro files in a temporary Documents folder.
#include "macro/macro_editor.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "../profile/test_documents.h"
#include "macro/action_file.h"
#include "macro/macro_key_table.h"
#include "macro/step_edits.h"
#include "profile/ini_store.h"

namespace varnacle::macro {
namespace {

using Lines = std::vector<std::string>;

constexpr std::string_view kPressA = "5,0,138,4,1,keyboard_key_A";
constexpr std::string_view kReleaseA = "5,0,10,4,0,keyboard_key_A";

MacroAction parsed(std::string_view line) {
  const std::optional<MacroAction> step = parseMacroAction(line);
  EXPECT_TRUE(step) << line;
  return step.value_or(MacroAction{});
}

TEST(StepList, MovesKeepTheMovedStepSelectedAndStopAtTheEnds) {
  StepList steps;
  steps.assign({"a", "b", "c", "d"});
  EXPECT_FALSE(steps.move(StepList::Move::up)) << "nothing selected";

  ASSERT_TRUE(steps.select(0));
  EXPECT_FALSE(steps.move(StepList::Move::up));
  EXPECT_FALSE(steps.move(StepList::Move::top));
  EXPECT_EQ(steps.selected(), 0);
  EXPECT_EQ(steps.lines(), (Lines{"a", "b", "c", "d"}));

  EXPECT_TRUE(steps.move(StepList::Move::down));
  EXPECT_EQ(steps.lines(), (Lines{"b", "a", "c", "d"}));
  EXPECT_EQ(steps.selected(), 1);
  EXPECT_TRUE(steps.move(StepList::Move::bottom));
  EXPECT_EQ(steps.lines(), (Lines{"b", "c", "d", "a"}));
  EXPECT_EQ(steps.selected(), 3);
  EXPECT_FALSE(steps.move(StepList::Move::down));
  EXPECT_FALSE(steps.move(StepList::Move::bottom));

  ASSERT_TRUE(steps.select(2));
  EXPECT_TRUE(steps.move(StepList::Move::top));
  EXPECT_EQ(steps.lines(), (Lines{"d", "b", "c", "a"}));
  EXPECT_EQ(steps.selected(), 0);
  ASSERT_TRUE(steps.select(2));
  EXPECT_TRUE(steps.move(StepList::Move::up));
  EXPECT_EQ(steps.lines(), (Lines{"d", "c", "b", "a"}));
  EXPECT_EQ(steps.selected(), 1);

  EXPECT_FALSE(steps.select(4));
  EXPECT_EQ(steps.selected(), 1) << "an index outside the list changes nothing";
}

TEST(StepList, InsertGoesBeforeTheSelectionWhichStaysOnTheOldStep) {
  StepList steps;
  steps.assign({"s0", "s1", "s2", "s3"});
  ASSERT_TRUE(steps.select(1));
  EXPECT_EQ(steps.insert("new"), 1);
  EXPECT_EQ(steps.lines(), (Lines{"s0", "new", "s1", "s2", "s3"}));
  EXPECT_EQ(steps.selected(), 2);
  EXPECT_EQ(steps.lines()[static_cast<size_t>(steps.selected())], "s1");

  // Nothing selected: at the top, still nothing selected.
  ASSERT_TRUE(steps.select(-1));
  EXPECT_EQ(steps.insert("top"), 0);
  EXPECT_EQ(steps.lines().front(), "top");
  EXPECT_EQ(steps.selected(), -1);

  // An empty list selects the step inserted.
  StepList empty;
  EXPECT_EQ(empty.insert("only"), 0);
  EXPECT_EQ(empty.selected(), 0);

  EXPECT_TRUE(steps.select(0));
  EXPECT_TRUE(steps.removeSelected());
  EXPECT_EQ(steps.selected(), -1);
  EXPECT_FALSE(steps.removeSelected());
  EXPECT_FALSE(steps.replaceSelected("x"));
}

TEST(TypedNumbers, LeadingDigitsUpToTheLimitAndWhetherTheEditMustShowIt) {
  struct Case {
    std::string_view text;
    int value;
    bool clamped;
  };
  for (const Case& c : std::initializer_list<Case>{{"70000", 65535, true},
                                                   {"65535", 65535, false},
                                                   {"12x", 12, false},
                                                   {"", 0, false},
                                                   {"x5", 0, false},
                                                   {"-7", 0, false},
                                                   {"999999999999999999999", 65535, true}}) {
    const TypedNumber typed = typedNumber(c.text, kMaxPauseUnits);
    EXPECT_EQ(typed.value, c.value) << c.text;
    EXPECT_EQ(typed.clamped, c.clamped) << c.text;
  }
  EXPECT_EQ(typedNumber("300", kMaxDistance).value, 255);
  EXPECT_TRUE(typedNumber("300", kMaxDistance).clamped);
}

TEST(StepRules, PausesDistancesAndTheRowTheyShow) {
  const MacroAction step = withPause(parsed(kPressA), 65535);
  EXPECT_EQ(step.delayLow, 255);
  EXPECT_EQ(step.delayHigh, 255);
  EXPECT_EQ(stepRowLabels(formatMacroAction(step)).pauseText, "655350");
  EXPECT_EQ(withPause(step, 300).delayHigh, 1);
  EXPECT_EQ(withPause(step, 300).delayLow, 44);

  const StepRowLabels key = stepRowLabels(kPressA);
  EXPECT_EQ(key.nameStyle, kKeyboardStepStyle);
  EXPECT_EQ(key.nameText, "keyboard_key_A");
  EXPECT_EQ(key.stateStyle, kPressStyle);
  EXPECT_EQ(key.stateText, "");
  EXPECT_EQ(key.pauseText, "50");
  EXPECT_EQ(stepRowLabels(kReleaseA).stateStyle, kReleaseStyle);

  const MacroAction moveLeft = insertedStep(10, 300).value();
  EXPECT_EQ(formatMacroAction(moveLeft), "5,0,132,255,1,mouse_move_to_left_text");
  const StepRowLabels move = stepRowLabels(formatMacroAction(moveLeft));
  EXPECT_EQ(move.nameStyle, kMouseStepStyle);
  EXPECT_EQ(move.stateStyle, kTextStyle);
  EXPECT_EQ(move.stateText, "255");
  EXPECT_EQ(withDistance(moveLeft, 40)->value, 40);
  EXPECT_FALSE(withDistance(parsed(kPressA), 40)) << "a key has no distance";

  // A line that does not parse shows as the all-zero step it is sent as.
  const StepRowLabels broken = stepRowLabels("garbage");
  EXPECT_EQ(broken.nameStyle, kMouseStepStyle);
  EXPECT_EQ(broken.nameText, "");
  EXPECT_EQ(broken.pauseText, "0");
}

TEST(StepRules, PressAndReleaseMoveBitSevenWithThePressedField) {
  const MacroAction press = withPressChoice(parsed(kReleaseA), 1).value();
  EXPECT_EQ(press.pressed, 1);
  EXPECT_EQ(press.kind, 0x8A);
  const MacroAction release = withPressChoice(press, 0).value();
  EXPECT_EQ(release.pressed, 0);
  EXPECT_EQ(release.kind, 0x0A);
  EXPECT_FALSE(withPressChoice(press, 2));

  const MacroAction buttonUp = withPressChoice(insertedStep(0, 0).value(), 0).value();
  EXPECT_EQ(buttonUp.kind, 0x01);
  EXPECT_EQ(buttonUp.value, 0x01);
}

TEST(StepRules, AModifierKeyAndBackToA) {
  const int shift = 1;  // "keyboard_key_LShift"
  const int keyA = 8;
  ASSERT_EQ(MacroKeyTable[shift].label, "keyboard_key_LShift");
  const MacroAction shifted = withKeyChoice(parsed(kPressA), shift).value();
  EXPECT_EQ(shifted.kind, 0x89) << "kind 9, still a press";
  EXPECT_EQ(shifted.value, 0x02);
  EXPECT_EQ(shifted.label, "keyboard_key_LShift");
  const MacroAction back = withKeyChoice(shifted, keyA).value();
  EXPECT_EQ(back.kind, 0x8A);
  EXPECT_EQ(back.value, 0x04);
  EXPECT_EQ(withKeyChoice(parsed(kReleaseA), shift)->kind, 0x09);
  EXPECT_FALSE(withKeyChoice(shifted, static_cast<int>(MacroKeyTable.size())));

  const StepEditorView view = stepEditorView(shifted);
  EXPECT_EQ(view.page, StepEditorPage::keyboard);
  EXPECT_EQ(view.keyItem, shift);
  EXPECT_EQ(view.pressItem, 1);
}

TEST(StepRules, MouseChoicesAndTheEditorViewOfMouseSteps) {
  // A button becomes a move: distance 0; a move stays a move with its distance.
  const MacroAction right = insertedStep(2, 0).value();
  const MacroAction up = withMouseChoice(right, 12).value();
  EXPECT_EQ(up.kind, 0x85);
  EXPECT_EQ(up.value, 0);
  EXPECT_EQ(up.label, "mouse_move_to_up_text");
  const MacroAction down = withMouseChoice(withDistance(up, 77).value(), 13).value();
  EXPECT_EQ(down.kind, 0x05);
  EXPECT_EQ(down.value, 77);
  const MacroAction backUp = withMouseChoice(down, 9).value();
  EXPECT_EQ(backUp.kind, 0x01);
  EXPECT_EQ(backUp.value, 0x08);
  EXPECT_EQ(backUp.pressed, 0);
  EXPECT_FALSE(withMouseChoice(down, 14)) << "the wheel row makes no step";
  EXPECT_FALSE(withMouseChoice(down, -1));

  const StepEditorView moveView = stepEditorView(down);
  EXPECT_EQ(moveView.page, StepEditorPage::mouse);
  EXPECT_EQ(moveView.mouseItem, 13);
  EXPECT_TRUE(moveView.move);
  EXPECT_EQ(moveView.distance, 77);
  EXPECT_EQ(stepEditorView(withMouseChoice(down, 10).value()).mouseItem, 10);
  const StepEditorView buttonView = stepEditorView(insertedStep(7, 0).value());
  EXPECT_EQ(buttonView.mouseItem, 7);
  EXPECT_FALSE(buttonView.move);
  EXPECT_EQ(buttonView.pauseUnits, kInsertedPauseUnits);
  EXPECT_FALSE(insertedStep(14, 0));
}

TEST(MacroNames, TheFirstFreeNumberFromCountPlusOne) {
  EXPECT_EQ(nextMacroName({}), "name_1");
  EXPECT_EQ(nextMacroName({"name_1", "name_3"}), "name_4");
  EXPECT_EQ(nextMacroName({"NAME_2", "x"}), "name_3");
  EXPECT_EQ(nextMacroName({"a", "b"}), "name_3");
}

class MacroEditorTest : public testing::TestDocuments,
                        public ::testing::WithParamInterface<DeviceKind> {
 protected:
  void SetUp() override {
    TestDocuments::SetUp();
    editor.load();
  }
  MacroEditor editor{GetParam()};
};

TEST_P(MacroEditorTest, AddNamesAndTheFiftyLimit) {
  ASSERT_EQ(editor.store().appendMacro("name_1"), MacroNameResult::ok);
  ASSERT_EQ(editor.store().appendMacro("name_3"), MacroNameResult::ok);
  editor.load();
  EXPECT_EQ(editor.selectedMacro(), 1) << "page start opens the last macro";
  EXPECT_EQ(editor.add(), EditResult::done);
  EXPECT_EQ(editor.names().back(), "name_4");
  EXPECT_EQ(editor.selectedName(), "name_4");
  EXPECT_EQ(editor.store().listedNames(), editor.names());

  while (editor.names().size() < static_cast<size_t>(kMaxMacros))
    ASSERT_EQ(editor.add(), EditResult::done);
  EXPECT_EQ(editor.add(), EditResult::listFull);
  EXPECT_EQ(editor.store().listedNames().size(), static_cast<size_t>(kMaxMacros));
}

TEST_P(MacroEditorTest, TheEditingStateLocksTheListUntilSaveOrCancel) {
  ASSERT_EQ(editor.add(), EditResult::done);
  ASSERT_EQ(editor.add(), EditResult::done);
  ASSERT_TRUE(editor.store().saveActions(editor.names(), "name_2", Lines{std::string(kPressA)}));
  ASSERT_EQ(editor.open(1), EditResult::done);
  EXPECT_FALSE(editor.editing());

  EXPECT_EQ(editor.selectStep(0), EditResult::done);
  EXPECT_TRUE(editor.editing());
  EXPECT_EQ(editor.add(), EditResult::editing);
  EXPECT_EQ(editor.canDelete(), EditResult::editing);
  EXPECT_EQ(editor.remove({}), EditResult::editing);
  EXPECT_EQ(editor.open(0), EditResult::editingOpen);
  EXPECT_EQ(editor.selectedMacro(), 1);
  EXPECT_EQ(editor.importFrom(documents() / "any.mac"), EditResult::editing);
  EXPECT_EQ(editor.names().size(), 2u);

  EXPECT_EQ(editor.removeAllSteps(), EditResult::done);
  editor.cancel();
  EXPECT_FALSE(editor.editing());
  EXPECT_EQ(editor.steps().lines(), Lines{std::string(kPressA)}) << "cancel shows the saved steps";
  EXPECT_EQ(editor.steps().selected(), -1);

  EXPECT_EQ(editor.insertStep(formatMacroAction(insertedStep(0, 0).value())), EditResult::done);
  EXPECT_TRUE(editor.editing());
  EXPECT_EQ(editor.save(), EditResult::done);
  EXPECT_FALSE(editor.editing());
  EXPECT_EQ(editor.store().readActions("name_2"),
            (Lines{"5,0,129,1,1,mouse_key_left", std::string(kPressA)}));
  EXPECT_EQ(editor.open(0), EditResult::done);
}

TEST_P(MacroEditorTest, StepOperationsNeedAnOpenMacroAndASelectedStep) {
  EXPECT_EQ(editor.selectedMacro(), -1);
  EXPECT_EQ(editor.removeAllSteps(), EditResult::nothing);
  EXPECT_EQ(editor.insertStep("5,0,129,1,1,mouse_key_left"), EditResult::nothing);
  EXPECT_EQ(editor.save(), EditResult::nothing);
  EXPECT_FALSE(editor.editing()) << "without a macro nothing enters the editing state";

  ASSERT_EQ(editor.add(), EditResult::done);
  EXPECT_EQ(editor.moveStep(StepList::Move::up), EditResult::nothing);
  EXPECT_EQ(editor.removeStep(), EditResult::nothing);
  EXPECT_FALSE(editor.editing());
}

TEST_P(MacroEditorTest, RenameRefusesUsedAndUnsafeNamesAndStoresTheStepsShown) {
  ASSERT_EQ(editor.add(), EditResult::done);
  ASSERT_EQ(editor.add(), EditResult::done);
  ASSERT_EQ(editor.insertStep(std::string(kPressA)), EditResult::done);
  for (std::string_view bad : {"NAME_1", "../escape", "", "a/b", " padded", "x:y"})
    EXPECT_EQ(editor.rename(bad), EditResult::nameUsed) << bad;
  EXPECT_EQ(editor.names(), (Lines{"name_1", "name_2"}));
  EXPECT_FALSE(std::filesystem::exists(documents() / "escape.mac"));

  EXPECT_EQ(editor.rename("Reload"), EditResult::done);
  EXPECT_EQ(editor.store().listedNames(), (Lines{"name_1", "Reload"}));
  EXPECT_EQ(editor.store().readActions("Reload"), Lines{std::string(kPressA)});
  EXPECT_FALSE(std::filesystem::exists(editor.store().actionFile("name_2")));
}

TEST_P(MacroEditorTest, DeleteRenumbersTheReferencesAndOpensTheFirstMacro) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(editor.add(), EditResult::done);
  std::array<uint8_t, 9> table = {0x70, 2, 1, 0x71, 1, 1, 0x10, 0x01, 0x00};
  const std::array<uint8_t, 9> defaults = {0x10, 0x01, 0x00, 0x10, 0x02, 0x00, 0x10, 0x04, 0x00};
  const std::array<std::span<uint8_t>, 1> profiles = {table};
  const MacroReferenceTables tables{profiles, defaults, 3};
  ASSERT_EQ(editor.open(1), EditResult::done);
  EXPECT_EQ(editor.remove(tables), EditResult::done);
  EXPECT_EQ(table, (std::array<uint8_t, 9>{0x70, 1, 1, 0x10, 0x02, 0x00, 0x10, 0x01, 0x00}));
  EXPECT_EQ(editor.names(), (Lines{"name_1", "name_3"}));
  EXPECT_EQ(editor.selectedMacro(), 0);
  EXPECT_EQ(editor.store().listedNames(), editor.names());
}

TEST_P(MacroEditorTest, AHostileImportIsRefusedAndChangesNoMacro) {
  ASSERT_EQ(editor.add(), EditResult::done);
  ASSERT_TRUE(editor.store().saveActions(editor.names(), "name_1", Lines{std::string(kPressA)}));
  ASSERT_EQ(editor.open(0), EditResult::done);
  const std::string saved = readBytes(editor.store().actionFile("name_1"));

  const std::filesystem::path file = documents() / "hostile.mac";
  for (const char* content : {
           "[MACROACTIONCOUNT]\ncount=4000000000\n[MACROACTION]\n0=5,0,138,4,1,keyboard_key_A\n",
           "[MACROACTIONCOUNT]\ncount=65536\n",
           "[MACROACTIONCOUNT]\ncount=3\n[MACROACTION]\n0=5,0,138,4,1,keyboard_key_A\n",
           "[MACROACTIONCOUNT]\ncount=1\n[MACROACTION]\n0=not,a,step\n",
           "[MACROACTIONCOUNT]\ncount=-2\n",
           "[MACROACTIONCOUNT]\ncount=2x\n",
           "\x89PNG\r\n\x1a\n not a macro at all",
       }) {
    writeBytes(file, content);
    EXPECT_EQ(editor.importFrom(file), EditResult::badImport) << content;
    EXPECT_EQ(readBytes(editor.store().actionFile("name_1")), saved) << content;
    EXPECT_EQ(editor.steps().lines(), Lines{std::string(kPressA)});
  }
  EXPECT_EQ(editor.importFrom(documents() / "missing.mac"), EditResult::badImport);

  // The list names a file outside the folder: nothing is written anywhere.
  ASSERT_TRUE(profile::writeIniString(editor.store().listFile(), "MACRONAME", "0", "../../escape"));
  editor.load();
  writeBytes(file, "[MACROACTIONCOUNT]\ncount=1\n[MACROACTION]\n0=5,0,138,4,1,keyboard_key_A\n");
  EXPECT_EQ(editor.importFrom(file), EditResult::failed);
  EXPECT_FALSE(std::filesystem::exists(documents() / "escape.mac"));
  EXPECT_FALSE(std::filesystem::exists(documents().parent_path() / "escape.mac"));

  // A good file is taken byte for byte; its steps show.
  ASSERT_TRUE(profile::writeIniString(editor.store().listFile(), "MACRONAME", "0", "name_1"));
  editor.load();
  const std::string good =
      "[MACROACTIONCOUNT]\r\ncount=2\r\n[MACROACTION]\r\n0=1,0,129,1,1,mouse_key_left\r\n"
      "1=1,0,1,1,0,mouse_key_left\r\n";
  writeBytes(file, good);
  EXPECT_EQ(editor.importFrom(file), EditResult::done);
  EXPECT_EQ(readBytes(editor.store().actionFile("name_1")), good);
  EXPECT_EQ(editor.steps().lines(),
            (Lines{"1,0,129,1,1,mouse_key_left", "1,0,1,1,0,mouse_key_left"}));
}

TEST_P(MacroEditorTest, ASaveThatCannotBeWrittenKeepsTheEdits) {
  ASSERT_EQ(editor.add(), EditResult::done);
  ASSERT_EQ(editor.insertStep(std::string(kPressA)), EditResult::done);
  // A folder that holds a file where the action file should be: no system
  // replaces it, so the write fails.
  const std::filesystem::path inTheWay = editor.store().actionFile("name_1");
  std::filesystem::create_directories(inTheWay);
  std::ofstream(inTheWay / "kept") << "kept";
  EXPECT_EQ(editor.save(), EditResult::failed);
  EXPECT_TRUE(editor.editing());
  EXPECT_EQ(editor.steps().lines(), Lines{std::string(kPressA)});
}

INSTANTIATE_TEST_SUITE_P(BothDevices, MacroEditorTest,
                         ::testing::Values(DeviceKind::keyboard, DeviceKind::mouse),
                         [](const auto& info) {
                           return info.param == DeviceKind::keyboard ? "keyboard" : "mouse";
                         });

}  // namespace
}  // namespace varnacle::macro
