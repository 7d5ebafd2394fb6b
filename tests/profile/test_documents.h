#pragma once
// A fresh, empty Documents folder for one test, removed afterwards. The
// program folder stays the test binary's folder, where the build put the
// factory default files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "platform/folders.h"

namespace varnacle::testing {

class TestDocuments : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device seed;
    root_ = std::filesystem::temp_directory_path() /
            ("varnacle-docs-" + std::to_string(seed()) + "-" + std::to_string(seed()));
    std::filesystem::create_directories(root_ / "Documents");
    platform::setDocumentsFolderOverride(root_ / "Documents");
  }
  void TearDown() override {
    platform::setDocumentsFolderOverride(std::nullopt);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  std::filesystem::path documents() const { return root_ / "Documents"; }
  std::filesystem::path root() const { return root_; }

  static std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void writeBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

 private:
  std::filesystem::path root_;
};

}  // namespace varnacle::testing
