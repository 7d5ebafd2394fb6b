// The INI files of our store and the system's own profile-string functions
// read each other's files with the same results.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/ini_store.h"
#include "test_documents.h"

namespace varnacle::profile {
namespace {

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring w(std::size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), n);
  return w;
}

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string s(std::size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// What the program reads: the default "0" and a buffer of 260 units.
std::string systemRead(const std::filesystem::path& file, const std::string& section,
                       const std::string& key) {
  wchar_t buffer[260] = {};
  GetPrivateProfileStringW(wide(section).c_str(), wide(key).c_str(), L"0", buffer, 260,
                           file.wstring().c_str());
  return utf8(buffer);
}

bool systemWrite(const std::filesystem::path& file, const std::string& section,
                 const std::string& key, const std::string& value) {
  return WritePrivateProfileStringW(wide(section).c_str(), wide(key).c_str(),
                                    wide(value).c_str(), file.wstring().c_str()) != FALSE;
}

struct Value {
  std::string key;
  std::string text;
};

// ASCII, Chinese, 259 units (the most a read keeps), longer ones, spaces
// inside, quotes.
const std::vector<Value> kValues = {
    {"ASCII", "plain value 12"},
    {"CHINESE", "\xE9\xBC\xA0\xE6\xA0\x87\xE9\x85\x8D\xE7\xBD\xAE"},
    {"LONG259", std::string(259, 'x')},
    {"LONG300", std::string(300, 'y')},
    {"SPACES", "two  inner spaces"},
    {"QUOTES", "say \"hi\" and 'bye'"},
};

class IniWithTheSystem : public testing::TestDocuments {};

TEST_F(IniWithTheSystem, TheSystemReadsWhatOurStoreWrote) {
  const auto file = documents() / "ours.ini";
  for (const auto& v : kValues) ASSERT_TRUE(writeIniString(file, "PROFILELIKEEXE", v.key, v.text));
  for (const auto& v : kValues) {
    SCOPED_TRACE(v.key);
    EXPECT_EQ(systemRead(file, "PROFILELIKEEXE", v.key), readIniString(file, "PROFILELIKEEXE", v.key));
  }
  EXPECT_EQ(systemRead(file, "PROFILELIKEEXE", "ASCII"), "plain value 12");
  EXPECT_EQ(systemRead(file, "PROFILELIKEEXE", "LONG300"), std::string(259, 'y'));
  EXPECT_EQ(systemRead(file, "PROFILELIKEEXE", "MISSING"), "0");
}

TEST_F(IniWithTheSystem, OurStoreReadsWhatTheSystemWrote) {
  const auto file = documents() / "theirs.ini";
  // The system writes UTF-16 only into a file that already is UTF-16.
  ASSERT_TRUE(writeIniInt(file, "PROFILEDENGCOUNT", "count", 0));
  for (const auto& v : kValues) ASSERT_TRUE(systemWrite(file, "PROFILELIKEEXE", v.key, v.text));
  for (const auto& v : kValues) {
    SCOPED_TRACE(v.key);
    EXPECT_EQ(readIniString(file, "PROFILELIKEEXE", v.key), systemRead(file, "PROFILELIKEEXE", v.key));
  }
  EXPECT_EQ(readIniString(file, "PROFILELIKEEXE", "CHINESE"), kValues[1].text);
  EXPECT_EQ(readIniInt(file, "PROFILEDENGCOUNT", "count"), 0);
}

}  // namespace
}  // namespace varnacle::profile
