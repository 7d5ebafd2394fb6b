// The system's Documents folder on Linux: the XDG user-dirs file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/folders.h"
#include "test_documents.h"

namespace varnacle::profile {
namespace {

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
