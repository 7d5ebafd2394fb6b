#pragma once
// Our own HID report descriptor parser.
//
// It turns the descriptor of one HID interface into its top-level collections,
// each with the report ids it owns, the report lengths a host sees for it and
// the button and value capabilities that decode its input reports.
//
// Report lengths follow the convention of the HID class driver on the other
// platform: the longest report of a kind in bytes (bits rounded up) plus one
// byte for the report id, also when the device does not number its reports;
// 0 when the collection has no report of that kind. Each top-level collection
// counts its own fields only: when two collections use the same report id,
// each has its own length and its own bit offsets for it.
//
// Bit offsets count from the first data byte, that is from byte 1 of a report
// buffer whose byte 0 holds the report id (0 when unnumbered).
//
// Push and Pop save and restore every global item the parser keeps, the report
// id included, inside one collection or across collections: the fields after a
// Pop go to the restored report.
//
// Plain functions on values; any thread. The parser never reads outside the
// given bytes, and a malformed or hostile descriptor is an error result: the
// depth of collections and of the global stack, the usages of one main item,
// the size of one report and the number of capabilities are all bounded.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varnacle::device {

enum class ReportKind : uint8_t { input, output, feature };

inline constexpr std::size_t kReportKindCount = 3;

// Bounds that keep a hostile descriptor from exhausting memory or stack.
inline constexpr std::size_t kMaxCollectionDepth = 32;
inline constexpr std::size_t kMaxGlobalStackDepth = 16;
inline constexpr std::size_t kMaxUsagesPerMainItem = 1024;
inline constexpr uint32_t kMaxReportBytes = 16384;
inline constexpr std::size_t kMaxCapabilities = 16384;
inline constexpr uint32_t kMaxReportSizeBits = 256;

// One button capability: a range of usages of one page, either one bit per
// usage (variable field) or an array field whose elements hold the index of a
// pressed usage.
struct ButtonCap {
  ReportKind kind = ReportKind::input;
  uint8_t reportId = 0;
  uint16_t usagePage = 0;
  uint16_t usageMin = 0;
  uint16_t usageMax = 0;
  bool isArray = false;
  uint32_t bitOffset = 0;  // first bit of the field
  uint16_t bitSize = 1;    // bits per element
  uint32_t count = 0;      // elements (variable bits: usageMax - usageMin + 1 or more)
  int64_t logicalMin = 0;
  int64_t logicalMax = 0;
  // Arrays: the element value that selects usageMin.
  int64_t arrayIndexMin = 0;
};

// One value capability: one usage, `count` elements of `bitSize` bits (more
// than one element when the descriptor lists fewer usages than elements).
struct ValueCap {
  ReportKind kind = ReportKind::input;
  uint8_t reportId = 0;
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  uint32_t bitOffset = 0;
  uint16_t bitSize = 0;
  uint32_t count = 1;
  int64_t logicalMin = 0;
  int64_t logicalMax = 0;
  int64_t physicalMin = 0;  // both 0: the physical range is the logical one
  int64_t physicalMax = 0;
  bool isSigned() const { return logicalMin < 0; }
};

struct TopLevelCollection {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  std::vector<uint8_t> reportIds;  // ascending; {0} when reports are unnumbered
  uint16_t inputReportLength = 0;
  uint16_t outputReportLength = 0;
  uint16_t featureReportLength = 0;
  std::vector<ButtonCap> buttonCaps;  // all kinds, in descriptor order
  std::vector<ValueCap> valueCaps;

  uint16_t reportLength(ReportKind kind) const;
  bool ownsReportId(uint8_t id) const;
};

struct ReportDescriptor {
  bool numberedReports = false;
  std::vector<TopLevelCollection> collections;  // in descriptor order
};

struct ParseResult {
  std::optional<ReportDescriptor> descriptor;
  std::string error;  // why parsing failed, with the byte offset; empty on success
};

ParseResult parseReportDescriptor(std::span<const uint8_t> bytes);

}  // namespace varnacle::device
