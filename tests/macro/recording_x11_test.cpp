// Recording on a real X server: a private Xvfb started by the test, keys
// typed with XTest while another window has the focus. The program's own
// window runs offscreen as in the other page tests; the hook reaches the X
// server through DISPLAY, as the program's does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>
#include <thread>

#include "../app/main_window_harness.h"
#include "app/msg_wnd.h"
#include "macro/macro_key_table.h"
#include "macro/macro_page.h"
#include "macro/macro_recorder.h"
#include "macro/macro_store.h"
#include "platform/input_hook.h"
#include "platform/x11_key_codes.h"
#include "sim/virtual_device.h"
#include "ui/control.h"
#include "ui/modal_responder.h"

// Last: the X11 headers define macros that clash with names in the others.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace varnacle::macro {
namespace {

using namespace std::chrono_literals;

// The key each row of MacroKeyTable names, as a key symbol of the server's map.
constexpr std::array<KeySym, MacroKeyTable.size()> kRowKeySyms = {
    XK_Control_L,  XK_Shift_L,    XK_Alt_L,       XK_Super_L,     XK_Control_R,  XK_Shift_R,
    XK_Alt_R,      XK_Super_R,    XK_a,           XK_b,           XK_c,          XK_d,
    XK_e,          XK_f,          XK_g,           XK_h,           XK_i,          XK_j,
    XK_k,          XK_l,          XK_m,           XK_n,           XK_o,          XK_p,
    XK_q,          XK_r,          XK_s,           XK_t,           XK_u,          XK_v,
    XK_w,          XK_x,          XK_y,           XK_z,           XK_1,          XK_2,
    XK_3,          XK_4,          XK_5,           XK_6,           XK_7,          XK_8,
    XK_9,          XK_0,          XK_Return,      XK_Escape,      XK_BackSpace,  XK_Tab,
    XK_space,      XK_minus,      XK_equal,       XK_bracketleft, XK_bracketright, XK_backslash,
    XK_semicolon,  XK_apostrophe, XK_grave,       XK_comma,       XK_period,     XK_slash,
    XK_Caps_Lock,  XK_F1,         XK_F2,          XK_F3,          XK_F4,         XK_F5,
    XK_F6,         XK_F7,         XK_F8,          XK_F9,          XK_F10,        XK_F11,
    XK_F12,        XK_Print,      XK_Scroll_Lock, XK_Pause,       XK_Insert,     XK_Home,
    XK_Prior,      XK_Delete,     XK_End,         XK_Next,        XK_Right,      XK_Left,
    XK_Down,       XK_Up,         XK_Num_Lock,    XK_KP_Divide,   XK_KP_Multiply, XK_KP_Subtract,
    XK_KP_Add,     XK_KP_Enter,   XK_KP_1,        XK_KP_2,        XK_KP_3,       XK_KP_4,
    XK_KP_5,       XK_KP_6,       XK_KP_7,        XK_KP_8,        XK_KP_9,       XK_KP_0,
    XK_KP_Delete,  XK_Menu,
};

// A private X server for the test suite, on a display number it picks itself.
class PrivateXServer {
 public:
  static constexpr const char* kProgram = "/usr/bin/Xvfb";

  bool start() {
    if (!std::filesystem::exists(kProgram)) return false;
    int fds[2];
    if (pipe(fds) != 0) return false;
    const std::string fd = std::to_string(fds[1]);
    const char* argv[] = {kProgram, "-displayfd", fd.c_str(), "-nolisten", "tcp",
                          "-screen", "0", "640x480x24", nullptr};
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
      // The server ends with the test, even one that crashes.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      close(fds[0]);
      execv(kProgram, const_cast<char**>(argv));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return false;
    display_ = ":" + number;
    return true;
  }
  void stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

PrivateXServer server;
bool serverRuns = false;

class RecordingOnX11 : public app::test::MainWindowHarness {
 protected:
  static void SetUpTestSuite() {
    serverRuns = server.start();
    if (serverRuns) setenv("DISPLAY", server.display().c_str(), 1);
  }
  static void TearDownTestSuite() { server.stop(); }

  void SetUp() override {
    if (!serverRuns) GTEST_SKIP() << "Xvfb is not installed: no X server to record on";
    MainWindowHarness::SetUp();
    x = XOpenDisplay(server.display().c_str());
    ASSERT_NE(x, nullptr);
  }
  void TearDown() override {
    MainWindowHarness::TearDown();
    if (x) XCloseDisplay(x);
    hook.reset();
  }

