#include "device/device_session.h"

#include <algorithm>
#include <string>
#include <thread>

#include "platform/debug_output.h"

namespace varnacle::device {
namespace {

// The 16-bit address field bounds every table transfer.
constexpr std::size_t kAddressSpace = 0x10000;
// Bound on the stale replies dropped before one transaction, so that a device
// that keeps sending cannot hold the caller forever.
constexpr int kMostStaleReplies = 16;

int callerError(const char* what) {
  platform::debugOutput(std::string("device session: caller error, nothing sent: ") + what);
  return kResultCallerError;
}

bool validLength(std::size_t length) {
  return length >= 1 && length <= kReportDataSize;
}

bool validProfileIndex(int index) {
  return index >= 0 && index <= kHighestProfileIndex;
}

uint16_t profileBase(int index) {
  return static_cast<uint16_t>(index * kProfileTableStride);
}

}  // namespace

DeviceSession::DeviceSession(HidBackend& backend) : device(backend) {}

DeviceSession::~DeviceSession() {
  std::lock_guard guard(lock);
  device.close();
}

void DeviceSession::prepareOpenOptions() {
  device.options = OpenOptions{.read = true, .write = true, .overlapped = true, .exclusive = false};
}

// The connection reached a device that went away, perhaps to come back at
// once under the same path, which no probe of the path can tell. Nothing more
// goes out on it: the session is offline from here, and the presence thread's
// next pass runs the departure and opens the device anew.
void DeviceSession::connectionGone() {
  if (online.exchange(false))
    platform::debugOutput(
        "device session: the device went away under its connection; "
        "offline until it is opened again");
}

IoResult DeviceSession::write(const Report& request) {
  std::size_t written = 0;
  const IoResult result = device.writeReport(request.bytes, written);
  if (result == IoResult::gone) connectionGone();
  return result;
}

IoResult DeviceSession::read(Report& reply, int timeoutMs, std::size_t& transferred) {
  const IoResult result = device.readReport(reply.bytes, timeoutMs, transferred);
  if (result == IoResult::gone) connectionGone();
  return result;
}

// A reply counts only when all 64 bytes arrived; a shorter one is treated as
// no reply, so nothing past its end is ever used.
IoResult DeviceSession::readWholeReply(Report& reply, std::size_t& transferred) {
  reply = Report{};
  transferred = 0;
  const IoResult result = read(reply, static_cast<int>(readTimeout.count()), transferred);
  if (result != IoResult::ok || transferred == kReportSize) return result;
  platform::debugOutput("device session: device sent a short reply of " +
                        std::to_string(transferred) + " bytes");
  reply = Report{};
  return IoResult::failed;
}

// A reply that arrives after its transaction gave up would otherwise be taken
// as the reply to the next request. Whatever is waiting before a transaction
// starts is read away without waiting. False when the device is gone.
bool DeviceSession::dropStaleReplies() {
  Report stale;
  std::size_t transferred = 0;
  int dropped = 0;
  IoResult result = IoResult::ok;
  while (dropped < kMostStaleReplies && (result = read(stale, 0, transferred)) == IoResult::ok)
    ++dropped;
  if (dropped > 0)
    platform::debugOutput("device session: dropped " + std::to_string(dropped) +
                          " late replies of earlier requests");
  return result != IoResult::gone;
}

// Transaction timeline (defaults):
//
//   attempt 1: write (<= 1000 ms) | read (<= 300 ms) -> reply: 1
//   attempt 2: write again        | read            -> reply: 1
//   ...
//   attempt 4: write again        | read            -> nothing: 0
//   any write fails: -1 at once, no further attempt
//   the device is gone (found by any read or write, the read for late
//   replies before attempt 1 included): offline, no further attempt;
//   -1 when a write found it, 0 when a read did
//
// The lock is taken for each write and each read on its own, never across the
// whole transaction.
int DeviceSession::transact(const Report& request, Report& reply, std::size_t& transferred) {
  transferred = 0;
  if (!online) return kResultNoReply;
  const Report sendBuffer = request;
  {
    std::lock_guard guard(lock);
    if (!dropStaleReplies()) return kResultNoReply;
  }
  for (int attempt = 0; attempt < std::max(attempts, 1); ++attempt) {
    {
      std::lock_guard guard(lock);
      if (write(sendBuffer) != IoResult::ok) return kResultWriteFailed;
    }
    std::lock_guard guard(lock);
    const IoResult result = readWholeReply(reply, transferred);
    if (result == IoResult::ok) return kResultOk;
    if (result == IoResult::gone) return kResultNoReply;
  }
  return kResultNoReply;
}

int DeviceSession::transactOnce(const Report& request, Report& reply) {
  if (!online) return kResultNoReply;
  std::lock_guard guard(lock);
  if (!dropStaleReplies() || write(request) != IoResult::ok) return kResultNoReply;
  std::size_t transferred = 0;
  return readWholeReply(reply, transferred) == IoResult::ok ? kResultOk : kResultNoReply;
}

int DeviceSession::exchange(const Report& request, Report& reply) {
  std::size_t transferred = 0;
  const int result = transact(request, reply, transferred);
  if (result != kResultOk) return result;
  if (reply.status() == kStatusRefusedFF) return kResultStatusFF;
  if (reply.status() == kStatusRefusedFE) return kResultStatusFE;
  return kResultOk;
}

// Chunked transfers move a table in pieces of at most 56 bytes, one
// transaction each, strictly one after another:
//
//   offset 0    len 56  address base + 0
//   offset 56   len 56  address base + 56
//   ...
//   offset 504  len 8   address base + 504      (total 512: 10 transactions)
//
// The first result other than 1 ends the transfer; chunks already sent stay sent.
int DeviceSession::readChunks(Command command, uint16_t base, std::span<uint8_t> out) {
  if (out.empty()) return kResultOk;
  if (base + out.size() > kAddressSpace) return callerError("table beyond the address space");
  Report request = Report::request(command);
  for (std::size_t offset = 0; offset < out.size(); offset += kReportDataSize) {
    const std::size_t chunk = std::min(kReportDataSize, out.size() - offset);
    request.setLength(static_cast<uint8_t>(chunk));
    request.setAddress(static_cast<uint16_t>(base + offset));
    request.seal();
    Report reply;
    const int result = exchange(request, reply);
    if (result != kResultOk) return result;
    std::copy_n(reply.data().begin(), chunk, out.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  return kResultOk;
}

// The request is reused from chunk to chunk, so in a last, shorter chunk the
// data bytes past its length still hold the previous chunk's bytes; the
// checksum covers them as sent.
int DeviceSession::writeChunks(Command command, uint16_t base, std::span<const uint8_t> data) {
  if (data.empty()) return kResultOk;
  if (base + data.size() > kAddressSpace) return callerError("table beyond the address space");
  Report request = Report::request(command);
  for (std::size_t offset = 0; offset < data.size(); offset += kReportDataSize) {
    const std::size_t chunk = std::min(kReportDataSize, data.size() - offset);
    request.setLength(static_cast<uint8_t>(chunk));
    request.setAddress(static_cast<uint16_t>(base + offset));
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(offset), chunk, request.data().begin());
    request.seal();
    Report reply;
    const int result = exchange(request, reply);
    if (result != kResultOk) return result;
  }
  return kResultOk;
}

int DeviceSession::beginConfig() {
  Report reply;
  return exchange(Report::request(Command::beginConfig), reply);
}

int DeviceSession::endConfig() {
  const Report request = Report::request(Command::endConfig);
  std::this_thread::sleep_for(endConfigPause);
  Report reply;
  return exchange(request, reply);
}

int DeviceSession::readDeviceInfo(std::span<uint8_t, kDeviceInfoSize> out) {
  Report reply;
  const int result = exchange(
      Report::request(Command::readDeviceInfo, static_cast<uint8_t>(kDeviceInfoSize)), reply);
  if (result == kResultOk) std::copy_n(reply.data().begin(), kDeviceInfoSize, out.begin());
  return result;
}

int DeviceSession::readBlock(uint16_t address, std::span<uint8_t> out) {
  if (!validLength(out.size())) return callerError("block length outside 1..56");
  Report reply;
  const int result = exchange(
      Report::request(Command::readBlock, static_cast<uint8_t>(out.size()), address), reply);
  if (result == kResultOk) std::copy_n(reply.data().begin(), out.size(), out.begin());
  return result;
}

int DeviceSession::writeLive(std::span<const uint8_t> data) {
  if (!validLength(data.size())) return callerError("live length outside 1..56");
  const Report request =
      Report::request(Command::writeLive, static_cast<uint8_t>(data.size()), 0, data);
  lightingSync = false;
  Report reply;
  return exchange(request, reply);
}

int DeviceSession::readKeyTable(std::span<uint8_t> out) {
  if (out.size() < transferSize) return callerError("key table buffer shorter than the transfer");
  return readChunks(Command::readKeyTable, 0, out.first(transferSize));
}

int DeviceSession::readProfileTable(int index, std::span<uint8_t> out) {
  if (!validProfileIndex(index)) return kResultBadProfileIndex;
  if (out.size() < transferSize) return callerError("profile buffer shorter than the transfer");
  return readChunks(Command::readProfileTable, profileBase(index), out.first(transferSize));
}

int DeviceSession::writeProfileTable(int index, std::span<const uint8_t> data) {
  if (!validProfileIndex(index)) return kResultBadProfileIndex;
  if (data.size() < transferSize) return callerError("profile data shorter than the transfer");
  return writeChunks(Command::writeProfileTable, profileBase(index), data.first(transferSize));
}

// The reset goes out exactly once with only the report id and the command set:
// its checksum bytes stay 0.
int DeviceSession::resetDefaults() {
  Report request;
  request.bytes[0] = kVendorReportId;
  request.setCommand(Command::resetDefaults);
  Report reply;
  return transactOnce(request, reply);
}

int DeviceSession::writeMacroTable(std::span<const uint8_t> data) {
  return writeChunks(Command::writeMacroTable, 0, data);
}

int DeviceSession::readCursorTable(std::span<uint8_t> out) {
  return readChunks(Command::readCursorTable, 0, out);
}

int DeviceSession::writeCursorTable(std::span<const uint8_t> data) {
  return writeChunks(Command::writeCursorTable, 0, data);
}

}  // namespace varnacle::device
