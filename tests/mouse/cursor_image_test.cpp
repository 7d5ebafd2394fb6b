#include "mouse/cursor_image.h"

#include <gtest/gtest.h>

#include "../device/session_fixture.h"
#include "../profile/test_documents.h"
#include "macro/action_file.h"
#include "macro/macro_store.h"
#include "mouse/cursor_sequences.h"
#include "profile/ini_store.h"
#include "profile/paths.h"

namespace varnacle::mouse {
namespace {

using macro::MacroAction;
using Sequences = std::vector<std::vector<MacroAction>>;

Sequences sequencesOf(size_t count, size_t lines) {
  return Sequences(count, std::vector<MacroAction>(lines, MacroAction{1, 0, 0x85, 3, 1, "x"}));
}

TEST(CursorImage, SizeLimitOf3072Bytes) {
  EXPECT_EQ(cursorImageSize(std::vector<size_t>(4, 189)), 3064u);
  const auto fits = buildCursorImage(sequencesOf(4, 189));
  ASSERT_TRUE(fits);
  EXPECT_EQ(fits->size(), 3064u);
  EXPECT_EQ(cursorImageSize(std::vector<size_t>(4, 190)), 3080u);
  EXPECT_FALSE(buildCursorImage(sequencesOf(4, 190)));
  // Exactly the limit: 16 + 2 × (6 + 4 × 380) = 3068; + one line 3072.
  Sequences limit = sequencesOf(2, 380);
  limit[0].push_back(limit[0][0]);
  ASSERT_TRUE(buildCursorImage(limit));
  EXPECT_EQ(buildCursorImage(limit)->size(), 3072u);
}

TEST(CursorImage, LayoutAndReadBackWithPressedAndLabels) {
  const Sequences sequences = {
      {{3, 1, 0x84, 7, 0, "ignored"}, {0, 0, 0x05, 2, 1, "ignored"}},
      {},
      {{9, 0, 0x81, 0x01, 0, "ignored"}},
  };
  const auto image = buildCursorImage(sequences);
  ASSERT_TRUE(image);
  const std::vector<uint8_t> expected = {
      0xAA, 0x55, 0x2E, 0, 3,  0, 0,    0,    0, 0, 0,    0, 0, 0, 0, 0,  // header, 46 bytes
      22,   0,    34,   0, 38, 0,                                         // offsets
      2,    0,    0,    0, 3,  1, 0x84, 7,    0, 0, 0x05, 2,              // sequence 0
      0,    0,    0,    0,                                                // sequence 1
      1,    0,    0,    0, 9,  0, 0x81, 0x01,                             // sequence 2
  };
  EXPECT_EQ(*image, expected);
  EXPECT_EQ(cursorImageSizeFromHeader(*image), 46u);

  const auto back = parseCursorImage(*image);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), 3u);
  EXPECT_EQ((*back)[0][0], (MacroAction{3, 1, 0x84, 7, 1, "mouse_move_to_left_text"}));
  EXPECT_EQ((*back)[0][1], (MacroAction{0, 0, 0x05, 2, 0, "mouse_move_to_down_text"}));
  EXPECT_TRUE((*back)[1].empty());
  EXPECT_EQ((*back)[2][0], (MacroAction{9, 0, 0x81, 0x01, 1, "mouse_key_left"}));
}

TEST(CursorImage, HostileReadBacksAreRefused) {
  auto good = *buildCursorImage(sequencesOf(2, 3));
  EXPECT_TRUE(parseCursorImage(good));
  std::vector<std::vector<uint8_t>> bad;
  auto mutate = [&](size_t at, uint8_t value) {
    auto copy = good;
    copy[at] = value;
    bad.push_back(copy);
  };
  mutate(0, 0x55);                                   // no magic
  mutate(2, 0xFF);                                   // size beyond the bytes read
  mutate(2, 4);                                      // size below the header
  mutate(4, 0xFF);                                   // count beyond the size
  mutate(16, 0xF0);                                  // offset beyond the size
  mutate(18, 0x1D);                                  // block whose lines run past the end
  mutate(20, 0x7F);                                  // line count far above the bytes
  bad.push_back({good.begin(), good.begin() + 10});  // truncated header
  bad.push_back({good.begin(), good.end() - 1});     // truncated lines
  bad.push_back({});
  for (size_t i = 0; i < bad.size(); ++i) EXPECT_FALSE(parseCursorImage(bad[i])) << i;
  EXPECT_FALSE(cursorImageSizeFromHeader(std::vector<uint8_t>{0xAA}));
  EXPECT_FALSE(cursorImageSizeFromHeader(std::vector<uint8_t>(16, 0)));
  // Bytes after the stated size are not part of the image.
  good.resize(good.size() + 100, 0xEE);
  EXPECT_TRUE(parseCursorImage(good));
}

