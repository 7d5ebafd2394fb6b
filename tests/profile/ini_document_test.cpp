#include "profile/ini_document.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "profile/text_encoding.h"

namespace varnacle::profile {
namespace {

// Our own file format: UTF-16LE with a mark.
std::string utf16File(std::string_view text) {
  return "\xFF\xFE" + encodeUtf16Le(text);
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
