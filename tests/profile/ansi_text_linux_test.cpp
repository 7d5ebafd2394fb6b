// Settings files in the ANSI code page, as the system's profile-string
// functions create them, read where the program's language stands in for the
// system's code page.
#include <gtest/gtest.h>

#include "profile/ansi_text.h"
#include "profile/ini_store.h"
#include "profile/text_encoding.h"
#include "test_documents.h"

namespace varnacle::profile {
namespace {

class AnsiFiles : public testing::TestDocuments {
 protected:
  void TearDown() override {
    setAnsiFallbackChinese(false);
    TestDocuments::TearDown();
  }
  std::filesystem::path file() const { return documents() / "kbMacro.ini"; }
};

TEST_F(AnsiFiles, FilesWithoutAMarkThatAreNotUtf8ReadInTheLanguagesCodePage) {
  struct Case {
    const char* what;
    bool chinese;
    std::string value;     // the raw bytes after "0="
    std::string expected;  // UTF-8
  };
  const Case cases[] = {
      {"Windows-1252", false, "caf\xE9 \x80 \x9F", "café € Ÿ"},
      {"bytes Windows-1252 leaves undefined", false, "a\x81\x8D\x8F\x90\x9D",
       "a\u0081\u008D\u008F\u0090\u009D"},
      {"GBK in GB18030", true, "\xC3\xFB\xD7\xD6", "名字"},
      {"a four-byte GB18030 sequence", true, "\x95\x32\x82\x36", "\U00020000"},
      {"the same GBK bytes in Windows-1252", false, "\xC3\xFB\xD7\xD6", "Ãû×Ö"},
      {"valid UTF-8 stays UTF-8 in Chinese", true, "名字 café", "名字 café"},
      {"valid UTF-8 stays UTF-8 in English", false, "名字 café", "名字 café"},
      {"bytes GB18030 cannot decode", true, "a\x80z\xFF", "a\uFFFDz\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    setAnsiFallbackChinese(c.chinese);
    writeBytes(file(), "[MACROCOUNT]\r\ncount=1\r\n[MACRONAME]\r\n0=" + c.value + "\r\n");
    EXPECT_EQ(readIniString(file(), "MACRONAME", "0"), c.expected);
    // A write elsewhere saves the text as it was read, for good: the file is
    // UTF-16 now and reads the same in either language.
    ASSERT_TRUE(writeIniInt(file(), "MACROCOUNT", "count", 2));
    EXPECT_TRUE(readBytes(file()).starts_with("\xFF\xFE"));
    for (bool chinese : {false, true}) {
      setAnsiFallbackChinese(chinese);
      EXPECT_EQ(readIniString(file(), "MACRONAME", "0"), c.expected);
    }
  }
}

TEST(AnsiText, DecodesWholeBuffersLongerThanTheConvertersChunks) {
  // Characters split across the converter's internal buffer must come out whole.
  std::string gbk;
  std::string utf8;
  for (int i = 0; i < 5000; ++i) {
    gbk += "\xC3\xFB\xD7\xD6";
    utf8 += "名字";
  }
  setAnsiFallbackChinese(true);
  EXPECT_EQ(decodeAnsi(gbk), utf8);
  setAnsiFallbackChinese(false);
  EXPECT_EQ(decodeAnsi(std::string(9000, '\xE9')).size(), 18000u);
}

}  // namespace
}  // namespace varnacle::profile
