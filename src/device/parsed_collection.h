#pragma once
// The capabilities of one top-level collection read from the interface's
// report descriptor with our parser, and the decoding of its input reports:
// what the HID class driver answers on Windows, worked out here for the
// backends that only have the descriptor (hidraw, the simulator).
//
// Plain values; any thread. Decoding never reads outside the report, whatever
// the descriptor says.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "device/hid_backend.h"
#include "device/report_descriptor.h"

namespace varnacle::device {

class ParsedCollection {
 public:
  // The collection `collectionNumber` (1-based) of `descriptor`; nothing when
  // the descriptor does not parse, has no such collection, or its usage lists
  // would pass kMaxUsageListEntries.
  static std::optional<ParsedCollection> fromDescriptor(std::span<const uint8_t> descriptor,
                                                        int collectionNumber);

  const TopLevelCollection& collection() const { return collection_; }
  // Whether the interface's reports carry report ids (else byte 0 is 0).
  bool numberedReports() const { return numbered_; }
  const HidCapabilities& capabilities() const { return capabilities_; }
  const std::vector<ReportDataDescriptor>& descriptors(ReportKind kind) const {
    return descriptors_[std::size_t(kind)];
  }
  // As HidConnection::decodeInputReport.
  bool decodeInputReport(std::span<const uint8_t> report,
                         std::vector<ReportDataDescriptor>& inputs) const;

 private:
  ParsedCollection() = default;
  // False when the usage lists would exceed kMaxUsageListEntries.
  bool buildDescriptors();

  TopLevelCollection collection_;
  bool numbered_ = false;
  HidCapabilities capabilities_;
  std::vector<ReportDataDescriptor> descriptors_[kReportKindCount];
  // For each input descriptor: the index of its button or value capability.
  std::vector<std::size_t> inputCapIndex_;
};

// A connection whose capabilities come from a parsed report descriptor.
class ParsedConnection : public HidConnection {
 public:
  explicit ParsedConnection(ParsedCollection parsed) : parsed_(std::move(parsed)) {}

  HidCapabilities capabilities() const override { return parsed_.capabilities(); }
  std::vector<ReportDataDescriptor> descriptors(ReportKind kind) const override {
    return parsed_.descriptors(kind);
  }
  bool decodeInputReport(std::span<const uint8_t> report,
                         std::vector<ReportDataDescriptor>& inputs) const override {
    return parsed_.decodeInputReport(report, inputs);
  }

 protected:
  const ParsedCollection& parsed() const { return parsed_; }

 private:
  ParsedCollection parsed_;
};

}  // namespace varnacle::device