  // The other program: a mapped window with the keyboard focus.
  Window otherWindow() {
    Window w = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 200, 100, 0, 0, 0);
    XSelectInput(x, w, KeyPressMask | KeyReleaseMask | ExposureMask | StructureNotifyMask);
    XMapWindow(x, w);
    for (XEvent e;;) {
      XNextEvent(x, &e);
      if (e.type == MapNotify) break;
    }
    XSetInputFocus(x, w, RevertToParent, CurrentTime);
    XSync(x, False);
    return w;
  }
  void type(KeySym sym, bool press) {
    XTestFakeKeyEvent(x, XKeysymToKeycode(x, sym), press ? True : False, CurrentTime);
    XSync(x, False);
  }
  void tap(KeySym sym) {
    type(sym, true);
    type(sym, false);
  }
  // The key presses the other window received since the last call.
  int pressesReceived(Window w) {
    int presses = 0;
    XSync(x, False);
    for (XEvent e; XCheckWindowEvent(x, w, KeyPressMask | KeyReleaseMask, &e);)
      if (e.type == KeyPress) ++presses;
    return presses;
  }
  bool capsLocked() {
    XkbStateRec state{};
    XkbGetState(x, XkbUseCoreKbd, &state);
    return (state.locked_mods & LockMask) != 0;
  }

  Display* x = nullptr;
  // Outlives the window, whose hook holder removes it as it goes.
  std::unique_ptr<platform::InputHook> hook;
};

TEST_F(RecordingOnX11, TheKeyTableAgreesWithTheServersKeyMapForEveryMacroKey) {
  for (std::size_t i = 0; i < MacroKeyTable.size(); ++i) {
    const MacroKeyRow& row = MacroKeyTable[i];
    const KeyCode code = XKeysymToKeycode(x, kRowKeySyms[i]);
    ASSERT_NE(code, 0) << row.label;
    const platform::X11KeyRow* key = platform::findX11Key(code);
    ASSERT_NE(key, nullptr) << row.label << " key code " << int(code);
    EXPECT_EQ(recordedKeyCode(key->virtualKey, key->extended ? platform::kKeyFlagExtended : 0),
              row.virtualKey)
        << row.label;
  }
}

TEST_F(RecordingOnX11, ARecordingTakesTheKeysFromTheFocusedProgramAndGivesThemBackWhenStopped) {
  auto mouse = std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  bus.plug(mouse);
  MacroStore store(DeviceKind::mouse);
  ASSERT_EQ(store.appendMacro("typed"), MacroNameResult::ok);
  hook = platform::makeDesktopInputHook();
  ASSERT_NE(hook, nullptr);
  ASSERT_TRUE(hook->desktopWide());
  window = std::make_unique<app::CMainWnd>(*backend, app::test::fastTiming());
  window->deviceHook().attach(hook.get());
  ui::Window& w = *window;
  window->addPage(std::make_unique<MacroPage>(
      window->pageContext(),
      MacroPageOptions{DeviceKind::mouse,
                       nullptr,
                       {},
                       {[&w](std::string_view id) { return app::showMessage(&w, id, true); },
                        [](std::string_view, int) { return 1; }},
                       {}}));
  ASSERT_TRUE(window->create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize));
  ASSERT_TRUE(pumpUntil([&] { return window->findControl("ms_tab")->isVisible(); }));
  window->findControl<ui::Option>("ms_macro_Op_tab")->setSelected(true);
  pumpFor(20ms);
  auto* steps = window->findControl<ui::List>("ms_Macro_list");
  ASSERT_NE(steps, nullptr);

  const Window other = otherWindow();
  tap(XK_q);
  EXPECT_EQ(pressesReceived(other), 1) << "the other window has the focus";
  const bool capsBefore = capsLocked();

  window->findControl<ui::Button>("ms_macro_btn_redio")->activate();
  ASSERT_EQ(hook->mode(), platform::HookMode::mouseMacro);
  tap(XK_a);
  type(XK_Shift_R, true);
  tap(XK_KP_Enter);
  type(XK_Shift_R, false);
  tap(XK_Caps_Lock);
  ASSERT_TRUE(pumpUntil([&] { return steps->rowCount() >= 6; }));
  pumpFor(50ms);
  std::vector<std::string> labels;
  for (int i = 0; i < steps->rowCount(); ++i) {
    const std::string line = steps->row(i)->userData();
    labels.push_back(line.substr(line.rfind(',') + 1));
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"keyboard_key_A", "keyboard_key_A",
                                              "keyboard_key_RShift", "keyboard_key_Num Enter",
                                              "keyboard_key_Num Enter", "keyboard_key_RShift"}))
      << "Caps Lock is not recorded";
  EXPECT_EQ(pressesReceived(other), 0) << "the recording swallowed every key";
  EXPECT_NE(capsLocked(), capsBefore) << "Caps Lock still toggles";

  window->findControl<ui::Button>("ms_macro_btn_redio")->activate();
  EXPECT_EQ(hook->mode(), platform::HookMode::none);
  tap(XK_Caps_Lock);
  tap(XK_b);
  const auto end = std::chrono::steady_clock::now() + 3s;
  int presses = 0;
  while (presses == 0 && std::chrono::steady_clock::now() < end) {
    presses += pressesReceived(other);
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(presses, 2) << "the keyboard is given back";
  EXPECT_EQ(capsLocked(), capsBefore);
  EXPECT_EQ(steps->rowCount(), 6);
}

}  // namespace
}  // namespace varnacle::macro
