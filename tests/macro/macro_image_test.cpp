#include "macro/macro_image.h"

#include <gtest/gtest.h>

#include "../profile/test_documents.h"
#include "macro/macro_store.h"

namespace varnacle::macro {
namespace {

using Lines = std::vector<std::string>;

TEST(MacroImage, TheTwoStepExampleByteForByte) {
  const std::vector<std::vector<MacroAction>> macros = {{
      {5, 0, 0x8A, 0x04, 1, "keyboard_key_A"},
      {0, 0, 0x0A, 0x04, 0, "keyboard_key_A"},
  }};
  const std::vector<uint8_t> expected = {
      0xAA, 0x55, 0x1E, 0x00, 0x01, 0x00, 0,    0,    0,    0,    0,    0,    0,    0,    0,
      0,    0x12, 0x00, 0x02, 0x00, 0x00, 0x00, 0x05, 0x00, 0x8A, 0x04, 0x00, 0x00, 0x0A, 0x04};
  EXPECT_EQ(buildMacroImage(macros), expected);
}

TEST(MacroImage, OffsetsAndSizesOfSeveralMacros) {
  const MacroAction step{1, 2, 3, 4, 0, "x"};
  const std::vector<std::vector<MacroAction>> macros = {{step, step}, {}, {step}};
  const std::vector<uint8_t> image = buildMacroImage(macros);
  const std::vector<size_t> counts = {2, 0, 1};
  ASSERT_EQ(image.size(), macroImageSize(counts));
  EXPECT_EQ(image.size(), 16u + 18u + 12u);
  EXPECT_EQ(image[2], image.size());
  EXPECT_EQ(image[4], 3);
  // Offsets: 22, then 22 + 4 + 8 = 34, then 34 + 4 = 38.
  EXPECT_EQ(image[16], 22);
  EXPECT_EQ(image[18], 34);
  EXPECT_EQ(image[20], 38);
  EXPECT_EQ(image[34], 0);  // the empty macro: count 0
  EXPECT_EQ(image[38], 1);
  EXPECT_EQ(image[42], 1);
  EXPECT_EQ(image[45], 4);
}

TEST(MacroImage, SizeFormulaAndStepsToRemove) {
  // A macro without steps costs 6 bytes.
  EXPECT_EQ(macroImageSize(std::vector<size_t>{3}) + 6, macroImageSize(std::vector<size_t>{3, 0}));
  // Capacity 1024, three macros: 250 steps give 1034 bytes and "3"; 247 give 1022.
  const std::vector<size_t> tooMany = {100, 100, 50};
  const std::vector<size_t> fits = {100, 100, 47};
  EXPECT_EQ(macroImageSize(tooMany), 1034u);
  EXPECT_EQ(stepsToRemove(1034, 1024), 3);
  EXPECT_EQ(macroImageSize(fits), 1022u);
  EXPECT_EQ(stepsToRemove(1022, 1024), 0);
  EXPECT_EQ(stepsToRemove(1024, 1024), 0);
  EXPECT_EQ(stepsToRemove(1025, 1024), 1);
  EXPECT_EQ(stepsToRemove(1028, 1024), 2);
}

class MacroImageFromFiles : public testing::TestDocuments {
 protected:
  MacroStore store{DeviceKind::keyboard};
  void macroWithSteps(const std::string& name, size_t steps) {
    store.appendMacro(name);
    store.saveActions(store.listedNames(), name,
                      Lines(steps, "1,0,138," + std::to_string(steps) + ",1,keyboard_key_A"));
  }
};

TEST_F(MacroImageFromFiles, NoMacrosNothingToSend) {
  const MacroImagePlan plan = prepareMacroImage(store, 1024);
  EXPECT_EQ(plan.status, MacroImagePlan::Status::noMacros);
  EXPECT_TRUE(plan.image.empty());
}

TEST_F(MacroImageFromFiles, CapacityDecidesAndTheImageFollowsTheSavedFiles) {
  macroWithSteps("a", 100);
  macroWithSteps("b", 100);
  macroWithSteps("c", 50);
  MacroImagePlan plan = prepareMacroImage(store, 1024);
  EXPECT_EQ(plan.status, MacroImagePlan::Status::tooLarge);
  EXPECT_EQ(plan.total, 1034u);
  EXPECT_EQ(plan.stepsToRemove, 3);
  EXPECT_TRUE(plan.image.empty());

  store.saveActions(store.listedNames(), "c", Lines(47, "1,0,138,47,1,keyboard_key_A"));
  plan = prepareMacroImage(store, 1024);
  ASSERT_EQ(plan.status, MacroImagePlan::Status::ready);
  ASSERT_EQ(plan.image.size(), 1022u);
  EXPECT_EQ(plan.image[2] | plan.image[3] << 8, 1022);
  // Record of "c" starts after a (4 + 400) and b (4 + 400) records.
  const size_t c = 16 + 6 + 808;
  EXPECT_EQ(plan.image[20] | plan.image[21] << 8, static_cast<int>(c));
  EXPECT_EQ(plan.image[c], 47);
  EXPECT_EQ(plan.image[c + 4 + 3], 47);
  // Exactly the capacity is sent.
  EXPECT_EQ(prepareMacroImage(store, 1022).status, MacroImagePlan::Status::ready);
}

TEST_F(MacroImageFromFiles, BrokenLinesKeepTheirPlaceAsEmptySteps) {
  store.appendMacro("m");
  store.appendMacro("no file");
  store.saveActions(store.listedNames(), "m", Lines{"5,0,138,4,1,keyboard_key_A", "garbage"});
  const MacroImagePlan plan = prepareMacroImage(store, 4096);
  ASSERT_EQ(plan.status, MacroImagePlan::Status::ready);
  const std::vector<uint8_t> expected_tail = {2, 0, 0, 0, 5, 0, 0x8A, 4, 0, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(plan.image.size(), 16u + 12u + 8u);
  EXPECT_TRUE(std::equal(expected_tail.begin(), expected_tail.end(), plan.image.begin() + 20));
}

}  // namespace
}  // namespace varnacle::macro
