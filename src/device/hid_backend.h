#pragma once
// The seam between HidDevice and the operating system (or the simulator).
//
// One backend serves the whole process and is chosen at start: the platform's
// own (hid_linux.cpp, hid_windows.cpp) or the simulated one (hid_sim.cpp).
// A backend lists one path per top-level collection of every HID interface;
// opening a path gives a connection to that collection.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/report_descriptor.h"

namespace varnacle::device {

struct HidAttributes {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
};

struct OpenOptions {
  bool read = false;
  bool write = false;
  bool overlapped = false;
  bool exclusive = false;
};

enum class IoResult {
  ok,
  timeout,  // nothing arrived (or could be sent) within the time limit
  aborted,  // abort() was called while the operation waited
  gone,     // the device disappeared
  failed,   // any other failure to start or finish the transfer
};

// Why an open gave no connection.
enum class OpenError {
  none,          // it gave one
  absent,        // no such collection: never there, gone, or no HID collection
  accessDenied,  // the collection is there, but the user may not open it with these rights
  failed,        // any other failure
};

struct HidCapabilities {
  uint16_t usage = 0;
  uint16_t usagePage = 0;
  uint16_t inputReportLength = 0;
  uint16_t outputReportLength = 0;
  uint16_t featureReportLength = 0;
  uint16_t numberInputButtonCaps = 0;
  uint16_t numberInputValueCaps = 0;
  uint16_t numberOutputButtonCaps = 0;
  uint16_t numberOutputValueCaps = 0;
  uint16_t numberFeatureButtonCaps = 0;
  uint16_t numberFeatureValueCaps = 0;
};

// Outcome of the last decode of one report-data descriptor.
enum class DecodeStatus : uint32_t {
  success,
  invalidReportLength,  // the report is shorter than the descriptor's field
  valueTooLarge,        // a value field wider than 32 bits
  valueOutOfRange,      // the raw value lies outside the logical range (no scaled value)
  badLogicalPhysical,   // the logical or physical range is empty (no scaled value)
  failed,               // the system's decoder refused the report for another reason
};

// One entry per button capability and per value usage of a report kind; the
// listener threads read decoded input through it.
struct ReportDataDescriptor {
  bool isButton = false;
  uint16_t usagePage = 0;
  DecodeStatus status = DecodeStatus::success;
  uint32_t reportId = 0;
  bool isDataSet = false;
  // Buttons: the range and the pressed usages of the last decode, in order,
  // ended by 0 when fewer than the capacity (usageList.size()).
  uint16_t usageMin = 0;
  uint16_t usageMax = 0;
  std::vector<uint16_t> usageList;
  // Values.
  uint16_t usage = 0;
  uint32_t rawValue = 0;
  int32_t scaledValue = 0;
};

// Every input button descriptor gets a usage list as long as the usages its
// page can carry in one report; a collection whose lists together would pass
// this many entries cannot be opened.
inline constexpr std::size_t kMaxUsageListEntries = std::size_t(1) << 16;

// One open top-level collection.
// Thread: one thread reads and one thread writes at a time; abort() and the
// const accessors may be called from any thread. A negative time limit counts
// as 0 (poll once).
class HidConnection {
 public:
  virtual ~HidConnection() = default;

  virtual HidAttributes attributes() const = 0;
  // The collection's usage, report lengths and capability counts, as the
  // system describes them (the Linux and simulated backends parse the report
  // descriptor, the Windows one asks the HID class driver).
  virtual HidCapabilities capabilities() const = 0;
  // The report-data descriptors of one report kind: one per button
  // capability (input ones with a zeroed usage list of their page's capacity)
  // and one per value usage.
  virtual std::vector<ReportDataDescriptor> descriptors(ReportKind kind) const = 0;
  // Decodes `report` (report id in byte 0) into `inputs`, the list that
  // descriptors(ReportKind::input) gave, for every descriptor of that report
  // id, and sets their data-set flags. True when every one of them was
  // decoded; decoding stops at the first value that cannot be read. False
  // also when `inputs` is not that list.
  virtual bool decodeInputReport(std::span<const uint8_t> report,
                                 std::vector<ReportDataDescriptor>& inputs) const = 0;

  // Reads one input report of this collection (report id first, also when the
  // device does not number its reports: then byte 0 is 0).
  virtual IoResult read(std::span<uint8_t> buffer, int timeoutMs, std::size_t& transferred) = 0;
  // Writes one output report (report id first).
  virtual IoResult write(std::span<const uint8_t> report, int timeoutMs,
                         std::size_t& transferred) = 0;
  // Finishes the connection from any thread: a waiting read or write returns
  // IoResult::aborted promptly, and so does every later one. The owner calls
  // it when closing while another thread may still wait in a call.
  virtual void abort() = 0;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;

  // Appends one path per top-level collection of every present HID interface.
  // False when the list cannot be read at all.
  virtual bool enumerate(std::vector<std::string>& paths) = 0;
  // Null when the path cannot be opened with these options or is no HID
  // collection; `error` tells why (none when a connection is returned).
  virtual std::unique_ptr<HidConnection> open(const std::string& path, const OpenOptions& options,
                                              OpenError& error) = 0;
  // The presence probe: can the path be opened with no access rights?
  virtual bool probe(const std::string& path) = 0;
};

// The machine's own backend: hidraw on Linux (hid_linux.cpp), the HID class
// services on Windows; the build picks the file that defines it.
std::unique_ptr<HidBackend> makePlatformBackend();

}  // namespace varnacle::device
