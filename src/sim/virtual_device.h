#pragma once
// A virtual keyboard, mouse or mouse pad: the device side of the report
// protocol on the simulated bus, with the device's memory, fault injection, a
// log of the requests it received and on-device notifications.
//
// Any thread: the host's writes arrive on the writing thread; tests and the
// demo drive faults, buttons and memory from theirs. Create with
// std::make_shared and plug into the same SimBus the device was built with.
//
// Replies. Every request the device accepts gets one 64-byte reply on the
// vendor collection: report id 0x04, the request's command, length and address
// echoed, a status byte, the data, a checksum. Status 0 is success. The
// device answers 0xFF to a request it cannot carry out: a checksum that does
// not match (every command checks it except the reset, which the host sends
// without one), an unknown command, a length above 56 or an address range
// outside the table. 0xFE ("busy") comes only from fault injection.
#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "sim/device_profiles.h"
#include "sim/sim_bus.h"

namespace varnacle::sim {

// The device's writable memory; sizes as in device_profiles.h (key table,
// profile tables and cursor image are empty on a device without them).
struct DeviceMemory {
  uint8_t activeProfile = 0;
  std::vector<uint8_t> settings;
  std::vector<uint8_t> keyTable;
  std::vector<uint8_t> profileTables;
  std::vector<uint8_t> macros;
  std::vector<uint8_t> cursor;

  bool operator==(const DeviceMemory&) const = default;
};

// One request as the device received it.
struct LoggedRequest {
  uint8_t command = 0;
  uint8_t length = 0;
  uint16_t address = 0;
  uint8_t checksumLow = 0;
  uint8_t checksumHigh = 0;
  std::array<uint8_t, 56> data{};
  bool refused = false;                // the write itself was refused
  std::optional<uint8_t> replyStatus;  // none when no reply was sent
};

enum class Fault {
  silent,       // accept the request, send no reply
  statusFF,     // reply with status 0xFF, change nothing
  statusFE,     // reply with status 0xFE, change nothing
  refuseWrite,  // refuse the host's write
  unplug,       // refuse the write and unplug from the bus
  shortReply,   // reply with only the first 6 bytes
};

class VirtualDevice : public VirtualInterface {
 public:
  static constexpr int kAlways = -1;

  VirtualDevice(DeviceKind kind, SimBus& bus);

  Identity identity() const override;
  std::vector<uint8_t> reportDescriptor() const override;
  bool onOutputReport(std::span<const uint8_t> report) override;

  DeviceKind kind() const { return model_.kind; }

  // Memory. setMemory refuses (false, nothing changed) an image whose table
  // sizes differ from this device's or whose active profile is above 4.
  DeviceMemory memory() const;
  bool setMemory(const DeviceMemory& memory);
  uint8_t activeProfile() const;
  // The last record applied with a live write (empty before the first).
  std::vector<uint8_t> liveRecord() const;
  InfoBlock infoBlock() const;
  void setInfoBlock(const InfoBlock& block);
  // Nesting of BeginConfig/EndConfig brackets seen so far (never below 0).
  int configDepth() const;

  // Faults: the next `skip` requests are handled normally, then `times`
  // requests (kAlways: all) get the fault. Several faults may be queued; the
  // first one due applies.
  void injectFault(Fault fault, int skip = 0, int times = 1);
  void clearFaults();
  // Every reply becomes readable this long after the request.
  void setReplyDelay(std::chrono::milliseconds delay);

  std::vector<LoggedRequest> requestLog() const;
  void clearLog();

  // The on-device profile button: the next profile (4 wraps to 0) becomes
  // active and usage 0x0401 goes out on the consumer collection.
  void pressProfileButton();
  // Sends one notification usage (press, then release) on the consumer
  // collection. Ignored by a device without one.
  void sendNotification(uint16_t usage);

 private:
  struct PendingFault {
    Fault fault;
    int skip;
    int times;
  };
  std::optional<Fault> takeDueFault();
  uint8_t execute(const std::array<uint8_t, 64>& request, std::span<uint8_t, 56> replyData);
  void resetToFactory();

  const DeviceModel& model_;
  SimBus& bus_;
  mutable std::mutex mutex_;
  InfoBlock info_;
  DeviceMemory memory_;
  std::vector<uint8_t> liveRecord_;
  int configDepth_ = 0;
  std::vector<PendingFault> faults_;
  std::chrono::milliseconds replyDelay_{0};
  std::vector<LoggedRequest> log_;
};

}  // namespace varnacle::sim
