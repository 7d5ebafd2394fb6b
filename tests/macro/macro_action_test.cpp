#include "macro/macro_action.h"

#include <gtest/gtest.h>

#include <set>

#include "macro/macro_key_table.h"
#include "macro/macro_mouse_event_table.h"

namespace varnacle::macro {
namespace {

TEST(MacroAction, ParsesAndFormatsTheStepLine) {
  const auto a = parseMacroAction("5,0,138,4,1,keyboard_key_A");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->delayLow, 5);
  EXPECT_EQ(a->delayHigh, 0);
  EXPECT_EQ(a->kind, 0x8A);
  EXPECT_EQ(a->stepKind(), static_cast<uint8_t>(MacroStepKind::UsageKey));
  EXPECT_TRUE(a->flag());
  EXPECT_EQ(a->value, 0x04);
  EXPECT_EQ(a->pressed, 1);
  EXPECT_EQ(a->label, "keyboard_key_A");
  EXPECT_EQ(a->pauseUnits(), 5);
  EXPECT_EQ(formatMacroAction(*a), "5,0,138,4,1,keyboard_key_A");

  const MacroAction longPause{255, 255, 0x05, 9, 0, "mouse_move_to_down_text"};
  EXPECT_EQ(longPause.pauseUnits(), 65535);
  EXPECT_EQ(parseMacroAction(formatMacroAction(longPause)), longPause);
}

TEST(MacroAction, NumbersAreLeadingDigitsCutToTheirWidths) {
  const struct {
    const char* line;
    MacroAction expected;
  } cases[] = {
      {"65535,0,1,1,1,mouse_key_left", {255, 0, 1, 1, 1, "mouse_key_left"}},
      {"256,257,394,260,65537,x", {0, 1, 138, 4, 1, "x"}},
      {"7x,2y, 9 ,z,1,", {7, 2, 9, 0, 1, ""}},
      {"1,2,3,4,5,6,keyboard_key_B", {1, 3, 4, 5, 6, "keyboard_key_B"}},  // "1,2" remains
      {",,,,,", {0, 0, 0, 0, 0, ""}},
      {"-1,0,0,0,-1,neg", {255, 0, 0, 0, 65535, "neg"}},
  };
  for (const auto& c : cases) {
    const auto parsed = parseMacroAction(c.line);
    ASSERT_TRUE(parsed) << c.line;
    EXPECT_EQ(*parsed, c.expected) << c.line;
  }
}

TEST(MacroAction, LinesWithFewerThanFiveCommasAreNoSteps) {
  for (const char* line : {"", "0", "1,2,3,4,label", "1,2,3,4,5", "no commas at all", "0,0,0,0"}) {
    EXPECT_FALSE(parseMacroAction(line)) << line;
  }
}

TEST(MacroKeyTable, RowsFollowTheKeyboardUsagePage) {
  // Modifiers first, in the order of their bits.
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(MacroKeyTable[i].modifier, 1u << i);
    EXPECT_EQ(MacroKeyTable[i].usage, 0);
  }
  std::set<uint16_t> codes;
  std::set<std::string_view> labels;
  for (const MacroKeyRow& row : MacroKeyTable) {
    EXPECT_EQ(row.category, kKeyCategory);
    EXPECT_EQ(row.label.find(','), std::string_view::npos) << row.label;
    EXPECT_TRUE(row.label.starts_with("keyboard_key_"));
    codes.insert(row.virtualKey);
    labels.insert(row.label);
  }
  EXPECT_EQ(codes.size(), MacroKeyTable.size());
  EXPECT_EQ(labels.size(), MacroKeyTable.size());

  // From Enter to Num 0 the usages rise by one, skipping 0x32.
  size_t enter = 0;
  while (MacroKeyTable[enter].label != "keyboard_key_Enter") ++enter;
  uint8_t expected = 0x28;
  for (size_t i = enter; MacroKeyTable[i - 1].label != "keyboard_key_Num 0"; ++i) {
    EXPECT_EQ(MacroKeyTable[i].usage, expected) << MacroKeyTable[i].label;
    expected = static_cast<uint8_t>(expected == 0x31 ? 0x33 : expected + 1);
  }
  EXPECT_EQ(expected, 0x63);
  EXPECT_EQ(findUsageRow(0x32), nullptr);
  EXPECT_EQ(findUsageRow(0x64), nullptr);
}

TEST(MacroKeyTable, KeysWorthStating) {
  const struct {
    uint16_t code;
    uint8_t usage;
    std::string_view label;
  } rows[] = {
      {0x0D, 0x28, "keyboard_key_Enter"},   {kKeypadEnterCode, 0x58, "keyboard_key_Num Enter"},
      {0xDC, 0x31, "keyboard_key_xiegang"}, {0xBC, 0x36, "keyboard_key_<"},
      {0x5D, 0x65, "keyboard_key_App"},     {0x6E, 0x63, "keyboard_key_Decimal"},
      {0x41, 0x04, "keyboard_key_A"},       {0x30, 0x27, "keyboard_key_0"},
      {0x7B, 0x45, "keyboard_key_F12"},     {0x60, 0x62, "keyboard_key_Num 0"},
  };
  for (const auto& r : rows) {
    const MacroKeyRow* row = findKeyRow(r.code);
    ASSERT_NE(row, nullptr) << r.label;
    EXPECT_EQ(row->usage, r.usage) << r.label;
    EXPECT_EQ(row->label, r.label);
  }
  EXPECT_EQ(findKeyRow(0xA5)->modifier, 0x40);  // right Alt
  EXPECT_EQ(findKeyRow(0x07), nullptr);
}

TEST(MacroMouseEventTable, StepRowsMakeConsistentSteps) {
  for (size_t i = 0; i < kMouseEventStepRows; ++i) {
    const MacroMouseEventRow& row = MacroMouseEventTable[i];
    // Press rows come first in each pair and carry the flag.
    EXPECT_EQ((row.kindByte & kPressFlag) != 0, i % 2 == 0) << i;
    EXPECT_EQ(labelForStep(row.kindByte, row.buttonBit), row.label) << i;
  }
  EXPECT_EQ(MacroMouseEventTable[10].kindByte, 0x84);
  EXPECT_EQ(MacroMouseEventTable[15].label, "mouse_text");
}

TEST(MacroAction, LabelsOfStepsReadBack) {
  EXPECT_EQ(labelForStep(0x8A, 0x58), "keyboard_key_Num Enter");
  EXPECT_EQ(labelForStep(0x0A, 0x28), "keyboard_key_Enter");
  EXPECT_EQ(labelForStep(0x89, 0x40), "keyboard_key_RAlt");
  EXPECT_EQ(labelForStep(0x01, 0x08), "mouse_key_back");
  EXPECT_EQ(labelForStep(0x81, 0x10), "mouse_key_forward");
  EXPECT_EQ(labelForStep(0x84, 17), "mouse_move_to_left_text");
  EXPECT_EQ(labelForStep(0x05, 0), "mouse_move_to_down_text");
  EXPECT_EQ(labelForStep(0x85, 0), "mouse_move_to_up_text");
  // Nothing fits: no label rather than a wrong one.
  EXPECT_EQ(labelForStep(0x0A, 0x32), "");
  EXPECT_EQ(labelForStep(0x09, 0x03), "");
  EXPECT_EQ(labelForStep(0x01, 0x20), "");
  EXPECT_EQ(labelForStep(0x7F, 1), "");
}

}  // namespace
}  // namespace varnacle::macro
