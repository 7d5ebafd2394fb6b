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

// One open top-level collection.
// Thread: one thread reads and one thread writes at a time; abort() and the
// const accessors may be called from any thread. A negative time limit counts
// as 0 (poll once).
class HidConnection {
 public:
  virtual ~HidConnection() = default;

  virtual HidAttributes attributes() const = 0;
  // The report descriptor of the whole interface, as the device sent it.
  virtual std::span<const uint8_t> reportDescriptor() const = 0;
  // 1-based number of the opened top-level collection inside that descriptor.
  virtual int collectionNumber() const = 0;

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
