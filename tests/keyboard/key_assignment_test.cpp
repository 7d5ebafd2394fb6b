// The keyboard's key assignment rules: what a capture builds, what the
// function panel shows for a record and stores for a choice, and the labels.
#include "keyboard/key_assignment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnacle::keyboard {
namespace {

constexpr uint16_t kVkLeftShift = 0xA0;
constexpr uint16_t kVkA = 0x41;
constexpr uint16_t kVkReturn = 0x0D;
constexpr uint16_t kVkMediaPlayPause = 0xB3;
constexpr KeyRecord kBaseA{0x20, 0x00, 0x04};

// The record a capture of this key event stores on the keyboard-key item.
std::optional<KeyRecord> captured(uint16_t vk, uint32_t flags = 0) {
  const macro::MacroKeyRow* row = capturedKeyRow(vk, flags);
  if (!row) return std::nullopt;
  const KeyRecord built{device::kFnKeyboardKey, row->modifier, row->usage};
  return recordForChoice(KeyChoice{kCategoryKeyboardKey}, built, true, kBaseA);
}

TEST(KeyAssignmentTest, CaptureBuildsModifierAndUsageRecords) {
  EXPECT_EQ(captured(kVkLeftShift), (KeyRecord{0x20, 0x02, 0x00}));
  EXPECT_EQ(captured(kVkA), (KeyRecord{0x20, 0x00, 0x04}));
  EXPECT_EQ(captured(kVkReturn), (KeyRecord{0x20, 0x00, 0x28}));
  EXPECT_EQ(captured(kVkReturn, 1), (KeyRecord{0x20, 0x00, 0x58})) << "keypad Enter";
  EXPECT_EQ(captured(kVkReturn, 129), (KeyRecord{0x20, 0x00, 0x58})) << "keypad Enter released";
  EXPECT_EQ(captured(kVkMediaPlayPause), std::nullopt) << "not a keyboard-page key";
  EXPECT_EQ(captured(0x07), std::nullopt) << "no such virtual key";
}

TEST(KeyAssignmentTest, TheKeyboardKeyItemStoresNothingUntilAKeyWasCaptured) {
  const KeyChoice keys{kCategoryKeyboardKey};
  EXPECT_EQ(recordForChoice(keys, {0x20, 0x00, 0x05}, false, kBaseA), std::nullopt);
  EXPECT_EQ(recordForChoice(keys, {0x10, 0x01, 0x00}, true, kBaseA), std::nullopt);
}

TEST(KeyAssignmentTest, TheDefaultItemRestoresExactlyTheBaseRecord) {
  const KeyRecord fn{0xA0, 0x02, 0x02};
  EXPECT_EQ(recordForChoice(KeyChoice{kCategoryDefault}, {}, false, fn), fn);
  EXPECT_EQ(recordForChoice(KeyChoice{kCategoryDefault}, {0x20, 0, 0x05}, true, kBaseA), kBaseA);
}

TEST(KeyAssignmentTest, ARecordEqualToItsBaseOpensOnDefaultAnyOtherOnItsType) {
  EXPECT_EQ(keyChoiceFor(kBaseA, kBaseA, 0).category, kCategoryDefault);
  EXPECT_EQ(keyChoiceFor({0x20, 0x00, 0x05}, kBaseA, 0).category, kCategoryKeyboardKey);
  EXPECT_EQ(keyChoiceFor({0x10, 0x04, 0x00}, kBaseA, 0), (KeyChoice{kCategoryMouseButton, 1}));
  EXPECT_EQ(keyChoiceFor({0x30, 0xE9, 0x00}, kBaseA, 0), (KeyChoice{kCategoryMultimedia, 6}));
  EXPECT_EQ(keyChoiceFor({0x40, 0x04, 0x00}, kBaseA, 0), (KeyChoice{kCategorySystem, 2}));
  EXPECT_EQ(keyChoiceFor({0x13, 0x03, 0x00}, kBaseA, 0), (KeyChoice{kCategoryDpi, 2}));
  EXPECT_EQ(keyChoiceFor({0x00, 0x00, 0x00}, kBaseA, 0).category, kCategoryDefault);
  EXPECT_EQ(keyChoiceFor({0xA0, 0x02, 0x02}, kBaseA, 0).category, -1) << "no item creates Fn";
  EXPECT_EQ(keyChoiceFor({0x72, 0x01, 0x00}, kBaseA, 0).category, -1) << "the mouse's own";
}

TEST(KeyAssignmentTest, MacrosPlayWithAModeOrRepeatACount) {
  KeyChoice macro{kCategoryMacro, 1, 4};
  macro.count = 3;
  EXPECT_EQ(recordForChoice(macro, {}, false, kBaseA), (KeyRecord{0x71, 1, 3}));
  macro.playMode = 2;
  EXPECT_EQ(recordForChoice(macro, {}, false, kBaseA), (KeyRecord{0x70, 1, 2}));
  macro.item = -1;
  EXPECT_EQ(recordForChoice(macro, {}, false, kBaseA), std::nullopt) << "no macro chosen";

  KeyChoice repeat = keyChoiceFor({0x71, 2, 9}, kBaseA, 3);
  EXPECT_EQ(repeat.item, 2);
  EXPECT_EQ(repeat.playMode, 4);
  EXPECT_EQ(repeat.count, 9);
  EXPECT_EQ(keyChoiceFor({0x70, 2, 3}, kBaseA, 3).playMode, 3);
  EXPECT_EQ(keyChoiceFor({0x70, 3, 0}, kBaseA, 3).item, -1) << "beyond the macro list";
}

TEST(KeyAssignmentTest, WheelStepsTakeDirectionAmountAndNibblesClampedToTheirFields) {
  KeyChoice down{kCategoryVerticalSwing, 1};
  down.amount = 5;
  down.high = 3;
  down.low = 4;
  EXPECT_EQ(recordForChoice(down, {}, false, kBaseA), (KeyRecord{0x12, 0x34, 0x85}));
  EXPECT_EQ(keyChoiceFor({0x12, 0x34, 0x85}, kBaseA, 0), down);

  KeyChoice left{kCategoryHorizontalSwing, 0};
  left.amount = 500;
  left.high = 99;
  left.low = 16;
  EXPECT_EQ(recordForChoice(left, {}, false, kBaseA), (KeyRecord{0x11, 0xFF, 0x7F}));

  KeyChoice fire{kCategoryFireKey};
  fire.fire1 = 300;
  fire.fire2 = 7;
  EXPECT_EQ(recordForChoice(fire, {}, false, kBaseA), (KeyRecord{0x14, 0xFF, 0x07}));
}

TEST(KeyAssignmentTest, ListCategoriesWithoutAnItemOrNoCategoryStoreNothing) {
  EXPECT_EQ(recordForChoice(KeyChoice{kCategoryMouseButton, -1}, {}, false, kBaseA), std::nullopt);
  EXPECT_EQ(recordForChoice(KeyChoice{kCategoryMultimedia, 18}, {}, false, kBaseA), std::nullopt);
  EXPECT_EQ(recordForChoice(KeyChoice{-1}, {}, false, kBaseA), std::nullopt);
  EXPECT_EQ(recordForChoice(KeyChoice{kCategoryMultimedia, 8}, {}, false, kBaseA),
            (KeyRecord{0x30, 0x23, 0x02}));
}

TEST(KeyAssignmentTest, LabelsNameTheFunctionKeepTheListedTypesAndDisableTheRest) {
  const std::vector<std::string> macros = {"first", "second"};
  const auto id = [](std::string_view text) {
    return KeyLabel{KeyLabel::Kind::textId, std::string(text)};
  };
  EXPECT_EQ(keyLabelFor({0x20, 0x02, 0x00}, macros), id("keyboard_key_LShift"));
  EXPECT_EQ(keyLabelFor({0x20, 0x00, 0x58}, macros), id("keyboard_key_Num Enter"));
  EXPECT_EQ(keyLabelFor({0x10, 0x02, 0x00}, macros), id("mouse_key_right"));
  EXPECT_EQ(keyLabelFor({0x11, 0x00, 0x81}, macros), id("mouse_key_right_Swing"));
  EXPECT_EQ(keyLabelFor({0x12, 0x00, 0x01}, macros), id("mouse_key_up_Swing"));
  EXPECT_EQ(keyLabelFor({0x13, 0x02, 0x00}, macros), id("mouse_key_DPI_sub"));
  EXPECT_EQ(keyLabelFor({0x14, 0x05, 0x05}, macros), id("mouse_key_fire_key"));
  EXPECT_EQ(keyLabelFor({0x30, 0xE2, 0x00}, macros), id("media_mute"));
  EXPECT_EQ(keyLabelFor({0x21, 0x8A, 0x01}, macros), id("media_mail"));
  EXPECT_EQ(keyLabelFor({0x40, 0x02, 0x00}, macros), id("system_sleep"));
  EXPECT_EQ(keyLabelFor({0x71, 0x01, 0x03}, macros), (KeyLabel{KeyLabel::Kind::literal, "second"}));
  EXPECT_EQ(keyLabelFor({0x70, 0x02, 0x00}, macros), KeyLabel{}) << "beyond the list";
  for (uint8_t kept : {0x15, 0x50, 0x60, 0xA0, 0xB0, 0xC0})
    EXPECT_EQ(keyLabelFor({kept, 0x02, 0x02}, macros), KeyLabel{}) << int(kept);
  for (uint8_t other : {0x00, 0x72, 0x99})
    EXPECT_EQ(keyLabelFor({other, 0x00, 0x00}, macros), id("close_text")) << int(other);
}

TEST(KeyAssignmentTest, RecordsOutsideTheTableReadAsZeroAndAreNotWritten) {
  std::array<uint8_t, 7> table{};
  setRecord(table, 1, {0x20, 0x01, 0x02});
  setRecord(table, 2, {0x20, 0x03, 0x04});
  setRecord(table, -1, {0x20, 0x03, 0x04});
  EXPECT_EQ(table, (std::array<uint8_t, 7>{0, 0, 0, 0x20, 0x01, 0x02, 0}));
  EXPECT_EQ(recordAt(table, 1), (KeyRecord{0x20, 0x01, 0x02}));
  EXPECT_EQ(recordAt(table, 2), KeyRecord{});
  EXPECT_EQ(keyEditLimit("kb_key_fct_edit_17"), 15);
  EXPECT_EQ(keyEditLimit("kb_key_fct_edit_21"), std::nullopt);
}

}  // namespace
}  // namespace varnacle::keyboard
