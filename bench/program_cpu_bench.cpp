// What the running program costs: the real main window (offscreen) with every
// feature page the program has, the virtual keyboard, mouse and mouse pad on a
// private bus, all workers at their real pacing. One run measures every case
// in turn, so the figures share the machine's load and compare with each other:
//
//   start-up     from nothing to the shown window; resident memory once every
//                page of every device has been in front
//   floor        the presence and listener pacing alone, no program
//   hidden       the window in the tray, devices present, everything steady
//   minimised    the same, the window minimised
//   shown        the mouse's lighting page in front, every device steady: the
//                baseline of the animated cases
//   animated     one preview at its fastest speed, its lighting page in front;
//                the shared preview after a same-mode copy
//   paint frame  one repaint of a picture whose every light changed, as fast
//                as it goes: the painting cost of a frame, apart from pacing
//
// Each case reports the CPU time of the whole process (every thread: presence
// polls, listeners, the preview tick, the previews, applying and painting the
// tints) as a share of one core, and how often its threads woke a second;
// "above_shown" is the difference to the shown case.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/custom_controls.h"
#include "app/feature_pages.h"
#include "app/main_wnd.h"
#include "device/hid_sim.h"
#include "mouse/mouse_settings_record.h"
#include "mouse/preview_steps.h"
#include "platform/event.h"
#include "platform/folders.h"
#include "sim/virtual_device.h"
#include "ui/application.h"
#include "ui/dispatcher.h"
#include "ui/modal_responder.h"
#include "ui/repaint_batch.h"

namespace varnacle::app {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kMeasured = 10s;
// Past the previews' 3000 ms start delay, with the first frames painted.
constexpr auto kSettle = 4s;

double processCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// How often the process's threads went to sleep and woke again: on a busy
// host the CPU share of an idle program varies from run to run, the count
// of its wake-ups does not.
double processWakeUps() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_nvcsw);
}

double residentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
    status.ignore(1 << 12, '\n');
  }
  return 0;
}

ui::Application* g_application = nullptr;

ui::Application& application() {
  if (!g_application) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_program_cpu";
    static char* argv[] = {name, nullptr};
    auto created = ui::Application::create(argc, argv);
    if (!created.app || !created.app->loadResourceIndex("res.xml")) std::abort();
    registerCustomControls();
    g_application = created.app.release();
  }
  return *g_application;
}

template <class Done>
bool pumpUntil(Done done, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    if (done()) return true;
    application().processEvents(5);
  }
  return done();
}

void pumpFor(std::chrono::milliseconds d) {
  pumpUntil([] { return false; }, d);
}

// The program's own event loop for `d`, as main() runs it: the measured
// time must not pay for a test pump's polling.
void runFor(std::chrono::milliseconds d) {
  std::thread quitter([d] {
    std::this_thread::sleep_for(d);
    ui::post([] { application().quit(0); });
  });
  application().run();
  quitter.join();
}

// The lighting each virtual device holds in its active profile.
struct Lighting {
  uint8_t mode = 3;  // steady
  uint8_t speed = 7;
};

struct Case {
  Lighting keyboard, mouse, pad;
  enum class Shown { hidden, minimised, mouseLighting, padLighting, keyboardLighting } shown;
  bool sameMode = false;  // the mouse's effect copied to every device
};
using Shown = Case::Shown;

Case make(Shown shown, Lighting keyboard = {}, Lighting mouse = {}, Lighting pad = {},
          bool sameMode = false) {
  return Case{keyboard, mouse, pad, shown, sameMode};
}

void setLighting(sim::VirtualDevice& device, Lighting l) {
  auto memory = device.memory();
  memory.settings[mouse::kLightMode] = l.mode;
  memory.settings[mouse::kBrightness] = 14;
  memory.settings[mouse::kSpeed] = l.speed;
  memory.settings[mouse::kDirection] = 1;
  memory.settings[mouse::kSevenColor] = 1;
  memory.settings[mouse::kRed] = 0x20;
  memory.settings[mouse::kGreen] = 0xA0;
  memory.settings[mouse::kBlue] = 0xF0;
  memory.activeProfile = 0;
  device.setMemory(memory);
}

double g_shownBaseline = -1;

constexpr std::array<std::string_view, 3> kTabs = {"kb_tab", "ms_tab", "mp_tab"};

