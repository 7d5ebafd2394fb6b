#include "profile/ini_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>

#include "platform/atomic_file.h"
#include "platform/debug_output.h"
#include "profile/text_encoding.h"
#include "test_documents.h"

namespace varnacle::profile {
namespace {

using namespace std::string_literals;

class IniStore : public testing::TestDocuments {
 protected:
  std::filesystem::path file() const { return documents() / "test.ini"; }
};

// UTF-16LE bytes of ASCII text.
std::string utf16(std::string_view ascii) {
  return encodeUtf16Le(ascii);
}

TEST_F(IniStore, ValuesReadAsTheProfileStringFunctionsReadThem) {
  const std::string longValue(300, 'x');
  writeIniString(file(), "S", "twelve", "12");
  writeIniString(file(), "S", "letters", "abc");
  writeIniString(file(), "S", "mixed", "7x");
  writeIniString(file(), "S", "negative", "-3");
  writeIniString(file(), "S", "long", longValue);
  writeIniInt(file(), "S", "int", -42);

  EXPECT_EQ(readIniString(file(), "S", "missing"), "0");
  EXPECT_EQ(readIniString(file(), "NOSECTION", "twelve"), "0");
  EXPECT_EQ(readIniInt(file(), "S", "missing"), 0);
  EXPECT_EQ(readIniInt(file(), "S", "twelve"), 12);
  EXPECT_EQ(readIniInt(file(), "S", "letters"), 0);
  EXPECT_EQ(readIniInt(file(), "S", "mixed"), 7);
  EXPECT_EQ(readIniInt(file(), "S", "negative"), -3);
  EXPECT_EQ(readIniInt(file(), "S", "int"), -42);
  EXPECT_EQ(readIniString(file(), "S", "long"), longValue.substr(0, 259));
  EXPECT_EQ(readIniString(file(), "S", "missing", std::string(300, 'd')), std::string(259, 'd'));
  // Sections and keys are one name whatever their case; the first spelling stays.
  EXPECT_EQ(readIniInt(file(), "s", "TWELVE"), 12);
  writeIniString(file(), "s", "TWELVE", "13");
  EXPECT_EQ(readIniInt(file(), "S", "twelve"), 13);
  EXPECT_EQ(loadIniFile(file()).toBytes().find(utf16("TWELVE")), std::string::npos);
}

TEST_F(IniStore, CutsLongTextWithoutSplittingACharacter) {
  // 258 ASCII characters and a character outside the basic plane (two UTF-16
  // units) do not fit 259 units: the pair is dropped whole.
  const std::string value = std::string(258, 'a') + "\xF0\x9F\x8E\xAE" + "b";
  writeIniString(file(), "S", "k", value);
  EXPECT_EQ(readIniString(file(), "S", "k"), std::string(258, 'a'));
  writeIniString(file(), "S", "cn", "文件打开失败");
  EXPECT_EQ(readIniString(file(), "S", "cn"), "文件打开失败");
}

TEST_F(IniStore, OurFilesAreUtf16WithMarkAndCrlfAndKeepEveryOtherLine) {
  writeBytes(file(),
             "\xFF\xFE" + utf16("; kept comment\r\n[A]\r\nx=1\r\nold=stale\r\n\r\n[B]\r\ny=2\r\n"));
  writeIniString(file(), "A", "z", "3");
  writeIniString(file(), "C", "count", "4");
  writeIniString(file(), "A", "x", "5");
  EXPECT_EQ(
      readBytes(file()),
      "\xFF\xFE" + utf16("; kept comment\r\n[A]\r\nx=5\r\nold=stale\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"
                         "[C]\r\ncount=4\r\n"));
}

TEST_F(IniStore, ReadsFilesWrittenBySystemsAndEditors) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  const std::string text =
      "[MACROCOUNT]\r\ncount = 2 \r\n[MACRONAME]\r\n0=\"quoted\"\r\n1=名字\r\n";
  const Case cases[] = {
      {"UTF-16LE with mark, CRLF", "\xFF\xFE" + encodeUtf16Le(text)},
      {"UTF-16LE without mark", encodeUtf16Le(text)},
      {"UTF-8 with mark", "\xEF\xBB\xBF" + text},
      {"UTF-8, LF only", "[MACROCOUNT]\ncount = 2 \n[MACRONAME]\n0=\"quoted\"\n1=名字"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeBytes(file(), c.bytes);
    EXPECT_EQ(readIniInt(file(), "MACROCOUNT", "count"), 2);
    EXPECT_EQ(readIniString(file(), "macroname", "0"), "quoted");
    EXPECT_EQ(readIniString(file(), "MACRONAME", "1"), "名字");
  }
}

TEST_F(IniStore, HostileFilesReadAsDefaultsAndNeverCrash) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
  const std::string cases[] = {
      binary,
      "\xFF\xFE" + utf16("[S]\r\nk=1").substr(0, 9),  // odd length
      "\xFF\xFE\x00\xD8\x41\x00"s,                    // lone surrogate
      "[S\r\n=\r\n==\r\n[]\r\nk\r\n\xC3",             // broken header, empty keys
      std::string("\0\0\0\0", 4),
  };
  for (const std::string& bytes : cases) {
    writeBytes(file(), bytes);
    EXPECT_EQ(readIniString(file(), "S", "missing"), "0");
    EXPECT_TRUE(writeIniString(file(), "S", "k", "v"));
    EXPECT_EQ(readIniString(file(), "S", "k"), "v");
  }
}

TEST_F(IniStore, HugeFileIsNeitherReadNorOverwritten) {
  const std::string huge(kIniFileSizeLimit + 1, 'x');
  writeBytes(file(), huge);
  platform::DebugCapture capture;
  EXPECT_EQ(readIniString(file(), "S", "k"), "0");
  EXPECT_FALSE(writeIniString(file(), "S", "k", "v"));
  EXPECT_EQ(capture.count("文件打开失败"), 1);
  EXPECT_EQ(std::filesystem::file_size(file()), huge.size());
}

TEST_F(IniStore, WriteThatFailsHalfWayLeavesTheOldFileByteIdentical) {
  writeIniString(file(), "S", "k", "old");
  const std::string before = readBytes(file());
  {
    platform::DebugCapture capture;
    platform::ScopedWriteFailure failure;
    EXPECT_FALSE(writeIniString(file(), "S", "k", std::string(5000, 'n')));
    EXPECT_EQ(capture.count("文件打开失败"), 1);
  }
  EXPECT_EQ(readBytes(file()), before);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(documents()), {}), 1);
}

