#include "platform/event.h"

#include <gtest/gtest.h>

#include <thread>

namespace varnacle::platform {

using namespace std::chrono_literals;

TEST(Event, ManualResetStaysSetForEveryWaiterUntilReset) {
  Event e;
  EXPECT_FALSE(e.wait(1ms));
  e.set();
  EXPECT_TRUE(e.wait(0ms));
  EXPECT_TRUE(e.wait(0ms)) << "a manual-reset event is not consumed by a wait";
  e.reset();
  EXPECT_FALSE(e.isSet());
}

TEST(Event, SetFromAnotherThreadWakesAWaiterEarly) {
  Event e;
  const auto start = std::chrono::steady_clock::now();
  std::thread setter([&] {
    std::this_thread::sleep_for(20ms);
    e.set();
  });
  EXPECT_TRUE(e.wait(10s));
  setter.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace varnacle::platform
