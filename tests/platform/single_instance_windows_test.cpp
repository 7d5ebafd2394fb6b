// The single instance on Windows: the named mutex marks the first instance
// for as long as it lives. (The wake-up broadcast needs a desktop that
// delivers broadcasts to hidden windows, which wine without one does not.)
#include <gtest/gtest.h>

#include "platform/single_instance.h"

namespace varnacle::platform {
namespace {

TEST(SingleInstanceWindows, TheMutexMarksTheFirstInstanceForItsLifetime) {
  {
    SingleInstance first("VELTORDRVER", "TALVORIN_001");
    ASSERT_TRUE(first.isFirst());
    first.listen([] {});
    SingleInstance second("VELTORDRVER", "TALVORIN_001");
    EXPECT_FALSE(second.isFirst());
  }
  SingleInstance next("VELTORDRVER", "TALVORIN_001");
  EXPECT_TRUE(next.isFirst());
}

}  // namespace
}  // namespace varnacle::platform
