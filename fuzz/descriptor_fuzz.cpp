// Feeds arbitrary bytes to the report descriptor parser and, when they parse,
// checks that every field lies inside its collection's reports and decodes an
// arbitrary input report against every collection, the way a listener decodes
// what a device sends.
//
// Input layout: byte 0 is the length n of the report (taken from the end of
// the input); the bytes between are the descriptor.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "device/hid_device.h"
#include "device/hid_sim.h"
#include "device/report_descriptor.h"
#include "sim/sim_bus.h"

namespace {

using namespace varnacle;

class Described : public sim::VirtualInterface {
 public:
  explicit Described(std::vector<uint8_t> descriptor) : descriptor_(std::move(descriptor)) {}
  sim::Identity identity() const override { return {0x0C45, 0x662E, 1, 1}; }
  std::vector<uint8_t> reportDescriptor() const override { return descriptor_; }
  bool onOutputReport(std::span<const uint8_t>) override { return true; }

 private:
  std::vector<uint8_t> descriptor_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const uint8_t> input(data + 1, size - 1);
  const std::size_t reportSize = std::min<std::size_t>(data[0], input.size());
  const auto descriptor = input.first(input.size() - reportSize);
  std::vector<uint8_t> report(input.end() - std::ptrdiff_t(reportSize), input.end());

  const auto parsed = device::parseReportDescriptor(descriptor);
  if (!parsed.descriptor) return 0;
  // Every field lies inside a report its collection owns.
  for (const auto& c : parsed.descriptor->collections) {
    const auto inside = [&](device::ReportKind kind, uint8_t id, uint64_t endBit) {
      if (!c.ownsReportId(id) || (endBit + 7) / 8 + 1 > c.reportLength(kind)) __builtin_trap();
    };
    for (const auto& b : c.buttonCaps)
      inside(b.kind, b.reportId, b.bitOffset + uint64_t(b.bitSize) * b.count);
    for (const auto& v : c.valueCaps)
      inside(v.kind, v.reportId, v.bitOffset + uint64_t(v.bitSize) * v.count);
  }
  if (report.empty()) return 0;

  sim::SimBus bus;
  bus.plug(std::make_shared<Described>(std::vector<uint8_t>(descriptor.begin(), descriptor.end())));
  auto backend = device::makeSimulatedBackend(bus);
  device::HidDevice device(*backend);
  if (!device.enumerate()) __builtin_trap();
  for (const auto& path : device.pathList) {
    device.devicePath = path;
    // A listed collection opens unless its usage lists would pass their bound.
    if (!device.open()) continue;
    for (const auto& d : device.inputDescriptors()) {
      report[0] = uint8_t(d.reportId);
      device.decodeInputReport(report);
    }
  }
  return 0;
}
