// Cost of the report descriptor parser on the largest recorded descriptor and
// on a typical two-collection one, and of decoding one consumer report — the
// work a listener does per report and an enumeration per interface.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "device/hid_device.h"
#include "device/hid_sim.h"
#include "device/report_descriptor.h"
#include "sim/sim_bus.h"

namespace {

using namespace varnacle;
using Bytes = std::vector<uint8_t>;

// Vendor collection (id 4, 63 bytes each way) and consumer collection (id 3).
const Bytes kTwoCollections = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF,
    0x00, 0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02,
    0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF,
    0x0F, 0x19, 0x00, 0x2A, 0xFF, 0x0F, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
};

void parse(benchmark::State& state, const Bytes& bytes) {
  for (auto _ : state) benchmark::DoNotOptimize(device::parseReportDescriptor(bytes));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void BM_ParseTwoCollections(benchmark::State& state) {
  parse(state, kTwoCollections);
}
BENCHMARK(BM_ParseTwoCollections);

void BM_ParseLargestRecorded(benchmark::State& state) {
  const auto path =
      std::filesystem::path(VARNACLE_TESTDATA) / "hid-descriptors" / "096-hd-sensor-2047-0855.bin";
  std::ifstream stream(path, std::ios::binary);
  const Bytes bytes((std::istreambuf_iterator<char>(stream)), {});
  if (bytes.empty()) {
    state.SkipWithError("recorded descriptor missing");
    return;
  }
  parse(state, bytes);
}
BENCHMARK(BM_ParseLargestRecorded);

class Described : public sim::VirtualInterface {
 public:
  sim::Identity identity() const override { return {0x0C45, 0x662E, 1, 1}; }
  std::vector<uint8_t> reportDescriptor() const override { return kTwoCollections; }
  bool onOutputReport(std::span<const uint8_t>) override { return true; }
};

void BM_DecodeConsumerReport(benchmark::State& state) {
  sim::SimBus bus;
  bus.plug(std::make_shared<Described>());
  auto backend = device::makeSimulatedBackend(bus);
  device::HidDevice hid(*backend);
  hid.enumerate();
  hid.devicePath = hid.pathList.at(1);
  if (!hid.open()) {
    state.SkipWithError("cannot open the consumer collection");
    return;
  }
  const uint8_t report[] = {3, 0x02, 0x04};
  for (auto _ : state) benchmark::DoNotOptimize(hid.decodeInputReport(report));
}
BENCHMARK(BM_DecodeConsumerReport);

}  // namespace

BENCHMARK_MAIN();
