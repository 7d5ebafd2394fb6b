// Where the program finds its skin and factory default files: beside itself,
// or in the shared data folder of an installed tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/folders.h"

namespace varnacle::platform {
namespace {

namespace fs = std::filesystem;

class ResourceFolder : public ::testing::Test {
 protected:
  fs::path root;

  void SetUp() override {
    root = fs::temp_directory_path() /
           ("varnacle-resources-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root);
    fs::create_directories(root / "bin");
  }
  void TearDown() override { fs::remove_all(root); }
};

TEST_F(ResourceFolder, ASkinBesideTheProgramWins) {
  fs::create_directories(root / "bin" / "skin");
  EXPECT_EQ(resourceFolder(root / "bin"), root / "bin");
  // Also when an installed tree's shared folder exists too.
  fs::create_directories(root / "share" / "varnacle-driver" / "skin");
  EXPECT_EQ(resourceFolder(root / "bin"), root / "bin");
}

TEST_F(ResourceFolder, AnInstalledProgramUsesTheSharedDataFolder) {
  fs::create_directories(root / "share" / "varnacle-driver" / "skin");
  EXPECT_EQ(resourceFolder(root / "bin"), root / "share" / "varnacle-driver");
  // A folder given with a trailing separator names the same place.
  EXPECT_EQ(resourceFolder(root / "bin" / ""), root / "share" / "varnacle-driver");
}

TEST_F(ResourceFolder, WithNeitherTheProgramFolderIsKept) {
  // A file named "skin" is not a skin folder.
  fs::create_directories(root / "share");
  { std::ofstream(root / "bin" / "skin") << "not a folder"; }
  EXPECT_EQ(resourceFolder(root / "bin"), root / "bin");
}

}  // namespace
}  // namespace varnacle::platform