// The program as main() builds it, on a private bus and Documents folder.
struct Program {
  std::filesystem::path documents =
      std::filesystem::temp_directory_path() / "varnacle-bench-program";
  sim::SimBus bus;
  std::array<std::shared_ptr<sim::VirtualDevice>, 3> devices;
  std::unique_ptr<device::HidBackend> backend;
  FeaturePageState shared;
  // A message box (a profile file the fresh Documents folder lacks) is
  // answered at once instead of holding the run.
  ui::ScopedModalResponder answer{[](ui::Window&) { return std::optional<int>(1); }};
  std::unique_ptr<CMainWnd> window;

  explicit Program(const Case& c) {
    std::filesystem::remove_all(documents);
    std::filesystem::create_directories(documents);
    platform::setDocumentsFolderOverride(documents);
    const std::array<Lighting, 3> lighting = {c.keyboard, c.mouse, c.pad};
    for (DeviceKind kind : kAllDeviceKinds) {
      const auto i = static_cast<std::size_t>(kind);
      devices[i] = std::make_shared<sim::VirtualDevice>(kind, bus);
      setLighting(*devices[i], lighting[i]);
      bus.plug(devices[i]);
    }
    backend = device::makeSimulatedBackend(bus);
    window = std::make_unique<CMainWnd>(*backend);
    addFeaturePages(*window, shared, {.keyHook = nullptr, .clock = {}, .pointer = {[](int) {}, [](int) {}}});
    if (!window->create(nullptr, kMainWindowTitle, {}, kMainWindowSize)) std::abort();
  }

  ~Program() {
    window->destroy();
    pumpFor(50ms);
    window.reset();
    platform::setDocumentsFolderOverride(std::nullopt);
    std::filesystem::remove_all(documents);
  }

  bool shownWithEveryDevice() {
    return pumpUntil(
        [&] {
          // Online and its tab shown: a device shown later would bring its
          // own pages to the front after the case chose the page in front.
          return window->isVisible() &&
                 std::all_of(std::begin(kAllDeviceKinds), std::end(kAllDeviceKinds),
                             [&](DeviceKind k) { return window->session(k).online.load(); }) &&
                 std::all_of(kTabs.begin(), kTabs.end(), [&](std::string_view tab) {
                   const ui::Control* c = window->findControl(tab);
                   return c && c->isVisible();
                 });
        },
        10s);
  }

  // The case's page in front, or the window out of sight.
  void bringForward(Shown shown) {
    switch (shown) {
      case Shown::hidden: window->hide(); break;
      case Shown::minimised: window->minimize(); break;
      case Shown::mouseLighting:
        select("ms_tab");
        select("ms_page_deng");
        break;
      case Shown::padLighting: select("mp_tab"); break;
      case Shown::keyboardLighting:
        select("kb_tab");
        select("kb_page_deng");
        break;
    }
  }

  void select(std::string_view option) {
    if (auto* o = window->findControl<ui::Option>(option)) o->setSelected(true);
  }
};

// The name of light `i` of the picture shown in front.
std::string lightName(Shown shown, int i) {
  static constexpr std::array<std::string_view, 5> kPrefix = {"", "", "ms_dkey_", "mp_dkey_",
                                                              "kb_dkey_"};
  const std::string_view prefix = kPrefix[static_cast<std::size_t>(shown)];
  return prefix.empty() ? std::string() : std::string(prefix) + std::to_string(i);
}

void measure(benchmark::State& state, Program& program) {
  for (auto _ : state) {
    const double cpuStart = processCpuSeconds();
    const double wakeUpsStart = processWakeUps();
    runFor(kMeasured);
    const double cpu = processCpuSeconds() - cpuStart;
    const double seconds = std::chrono::duration<double>(kMeasured).count();
    state.SetIterationTime(seconds);
    const double percent = 100.0 * cpu / seconds;
    state.counters["cpu_percent_of_core"] = percent;
    state.counters["wakeups_per_s"] = (processWakeUps() - wakeUpsStart) / seconds;
    if (g_shownBaseline >= 0) state.counters["above_shown"] = percent - g_shownBaseline;
  }
  benchmark::DoNotOptimize(program.window.get());
}

