// Cost of the lighting previews: one frame of each mouse mode and each shared
// mode (the pure step), and the CPU share of the mouse and shared preview
// threads animating at their fastest speed with a sink that drops the frames
// (the UI's work on a frame is not counted here).
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <thread>

#include "device/hid_sim.h"
#include "device/live_lighting.h"
#include "mouse/preview_steps.h"
#include "mouse/preview_workers.h"
#include "sim/sim_bus.h"

namespace {

using namespace varnacle;
using namespace varnacle::mouse;
using namespace std::chrono_literals;

Record lightingRecord(int mode, bool sevenColor) {
  Record r{};
  r[kLightMode] = static_cast<uint8_t>(mode);
  r[kBrightness] = 14;
  r[kDirection] = kDirectionLeft;
  r[kSevenColor] = sevenColor ? 1 : 0;
  r[kRed] = 200;
  r[kGreen] = 40;
  r[kBlue] = 90;
  return r;
}

// Args: mode, seven-colour flag.
void BM_MousePreviewFrame(benchmark::State& state) {
  const Record record = lightingRecord(static_cast<int>(state.range(0)), state.range(1) != 0);
  MousePreviewState preview;
  preview.triggers[7] = 1;
  std::size_t tints = 0;
  for (auto _ : state) {
    Frame frame = stepMousePreview(record, preview);
    tints = frame.size();
    benchmark::DoNotOptimize(frame);
  }
  state.counters["tints"] = static_cast<double>(tints);
}
BENCHMARK(BM_MousePreviewFrame)
    ->ArgNames({"mode", "seven"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({3, 0})
    ->Args({4, 0})
    ->Args({5, 0})
    ->Args({5, 1});

// Args: shared mode, seven-colour flag; all three devices synced.
void BM_SharedPreviewFrame(benchmark::State& state) {
  const SharedBlock block =
      sharedBlockOf(lightingRecord(static_cast<int>(state.range(0)), state.range(1) != 0));
  SharedPreviewState preview;
  std::size_t tints = 0;
  for (auto _ : state) {
    Frame frame = stepSharedPreview(block, preview, {true, true, true});
    tints = frame.size();
    benchmark::DoNotOptimize(frame);
  }
  state.counters["tints"] = static_cast<double>(tints);
}
BENCHMARK(BM_SharedPreviewFrame)
    ->ArgNames({"mode", "seven"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({3, 0});

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Both preview threads for one second at speed 0: the mouse in spectrum cycle
// (a new frame every pass, about 3 ms apart), the shared preview in spectrum
// cycle for a synced keyboard and pad. Reports the process CPU time as a
// share of one core.
void BM_PreviewThreadsCpuShare(benchmark::State& state) {
  sim::SimBus bus;
  const auto backend = device::makeSimulatedBackend(bus);
  device::DeviceSession keyboard(*backend);
  device::DeviceSession mouseSession(*backend);
  device::DeviceSession pad(*backend);
  mouseSession.online = true;
  keyboard.lightingSync = true;
  pad.lightingSync = true;
  device::LiveLighting live;
  live.set(DeviceKind::mouse, lightingRecord(1, false), false);
  MousePreview preview;
  SharedPreviewBlock block;
  block.set(sharedBlockOf(lightingRecord(1, false)));
  std::size_t frames = 0;
  MousePreviewWorker mouseWorker(live, mouseSession, preview, [&](Frame) { ++frames; });
  mouseWorker.timing.startDelay = 0ms;
  SharedPreviewWorker sharedWorker(block, {&keyboard, &mouseSession, &pad},
                                   [&](Frame) { ++frames; });
  double cpu = 0;
  for (auto _ : state) {
    platform::Event stop;
    const double cpuStart = processCpuSeconds();
    std::thread mouseThread([&] { mouseWorker.run(stop); });
    std::thread sharedThread([&] { sharedWorker.run(stop); });
    std::this_thread::sleep_for(1s);
    stop.set();
    mouseThread.join();
    sharedThread.join();
    cpu += processCpuSeconds() - cpuStart;
    state.SetIterationTime(1.0);
  }
  const auto seconds = static_cast<double>(state.iterations());
  state.counters["cpu_percent_of_core"] = 100.0 * cpu / seconds;
  state.counters["frames_per_s"] = static_cast<double>(frames) / seconds;
}
BENCHMARK(BM_PreviewThreadsCpuShare)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
