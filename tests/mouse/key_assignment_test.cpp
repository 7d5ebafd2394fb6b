// The button assignment model: labels of every kind of record, what the
// function page shows for a record and stores from a choice, the left-click
// guard, the assignment mirror's buffers and the input hook's rules. No Qt.
#include "mouse/key_assignment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "mouse/key_assignment_mirror.h"

namespace varnacle::mouse {
namespace {

ButtonLabel id(std::string_view text) {
  return {ButtonLabel::Kind::textId, std::string(text)};
}
const ButtonLabel kUnchanged{};

TEST(KeyAssignmentLabels, EachFunctionCodeByItsRule) {
  const std::vector<std::string> macros = {"Reload", "Jump"};
  struct Case {
    KeyAssignment record;
    ButtonLabel label;
  };
  const Case cases[] = {
      {{0x10, 0x01, 0}, id("mouse_key_left")},
      {{0x10, 0x04, 0}, id("mouse_key_middle")},
      {{0x10, 0x08, 0}, id("mouse_key_back")},
      {{0x10, 0x40, 0}, kUnchanged},  // no such button bit
      {{0x11, 0x39, 0x05}, id("mouse_key_left_Swing")},
      {{0x11, 0x00, 0x85}, id("mouse_key_right_Swing")},
      {{0x12, 0x00, 0x7F}, id("mouse_key_up_Swing")},
      {{0x12, 0x00, 0x80}, id("mouse_key_down_Swing")},
      {{0x13, 0x02, 0}, id("mouse_key_DPI_sub")},
      {{0x13, 0x09, 0}, kUnchanged},
      {{0x14, 7, 9}, id("mouse_key_fire_key")},
      {{0x20, 0x40, 0x00}, id("keyboard_key_RAlt")},
      {{0x20, 0x00, 0x04}, id("keyboard_key_A")},
      {{0x00, 0x00, 0x58}, id("keyboard_key_Num Enter")},
      {{0x20, 0x02, 0x04}, kUnchanged},  // Shift+A is no row of the key table
      {{0x30, 0xE9, 0x00}, id("media_vol_add")},
      {{0x21, 0x8A, 0x01}, id("media_mail")},
      {{0x30, 0xE9, 0x01}, kUnchanged},
      {{0x40, 4, 0}, id("system_wake_up")},
      {{0x70, 1, 2}, {ButtonLabel::Kind::literal, "Jump"}},
      {{0x71, 0, 9}, {ButtonLabel::Kind::literal, "Reload"}},
      {{0x70, 2, 0}, kUnchanged},  // beyond the macro list
      {{0x72, 3, 0}, id("GUN_4")},
      {{0x72, 4, 0}, kUnchanged},
      {{0x15, 1, 1}, kUnchanged},
      {{0xC0, 1, 1}, kUnchanged},
      {{0x05, 0x05, 0x05}, id("close_text")},
      {{0xFF, 0, 0}, id("close_text")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(labelFor(c.record, macros), c.label)
        << int{c.record.function} << " " << int{c.record.param1} << " " << int{c.record.param2};
  }
}

TEST(KeyAssignmentChoice, SwingsCarryDirectionInBitSevenAndTwoNibbles) {
  const KeyAssignment def{0x10, 0x02, 0};
  FunctionChoice left;
  left.category = kCategoryHorizontalSwing;
  left.item = 0;
  left.amount = 5;
  left.high = 3;
  left.low = 9;
  EXPECT_EQ(assignmentFor(left, {}, false, def), (KeyAssignment{0x11, 0x39, 0x05}));
  FunctionChoice right = left;
  right.item = 1;
  EXPECT_EQ(assignmentFor(right, {}, false, def), (KeyAssignment{0x11, 0x39, 0x85}));
  right.category = kCategoryVerticalSwing;
  right.amount = 300;  // beyond every limit: clamped, never into bit 7
  right.high = 20;
  EXPECT_EQ(assignmentFor(right, {}, false, def), (KeyAssignment{0x12, 0xF9, 0xFF}));

  // And back: the page shows what the record holds.
  const FunctionChoice shown = choiceFor({0x11, 0x39, 0x85}, def, 0);
  EXPECT_EQ(shown.category, kCategoryHorizontalSwing);
  EXPECT_EQ(shown.item, 1);
  EXPECT_EQ(shown.amount, 5);
  EXPECT_EQ(shown.high, 3);
  EXPECT_EQ(shown.low, 9);
}

TEST(KeyAssignmentChoice, ListsMacrosAndKeysRoundTripThroughThePage) {
  const KeyAssignment def{0x10, 0x01, 0};
  const KeyAssignment records[] = {
      {0x10, 0x10, 0}, {0x13, 3, 0}, {0x14, 200, 17}, {0x30, 0x26, 0x02},
      {0x40, 2, 0},    {0x70, 2, 3}, {0x71, 1, 42},   {0x72, 2, 0},
  };
  for (const KeyAssignment& r : records) {
    const FunctionChoice c = choiceFor(r, def, 3);
    EXPECT_EQ(assignmentFor(c, {}, false, def), r) << int{r.function};
  }
  // A key record is stored as captured, and only while a key is shown.
  const KeyAssignment key{0x20, 0x00, 0x2C};
  const FunctionChoice keyChoice = choiceFor(key, def, 0);
  EXPECT_EQ(keyChoice.category, kCategoryKeyboardKey);
  EXPECT_EQ(assignmentFor(keyChoice, key, true, def), key);
  EXPECT_EQ(assignmentFor(keyChoice, key, false, def), std::nullopt);
}

TEST(KeyAssignmentChoice, DefaultsUnknownCodesAndMissingChoices) {
  const KeyAssignment def{0x13, 0x03, 0};
  // Equal to the button's default: the default category, even though it is a DPI record.
  EXPECT_EQ(choiceFor(def, def, 0).category, kCategoryDefault);
  FunctionChoice c;
  EXPECT_EQ(assignmentFor(c, {}, false, def), def);
  // Codes with no page.
  for (uint8_t code : {0x15, 0x21, 0x50, 0x60, 0xA0, 0xB0})
    EXPECT_EQ(choiceFor({code, 1, 1}, def, 0).category, -1) << int{code};
  // A macro beyond the list is shown unselected and stores nothing.
  const FunctionChoice stale = choiceFor({0x70, 5, 1}, def, 2);
  EXPECT_EQ(stale.category, kCategoryMacro);
  EXPECT_EQ(stale.item, -1);
  EXPECT_EQ(assignmentFor(stale, {}, false, def), std::nullopt);
  // A list category without an item stores nothing.
  c.category = 1;
  c.item = -1;
  EXPECT_EQ(assignmentFor(c, {}, false, def), std::nullopt);
  c.item = 5;
  EXPECT_EQ(assignmentFor(c, {}, false, def), std::nullopt);
  c.category = 11;
  EXPECT_EQ(assignmentFor(c, {}, false, def), std::nullopt);
}

TEST(KeyAssignmentGuard, TheLastLeftClickAmongNineRecords) {
  std::array<uint8_t, 512> table{};
  setRecord(table, 2, kLeftClick);
  EXPECT_TRUE(isLastLeftClick(table, 2));
  EXPECT_FALSE(isLastLeftClick(table, 0)) << "a button without the left click";
  setRecord(table, 8, kLeftClick);  // beyond the seven buttons, still counted
  EXPECT_FALSE(isLastLeftClick(table, 2));
  EXPECT_FALSE(isLastLeftClick(table, 8));
  setRecord(table, 8, {});
  setRecord(table, 9, kLeftClick);  // the tenth record is not
  EXPECT_TRUE(isLastLeftClick(table, 2));
  // Records outside the table read as zero and are never written.
  EXPECT_EQ(recordAt(table, 170), (KeyAssignment{}));
  EXPECT_EQ(recordAt(table, -1), (KeyAssignment{}));
  setRecord(table, 171, kLeftClick);
  EXPECT_EQ(recordAt(table, 170), (KeyAssignment{}));
}

TEST(KeyAssignmentEdits, LimitsAndTypedNumbers) {
  EXPECT_EQ(editLimit("ms_key_fct_edit_11"), 255);
  EXPECT_EQ(editLimit("ms_key_fct_edit_16"), 127);
  EXPECT_EQ(editLimit("ms_key_fct_edit_19"), 15);
  EXPECT_EQ(editLimit("ms_key_fct_edit_21"), std::nullopt) << "the key edit takes no numbers";
  EXPECT_EQ(typedNumber("300"), 300);
  EXPECT_EQ(typedNumber("12x"), 12);
  EXPECT_EQ(typedNumber("x12"), 0);
  EXPECT_EQ(typedNumber(""), 0);
  EXPECT_EQ(typedNumber("99999999999999999999"), 99999);
}

TEST(AssignmentMirror, BuffersCarryWhatTheMouseHoldsAfterTheProfile) {
  AssignmentMirror mirror;
  std::array<uint8_t, kProfileAssignmentBytes> own{};
  own.fill(0xAB);
  EXPECT_EQ(mirror.bufferFor(0, own), std::nullopt) << "nothing known before a read";

  // What a read of the five tables brings: table k from 126 k on.
  std::array<uint8_t, kAssignmentAreaSize> area{};
  for (std::size_t i = 0; i < area.size(); ++i) area[i] = static_cast<uint8_t>(i * 13 + 1);
  std::array<device::TableSlot, device::kOnBoardProfiles> tables{};
  for (std::size_t p = 0; p < tables.size(); ++p)
    std::copy_n(area.begin() + static_cast<std::ptrdiff_t>(126 * p), 512, tables[p].begin());
  mirror.fill(tables);
  EXPECT_EQ(mirror.bytes(), area);

  const auto buffer = mirror.bufferFor(2, own);
  ASSERT_TRUE(buffer);
  for (std::size_t i = 0; i < 512; ++i)
    EXPECT_EQ((*buffer)[i], i < 126 ? 0xAB : area[252 + i]) << i;
  mirror.written(2, *buffer);
  std::fill_n(area.begin() + 252, 126, 0xAB);
  EXPECT_EQ(mirror.bytes(), area);

  EXPECT_EQ(mirror.bufferFor(5, own), std::nullopt);
  EXPECT_EQ(mirror.bufferFor(-1, own), std::nullopt);
  mirror.forget();
  EXPECT_EQ(mirror.bufferFor(1, own), std::nullopt);
}

}  // namespace
}  // namespace varnacle::mouse
