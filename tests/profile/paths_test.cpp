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
    found = found || entry.path().filename() == "test_profile";
  }
  EXPECT_TRUE(found);
}

// The system's Documents folder comes from the user-dirs file when it names one.
class SystemDocuments : public testing::TestDocuments {
 protected:
  void SetUp() override {
    TestDocuments::SetUp();
    save("HOME", home_);
    save("XDG_CONFIG_HOME", config_);
    setenv("HOME", root().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root() / "cfg").c_str(), 1);
    std::filesystem::create_directories(root() / "cfg");
  }
  void TearDown() override {
    restore("HOME", home_);
    restore("XDG_CONFIG_HOME", config_);
    TestDocuments::TearDown();
  }
  void userDirs(std::string_view text) { writeBytes(root() / "cfg" / "user-dirs.dirs", text); }

 private:
  static void save(const char* name, std::optional<std::string>& slot) {
    if (const char* v = std::getenv(name)) slot = v;
  }
  static void restore(const char* name, const std::optional<std::string>& slot) {
    if (slot) {
      setenv(name, slot->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  std::optional<std::string> home_, config_;
};

TEST_F(SystemDocuments, ReadsTheUserDirsFileAndFallsBackToDocumentsInHome) {
  EXPECT_EQ(platform::systemDocumentsFolder(), root() / "Documents");
  userDirs("# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(platform::systemDocumentsFolder(), root() / "Dokumente");
  userDirs("XDG_DOCUMENTS_DIR=\"/srv/docs/My\\\"Files\"\n");
  EXPECT_EQ(platform::systemDocumentsFolder(), std::filesystem::path("/srv/docs/My\"Files"));
  userDirs("XDG_DOCUMENTS_DIR=\"$HOME/\"\n");  // disabled: the fallback
  EXPECT_EQ(platform::systemDocumentsFolder(), root() / "Documents");
  userDirs("XDG_DOCUMENTS_DIR=relative/path\nXDG_DOCUMENTS_DIR=\"unterminated\n");
  EXPECT_EQ(platform::systemDocumentsFolder(), root() / "Documents");
  // The override wins over the system's folder.
  EXPECT_EQ(platform::documentsFolder(), documents());
}

}  // namespace
}  // namespace varnacle::profile