void runCase(benchmark::State& state, const Case& c) {
  application();
  Program program(c);
  if (!program.shownWithEveryDevice()) {
    state.SkipWithError("the devices were not found");
    return;
  }
  program.bringForward(c.shown);
  if (c.sameMode)
    if (auto* b = program.window->findControl<ui::Button>("ms_deng_same_mode")) b->activate();
  runFor(kSettle);
  // Whether the picture in front moves: the tint of its first light, looked
  // at ten times in half a second (not while measuring).
  int changes = 0;
  if (ui::Control* light = program.window->findControl(lightName(c.shown, 0))) {
    ui::Color last = light->changerColor();
    for (int i = 0; i < 10; ++i) {
      pumpFor(50ms);
      changes += light->changerColor() != last;
      last = light->changerColor();
    }
  }
  measure(state, program);
  state.counters["light_changes"] = changes;
}

// Start-up as a user sees it: from the toolkit's start (the first case of a
// run pays it) to the window shown with every device; then every page in
// front once, and the memory that holds.
void BM_StartUp(benchmark::State& state) {
  for (auto _ : state) {
    const auto start = Clock::now();
    application();
    Program program(make(Shown::mouseLighting));
    const bool shown = pumpUntil([&] { return program.window->isVisible(); }, 10s);
    const auto shownAt = Clock::now();
    if (!shown || !program.shownWithEveryDevice()) {
      state.SkipWithError("the window did not come up");
      return;
    }
    for (std::string_view tab : kTabs) {
      program.select(tab);
      for (std::string_view page : {"kb_page_key", "kb_page_deng", "kb_page_macro", "ms_page_key",
                                    "ms_page_dpi", "ms_page_deng", "ms_page_macro",
                                    "ms_page_cursor"}) {
        program.select(page);
        pumpFor(100ms);
      }
    }
    state.SetIterationTime(std::chrono::duration<double>(shownAt - start).count());
    state.counters["startup_ms"] =
        std::chrono::duration<double, std::milli>(shownAt - start).count();
    state.counters["resident_mb"] = residentMegabytes();
  }
}

