#include "platform/single_instance.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

namespace varnacle::platform {
namespace {

using namespace std::chrono_literals;

struct SingleInstanceTest : ::testing::Test {
  std::filesystem::path folder;
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("varnacle-si-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
              "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  SingleInstance make() { return SingleInstance("VELTORDRVER", "TALVORIN_001", folder.string()); }
};

bool waitFor(const std::atomic<int>& v, int expected) {
  for (int i = 0; i < 500 && v.load() != expected; ++i) std::this_thread::sleep_for(10ms);
  return v.load() == expected;
}

TEST_F(SingleInstanceTest, SecondInstanceWakesTheFirstEachTime) {
  auto first = make();
  ASSERT_TRUE(first.isFirst());
  std::atomic<int> wakes{0};
  first.listen([&] { ++wakes; });

  {
    auto second = make();
    EXPECT_FALSE(second.isFirst());
    EXPECT_TRUE(second.wakeFirst());
  }
  EXPECT_TRUE(waitFor(wakes, 1));
  auto third = make();
  EXPECT_FALSE(third.isFirst());
  EXPECT_TRUE(third.wakeFirst());
  EXPECT_TRUE(waitFor(wakes, 2));
}

// A second start while the first is still building its window: the first
// holds the lock but listens only later, and still gets the wake-up.
TEST_F(SingleInstanceTest, AWakeUpWaitsForAFirstInstanceThatIsStillStarting) {
  auto first = make();
  ASSERT_TRUE(first.isFirst());
  std::atomic<int> wakes{0};
  std::thread starting([&] {
    std::this_thread::sleep_for(300ms);
    first.listen([&] { ++wakes; });
  });
  auto second = make();
  EXPECT_FALSE(second.isFirst());
  EXPECT_TRUE(wakeFirstWithin(second, 10s));
  starting.join();
  EXPECT_TRUE(waitFor(wakes, 1));
}

TEST_F(SingleInstanceTest, LockIsFreedWhenTheFirstInstanceEnds) {
  {
    auto first = make();
    ASSERT_TRUE(first.isFirst());
    first.listen([] {});
  }
  auto next = make();
  EXPECT_TRUE(next.isFirst());
  EXPECT_FALSE(next.wakeFirst()) << "nobody listens any more";
}

TEST_F(SingleInstanceTest, StrayConnectionIsNoWakeUp) {
  auto first = make();
  std::atomic<int> wakes{0};
  first.listen([&] { ++wakes; });
  SingleInstance other("VELTORDRVER", "something else", folder.string());
  EXPECT_TRUE(other.wakeFirst());
  auto second = make();
  EXPECT_TRUE(second.wakeFirst());
  EXPECT_TRUE(waitFor(wakes, 1));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(wakes.load(), 1);
}

TEST_F(SingleInstanceTest, UnusableFolderStillLetsTheProgramStart) {
  SingleInstance s("VELTORDRVER", "TALVORIN_001", (folder / "missing" / "deeper").string());
  EXPECT_TRUE(s.isFirst());
  EXPECT_FALSE(s.wakeFirst());
}

}  // namespace
}  // namespace varnacle::platform
