// The X11 foreground program on a real X server: a private Xvfb, a window of
// another process (a child of this test, which sets _NET_WM_PID as toolkits
// do), and the test itself in the window manager's part of naming the active
// window on the root. Skipped where Xvfb is not installed.
// The test framework comes before the X11 headers, whose None and Bool
// macros would otherwise rename its own.
#include <gtest/gtest.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/foreground_program.h"
#include "profile/app_watcher.h"
#include "profile/profile_file.h"
#include "../profile/test_documents.h"

namespace varnacle::platform {
namespace {

using namespace std::chrono_literals;

// A private X server for the test's lifetime.
class PrivateXServer {
 public:
  PrivateXServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
             "640x480x24", static_cast<char*>(nullptr));
      _exit(127);
    }
    ::close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    std::string number;
    while (poll(&p, 1, 5000) > 0) {
      char c = 0;
      if (read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    ::close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~PrivateXServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// A child process with one mapped window that names its process id; the
// window's id comes back through a pipe.
class OtherProgramWindow {
 public:
  explicit OtherProgramWindow(const std::string& display) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      ::close(fds[0]);
      Display* d = XOpenDisplay(display.c_str());
      if (!d) _exit(1);
      const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 100, 100, 0, 0, 0);
      const unsigned long pid = static_cast<unsigned long>(getpid());
      XChangeProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32,
                      PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
      XMapWindow(d, w);
      XSync(d, False);
      const unsigned long id = w;
      if (write(fds[1], &id, sizeof id) != sizeof id) _exit(1);
      for (;;) pause();
    }
    ::close(fds[1]);
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 5000) > 0 && read(fds[0], &window_, sizeof window_) != sizeof window_)
      window_ = 0;
    ::close(fds[0]);
  }
  ~OtherProgramWindow() { end(); }
  void end() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  unsigned long window() const { return window_; }

 private:
  pid_t pid_ = -1;
  unsigned long window_ = 0;
};

// The window manager's part: _NET_ACTIVE_WINDOW on the root.
void setActiveWindow(const std::string& display, unsigned long window) {
  Display* d = XOpenDisplay(display.c_str());
  ASSERT_NE(d, nullptr);
  XChangeProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_ACTIVE_WINDOW", False), XA_WINDOW,
                  32, PropModeReplace, reinterpret_cast<const unsigned char*>(&window), 1);
  XSync(d, False);
  XCloseDisplay(d);
}

struct ForegroundProgramX11Test : varnacle::testing::TestDocuments {
  void SetUp() override {
    TestDocuments::SetUp();
    if (const char* old = std::getenv("DISPLAY")) savedDisplay = old;
  }
  void TearDown() override {
    if (savedDisplay) {
      setenv("DISPLAY", savedDisplay->c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
    TestDocuments::TearDown();
  }
  std::optional<std::string> savedDisplay;
};

TEST_F(ForegroundProgramX11Test, WithoutADisplayTheProgramIsUnknown) {
  unsetenv("DISPLAY");
  EXPECT_EQ(makeForegroundProgram()->path(), std::nullopt);
}

TEST_F(ForegroundProgramX11Test, TheActiveWindowOfAnotherProcessSelectsItsLinkedProfile) {
  PrivateXServer server;
  if (server.display().empty()) GTEST_SKIP() << "no Xvfb to start";
  setenv("DISPLAY", server.display().c_str(), 1);
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();

  const profile::ProfileRegistry r(profile::ProfileListKind::mouseLighting);
  r.setCount(2);
  r.setName(0, "Desktop");
  r.setName(1, "Game");
  r.setSelect(0);
  profile::ProfileList list(profile::ProfileListKind::mouseLighting);
  list.initialise();
  // Linked in another case: the comparison ignores it.
  std::string shouted = self;
  for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ASSERT_TRUE(list.linkThroughButton(1, shouted));

  const auto foreground = makeForegroundProgram();
  std::vector<int> selected;
  profile::AppWatcher watcher(list, *foreground, [&](int row, int) { selected.push_back(row); },
                              {1ms, 1ms});
  Event stop;

  {
    OtherProgramWindow other(server.display());
    ASSERT_NE(other.window(), 0u);
    setActiveWindow(server.display(), other.window());
    EXPECT_EQ(foreground->path(), self);
    watcher.poll(stop);
    other.end();
    // The program is gone while its window is still named: unknown.
    EXPECT_EQ(foreground->path(), std::nullopt);
  }
  setActiveWindow(server.display(), 0);
  watcher.poll(stop);
  EXPECT_EQ(selected, (std::vector<int>{1, 0}));
}

}  // namespace
}  // namespace varnacle::platform
