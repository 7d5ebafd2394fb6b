#include "mouse/cursor_image.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "../device/session_fixture.h"
#include "../profile/test_documents.h"
#include "macro/action_file.h"
#include "macro/macro_store.h"
#include "mouse/cursor_sequences.h"
#include "mouse/fire_key_bullets.h"
#include "platform/atomic_file.h"
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
  mutate(18, 0x1A);                                  // second block inside the first
  mutate(16, 0x16);                                  // first block after a gap
  bad.push_back({good.begin(), good.begin() + 10});  // truncated header
  bad.push_back({good.begin(), good.end() - 1});     // truncated lines
  bad.push_back({});
  for (size_t i = 0; i < bad.size(); ++i) EXPECT_FALSE(parseCursorImage(bad[i])) << i;
  EXPECT_FALSE(cursorImageSizeFromHeader(std::vector<uint8_t>{0xAA}));
  EXPECT_FALSE(cursorImageSizeFromHeader(std::vector<uint8_t>(16, 0)));
  // A stated size beyond the last block: the sizes do not add up.
  auto padded = good;
  padded.resize(good.size() + 4, 0);
  padded[2] = static_cast<uint8_t>(padded.size());
  EXPECT_FALSE(parseCursorImage(padded));
  // Bytes after the stated size are not part of the image.
  good.resize(good.size() + 100, 0xEE);
  EXPECT_TRUE(parseCursorImage(good));
}

// The four factory sequences in a fresh Documents folder; the working folder
// (where the diagnostic copies go) is the test's own folder.
class CursorFiles : public testing::TestDocuments {
 protected:
  void SetUp() override {
    TestDocuments::SetUp();
    macro::MacroStore(DeviceKind::mouse).ensureCursorSections();
    workingFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(root());
  }
  void TearDown() override {
    std::filesystem::current_path(workingFolder_);
    TestDocuments::TearDown();
  }
  std::filesystem::path cur(std::string_view name) const {
    return profile::DeviceFolder(DeviceKind::mouse) / (std::string(name) + ".cur");
  }
  std::vector<std::string> allFiles() const {
    std::vector<std::string> bytes;
    for (int i = 1; i <= 4; ++i) bytes.push_back(readBytes(cur("name_" + std::to_string(i))));
    return bytes;
  }

 private:
  std::filesystem::path workingFolder_;
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
  const auto image = *buildCursorImage(sequencesOf(4, 2));
  profile::writeIniString(macro::MacroStore(DeviceKind::mouse).listFile(), "CURSORNAME", "1",
                          "../escape");
  const std::vector<std::string> untouched = allFiles();