class CursorFiles : public testing::TestDocuments {
 protected:
  void SetUp() override {
    TestDocuments::SetUp();
    macro::MacroStore(DeviceKind::mouse).ensureCursorSections();
  }
  std::filesystem::path cur(std::string_view name) const {
    return profile::DeviceFolder(DeviceKind::mouse) / (std::string(name) + ".cur");
  }
};

TEST_F(CursorFiles, FactorySequencesFitAndTravelThereAndBack) {
  const auto image = buildCursorImageFromFiles();
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), cursorImageSize(std::vector<size_t>(4, 180)));
  EXPECT_LT(image->size(), kCursorImageLimit);

  const auto before = macro::readActionLines(cur("name_3"));
  ASSERT_TRUE(storeCursorImage(*image));
  // The read-back writes the labels and flags that the steps' bytes name,
  // which the factory files hold already: the files come back line for line.
  EXPECT_EQ(macro::readActionLines(cur("name_3")), before);
}

TEST_F(CursorFiles, SequenceFilesOverTheLimitAreRefused) {
  for (int i = 1; i <= 4; ++i) {
    macro::replaceActionFile(cur("name_" + std::to_string(i)),
                             std::vector<std::string>(190, "0,0,5,1,0,mouse_move_to_down_text"));
  }
  EXPECT_FALSE(buildCursorImageFromFiles());
  macro::replaceActionFile(cur("name_4"), {});
  EXPECT_TRUE(buildCursorImageFromFiles());
  // Without sequences the image is empty of them.
  profile::writeIniInt(macro::MacroStore(DeviceKind::mouse).listFile(), "CURSORCOUNT", "count", 0);
  EXPECT_EQ(buildCursorImageFromFiles()->size(), 16u);
}

TEST_F(CursorFiles, ReadBackReplacesOnlyNamedSafeFilesAndNothingWithoutMagic) {
  const auto image = *buildCursorImage(sequencesOf(6, 2));  // more than the four named
  profile::writeIniString(macro::MacroStore(DeviceKind::mouse).listFile(), "CURSORNAME", "1",
                          "../escape");
  const std::string untouched = readBytes(cur("name_1"));

  auto noMagic = image;
  noMagic[0] = 0;
  EXPECT_FALSE(storeCursorImage(noMagic));
  EXPECT_EQ(readBytes(cur("name_1")), untouched);

  ASSERT_TRUE(storeCursorImage(image));
  EXPECT_EQ(macro::readActionLines(cur("name_1")),
            (std::vector<std::string>(2, "1,0,133,3,1,mouse_move_to_up_text")));
  EXPECT_FALSE(std::filesystem::exists(profile::DeviceFolder(DeviceKind::mouse) / "../escape.cur"));
  EXPECT_FALSE(std::filesystem::exists(cur("0")));
  // Written anew: no stale lines of the factory file remain.
  EXPECT_FALSE(profile::loadIniFile(cur("name_1")).has("MACROACTION", "2"));
}

TEST_F(CursorFiles, TheMousesSequencesComeBackIntoTheFilesOnlyWithTheMagic) {
  device::test_support::SimulatedSession sim(DeviceKind::mouse);
  ASSERT_TRUE(sim.connected);
  const std::string untouched = readBytes(cur("name_2"));
  auto memory = sim.device->memory();
  std::fill(memory.cursor.begin(), memory.cursor.end(), 0);  // no image at all
  ASSERT_TRUE(sim.device->setMemory(memory));
  EXPECT_FALSE(readBackCursorSequences(*sim.session));
  EXPECT_EQ(readBytes(cur("name_2")), untouched);

  const auto image = *buildCursorImage(sequencesOf(4, 2));
  std::copy(image.begin(), image.end(), memory.cursor.begin());
  ASSERT_TRUE(sim.device->setMemory(memory));
  EXPECT_TRUE(readBackCursorSequences(*sim.session));
  EXPECT_EQ(macro::readActionLines(cur("name_2")),
            (std::vector<std::string>(2, "1,0,133,3,1,mouse_move_to_up_text")));
}

}  // namespace
}  // namespace varnacle::mouse
