#include "platform/debug_output.h"

#include <gtest/gtest.h>

#include <thread>

namespace varnacle::platform {

TEST(DebugOutput, CaptureSeesLinesOfEveryThreadDuringItsLifetimeOnly) {
  debugOutput("before");
  DebugCapture outer;
  std::thread worker([] { debugOutput("文件打开失败"); });
  worker.join();
  {
    DebugCapture inner;
    debugOutput("both");
    EXPECT_EQ(inner.lines(), std::vector<std::string>{"both"});
  }
  debugOutput("outer only");
  EXPECT_EQ(outer.lines(), (std::vector<std::string>{"文件打开失败", "both", "outer only"}));
  EXPECT_EQ(outer.count("both"), 1);
  EXPECT_EQ(outer.count("before"), 0);
}

}  // namespace varnacle::platform
