// A worker blocked in send() when shutdown begins returns instead of hanging,
// and its job never runs. Its own program: shutdown cannot be undone.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "example_window.h"
#include "support/ui_test_app.h"
#include "ui/dispatcher.h"

namespace varnacle::ui {
namespace {

using namespace std::chrono_literals;

TEST(Shutdown, SendFromAWorkerGivesUpOnceShutdownBegins) {
  testing::application();
  testing::ExampleWindow window;
  ASSERT_TRUE(window.create(nullptr, "main"));

  // Before shutdown a send completes.
  std::optional<std::intptr_t> before;
  std::thread first([&] { before = sendMessage(window.id(), 0x901); });
  ASSERT_TRUE(testing::pumpUntil([&] { return !window.messages.empty(); }));
  first.join();
  EXPECT_EQ(before, 0x902);

  // The UI thread is busy (not running the loop) when the worker sends, then
  // begins shutdown: the worker must come back while its job is still queued.
  std::atomic<bool> returned{false};
  std::optional<std::intptr_t> during = 5;
  std::atomic<bool> jobRan{false};
  bool closureSent = true;
  std::thread worker([&] {
    during = sendMessage(window.id(), 0xB01);
    closureSent = send([&] { jobRan = true; });
    returned = true;
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(returned);
  beginShutdown();
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!returned && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(returned) << "send hung after shutdown began";
  worker.join();
  EXPECT_FALSE(during.has_value());
  EXPECT_FALSE(closureSent);

  // The abandoned jobs do not run later either.
  window.messages.clear();
  testing::pump(20);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_FALSE(jobRan);
  EXPECT_TRUE(shutdownBegun());
  // Posts still work for the UI thread's own clean-up.
  bool posted = false;
  EXPECT_TRUE(post([&] { posted = true; }));
  EXPECT_TRUE(testing::pumpUntil([&] { return posted; }));
}

}  // namespace
}  // namespace varnacle::ui