// What the program's pacing alone costs on this machine, without the program:
// the mouse's presence thread waking every 100 ms, the keyboard's and the
// pad's and the two listeners every 500 ms, doing nothing else. The hidden
// case cannot go below it.
void BM_PacingFloor(benchmark::State& state) {
  for (auto _ : state) {
    platform::Event stop;
    std::vector<std::thread> threads;
    for (auto period : {100ms, 500ms, 500ms, 500ms, 500ms})
      threads.emplace_back([&stop, period] {
        while (!stop.wait(period)) {
        }
      });
    const double cpuStart = processCpuSeconds();
    const double wakeUpsStart = processWakeUps();
    std::this_thread::sleep_for(kMeasured);
    const double cpu = processCpuSeconds() - cpuStart;
    const double wakeUps = processWakeUps() - wakeUpsStart;
    stop.set();
    for (auto& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(kMeasured).count();
    state.SetIterationTime(seconds);
    state.counters["cpu_percent_of_core"] = 100.0 * cpu / seconds;
    state.counters["wakeups_per_s"] = wakeUps / seconds;
  }
}

// A light's colour in a frame.
using FrameColours = ui::Color (*)(uint32_t frame, uint32_t light);

// A new colour for every light in every frame: no tinted layer repeats.
ui::Color freshColour(uint32_t frame, uint32_t light) {
  return 0xFF000000u | ((frame * 0x030507u + light * 0x0B0D11u) & 0xFFFFFFu);
}

// Hues of the wheel as the keyboard's mode 4 shows them at speed 0: 33 steps
// between neighbouring keys and about two steps a frame, so the layers
// repeat as they do in the running program.
ui::Color wheelColour(uint32_t frame, uint32_t light) {
  return mouse::tintToArgb(
      mouse::packTint(mouse::HueWheel[(frame * 2 + light * 33) % mouse::HueWheel.size()]));
}

// The cost of painting one preview frame, apart from any pacing: every light
// of the picture in front takes a new colour and the window repaints, frame
// after frame as fast as it goes (CPU time per frame of the UI thread).
void paintFrames(benchmark::State& state, Shown shown, FrameColours colourOf = freshColour) {
  application();
  Program program(make(shown));
  if (!program.shownWithEveryDevice()) {
    state.SkipWithError("the devices were not found");
    return;
  }
  program.bringForward(shown);
  pumpFor(500ms);
  std::vector<ui::Control*> lights;
  for (int i = 0;; ++i) {
    ui::Control* light = program.window->findControl(lightName(shown, i));
    if (!light) break;
    lights.push_back(light);
  }
  uint32_t frame = 0;
  for (auto _ : state) {
    ++frame;
    {
      const ui::RepaintBatch batch;  // as a preview frame is applied
      for (std::size_t i = 0; i < lights.size(); ++i)
        lights[i]->setChangerColor(colourOf(frame, static_cast<uint32_t>(i)));
    }
    application().processEvents();
  }
  state.counters["lights"] = static_cast<double>(lights.size());
}

void BM_PaintFrameMouse(benchmark::State& s) { paintFrames(s, Shown::mouseLighting); }
void BM_PaintFramePad(benchmark::State& s) { paintFrames(s, Shown::padLighting); }
void BM_PaintFrameKeyboard(benchmark::State& s) { paintFrames(s, Shown::keyboardLighting); }
void BM_PaintFrameKeyboardWheel(benchmark::State& s) {
  paintFrames(s, Shown::keyboardLighting, wheelColour);
}

void BM_Hidden(benchmark::State& s) { runCase(s, make(Shown::hidden)); }
void BM_Minimised(benchmark::State& s) { runCase(s, make(Shown::minimised)); }
void BM_HiddenMouseSpectrumSpeed0(benchmark::State& s) {
  runCase(s, make(Shown::hidden, {}, {1, 0}));
}
void BM_Shown(benchmark::State& s) {
  runCase(s, make(Shown::mouseLighting));
  for (const auto& [name, counter] : s.counters)
    if (name == "cpu_percent_of_core") g_shownBaseline = counter.value;
}
void BM_MouseSpectrumSpeed0(benchmark::State& s) {
  runCase(s, make(Shown::mouseLighting, {}, {1, 0}));
}
void BM_MouseWaveSpeed0(benchmark::State& s) {
  runCase(s, make(Shown::mouseLighting, {}, {0, 0}));
}
void BM_PadSpectrumSpeed0(benchmark::State& s) {
  runCase(s, make(Shown::padLighting, {}, {}, {1, 0}));
}
void BM_PadColumnSpectrumSpeed0(benchmark::State& s) {
  runCase(s, make(Shown::padLighting, {}, {}, {6, 0}));
}
void BM_KeyboardWaveSpeed0(benchmark::State& s) {
  runCase(s, make(Shown::keyboardLighting, {0, 0}));
}
void BM_KeyboardMode4Speed0(benchmark::State& s) {
  runCase(s, make(Shown::keyboardLighting, {4, 0}));
}
void BM_SameModeSpectrumSpeed0(benchmark::State& s) {
  runCase(s, make(Shown::mouseLighting, {}, {1, 0}, {}, true));
}
void BM_SameModeSpectrumSpeed0KeyboardInFront(benchmark::State& s) {
  runCase(s, make(Shown::keyboardLighting, {}, {1, 0}, {}, true));
}
void BM_SameModeSpectrumSpeed0PadInFront(benchmark::State& s) {
  runCase(s, make(Shown::padLighting, {}, {1, 0}, {}, true));
}

#define PROGRAM_CASE(f) BENCHMARK(f)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond)
PROGRAM_CASE(BM_StartUp);
PROGRAM_CASE(BM_PacingFloor);
PROGRAM_CASE(BM_Hidden);
PROGRAM_CASE(BM_Minimised);
PROGRAM_CASE(BM_HiddenMouseSpectrumSpeed0);
PROGRAM_CASE(BM_Shown);
PROGRAM_CASE(BM_MouseSpectrumSpeed0);
PROGRAM_CASE(BM_MouseWaveSpeed0);
PROGRAM_CASE(BM_PadSpectrumSpeed0);
PROGRAM_CASE(BM_PadColumnSpectrumSpeed0);
PROGRAM_CASE(BM_KeyboardWaveSpeed0);
PROGRAM_CASE(BM_KeyboardMode4Speed0);
PROGRAM_CASE(BM_SameModeSpectrumSpeed0);
PROGRAM_CASE(BM_SameModeSpectrumSpeed0PadInFront);
PROGRAM_CASE(BM_SameModeSpectrumSpeed0KeyboardInFront);
BENCHMARK(BM_PaintFrameMouse)->Unit(benchmark::kMicrosecond)->MinTime(3);
BENCHMARK(BM_PaintFramePad)->Unit(benchmark::kMicrosecond)->MinTime(3);
BENCHMARK(BM_PaintFrameKeyboard)->Unit(benchmark::kMicrosecond)->MinTime(3);
BENCHMARK(BM_PaintFrameKeyboardWheel)->Unit(benchmark::kMicrosecond)->MinTime(3);

}  // namespace
}  // namespace varnacle::app
BENCHMARK_MAIN();
