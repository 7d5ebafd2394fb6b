// Host cost of the report protocol over the simulated backend: framing one
// request, one whole transaction, and a 512-byte chunked read (10
// transactions). The simulated device answers in-process, so the figures are
// the host's work plus the virtual device's, with no waiting.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "device/device_session.h"
#include "device/hid_sim.h"
#include "device/report.h"
#include "device/session_connect.h"
#include "sim/virtual_device.h"

namespace {

using namespace varnacle;

// The device's request log grows with every request; it is emptied this often
// so that a long run measures the same work throughout.
constexpr int kLogClearInterval = 4096;

struct Attached {
  sim::SimBus bus;
  std::shared_ptr<sim::VirtualDevice> mouse =
      std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  std::unique_ptr<device::HidBackend> backend = device::makeSimulatedBackend(bus);
  device::DeviceSession session{*backend};

  Attached() {
    bus.plug(mouse);
    device::assignIdentity(session, DeviceKind::mouse);
  }
};

void BM_BuildRequest(benchmark::State& state) {
  std::array<uint8_t, 56> data{};
  data.fill(0x5A);
  for (auto _ : state) {
    auto report = device::Report::request(device::Command::writeLive, 56, 0, data);
    benchmark::DoNotOptimize(report);
  }
}
BENCHMARK(BM_BuildRequest);

void BM_Transaction(benchmark::State& state) {
  Attached attached;
  if (!device::openMatchingInterface(attached.session)) {
    state.SkipWithError("simulated mouse not found");
    return;
  }
  std::array<uint8_t, 56> record{};
  if (attached.session.readBlock(64, record) != device::kResultOk) {
    state.SkipWithError("simulated mouse does not answer");
    return;
  }
  int n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(attached.session.readBlock(64, record));
    if (++n % kLogClearInterval == 0) attached.mouse->clearLog();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Transaction);

void BM_ChunkedRead512(benchmark::State& state) {
  Attached attached;
  if (!device::openMatchingInterface(attached.session)) {
    state.SkipWithError("simulated mouse not found");
    return;
  }
  std::array<uint8_t, 512> table{};
  if (attached.session.readKeyTable(table) != device::kResultOk) {
    state.SkipWithError("simulated mouse does not answer");
    return;
  }
  int n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(attached.session.readKeyTable(table));
    if (++n % (kLogClearInterval / 10) == 0) attached.mouse->clearLog();
  }
  state.SetBytesProcessed(state.iterations() * 512);
}
BENCHMARK(BM_ChunkedRead512);

}  // namespace

BENCHMARK_MAIN();
