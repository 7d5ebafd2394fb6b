#include "profile/ini_document.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "profile/text_encoding.h"

namespace varnacle::profile {
namespace {

// Our own file format: UTF-16LE with a mark.
std::string utf16File(std::string_view text) {
  return "\xFF\xFE" + encodeUtf16Le(text);
}

// Files as the system's profile-string functions read them, byte by byte. Each
// case is read as it stands and as UTF-16LE with a mark (the rules do not
// depend on the encoding), and again after a write elsewhere in the file
// (a read followed by a write changes nothing that was read).
TEST(IniDocumentReads, LinesHeadersKeysAndTrimmingAsTheSystemReadsThem) {
  struct Read {
    const char* section;
    const char* key;
    const char* value;
  };
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<Read> reads;
  };
  using namespace std::string_literals;
  const Case cases[] = {
      {"CR-only line ends", "[S]\rk=1\rj=2\r", {{"S", "k", "1"}, {"S", "j", "2"}}},
      {"CR-only last line without an end", "[S]\rk=1\rj=2", {{"S", "j", "2"}}},
      {"a CR before a later LF does not end a line",
       "[S]\rk=1\r\nj=2",
       {{"S", "k", "0"}, {"S", "j", "2"}}},
      {"LF-only and CRLF line ends", "[S]\nk=1\r\nj=2\n", {{"S", "k", "1"}, {"S", "j", "2"}}},
      {"a header ends at the last ]",
       "[a]b]\r\nk=1\r\n[c]]x\r\nm=2\r\n",
       {{"a]b", "k", "1"}, {"a", "k", "0"}, {"c]", "m", "2"}}},
      {"a [ without ] is an ordinary line",
       "[S]\r\n[x=1\r\n[broken\r\nk=2\r\n",
       {{"S", "[x", "1"}, {"S", "k", "2"}, {"broken", "k", "0"}}},
      {"a key without = reads as missing, and is the first match",
       "[S]\r\nk\r\nk=5\r\nj =\r\n",
       {{"S", "k", "0"}, {"S", "j", ""}}},
      {"VT, FF and ^Z are trimmed like blanks",
       "\f[S]\v\r\n\vk\f=\v 7\f\x1A\r\n\x1Aq=\f'quoted'\v\r\nend=1\x1A",
       {{"S", "k", "7"}, {"S", "q", "quoted"}, {"S", "end", "1"}}},
      {"other control characters are kept", "[S]\r\nk=\x01v\x7F\r\n", {{"S", "k", "\x01v\x7F"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string utf8 = c.bytes;
    for (const std::string& bytes : {utf8, utf16File(utf8)}) {
      IniDocument doc = IniDocument::fromBytes(bytes);
      for (int pass = 0; pass < 2; ++pass) {
        for (const Read& r : c.reads) {
          EXPECT_EQ(doc.get(r.section, r.key), r.value) << r.section << "/" << r.key;
        }
        doc.set("OTHER", "key", "1");
        doc = IniDocument::fromBytes(doc.toBytes());
      }
    }
  }
}

TEST(IniDocumentReads, AKeyWithoutEqualsTakesTheDefaultAndIsWrittenInPlace) {
  IniDocument doc = IniDocument::fromBytes("[S]\r\ncount\r\ncount=3\r\n");
  EXPECT_FALSE(doc.has("S", "count"));
  EXPECT_EQ(doc.get("S", "count", "none"), "none");
  EXPECT_EQ(doc.getInt("S", "count"), 0);
  doc.setInt("S", "count", 4);
  EXPECT_TRUE(doc.has("S", "count"));
  EXPECT_EQ(doc.toBytes(), utf16File("[S]\r\ncount=4\r\ncount=3\r\n"));
}

TEST(IniDocumentWrites, NewKeysGoAfterTheLastLineOfTheirFirstSection) {
  IniDocument doc = IniDocument::fromBytes(
      utf16File("[A]\r\nx=1\r\n; note\r\n\r\n\r\n[B]\r\ny=2\r\n[a]\r\nlater=9\r\n\r\n"));
  doc.set("A", "z", "3");
  doc.set("A", "w", "4");
  doc.set("B", "v", "5");
  doc.set("C", "u", "6");
  EXPECT_EQ(doc.toBytes(), utf16File("[A]\r\nx=1\r\n; note\r\nz=3\r\nw=4\r\n\r\n\r\n"
                                     "[B]\r\ny=2\r\nv=5\r\n"
                                     "[a]\r\nlater=9\r\n\r\n"
                                     "[C]\r\nu=6\r\n"));
  // The second section of a name is neither read nor extended.
  EXPECT_EQ(doc.get("A", "later"), "0");
  EXPECT_EQ(doc.get("a", "w"), "4");
  doc.set("A", "x", "10");
  EXPECT_EQ(doc.get("A", "x"), "10");
  EXPECT_EQ(doc.get("B", "y"), "2");
}

TEST(IniDocumentWrites, ALongSectionIsWrittenInLinearTimeWhereverItLies) {
  // 16 000 step lines into a step section that is not the last one, or that
  // is followed by a blank line: each write must not revisit the whole file.
  struct Case {
    const char* what;
    std::string text;
    std::string after;  // what follows the steps in the written file
  };
  const Case cases[] = {
      {"steps before the count", "[MACROACTION]\r\n0=s\r\n[MACROACTIONCOUNT]\r\ncount=1\r\n",
       "[MACROACTIONCOUNT]\r\ncount=16000\r\n"},
      {"file ends with a blank line",
       "[MACROACTIONCOUNT]\r\ncount=1\r\n[MACROACTION]\r\n0=s\r\n\r\n", "\r\n"},
  };
  constexpr int kLines = 16000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IniDocument doc = IniDocument::fromBytes(utf16File(c.text));
    const auto start = std::chrono::steady_clock::now();
    doc.setInt("MACROACTIONCOUNT", "count", kLines);
    for (int i = 0; i < kLines; ++i) doc.set("MACROACTION", std::to_string(i), "s");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // About 20 ms here; the generous bound only catches quadratic work.
    EXPECT_LT(elapsed, std::chrono::seconds(5));
    const std::string bytes = doc.toBytes();
    EXPECT_TRUE(bytes.ends_with(encodeUtf16Le("15999=s\r\n" + c.after)));
    EXPECT_EQ(doc.get("MACROACTION", "8000"), "s");
    EXPECT_EQ(doc.getInt("MACROACTIONCOUNT", "count"), kLines);
  }
}

}  // namespace
}  // namespace varnacle::profile
