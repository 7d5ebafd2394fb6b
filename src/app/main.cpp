// varnacle-driver: the program's entry point.
//
//   varnacle-driver [--simulate]
//
// One instance per user: a second start wakes the first and exits. With
// --simulate the program talks to a virtual keyboard, mouse and mouse pad
// instead of the machine's HID devices.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "app/custom_controls.h"
#include "app/demo_devices.h"
#include "app/feature_pages.h"
#include "app/main_wnd.h"
#include "device/hid_backend.h"
#include "pages/page_messages.h"
#include "platform/debug_output.h"
#include "platform/foreground_program.h"
#include "platform/input_hook.h"
#include "platform/single_instance.h"
#include "platform/termination.h"
#include "ui/application.h"
#include "ui/dispatcher.h"

namespace {

using namespace varnacle;

constexpr std::uint32_t kMainWindowStyle = 0x96CA0000 & ~ui::kStyleVisible;

int run(int argc, char** argv, bool simulate) {
  // Declared first so it is destroyed last: the termination watch and the
  // single-instance listener hand their work to it from their own threads,
  // so they must stop before it goes.
  ui::Application::Created created;
  // A request to end the program (logout, SIGTERM, Ctrl+C) closes the main
  // window as "exit" does, so the workers stop and nothing is lost.
  std::atomic<ui::WindowId> mainWindow{0};
  platform::TerminationWatch termination([&mainWindow] {
    const ui::WindowId id = mainWindow.load();
    ui::post([id] {
      if (ui::Window* w = ui::Window::fromId(id)) {
        w->close(0);
      } else if (ui::Application* a = ui::Application::instance()) {
        a->quit(0);
      }
    });
  });
  platform::SingleInstance instance("VELTORDRVER", "TALVORIN_001");
  platform::debugOutput("软件标示：" + std::to_string(pages::msg::kWake));
  if (!instance.isFirst()) {
    platform::wakeFirstWithin(instance, std::chrono::seconds(10));
    return 0;
  }

  created = ui::Application::create(argc, argv);
  if (!created.app) {
    std::fprintf(stderr, "varnacle-driver: %s\n", created.error.c_str());
    return 1;
  }
  ui::Application& application = *created.app;
  application.setDesktopEntry("org.varnacle.driver");
  if (!application.loadResourceIndex("res.xml")) {
    std::fprintf(stderr, "varnacle-driver: the skin folder %s is missing or damaged\n",
                 application.skinFolder().c_str());
    return 1;
  }
  app::registerCustomControls();

  std::optional<app::DemoDevices> demo;
  std::unique_ptr<device::HidBackend> platformBackend;
  device::HidBackend* backend = nullptr;
  if (simulate) {
    demo.emplace(sim::SimBus::instance(), app::defaultDemoStateFile());
    backend = &demo->backend();
  } else {
    platformBackend = device::makePlatformBackend();
    backend = platformBackend.get();
  }

  // Key capture and macro recording: the desktop's own hooks where the
  // session has them, else the keys and buttons of our window. They outlive
  // the window, whose hook holder removes them as it goes.
  std::unique_ptr<platform::InputHook> desktopHook = platform::makeDesktopInputHook();
  platform::FocusInputHook focusHook;
  if (!desktopHook) {
    application.setInputObserver([&focusHook](const ui::Application::InputEvent& e) {
      if (e.key)
        return focusHook.windowKey(e.nativeScanCode, e.nativeVirtualKey, e.released, e.autoRepeat,
                                   e.time);
      focusHook.windowButton(e.button, !e.released);
      return false;
    });
  }
  // What the pages share outlives the window whose threads use it; so does
  // the foreground program the application watchers ask from their threads.
  const std::unique_ptr<platform::ForegroundProgram> foreground = platform::makeForegroundProgram();
  app::FeaturePageState shared;
  app::CMainWnd window(*backend);
  app::FeaturePageOptions pageOptions;
  pageOptions.keyHook = desktopHook ? desktopHook.get() : &focusHook;
  pageOptions.foreground = foreground.get();
  app::addFeaturePages(window, shared, pageOptions);
  if (!window.create(nullptr, app::kMainWindowTitle, {kMainWindowStyle, 0}, app::kMainWindowSize)) {
    std::fprintf(stderr, "varnacle-driver: the main window cannot be built from the skin\n");
    return 1;
  }
  window.centre();
  mainWindow = window.id();
  instance.listen([id = window.id()] { ui::postMessage(id, pages::msg::kWake); });
  application.run();
  application.setInputObserver({});
  if (window.workerSlots().anyRunning()) {
    // A worker stuck past the shutdown deadline may still use the window's
    // sessions: end the process without destroying anything under it, after
    // keeping what must be kept.
    if (demo) demo->save();
    platform::debugOutput("a worker did not stop; the program ends without waiting for it");
    std::fflush(stderr);
    std::_Exit(0);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool simulate = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--simulate") == 0) {
      simulate = true;
    } else {
      std::fprintf(stderr, "usage: varnacle-driver [--simulate]\n");
      return 2;
    }
  }
  return run(argc, argv, simulate);
}
