// The running program's CPU share with the keyboard's lighting preview
// animating: the real main window (offscreen) with the keyboard lighting page
// in front, the virtual keyboard on a private bus, and the preview at its real
// pacing. Each case runs the event loop for ten seconds and reports the
// process CPU time (every thread: presence polls, the preview,
// the frame pacer, applying and painting the tints) as a share of one core;
// "steady" is the baseline in which the preview sends no frames after the
// first, so the difference is the preview work.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/custom_controls.h"
#include "app/main_wnd.h"
#include "device/hid_sim.h"
#include "keyboard/kb_deng_page.h"
#include "keyboard/keyboard_lighting.h"
#include "mouse/preview_workers.h"
#include "platform/folders.h"
#include "sim/virtual_device.h"
#include "ui/application.h"

namespace varnacle::keyboard {
namespace {

using namespace std::chrono_literals;

constexpr auto kMeasured = 10s;
// Mode 9: a key is clicked this often while measuring.
constexpr auto kClickEvery = 250ms;
// The keys clicked in turn, spread over the keyboard.
constexpr std::size_t kClicked[] = {52, 0, 108, 37, 117, 70, 15, 84};

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
    static char name[] = "bench_keyboard_lighting_page";
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

struct Case {
  uint8_t mode;
  uint8_t speed;
  bool multi;             // multi-colour
  bool clicks;            // keys clicked while measuring (mode 9's ripples)
  bool pageShown = true;  // the lighting page in front, else the macro page
};

void runCase(benchmark::State& state, Case c) {
  application();
  const auto documents = std::filesystem::temp_directory_path() / "varnacle-bench-kb-lighting";
  std::filesystem::create_directories(documents);
  platform::setDocumentsFolderOverride(documents);

  sim::SimBus bus;
  auto keyboard = std::make_shared<sim::VirtualDevice>(DeviceKind::keyboard, bus);
  bus.plug(keyboard);
  const auto backend = device::makeSimulatedBackend(bus);

  {
    app::CMainWnd window(*backend);
    KeyboardLighting lighting(window.liveLighting());
    mouse::SharedPreviewBlock shared;
    KbDengTiming timing;
    timing.preview.startDelay = 100ms;
    auto page = std::make_unique<KbDengPage>(window.pageContext(), lighting, shared, timing);
    KbDengPage& kb = *page;
    window.addPage(std::move(page));
    if (!window.create(nullptr, app::kMainWindowTitle, {}, app::kMainWindowSize)) std::abort();
    pumpFor(1500ms);  // the keyboard is found, the preview starts
    lighting.edit(
        [&c](KeyboardLightingBlock& b) {
          b.bytes[kLightMode] = c.mode;
          b.bytes[kBrightness] = 14;
          b.bytes[kSpeed] = c.speed;
          b.bytes[kDirection] = 1;
          b.bytes[kSevenColor] = c.multi ? 1 : 0;
          b.bytes[kRed] = 0x20;
          b.bytes[kGreen] = 0xA0;
          b.bytes[kBlue] = 0xF0;
        },
        false);
    kb.refresh();
    window.show();
    window.findControl<ui::Option>("kb_tab")->setSelected(true);
    window.findControl<ui::Option>(c.pageShown ? "kb_page_deng" : "kb_macro_Op_tab")
        ->setSelected(true);
    pumpFor(500ms);

    for (auto _ : state) {
      const double cpuStart = processCpuSeconds();
      const std::uint64_t passesStart = kb.previewPasses();
      std::size_t click = 0;
      for (std::chrono::milliseconds left = kMeasured; left > 0ms; left -= kClickEvery) {
        if (c.clicks) {
          const std::size_t position = kClicked[click++ % std::size(kClicked)];
          window.findControl<ui::Button>("kb_dkey_" + std::to_string(position))->activate();
        }
        pumpFor(kClickEvery);
      }
      const double cpu = processCpuSeconds() - cpuStart;
      state.SetIterationTime(std::chrono::duration<double>(kMeasured).count());
      state.counters["cpu_percent_of_core"] =
          100.0 * cpu / std::chrono::duration<double>(kMeasured).count();
      state.counters["preview_passes_per_s"] =
          static_cast<double>(kb.previewPasses() - passesStart) /
          std::chrono::duration<double>(kMeasured).count();
    }
    window.destroy();
    pumpFor(50ms);
  }
  platform::setDocumentsFolderOverride(std::nullopt);
  std::filesystem::remove_all(documents);
}

void BM_Steady(benchmark::State& s) {
  runCase(s, {3, 7, false, false});
}
void BM_ColumnWaveSpeed0(benchmark::State& s) {
  runCase(s, {0, 0, true, false});
}
void BM_ColumnWaveSpeed0PageHidden(benchmark::State& s) {
  runCase(s, {0, 0, true, false, false});
}
void BM_ColumnWaveSpeed7(benchmark::State& s) {
  runCase(s, {0, 7, true, false});
}
void BM_KeyPhasesSpeed0(benchmark::State& s) {
  runCase(s, {4, 0, false, false});
}
void BM_SparksSpeed0(benchmark::State& s) {
  runCase(s, {6, 0, true, false});
}
void BM_KeyOrderWaveSpeed0(benchmark::State& s) {
  runCase(s, {7, 0, true, false});
}
void BM_ReactiveRipplesSpeed0(benchmark::State& s) {
  runCase(s, {kReactiveMode, 0, true, true});
}
void BM_ReactiveStillSpeed0(benchmark::State& s) {
  runCase(s, {kReactiveMode, 0, true, false});
}

BENCHMARK(BM_Steady)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ColumnWaveSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ColumnWaveSpeed0PageHidden)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ColumnWaveSpeed7)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_KeyPhasesSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_SparksSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_KeyOrderWaveSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ReactiveRipplesSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ReactiveStillSpeed0)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace varnacle::keyboard
BENCHMARK_MAIN();
