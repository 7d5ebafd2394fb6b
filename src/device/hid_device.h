#pragma once
// HidDevice: one opened HID collection, the lowest layer between the program
// and its devices. It lists the HID collections of the machine, opens one by
// its path, keeps its identity and report capabilities, moves single reports
// in and out with a time limit, and decodes input reports for the listeners.
// It knows nothing of the devices' protocol.
//
// Ownership and threads:
// - The backend is borrowed and must outlive the device.
// - enumerate(), the path list, open(), close(), probe(), the accessors and
//   decodeInputReport() belong to the owning thread (the session's lock or
//   the listener thread).
// - readReport() is called by one thread at a time and writeReport() by one
//   thread at a time; they may run on threads other than the owner's.
// - open(), close() and the destructor may run while another thread waits in
//   readReport() or writeReport(): the waiting call returns aborted promptly.
//   The waiter keeps its own reference to the connection for the duration of
//   the call and touches nothing else of the device once it waits, so closing
//   or destroying never pulls anything from under it.
// - gone from a read or write means the device went away under this
//   connection: it never works again, even when the same path comes back, and
//   the owner has to open the path anew.
// - isOpen(), isReading() and isWriting() may be asked from any thread.
//
// A read and its abort:
//   reader:  readReport(limit) --- waits ----------------> aborted
//   owner:                          close()/open()/~ --^
//   reader:  readReport(limit) --- waits ... limit ------> timeout,
//            the next readReport() waits again at once.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "device/hid_backend.h"
#include "device/report_descriptor.h"

namespace varnacle::device {

class HidDevice {
 public:
  explicit HidDevice(HidBackend& backend);
  ~HidDevice();
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  // Fills pathList with every HID collection present (room for 8 at first,
  // growing as needed) and resets the cursor. False, with the list empty,
  // when the collections cannot be listed at all.
  bool enumerate();
  std::vector<std::string> pathList;
  std::size_t pathCursor = 0;
  void freePathList();

  // Set by the caller before open().
  OpenOptions options;
  std::string devicePath;

  // Aborts a waiting read or write, closes, then opens devicePath and reads
  // its identity and capabilities. False, with nothing open, on any failure;
  // openError() then tells why.
  bool open();
  // Why the last open() failed: none after a successful one, absent also when
  // the collection is there but cannot be used.
  OpenError openError() const { return openError_; }
  // Aborts a waiting read or write, releases the capability data and closes.
  void close();
  bool isOpen() const;

  // Reads one input report (report id in byte 0) into `buffer`, which must
  // hold the collection's input report length. ok when a report came;
  // otherwise what ended the wait (timeout, aborted, gone), or failed, also
  // when nothing is open, the buffer is too short or the device was opened
  // without read access. A negative time limit counts as 0. `transferred` is
  // 0 unless the result is ok.
  IoResult readReport(std::span<uint8_t> buffer, int timeoutMs, std::size_t& transferred);
  // Writes one output report of exactly the collection's output report length,
  // report id first, within kWriteTimeoutMs. Needs write access. Results as
  // for readReport.
  IoResult writeReport(std::span<const uint8_t> report, std::size_t& transferred);
  static constexpr int kWriteTimeoutMs = 1000;

  // The presence probe on devicePath: true while the collection is present.
  bool probe() const;

  bool isReading() const;
  bool isWriting() const;

  const HidAttributes& attributes() const { return attributes_; }
  const HidCapabilities& capabilities() const { return capabilities_; }
  // The hexadecimal numbers after "&mi_" and "&col" in devicePath (searched
  // without regard to case), 0 when the path has none. Set by open().
  int interfaceNumber() const { return interfaceNumber_; }
  int collectionNumber() const { return collectionNumber_; }

  std::vector<ReportDataDescriptor>& inputDescriptors() { return descriptors_[0]; }
  std::vector<ReportDataDescriptor>& descriptors(ReportKind kind) {
    return descriptors_[std::size_t(kind)];
  }

  // Decodes `report` (report id in byte 0) into every input descriptor of that
  // report id and sets their data-set flags. True when every one of them was
  // decoded; decoding stops at the first value that cannot be read.
  bool decodeInputReport(std::span<const uint8_t> report);

 private:
  // The open connection with the lengths its reads and writes must have.
  // Readers and writers hold a reference while they wait.
  struct Link {
    std::unique_ptr<HidConnection> connection;
    std::size_t inputLength = 0;
    std::size_t outputLength = 0;
    bool canRead = false;  // the open options asked for read access
    bool canWrite = false;
    std::atomic<bool> reading{false};  // a read or write waits on this link
    std::atomic<bool> writing{false};
  };

  std::shared_ptr<Link> currentLink() const;
  void releaseCapabilities();

  HidBackend& backend_;
  mutable std::mutex linkMutex_;
  std::shared_ptr<Link> link_;

  HidAttributes attributes_;
  HidCapabilities capabilities_;
  std::vector<ReportDataDescriptor> descriptors_[kReportKindCount];
  int interfaceNumber_ = 0;
  int collectionNumber_ = 0;
  OpenError openError_ = OpenError::none;
};

}  // namespace varnacle::device
