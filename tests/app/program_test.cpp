// The program as a user starts it: real processes, offscreen, simulated
// devices, a private home folder.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

struct Process {
  pid_t pid = -1;
  fs::path log;
};

class ProgramTest : public ::testing::Test {
 protected:
  fs::path home;

  void SetUp() override {
    home = fs::temp_directory_path() /
           ("varnacle-program-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(home / "run");
    fs::permissions(home / "run", fs::perms::owner_all);
  }
  void TearDown() override {
    for (Process& p : started_)
      if (p.pid > 0 && ::kill(p.pid, 0) == 0) {
        ::kill(p.pid, SIGKILL);
        ::waitpid(p.pid, nullptr, 0);
      }
    fs::remove_all(home);
  }

  // Starts varnacle-driver with `args`; `platform` is the Qt platform plugin.
  Process start(std::vector<std::string> args, const std::string& platform = "offscreen") {
    Process p;
    p.log = home / ("log" + std::to_string(started_.size()) + ".txt");
    const pid_t pid = ::fork();
    if (pid == 0) {
      const std::string out = p.log.string();
      if (!std::freopen(out.c_str(), "w", stderr) || !std::freopen("/dev/null", "w", stdout)) _exit(97);
      ::setenv("HOME", home.c_str(), 1);
      ::setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
      ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
      ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
      ::setenv("VARNACLE_DEBUG", "1", 1);
      ::unsetenv("DISPLAY");
      ::unsetenv("WAYLAND_DISPLAY");
      std::vector<char*> argv;
      std::string program = VARNACLE_PROGRAM;
      argv.push_back(program.data());
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      _exit(98);
    }
    p.pid = pid;
    started_.push_back(p);
    return p;
  }

  static std::string logOf(const Process& p) {
    std::ifstream in(p.log);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static int count(const std::string& text, const std::string& needle) {
    int n = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
  }
  template <typename Pred>
  static bool eventually(Pred pred, std::chrono::milliseconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(20ms);
    }
    return true;
  }
  // Exit status, or -1 when the process did not end within `limit`.
  static int waitExit(const Process& p, std::chrono::milliseconds limit = 20s) {
    int status = 0;
    const bool ended = eventually([&] { return ::waitpid(p.pid, &status, WNOHANG) == p.pid; }, limit);
    if (!ended) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  std::vector<Process> started_;
};

TEST_F(ProgramTest, SecondStartWakesTheFirstAndLeavesOneProcess) {
  const Process first = start({"--simulate"});
  // The first pass finds the virtual devices and brings the window up once.
  ASSERT_TRUE(eventually([&] { return count(logOf(first), "软件标示 ") == 1; })) << logOf(first);
  std::this_thread::sleep_for(300ms);
  ASSERT_EQ(count(logOf(first), "软件标示 "), 1) << logOf(first);

  const Process second = start({"--simulate"});
  EXPECT_EQ(waitExit(second), 0);
  EXPECT_EQ(count(logOf(second), "InitWindow"), 0) << "the second start builds no window";
  ASSERT_TRUE(eventually([&] { return count(logOf(first), "软件标示 ") == 2; })) << logOf(first);
  EXPECT_EQ(::kill(first.pid, 0), 0) << "the first instance still runs";
}

TEST_F(ProgramTest, TerminationRequestShutsDownInOrderAndKeepsTheDemoState) {
  const Process p = start({"--simulate"});
  ASSERT_TRUE(eventually([&] { return count(logOf(p), "软件标示 ") >= 1; })) << logOf(p);
  ::kill(p.pid, SIGTERM);
  EXPECT_EQ(waitExit(p), 0);
  const std::string log = logOf(p);
  EXPECT_EQ(count(log, "退出测试"), 1) << log;
  EXPECT_EQ(count(log, "所有对象处于激发状态"), 1) << log;
  EXPECT_TRUE(fs::exists(home / "Documents" / "GRIMWOLF Q650" / "demo-devices.state"));

  // The lock went with the process: a new start is a first instance again.
  const Process again = start({"--simulate"});
  EXPECT_TRUE(eventually([&] { return count(logOf(again), "InitWindow") == 1; })) << logOf(again);
}

TEST_F(ProgramTest, TerminationRequestWhileTheNoDeviceBoxIsOpenEndsCleanly) {
  // No devices at all: a second start asks for the window, and the first
  // answers with the "no device" box, which stays open.
  const Process first = start({});
  ASSERT_TRUE(eventually([&] { return count(logOf(first), "InitWindow") == 1; })) << logOf(first);
  const Process second = start({});
  EXPECT_EQ(waitExit(second), 0);
  ASSERT_TRUE(eventually([&] { return count(logOf(first), "软件标示 ") == 1; })) << logOf(first);
  std::this_thread::sleep_for(200ms);

  ::kill(first.pid, SIGTERM);
  EXPECT_EQ(waitExit(first), 0) << logOf(first);
  EXPECT_EQ(count(logOf(first), "退出测试"), 1) << logOf(first);
}

TEST_F(ProgramTest, NoTrayBoxAtStartEndsOnTermination) {
  // Offscreen there is no tray: without devices the "no device" box opens at
  // start and stays open, its own event loop running.
  const Process p = start({});
  ASSERT_TRUE(eventually([&] { return count(logOf(p), "no tray icon can be shown") == 1; }))
      << logOf(p);
  std::this_thread::sleep_for(200ms);
  ::kill(p.pid, SIGTERM);
  EXPECT_EQ(waitExit(p, 5s), 0) << logOf(p);
  EXPECT_EQ(count(logOf(p), "退出测试"), 1) << logOf(p);
}

TEST_F(ProgramTest, WithoutADisplayItSaysSoAndFails) {
  const Process p = start({}, "xcb");
  const int status = waitExit(p);
  EXPECT_NE(status, 0);
  EXPECT_LT(status, 128) << "a clear exit, not a crash";
  EXPECT_NE(logOf(p).find("varnacle-driver: "), std::string::npos) << logOf(p);
}

TEST_F(ProgramTest, UnknownArgumentsAreRefusedWithUsage) {
  const Process p = start({"--frobnicate"});
  EXPECT_EQ(waitExit(p), 2);
  EXPECT_NE(logOf(p).find("usage: varnacle-driver"), std::string::npos);
}

}  // namespace
