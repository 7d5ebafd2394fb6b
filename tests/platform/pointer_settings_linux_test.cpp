// Pointer settings on Linux: the GNOME speed goes through whatever
// "gsettings" is first on PATH, so a recording stand-in there shows exactly
// what the desktop would be told.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/debug_output.h"
#include "platform/pointer_settings.h"

namespace varnacle::platform {
namespace {

namespace fs = std::filesystem;

struct PointerSettingsLinuxTest : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("varnacle-pointer-" + std::to_string(::getpid()));
  fs::path log = dir / "calls.txt";
  std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";

  void SetUp() override {
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "empty");
    const fs::path tool = dir / "bin" / "gsettings";
    std::ofstream(tool) << "#!/bin/sh\necho \"$@\" >> '" << log.string() << "'\n";
    fs::permissions(tool, fs::perms::owner_all);
  }
  void TearDown() override {
    ::setenv("PATH", savedPath.c_str(), 1);
    fs::remove_all(dir);
  }
  std::string calls() {
    std::ifstream in(log);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
};

TEST_F(PointerSettingsLinuxTest, SpeedsMapOntoTheDesktopsRangeAndAreClampedFirst) {
  ::setenv("PATH", (dir / "empty").string().append(":").append((dir / "bin").string()).c_str(), 1);
  for (int speed : {1, 10, 20, 0, 99, 14}) applyPointerSpeed(speed);
  const std::string key = "set org.gnome.desktop.peripherals.mouse speed ";
  EXPECT_EQ(calls(), key + "-0.90\n" + key + "0.00\n" + key + "1.00\n" + key + "-0.90\n" + key +
                         "1.00\n" + key + "0.40\n");
}

TEST_F(PointerSettingsLinuxTest, TheToolRunsWithoutTheProgramsBlockedSignalsInAnyLocale) {
  // The program blocks its termination signals in every thread, and the
  // window toolkit sets the user's locale, which may write decimal commas.
  const fs::path tool = dir / "bin" / "gsettings";
  std::ofstream(tool) << "#!/bin/sh\necho \"$@\" >> '" << log.string() << "'\n"
                      << "while read -r l; do case \"$l\" in SigBlk*) echo \"$l\";; esac; done"
                      << " < /proc/$$/status >> '" << log.string() << "'\n";
  fs::permissions(tool, fs::perms::owner_all);
  ::setenv("PATH", (dir / "bin").c_str(), 1);
  sigset_t term, old;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &term, &old);
  std::setlocale(LC_NUMERIC, "");
  applyPointerSpeed(15);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  std::setlocale(LC_NUMERIC, "C");
  const std::string out = calls();
  EXPECT_NE(out.find("speed 0.50\n"), std::string::npos) << out;
  EXPECT_NE(out.find("SigBlk:\t0000000000000000"), std::string::npos) << out;
}

TEST_F(PointerSettingsLinuxTest, WithoutTheSettingsToolNothingRunsAndTheDebugOutputSaysSo) {
  ::setenv("PATH", (dir / "empty").c_str(), 1);
  DebugCapture debug;
  applyPointerSpeed(20);
  applyWheelLines(42);
  EXPECT_FALSE(fs::exists(log));
  EXPECT_EQ(debug.count("pointer speed 20 kept in the record only: no desktop settings tool"), 1);
  EXPECT_EQ(debug.count("wheel lines 10 kept in the record only: the desktop has no such setting"),
            1);
}

}  // namespace
}  // namespace varnacle::platform
