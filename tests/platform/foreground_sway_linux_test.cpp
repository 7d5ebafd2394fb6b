// The foreground program on a real wlroots compositor: a headless sway with
// software rendering and no input devices, in a runtime folder of its own,
// and two Wayland terminals of different program files (the terminal and a
// copy of it under another name). Focus is moved with swaymsg; an
// application watcher links one of them. Skipped where sway, swaymsg or foot
// is not installed.
//
// sway refuses to run as root; a root test runs it as nobody, in a folder
// that user owns (root reaches its sockets all the same).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "../profile/test_documents.h"
#include "child_process.h"
#include "platform/foreground_providers_linux.h"
#include "profile/app_watcher.h"
#include "profile/profile_file.h"

namespace varnacle::platform {
namespace {

using namespace std::chrono_literals;
using test::Child;
using test::findProgram;
using test::waitFor;

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

class HeadlessSway {
 public:
  explicit HeadlessSway(const std::filesystem::path& runtime) : runtime_(runtime) {
    const std::filesystem::path config = runtime / "config";
    std::ofstream(config) << "xwayland disable\n";
    std::filesystem::permissions(config, std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add);
    Child::Options options;
    options.environment = {{"XDG_RUNTIME_DIR", runtime.string()},
                           {"HOME", runtime.string()},
                           {"WLR_BACKENDS", "headless"},
                           {"WLR_RENDERER", "pixman"},
                           {"WLR_LIBINPUT_NO_DEVICES", "1"}};
    options.unset = {"WAYLAND_DISPLAY", "DISPLAY", "SWAYSOCK", "DBUS_SESSION_BUS_ADDRESS"};
    options.log = runtime / "sway.log";
    if (geteuid() == 0) {
      if (chown(runtime.c_str(), kNobody, kNogroup) != 0) return;
      options.user = std::pair{kNobody, kNogroup};
    }
    sway_ = Child({"sway", "-c", config.string()}, options);
    waitFor([this] { return findSockets(); });
  }

  bool ready() const { return !ipc_.empty() && !wayland_.empty(); }
  const std::string& ipc() const { return ipc_; }
  std::string log() const {
    std::ifstream in(runtime_ / "sway.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  Child client(const std::filesystem::path& program, const std::string& appId) const {
    Child::Options options;
    options.environment = {{"XDG_RUNTIME_DIR", runtime_.string()},
                           {"WAYLAND_DISPLAY", wayland_},
                           {"HOME", runtime_.string()}};
    options.unset = {"DISPLAY"};
    options.log = runtime_ / (appId + ".log");
    return Child({program.string(), "--app-id=" + appId, "sleep", "600"}, options);
  }

  // Focuses the window of `client`; true when sway did.
  bool focus(const Child& client) const {
    return command("[pid=" + std::to_string(client.pid()) + "] focus");
  }

  // Runs a sway command through swaymsg; true when it succeeded.
  bool command(const std::string& text) const {
    Child::Options options;
    options.log = runtime_ / "swaymsg.log";
    Child swaymsg({"swaymsg", "-s", ipc_, text}, options);
    int status = 0;
    const pid_t pid = swaymsg.pid();
    if (!waitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; })) return false;
    swaymsg = Child();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  void end() { sway_.end(); }

 private:
  bool findSockets() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(runtime_, ec)) {
      const std::string name = entry.path().filename().string();
      if (!entry.is_socket()) continue;
      if (name.rfind("sway-ipc.", 0) == 0) ipc_ = entry.path().string();
      if (name.rfind("wayland-", 0) == 0) wayland_ = name;
    }
    return ready();
  }

  std::filesystem::path runtime_;
  Child sway_;
  std::string ipc_;
  std::string wayland_;
};

struct ForegroundProgramSwayTest : varnacle::testing::TestDocuments {};

