#include "profile/profile_file.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/debug_output.h"
#include "profile/ini_store.h"
#include "profile/paths.h"
#include "profile/profile_registry.h"
#include "test_documents.h"

namespace varnacle::profile {
namespace {

using namespace std::string_literals;

class ProfileFile : public testing::TestDocuments {
 protected:
  std::filesystem::path path() const { return documents() / "Game.led"; }
};

constexpr uint8_t kSentinel = 0x5C;

TEST_F(ProfileFile, WritesTheHeaderAndExactlyThePayload) {
  const std::vector<uint8_t> payload = {1, 2, 3, 0, 255};
  ASSERT_TRUE(WriteProfileFile(path(), payload));
  EXPECT_EQ(readBytes(path()), "\xAA\x55\0\0\x01\0\0\0\0\0\0\0\0\0\0\0\x01\x02\x03\0\xFF"s);

  std::array<uint8_t, 5> back{};
  EXPECT_EQ(ReadProfileFile(path(), back), kProfileFileRead);
  EXPECT_TRUE(std::equal(back.begin(), back.end(), payload.begin()));
}

TEST_F(ProfileFile, ReadResultsOfMissingMalformedAndShortFiles) {
  std::array<uint8_t, 8> buffer;
  buffer.fill(kSentinel);
  EXPECT_EQ(ReadProfileFile(path(), buffer), kProfileFileMissing);
  std::filesystem::create_directory(documents() / "folder.led");
  EXPECT_EQ(ReadProfileFile(documents() / "folder.led", buffer), kProfileFileMissing);

  for (const std::string& bytes : {""s, "\xAA"s, "\x55\xAA and more"s, "AA55"s}) {
    writeBytes(path(), bytes);
    EXPECT_EQ(ReadProfileFile(path(), buffer), kProfileFileFormatError) << bytes.size();
  }
  EXPECT_EQ(buffer[0], kSentinel);  // untouched on failure

  // Magic only, or a short header, or a short payload: read, the rest zero.
  for (const std::string& bytes : {"\xAA\x55"s, "\xAA\x55\0\0\x01\0"s,
                                   "\xAA\x55\0\0\x01\0\0\0\0\0\0\0\0\0\0\0\x07\x08\x09"s}) {
    buffer.fill(kSentinel);
    writeBytes(path(), bytes);
    EXPECT_EQ(ReadProfileFile(path(), buffer), kProfileFileRead);
    const bool hasPayload = bytes.size() > 16;
    EXPECT_EQ(buffer[0], hasPayload ? 7 : 0);
    EXPECT_EQ(buffer[2], hasPayload ? 9 : 0);
    EXPECT_EQ(buffer[3], 0);
    EXPECT_EQ(buffer[7], 0);
  }
  // Only the magic is checked; a longer payload is read up to the buffer.
  writeBytes(path(), "\xAA\x55\x63\x63\x09\0\0\0\0\0\0\0\0\0\0\0" + std::string(100, '\x11'));
  EXPECT_EQ(ReadProfileFile(path(), buffer), kProfileFileRead);
  EXPECT_EQ(buffer[7], 0x11);
  // A huge file costs only the bytes asked for.
  writeBytes(path(), "\xAA\x55" + std::string(32 * 1024 * 1024, '\x22'));
  EXPECT_EQ(ReadProfileFile(path(), buffer), kProfileFileRead);
  EXPECT_EQ(buffer[7], 0x22);
}

TEST_F(ProfileFile, FindsTheFileWhateverTheCaseOfItsExtension) {
  const std::array<uint8_t, 2> payload = {4, 5};
  WriteProfileFile(documents() / "kbdengdefault.led", payload);
  std::array<uint8_t, 2> back{};
  EXPECT_EQ(ReadProfileFile(documents() / "kbdengdefault.Led", back), kProfileFileRead);
  EXPECT_EQ(back[1], 5);
  // Writing under another case replaces the one file instead of adding a second.
  WriteProfileFile(documents() / "KBDENGDEFAULT.LED", std::array<uint8_t, 1>{9});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(documents()), {}), 1);
}

TEST_F(ProfileFile, FailedWriteReportsAndKeepsThePreviousFile) {
  WriteProfileFile(path(), std::array<uint8_t, 64>{1});
  const std::string before = readBytes(path());
  platform::DebugCapture capture;
  {
    platform::ScopedWriteFailure failure;
    EXPECT_FALSE(WriteProfileFile(path(), std::array<uint8_t, 1958>{2}));
  }
  EXPECT_EQ(readBytes(path()), before);
  EXPECT_FALSE(
      WriteProfileFile(documents() / "no such folder" / "x.pro", std::array<uint8_t, 1>{}));
  EXPECT_EQ(capture.count("文件打开失败"), 2);
}

class Registry : public testing::TestDocuments {};

TEST_F(Registry, LightingAndKeyListsUseTheirOwnSectionsOfOneFile) {
  const ProfileRegistry lighting(ProfileListKind::mouseLighting);
  const ProfileRegistry keys(ProfileListKind::mouseKeys);
  lighting.setCount(2);
  lighting.setName(1, "Night");
  lighting.setSelect(1);
  lighting.setLinked(1, true);
  lighting.setProcess(1, "/usr/games/bin/shooter");
  keys.setCount(3);

  const std::filesystem::path file = DeviceFolder(DeviceKind::mouse) / "msProfile.ini";
  EXPECT_EQ(lighting.file(), file);
  EXPECT_EQ(readIniInt(file, "PROFILEDENGCOUNT", "count"), 2);
  EXPECT_EQ(readIniString(file, "PROFILEDENGNAME", "1"), "Night");
  EXPECT_EQ(readIniInt(file, "PROFILEDENGSELECT", "select"), 1);
  EXPECT_EQ(readIniString(file, "PROFILELIKEDENGEXE", "1"), "1");
  EXPECT_EQ(readIniString(file, "DENGPROCESS", "1"), "/usr/games/bin/shooter");
  EXPECT_EQ(readIniInt(file, "PROFILECOUNT", "count"), 3);

  EXPECT_EQ(keys.count(), 3);
  EXPECT_EQ(keys.name(1), "0");  // missing names read as "0"
  EXPECT_FALSE(keys.linked(1));
  EXPECT_TRUE(lighting.linked(1));
  writeIniString(file, "PROFILELIKEDENGEXE", "1", "7x");
  EXPECT_TRUE(lighting.linked(1));

  EXPECT_EQ(lighting.profilePath("Night"), DeviceFolder(DeviceKind::mouse) / "Night.led");
  EXPECT_EQ(keys.profilePath("Night"), DeviceFolder(DeviceKind::mouse) / "Night.pro");
  EXPECT_EQ(ProfileRegistry(ProfileListKind::keyboardKeys).defaultPath(),
            ProgramFolder() / "kbkeydefault.pro");
  EXPECT_EQ(ProfileRegistry(ProfileListKind::mousePadLighting).file(),
            DeviceFolder(DeviceKind::mousePad) / "mpProfile.ini");
}

}  // namespace
}  // namespace varnacle::profile
