#pragma once
// DeviceSession: one device's configuration connection (its vendor
// collection), the lock that serialises reports on it, and every command of
// the report protocol.
//
// Ownership and threads: the main window owns three sessions (keyboard,
// mouse, mouse pad) for the life of the program. Any thread may call the
// commands; each single report write and each single report read takes
// `lock`, which is re-entrant, so a thread that holds it across a whole
// exchange (the presence thread) can still call them. `online` and
// `lightingSync` are read without the lock.
//
// Results of every command:
//    1  success (reply received, status accepted)
//    0  session offline (nothing sent), no reply after all attempts, or the
//       device went away while the reply was awaited
//   -1  the request could not be written (also because the device went away)
//   -2  refused as a caller error before anything was sent: a length outside
//       1..56, a buffer shorter than the transfer, or a table that does not fit
//       the 16-bit address space
//  -102 reply status 0xFF      -103 reply status 0xFE
//  -201 profile index outside 0..4 (profile tables only), nothing sent
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>

#include "device/hid_device.h"
#include "device/report.h"

namespace varnacle::device {

inline constexpr int kResultOk = 1;
inline constexpr int kResultNoReply = 0;
inline constexpr int kResultWriteFailed = -1;
inline constexpr int kResultCallerError = -2;
inline constexpr int kResultStatusFF = -102;
inline constexpr int kResultStatusFE = -103;
inline constexpr int kResultBadProfileIndex = -201;

inline constexpr std::size_t kDeviceInfoSize = 33;
using DeviceInfoBlock = std::array<uint8_t, kDeviceInfoSize>;

inline constexpr uint16_t kDefaultTransferSize = 512;
inline constexpr int kHighestProfileIndex = 4;
inline constexpr uint16_t kProfileTableStride = 126;

class DeviceSession {
 public:
  // The backend is borrowed and must outlive the session.
  explicit DeviceSession(HidBackend& backend);
  ~DeviceSession();
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  // Bytes moved by readKeyTable, readProfileTable and writeProfileTable.
  uint16_t transferSize = kDefaultTransferSize;
  // The identity the presence search matches.
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t usage = 0;
  uint16_t usagePage = 0;
  // True while the interface is open and matched; every command sends nothing
  // and returns 0 while it is false. A read or write that finds the device
  // gone (also one unplugged and plugged back since the interface was opened)
  // clears it: the presence thread then runs the departure and opens the
  // device again.
  std::atomic<bool> online{false};
  // True while this device takes part in synchronised lighting; cleared by
  // every writeLive and when the device goes away.
  std::atomic<bool> lightingSync{false};
  // The vendor collection, opened read + write + overlapped + shared.
  HidDevice device;
  std::recursive_mutex lock;

  // Timing; tests shorten them. The write limit is HidDevice::kWriteTimeoutMs.
  std::chrono::milliseconds readTimeout{300};
  int attempts = 4;
  std::chrono::milliseconds endConfigPause{10};

  // Sets the open options of `device` to read, write, overlapped, shared.
  void prepareOpenOptions();

  // --- Transport ---
  // One request, up to `attempts` writes and reads: 1, 0 or -1. The reply's
  // status byte is not looked at. `reply` is whole only when the result is 1.
  // Replies still waiting from earlier, abandoned requests are dropped first.
  int transact(const Report& request, Report& reply, std::size_t& transferred);
  // One write and one read, no retry, no status check: 1 when a whole reply
  // came, else 0 (also while offline). The request is sent exactly as given.
  int transactOnce(const Report& request, Report& reply);

  // --- Commands (code in brackets) ---
  int beginConfig();                                            // 0x01
  int endConfig();                                              // 0x02, 10 ms pause first
  int readDeviceInfo(std::span<uint8_t, kDeviceInfoSize> out);  // 0x03
  // out.size() is the length, 1..56.
  int readBlock(uint16_t address, std::span<uint8_t> out);  // 0x05
  // data.size() is the length, 1..56; clears lightingSync before sending.
  int writeLive(std::span<const uint8_t> data);  // 0x06
  // The first transferSize bytes of `out` are filled.
  int readKeyTable(std::span<uint8_t> out);  // 0x07
  // Address index * 126 + offset; the first transferSize bytes of `out`.
  int readProfileTable(int index, std::span<uint8_t> out);  // 0x08
  // Sends the first transferSize bytes of `data` to index * 126 on.
  int writeProfileTable(int index, std::span<const uint8_t> data);  // 0x09
  // Sent once, checksum bytes 0; the result is transactOnce's.
  int resetDefaults();                                  // 0x0D
  int writeMacroTable(std::span<const uint8_t> data);   // 0x15, whole span
  int readCursorTable(std::span<uint8_t> out);          // 0x16, whole span
  int writeCursorTable(std::span<const uint8_t> data);  // 0x17, whole span

 private:
  // One transaction whose reply status is turned into a result.
  int exchange(const Report& request, Report& reply);
  int readChunks(Command command, uint16_t base, std::span<uint8_t> out);
  int writeChunks(Command command, uint16_t base, std::span<const uint8_t> data);
  // One report each way on `device`; a gone device takes the session offline.
  IoResult write(const Report& request);
  IoResult read(Report& reply, int timeoutMs, std::size_t& transferred);
  IoResult readWholeReply(Report& reply, std::size_t& transferred);
  bool dropStaleReplies();
  void connectionGone();
};

}  // namespace varnacle::device
