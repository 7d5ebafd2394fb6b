#include "ui/attributes.h"

#include <gtest/gtest.h>

namespace varnacle::ui {
namespace {

TEST(Attributes, ColoursInEveryWrittenForm) {
  EXPECT_EQ(parseColor("#FF0199CB"), 0xFF0199CBu);
  EXPECT_EQ(parseColor("#0199CB"), 0xFF0199CBu);  // six digits are opaque
  EXPECT_EQ(parseColor(" 0x80112233 "), 0x80112233u);
  EXPECT_EQ(parseColor("0"), 0u);
  EXPECT_EQ(parseColor("#00000000"), 0u);
  for (const char* bad : {"", "#", "#12345", "#GG0000", "#1234567890", "red", "0x", "12z"})
    EXPECT_FALSE(parseColor(bad)) << bad;
}

TEST(Attributes, NumbersRectanglesAndFlags) {
  EXPECT_EQ(parseInt(" -12 "), -12);
  EXPECT_EQ(parseInt("+7"), 7);
  EXPECT_FALSE(parseInt("7x"));
  EXPECT_FALSE(parseInt(""));
  EXPECT_FALSE(parseInt("99999999999"));
  EXPECT_EQ(parseRect("1, 2,3 ,4"), (Rect{1, 2, 3, 4}));
  EXPECT_FALSE(parseRect("1,2,3"));
  EXPECT_FALSE(parseRect("1,2,3,4,5"));
  EXPECT_FALSE(parseRect("1,,3,4"));
  EXPECT_EQ(parseSize("800,572"), (Size{800, 572}));
  EXPECT_FALSE(parseSize("-1,5"));
  EXPECT_EQ(parseBool("TRUE"), true);
  EXPECT_EQ(parseBool("0"), false);
  EXPECT_FALSE(parseBool("yes"));
}

TEST(Attributes, AlignWordsKeepTheOtherDirection) {
  unsigned base = kAlignLeft | kAlignVCenter;
  EXPECT_EQ(parseAlign("center", base), kAlignHCenter | kAlignVCenter);
  EXPECT_EQ(parseAlign("right,bottom", base), kAlignRight | kAlignBottom);
  EXPECT_EQ(parseAlign("Top", base), kAlignLeft | kAlignTop);
  EXPECT_EQ(parseAlign("", base), base);
}

TEST(Attributes, ImageDescriptions) {
  auto bare = parseImageDescription("ms/key_left_normal.png");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->file, "ms/key_left_normal.png");
  EXPECT_FALSE(bare->source);
  EXPECT_EQ(bare->fade, 255);

  auto full = parseImageDescription("file='ms/key.png' source='0,0,40,20' fade='300'");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->file, "ms/key.png");
  EXPECT_EQ(full->source, (Rect{0, 0, 40, 20}));
  EXPECT_EQ(full->fade, 255);  // clamped

  EXPECT_FALSE(parseImageDescription(""));
  EXPECT_FALSE(parseImageDescription("source='0,0,1,1'"));        // no file
  EXPECT_FALSE(parseImageDescription("file='unterminated.png"));  // broken quote

  // A file name of the user's own may hold quotes and equals signs.
  for (std::string_view path : {"/home/u/bob's a=b.png", "C:\\Pics\\x='y'.png", "it's=1.png"}) {
    auto named = parseImageDescription(path);
    ASSERT_TRUE(named) << path;
    EXPECT_EQ(named->file, path);
    EXPECT_EQ(named->fade, 255);
  }
}

TEST(Attributes, CaseInsensitiveNames) {
  EXPECT_TRUE(equalsNoCase("MS_Key_UI", "ms_key_ui"));
  EXPECT_FALSE(equalsNoCase("ms_key_ui", "ms_key_u"));
  EXPECT_EQ(toLower("CircleProgress"), "circleprogress");
}

}  // namespace
}  // namespace varnacle::ui