TEST_F(IniStore, WriteIntoAFolderThatCannotExistFailsAndReports) {
  writeBytes(documents() / "plain file", "x");
  platform::DebugCapture capture;
  EXPECT_FALSE(writeIniString(documents() / "plain file" / "a.ini", "S", "k", "v"));
  EXPECT_EQ(capture.count("文件打开失败"), 1);
  EXPECT_EQ(readBytes(documents() / "plain file"), "x");
}

TEST_F(IniStore, FindsAFileWhoseNameDiffersInCase) {
  writeIniString(documents() / "Main.INI", "S", "k", "1");
  EXPECT_EQ(readIniInt(documents() / "main.ini", "S", "k"), 1);
  writeIniString(documents() / "MAIN.ini", "S", "k", "2");
  EXPECT_EQ(readIniInt(documents() / "Main.INI", "S", "k"), 2);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(documents()), {}), 1);
}

TEST_F(IniStore, ReadersOnOtherThreadsNeverSeeATornFile) {
  // The writer keeps two keys equal in one replacement; readers load whole
  // snapshots and must always find them equal and the file readable.
  std::atomic<bool> stop{false};
  std::atomic<int> mismatches{0};
  std::atomic<int> reads{0};
  updateIniFile(file(), [](IniDocument& d) {
    d.setInt("S", "a", 0);
    d.setInt("S", "b", 0);
  });
  std::thread reader([&] {
    while (!stop) {
      const IniDocument doc = loadIniFile(file());
      if (doc.getInt("S", "a") != doc.getInt("S", "b") || !doc.has("S", "a")) ++mismatches;
      ++reads;
    }
  });
  for (int i = 1; i <= 200; ++i) {
    updateIniFile(file(), [i](IniDocument& d) {
      d.setInt("S", "a", i);
      d.set("S", "pad" + std::to_string(i), std::string(i, 'p'));
      d.setInt("S", "b", i);
    });
  }
  while (reads < 10) std::this_thread::yield();
  stop = true;
  reader.join();
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(readIniInt(file(), "S", "b"), 200);
}

TEST(LeadingInt, ConvertsAsTheCLibraryDoes) {
  const std::pair<std::string_view, int> cases[] = {
      {"", 0},
      {"0", 0},
      {"12", 12},
      {" 12", 12},
      {"7x", 7},
      {"x7", 0},
      {"+5", 5},
      {"-5", -5},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
      {"4 2", 4},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(leadingInt(text), expected) << text;
}

}  // namespace
}  // namespace varnacle::profile
