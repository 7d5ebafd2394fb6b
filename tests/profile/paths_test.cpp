#include "profile/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/folders.h"
#include "profile/ini_store.h"
#include "test_documents.h"

namespace varnacle::profile {
namespace {

class Paths : public testing::TestDocuments {};

TEST_F(Paths, FoldersAreCreatedOnFirstUseAndAgainAfterDeletion) {
  const std::filesystem::path base = documents() / "GRIMWOLF Q650";
  EXPECT_FALSE(std::filesystem::exists(base));
  // First start: the first read creates the folders and returns the default.
  EXPECT_EQ(readIniString(fileIn(DeviceFolder(DeviceKind::mouse), "msProfile.ini"),
                          "PROFILEDENGCOUNT", "count"),
            "0");
  EXPECT_TRUE(std::filesystem::is_directory(base / "ms"));

  EXPECT_EQ(BaseFolder(), base);
  EXPECT_EQ(DeviceFolder(DeviceKind::keyboard), base / "kb");
  EXPECT_EQ(DeviceFolder(DeviceKind::mousePad), base / "mp");

  std::filesystem::remove_all(base / "ms");
  EXPECT_TRUE(writeIniInt(fileIn(DeviceFolder(DeviceKind::mouse), "msProfile.ini"), "S", "k", 1));
  EXPECT_TRUE(std::filesystem::is_directory(base / "ms"));
  std::filesystem::remove_all(base);
  EXPECT_EQ(DeviceFolder(DeviceKind::keyboard), base / "kb");
  EXPECT_TRUE(std::filesystem::is_directory(base / "kb"));
  // Even without a Documents folder the settings find a home.
  std::filesystem::remove_all(documents());
  EXPECT_TRUE(
      writeIniInt(fileIn(DeviceFolder(DeviceKind::mousePad), "mpProfile.ini"), "S", "k", 1));
  EXPECT_TRUE(std::filesystem::is_directory(base / "mp"));
}

TEST_F(Paths, AFolderThatCannotBeCreatedMakesTheFileOperationFail) {
  writeBytes(documents() / "GRIMWOLF Q650", "not a folder");
  EXPECT_FALSE(writeIniInt(fileIn(DeviceFolder(DeviceKind::mouse), "msMacro.ini"), "S", "k", 1));
  EXPECT_EQ(readBytes(documents() / "GRIMWOLF Q650"), "not a folder");
}

TEST_F(Paths, ExactNameFirstThenOneThatDiffersInCase) {
  writeBytes(documents() / "kbdengdefault.led", "lower");
  if (std::filesystem::exists(documents() / "KBDENGDEFAULT.LED"))
    GTEST_SKIP() << "the file system ignores case itself (Windows)";
  EXPECT_EQ(findIgnoringCase(documents() / "kbdengdefault.Led"), documents() / "kbdengdefault.led");
  writeBytes(documents() / "kbdengdefault.Led", "mixed");
  EXPECT_EQ(findIgnoringCase(documents() / "kbdengdefault.Led"), documents() / "kbdengdefault.Led");
  EXPECT_EQ(findIgnoringCase(documents() / "none.pro"), documents() / "none.pro");
  EXPECT_EQ(findIgnoringCase(documents() / "missing-folder" / "x"),
            documents() / "missing-folder" / "x");
}

TEST_F(Paths, ProgramFolderHoldsTheRunningProgram) {
  const std::filesystem::path folder = ProgramFolder();
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  bool found = false;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    found = found || entry.path().stem() == "test_profile";
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace varnacle::profile
