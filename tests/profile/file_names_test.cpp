#include "profile/file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/ini_store.h"
#include "test_documents.h"

namespace varnacle::profile {
namespace {

class StorableNames : public testing::TestDocuments {
 protected:
  // The name as the list file gives it back after a restart.
  std::string throughListFile(std::string_view name) const {
    const std::filesystem::path list = documents() / "kbProfile.ini";
    EXPECT_TRUE(writeIniString(list, "PROFILENAME", "0", name));
    return readIniString(list, "PROFILENAME", "0");
  }
};

TEST_F(StorableNames, EveryAcceptedNameReadsBackFromTheListAsItWasWritten) {
  const std::string longest(200, 'n');
  const std::string longestChinese = [] {
    std::string s;
    for (int i = 0; i < 66; ++i) s += "名";  // 198 bytes, 66 characters
    return s;
  }();
  const std::vector<std::string> names = {"Configuration File1",
                                          "a b",
                                          "it's",
                                          "'a",
                                          "a'",
                                          "'a' b",
                                          "a 'b'",
                                          "[a]",
                                          "[a",
                                          "=a",
                                          "a=b",
                                          ";a",
                                          "#a",
                                          "a;b",
                                          "0",
                                          "名字",
                                          "café",
                                          "a\u00A0b",
                                          "'",
                                          longest,
                                          longestChinese};
  for (const std::string& name : names) {
    EXPECT_TRUE(isStorableName(name)) << name;
    EXPECT_EQ(throughListFile(name), name);
  }
}

TEST_F(StorableNames, NamesTheListWouldChangeAreRefused) {
  for (std::string_view name : {" a", "  a", "'a'", "''", "' a '", "'a b'", "\"a\"", " "}) {
    EXPECT_FALSE(isStorableName(name)) << name;
    // What a restart would show instead.
    EXPECT_NE(throughListFile(name), name) << name;
  }
  // Safe as file names, but not as list entries.
  EXPECT_TRUE(isSafeFileName(" a"));
  EXPECT_TRUE(isSafeFileName("'a'"));
  // Malformed UTF-8 would come back with U+FFFD in it.
  EXPECT_FALSE(isStorableName("a\xC3"));
}

}  // namespace
}  // namespace varnacle::profile
