// The running program's CPU share with the lighting previews animating: the
// real main window (offscreen) with the mouse's DPI and lighting pages and
// the mouse pad's page, the virtual keyboard, mouse and mouse pad on a
// private bus, one lighting page in front, and the previews at their real
// pacing. Each case runs the event loop for
// ten seconds and reports the process CPU time (every thread: presence
// polls, the 10 ms tick, the previews, applying and painting the tints) as a
// share of one core; "steady" is the baseline in which the previews send no
// frames, so the difference is the preview work.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/custom_controls.h"
#include "app/main_wnd.h"
#include "device/hid_sim.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_settings_record.h"
#include "mouse/ms_deng_page.h"
#include "mouse/ms_dpi_page.h"
#include "mousepad/mp_deng_page.h"
#include "mousepad/pad_config.h"
#include "platform/folders.h"
#include "sim/virtual_device.h"
#include "ui/application.h"

namespace varnacle::mouse {
namespace {

using namespace std::chrono_literals;

constexpr auto kMeasured = 10s;

double processCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

ui::Application& application() {
  static ui::Application* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_mouse_lighting_page";
    static char* argv[] = {name, nullptr};
    auto created = ui::Application::create(argc, argv);
    if (!created.app || !created.app->loadResourceIndex("res.xml")) std::abort();
    app::registerCustomControls();
    return created.app.release();
  }();
  return *app;
}

void pumpFor(std::chrono::milliseconds d) {
  const auto end = std::chrono::steady_clock::now() + d;
  while (std::chrono::steady_clock::now() < end) application().processEvents(5);
}

// The lighting bytes of the mouse's and the pad's active profiles for one case.
struct Case {
  uint8_t mode;
  uint8_t speed;
  bool sameMode;   // copy the mouse's effect to all devices first
  bool pageShown;  // the lighting page in front, else the DPI page
  uint8_t padMode = 3;  // steady: no frames after the first
  uint8_t padSpeed = 7;
  bool padShown = false;  // the pad's page in front instead of the mouse's
};

void setLighting(sim::VirtualDevice& device, uint8_t mode, uint8_t speed) {
  auto memory = device.memory();
  memory.settings[kLightMode] = mode;
  memory.settings[kBrightness] = 14;
  memory.settings[kSpeed] = speed;
  memory.settings[kDirection] = 1;
  memory.settings[kRed] = 0x20;
  memory.settings[kGreen] = 0xA0;
  memory.settings[kBlue] = 0xF0;
  memory.activeProfile = 0;
  device.setMemory(memory);
}

void runCase(benchmark::State& state, Case c) {
  application();
  const auto documents = std::filesystem::temp_directory_path() / "varnacle-bench-lighting";
  std::filesystem::create_directories(documents);
  platform::setDocumentsFolderOverride(documents);

  sim::SimBus bus;
  std::array<std::shared_ptr<sim::VirtualDevice>, 3> devices;
  for (DeviceKind kind : kAllDeviceKinds) {
    devices[static_cast<std::size_t>(kind)] = std::make_shared<sim::VirtualDevice>(kind, bus);
  }
  setLighting(*devices[static_cast<std::size_t>(DeviceKind::mouse)], c.mode, c.speed);
  setLighting(*devices[static_cast<std::size_t>(DeviceKind::mousePad)], c.padMode, c.padSpeed);
  for (auto& d : devices) bus.plug(d);
  const auto backend = device::makeSimulatedBackend(bus);

  {
    app::CMainWnd window(*backend);
    MouseConfig config(window.liveLighting());
    mousepad::PadConfig padConfig(window.liveLighting());
    DengPreviewTiming timing;
    timing.mouse.startDelay = 100ms;
    mousepad::MpDengTiming padTiming;
    padTiming.preview.startDelay = 100ms;
    window.addPage(std::make_unique<MsDpiPage>(window.pageContext(), config));
    window.addPage(std::make_unique<MsDengPage>(window.pageContext(), config, timing));
    window.addPage(std::make_unique<mousepad::MpDengPage>(window.pageContext(), padConfig,
                                                          config.sharedBlock, padTiming));
    if (!window.create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize)) std::abort();
    pumpFor(1500ms);  // the mouse is found and read, the previews start
    window.show();
    window.findControl<ui::Option>(c.pageShown ? "ms_page_deng" : "ms_page_dpi")->setSelected(true);
    if (c.padShown) window.findControl<ui::Option>("mp_tab")->setSelected(true);
    if (c.sameMode)
      if (auto* b = window.findControl<ui::Button>("ms_deng_same_mode")) b->activate();
    pumpFor(500ms);

    for (auto _ : state) {
      const double cpuStart = processCpuSeconds();
      pumpFor(kMeasured);
      const double cpu = processCpuSeconds() - cpuStart;
      state.SetIterationTime(std::chrono::duration<double>(kMeasured).count());
      state.counters["cpu_percent_of_core"] =
          100.0 * cpu / std::chrono::duration<double>(kMeasured).count();
    }
    window.destroy();
    pumpFor(50ms);
  }
  platform::setDocumentsFolderOverride(std::nullopt);
  std::filesystem::remove_all(documents);
}

void BM_Steady(benchmark::State& s) {
  runCase(s, {3, 7, false, true});
}
void BM_ColourWaveSpeed7(benchmark::State& s) {
  runCase(s, {0, 7, false, true});
}
void BM_SpectrumSpeed7(benchmark::State& s) {
  runCase(s, {1, 7, false, true});
}
void BM_SpectrumSpeed0(benchmark::State& s) {
  runCase(s, {1, 0, false, true});
}
void BM_PulsesSpeed0(benchmark::State& s) {
  runCase(s, {5, 0, false, true});
}
void BM_SpectrumSpeed0PageHidden(benchmark::State& s) {
  runCase(s, {1, 0, false, false});
}
void BM_SameModeSpectrumSpeed0(benchmark::State& s) {
  runCase(s, {1, 0, true, true});
}

// The pad's page in front, the mouse steady.
void BM_PadSteady(benchmark::State& s) {
  runCase(s, {3, 7, false, true, 3, 7, true});
}
void BM_PadColourWaveSpeed7(benchmark::State& s) {
  runCase(s, {3, 7, false, true, 0, 7, true});
}
void BM_PadColumnSpectrumSpeed0(benchmark::State& s) {
  runCase(s, {3, 7, false, true, 6, 0, true});
}
void BM_PadSlidingBlockSpeed0(benchmark::State& s) {
  runCase(s, {3, 7, false, true, 7, 0, true});
}
void BM_PadSpectrumSpeed0(benchmark::State& s) {
  runCase(s, {3, 7, false, true, 1, 0, true});
}

BENCHMARK(BM_Steady)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ColourWaveSpeed7)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_SpectrumSpeed7)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_SpectrumSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PulsesSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_SpectrumSpeed0PageHidden)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_SameModeSpectrumSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PadSteady)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PadColourWaveSpeed7)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PadColumnSpectrumSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PadSlidingBlockSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PadSpectrumSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace varnacle::mouse
BENCHMARK_MAIN();
