// Filling the number into a formatted message text taken from a language file.
#include "app/message_format.h"

#include <gtest/gtest.h>

namespace varnacle::app {
namespace {

TEST(FormatMessageNumber, FillsTheSlot) {
  EXPECT_EQ(formatMessageNumber("Remove %d steps.", 12), "Remove 12 steps.");
  EXPECT_EQ(formatMessageNumber("%d", -3), "-3");
  EXPECT_EQ(formatMessageNumber("最多只能有 %d 个。", 50), "最多只能有 50 个。");
}

TEST(FormatMessageNumber, TextsFromFilesCannotAskForMoreArguments) {
  // No slot: the text is shown as it is.
  EXPECT_EQ(formatMessageNumber("No number here", 7), "No number here");
  // Other conversions stay literal instead of reading missing arguments.
  EXPECT_EQ(formatMessageNumber("%s%n %x %d%%", 5), "%s%n %x 5%%");
  // Only the first slot is filled.
  EXPECT_EQ(formatMessageNumber("%d of %d", 1), "1 of %d");
  // A lone '%' at the end is kept.
  EXPECT_EQ(formatMessageNumber("100%", 1), "100%");
  EXPECT_EQ(formatMessageNumber("", 1), "");
}

}  // namespace
}  // namespace varnacle::app
