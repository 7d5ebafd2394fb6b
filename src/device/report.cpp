#include "device/report.h"

#include <algorithm>
#include <numeric>

namespace varnacle::device {

Report Report::request(Command command, uint8_t length, uint16_t address,
                       std::span<const uint8_t> data) {
  Report report;
  report.bytes[0] = kVendorReportId;
  report.setCommand(command);
  report.setLength(length);
  report.setAddress(address);
  const auto taken = data.first(std::min(data.size(), kReportDataSize));
  std::copy(taken.begin(), taken.end(), report.data().begin());
  report.seal();
  return report;
}

uint16_t Report::computeChecksum() const {
  const unsigned sum = std::accumulate(bytes.begin() + 3, bytes.end(), 0u);
  return static_cast<uint16_t>(sum & 0xFFFF);
}

void Report::seal() {
  const uint16_t sum = computeChecksum();
  bytes[1] = static_cast<uint8_t>(sum & 0xFF);
  bytes[2] = static_cast<uint8_t>(sum >> 8);
}

}  // namespace varnacle::device