TEST_F(ForegroundProgramSwayTest, FocusingTheLinkedProgramSelectsItsProfileWithinOnePoll) {
  const auto foot = findProgram("foot");
  if (!findProgram("sway") || !findProgram("swaymsg") || !foot)
    GTEST_SKIP() << "sway, swaymsg and foot are needed (scripts/install-deps.sh installs them)";
  const std::filesystem::path terminal = std::filesystem::canonical(*foot);

  // Reached by the compositor's user whatever the umask.
  std::filesystem::permissions(root(), std::filesystem::perms::others_exec,
                               std::filesystem::perm_options::add);
  const std::filesystem::path runtime = root() / "run";
  std::filesystem::create_directories(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  // The other program: the same terminal under another file name, so the
  // two windows' processes have different program files.
  const std::filesystem::path other = root() / "other-terminal";
  std::filesystem::copy_file(terminal, other);
  std::filesystem::permissions(
      other, std::filesystem::perms::owner_all | std::filesystem::perms::group_exec |
                 std::filesystem::perms::others_exec | std::filesystem::perms::others_read);

  HeadlessSway sway(runtime);
  ASSERT_TRUE(sway.ready()) << "sway did not start:\n" << sway.log();

  const profile::ProfileRegistry r(profile::ProfileListKind::mouseLighting);
  r.setCount(3);
  for (int i = 0; i < 3; ++i) r.setName(i, "P" + std::to_string(i));
  r.setSelect(2);  // the user's choice
  profile::ProfileList list(profile::ProfileListKind::mouseLighting);
  list.initialise();
  ASSERT_TRUE(list.linkThroughButton(1, terminal.string()));

  const auto foreground = makeSwayForegroundProgram(sway.ipc());
  // Connected before the windows come: what it knows afterwards came as events.
  EXPECT_EQ(foreground->path(), std::nullopt);
  EXPECT_EQ(foreground->support(), ForegroundSupport::answers);

  Child linked = sway.client(terminal, "linked");
  ASSERT_TRUE(waitFor([&] { return foreground->path() == terminal.string(); }))
      << "the linked terminal never had the focus";
  Child unlinked = sway.client(other, "unlinked");
  ASSERT_TRUE(waitFor([&] { return foreground->path() == other.string(); }))
      << "the other terminal never had the focus";

  std::vector<int> selected;
  profile::AppWatcher watcher(list, *foreground, [&](int row, int) { selected.push_back(row); },
                              {1ms, 1ms});
  Event stop;
  watcher.poll(stop);
  ASSERT_TRUE(sway.focus(linked));
  watcher.poll(stop);
  ASSERT_TRUE(sway.focus(unlinked));
  watcher.poll(stop);
  EXPECT_EQ(selected, (std::vector<int>{2, 1, 2}));

  // More focus changes between two queries than are read one by one: the
  // last one counts.
  std::string flood;
  for (int i = 0; i < 200; ++i)
    flood += "[pid=" + std::to_string(linked.pid()) +
             "] focus; [pid=" + std::to_string(unlinked.pid()) + "] focus; ";
  ASSERT_TRUE(sway.command(flood + "[pid=" + std::to_string(linked.pid()) + "] focus"));
  EXPECT_EQ(foreground->path(), terminal.string());
  ASSERT_TRUE(sway.focus(unlinked));
  EXPECT_EQ(foreground->path(), other.string());

  // A provider started while the windows exist reads the focus from the tree.
  ASSERT_TRUE(sway.focus(linked));
  EXPECT_EQ(makeSwayForegroundProgram(sway.ipc())->path(), terminal.string());

  // The focused window closes: the focus goes to the other one.
  linked.end();
  EXPECT_TRUE(waitFor([&] { return foreground->path() == other.string(); }));
  // The compositor goes: unknown, at once and on later queries.
  sway.end();
  EXPECT_EQ(foreground->path(), std::nullopt);
  EXPECT_EQ(foreground->path(), std::nullopt);
}

TEST(ForegroundProgramSway, NoCompositorAtTheSocketIsUnknown) {
  EXPECT_EQ(makeSwayForegroundProgram("/nonexistent/sway-ipc.sock")->path(), std::nullopt);
  EXPECT_EQ(makeSwayForegroundProgram("")->path(), std::nullopt);
  EXPECT_EQ(makeSwayForegroundProgram(std::string(200, 'x'))->path(), std::nullopt);
}

}  // namespace
}  // namespace varnacle::platform