  auto noMagic = image;
  noMagic[0] = 0;
  EXPECT_FALSE(storeCursorImage(noMagic));
  EXPECT_EQ(allFiles(), untouched);
  // More sequences than the list names: not the list's image.
  EXPECT_FALSE(storeCursorImage(*buildCursorImage(sequencesOf(5, 2))));
  EXPECT_EQ(allFiles(), untouched);

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

TEST_F(CursorFiles, FewerSequencesReplaceTheirFilesOnlyAndAFailedWriteKeepsEveryFileWhole) {
  const std::vector<std::string> before = allFiles();
  {
    // Every replacement fails half-way, as on a full disk.
    platform::ScopedWriteFailure diskFull;
    EXPECT_FALSE(storeCursorImage(*buildCursorImage(sequencesOf(4, 3))));
  }
  EXPECT_EQ(allFiles(), before);

  ASSERT_TRUE(storeCursorImage(*buildCursorImage(sequencesOf(2, 3))));
  EXPECT_EQ(macro::readActionCount(cur("name_1")), 3);
  EXPECT_EQ(macro::readActionCount(cur("name_2")), 3);
  EXPECT_EQ(readBytes(cur("name_3")), before[2]);
  EXPECT_EQ(readBytes(cur("name_4")), before[3]);
}

TEST_F(CursorFiles, SequenceLinesByListPositionAndTheResetFromTheProgramFolder) {
  const std::vector<std::string> factory = readSequenceLines(2);
  ASSERT_EQ(factory.size(), static_cast<size_t>(kSequenceLines));
  EXPECT_EQ(factory, macro::readActionLines(cur("name_3")));
  EXPECT_TRUE(readSequenceLines(4).empty());
  EXPECT_TRUE(readSequenceLines(-1).empty());
  EXPECT_FALSE(writeSequenceLines(4, factory));

  std::vector<std::string> edited = factory;
  saveBullet(edited, 0, Bullet{500, 9, true, 8, true});
  ASSERT_TRUE(writeSequenceLines(2, edited));
  EXPECT_EQ(readSequenceLines(2), edited);

  // The reset copies the program folder's file over the edited one.
  ASSERT_TRUE(resetSequenceFile(2));
  EXPECT_EQ(readBytes(cur("name_3")),
            readBytes(profile::ProgramFolder() / std::filesystem::path("name_3.cur")));
  EXPECT_FALSE(resetSequenceFile(4));

  // An unsafe listed name is never read or written.
  profile::writeIniString(macro::MacroStore(DeviceKind::mouse).listFile(), "CURSORNAME", "0",
                          "../escape");
  EXPECT_TRUE(readSequenceLines(0).empty());
  EXPECT_FALSE(writeSequenceLines(0, edited));
  EXPECT_FALSE(std::filesystem::exists(profile::DeviceFolder(DeviceKind::mouse) / "../escape.cur"));
}

TEST_F(CursorFiles, TheSendBracketsTheWholeImageAndLeavesItsCopyInTheWorkingFolder) {
  device::test_support::SimulatedSession sim(DeviceKind::mouse);
  ASSERT_TRUE(sim.connected);
  const auto image = *buildCursorImageFromFiles();
  const CursorSendOutcome sent = sendCursorSequences(*sim.session);
  EXPECT_EQ(sent.status, CursorSendOutcome::Status::sent);
  EXPECT_EQ(sent.result, device::kResultOk);
  const std::vector<uint8_t> commands = sim.commands();
  ASSERT_GE(commands.size(), 3u);
  EXPECT_EQ(commands.front(), 0x01);
  EXPECT_EQ(commands.back(), 0x02);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x17), (image.size() + 55) / 56);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), sim.device->memory().cursor.begin()));
  EXPECT_EQ(readBytes(root() / std::string(kCursorSendDump)),
            std::string(image.begin(), image.end()));

  // A mouse that does not answer the BeginConfig gets no table, but the
  // bracket is still closed.
  sim.device->clearLog();
  sim.device->injectFault(sim::Fault::statusFF, 0);
  const CursorSendOutcome refused = sendCursorSequences(*sim.session);
  EXPECT_EQ(refused.result, device::kResultStatusFF);
  EXPECT_EQ(sim.commands(), (std::vector<uint8_t>{0x01, 0x02}));

  // Without sequences nothing is sent.
  sim.device->clearLog();
  profile::writeIniInt(macro::MacroStore(DeviceKind::mouse).listFile(), "CURSORCOUNT", "count", 0);
  EXPECT_EQ(sendCursorSequences(*sim.session).status, CursorSendOutcome::Status::none);
  EXPECT_TRUE(sim.commands().empty());
}

TEST_F(CursorFiles, AMouseThatStopsAnsweringMidReadLeavesEveryFileWhole) {
  device::test_support::SimulatedSession sim(DeviceKind::mouse);
  ASSERT_TRUE(sim.connected);
  // The mouse holds four long sequences (many chunks to read).
  auto memory = sim.device->memory();
  const auto image = *buildCursorImage(sequencesOf(4, 150));
  std::copy(image.begin(), image.end(), memory.cursor.begin());
  ASSERT_TRUE(sim.device->setMemory(memory));
  const std::vector<std::string> before = allFiles();

  // BeginConfig, the head and five chunks go through; then silence.
  sim.device->injectFault(sim::Fault::silent, 7, sim::VirtualDevice::kAlways);
  EXPECT_FALSE(readBackCursorSequences(*sim.session));
  EXPECT_EQ(allFiles(), before);
  EXPECT_FALSE(std::filesystem::exists(root() / std::string(kCursorReadDump)));
  EXPECT_EQ(sim.commands().back(), 0x02) << "the bracket is closed after the failed read";

  sim.device->clearFaults();
  ASSERT_TRUE(readBackCursorSequences(*sim.session));
  EXPECT_EQ(macro::readActionCount(cur("name_4")), 150);
  EXPECT_EQ(readBytes(root() / std::string(kCursorReadDump)),
            std::string(image.begin(), image.end()));
}

}  // namespace
}  // namespace varnacle::mouse
