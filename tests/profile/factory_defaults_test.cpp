// The factory default files the build writes beside the program read back
// with the program's own readers and hold sensible factory settings.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

#include "keyboard/keyboard_config.h"
#include "macro/action_file.h"
#include "macro/macro_key_table.h"
#include "mouse/cursor_image.h"
#include "mouse/fire_key_bullets.h"
#include "profile/paths.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"

namespace varnacle::profile {
namespace {

std::vector<uint8_t> readDefault(ProfileListKind kind) {
  const ProfileListInfo& info = profileListInfo(kind);
  const std::filesystem::path path = ProgramFolder() / std::string(info.defaultFile);
  EXPECT_EQ(std::filesystem::file_size(path), kProfileFileHeaderSize + info.payloadSize)
      << info.defaultFile;
  std::vector<uint8_t> payload(info.payloadSize);
  EXPECT_EQ(ReadProfileFile(path, payload), kProfileFileRead) << info.defaultFile;
  return payload;
}

int dpiOfPosition(int v) {
  return v < 49 ? 200 + 100 * v : 200 + 200 * (v - 24);
}

TEST(FactoryDefaults, MouseKeysAreTheButtonsOfANeverReadMouse) {
  const std::vector<uint8_t> table = readDefault(ProfileListKind::mouseKeys);
  const std::vector<uint8_t> buttons = {0x10, 0x01, 0x00, 0x10, 0x04, 0x00, 0x10,
                                        0x02, 0x00, 0x10, 0x10, 0x00, 0x10, 0x08,
                                        0x00, 0x13, 0x03, 0x00, 0x05, 0x05, 0x05};
  EXPECT_TRUE(std::equal(buttons.begin(), buttons.end(), table.begin()));
  EXPECT_TRUE(std::all_of(table.begin() + 21, table.end(), [](uint8_t b) { return b == 0; }));
}

TEST(FactoryDefaults, KeyboardKeysAreTheKeysOfANeverReadKeyboard) {
  const std::vector<uint8_t> table = readDefault(ProfileListKind::keyboardKeys);
  const auto& keys = keyboard::kInitialKeyboardKeys;
  EXPECT_TRUE(std::equal(keys.begin(), keys.end(), table.begin()));
  EXPECT_TRUE(std::all_of(table.begin() + keys.size(), table.end(), [](uint8_t b) { return !b; }));
  // Every key of the picture finds its record in it.
  const keyboard::KeyPositionMap map =
      keyboard::buildKeyPositionMap(table, int(keyboard::kInitialKeyCount));
  for (size_t n = 0; n < keyboard::kKeyPositionCount; ++n)
    EXPECT_EQ(map[n] == keyboard::kNoDeviceKey,
              keyboard::kExpectedDefaultRecords[n] == keyboard::kNoKeyRecord)
        << n;
}

TEST(FactoryDefaults, LightingRecordsHoldValuesInTheirRanges) {
  const std::vector<uint8_t> mouse = readDefault(ProfileListKind::mouseLighting);
  EXPECT_LE(mouse[1], 5);
  EXPECT_LE(mouse[2], 14);
  EXPECT_LE(mouse[3], 14);
  const std::array<int, 6> dpi = {dpiOfPosition(mouse[15]), dpiOfPosition(mouse[16]),
                                  dpiOfPosition(mouse[17]), dpiOfPosition(mouse[18]),
                                  dpiOfPosition(mouse[20]), dpiOfPosition(mouse[21])};
  EXPECT_EQ(dpi, (std::array<int, 6>{400, 800, 1600, 3200, 4800, 6400}));
  EXPECT_LE(mouse[19], 5);
  EXPECT_GE(mouse[23], 1);
  EXPECT_LE(mouse[23], 20);
  EXPECT_GE(mouse[24], 1);
  EXPECT_LE(mouse[24], 10);

  const std::vector<uint8_t> pad = readDefault(ProfileListKind::mousePadLighting);
  EXPECT_LE(pad[1], 8);
  EXPECT_LE(pad[2], 14);

  const std::vector<uint8_t> keyboard = readDefault(ProfileListKind::keyboardLighting);
  EXPECT_LE(keyboard[1], 9);
  EXPECT_LE(keyboard[64], 4);
  // Every custom table paints every key.
  for (size_t t = 0; t < 5; ++t) {
    const auto first = keyboard.begin() + 68 + 378 * static_cast<std::ptrdiff_t>(t);
    EXPECT_TRUE(std::any_of(first, first + 3, [](uint8_t b) { return b != 0; })) << t;
    EXPECT_TRUE(std::equal(first, first + 375, first + 3)) << t;
  }
}

TEST(FactoryDefaults, FireKeySequencesHoldEveryBulletAndFitTheMouse) {
  std::vector<std::vector<macro::MacroAction>> sequences;
  for (int i = 1; i <= 4; ++i) {
    const auto file = ProgramFolder() / ("name_" + std::to_string(i) + ".cur");
    const std::vector<std::string> lines = macro::readActionLines(file);
    ASSERT_EQ(lines.size(), static_cast<size_t>(mouse::kSequenceLines)) << i;
    for (const std::string& line : lines) ASSERT_TRUE(macro::parseMacroAction(line)) << line;
    for (int b = 0; b < mouse::kBulletCount; ++b) {
      const auto h = *macro::parseMacroAction(lines[6 * b + 4]);
      const auto v = *macro::parseMacroAction(lines[6 * b + 5]);
      EXPECT_EQ(h.stepKind(), 4);
      EXPECT_EQ(v.stepKind(), 5);
      EXPECT_GT(mouse::loadBullet(lines, b).pauseMs, 0);
    }
    sequences.push_back(macro::readActions(file));
  }
  const auto image = mouse::buildCursorImage(sequences);
  ASSERT_TRUE(image);
  EXPECT_LT(image->size(), mouse::kCursorImageLimit);
}

}  // namespace
}  // namespace varnacle::profile
