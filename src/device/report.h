#pragma once
// The 64-byte report that carries every request to a device and every reply
// from it over the vendor collection.
//
//   byte 0     report id, 0x04 in requests
//   bytes 1-2  checksum: 16-bit sum of bytes 3-63, low byte first
//   byte 3     command
//   byte 4     length: data bytes that matter (0-56)
//   bytes 5-6  address or offset in the device's table, little-endian
//   byte 7     status: 0 in requests; 0xFF / 0xFE in a reply are refusals
//   bytes 8-63 data
//
// A plain value; no locking, any thread.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace varnacle::device {

inline constexpr std::size_t kReportSize = 64;
inline constexpr std::size_t kReportDataOffset = 8;
inline constexpr std::size_t kReportDataSize = kReportSize - kReportDataOffset;  // 56
inline constexpr uint8_t kVendorReportId = 0x04;

// Command codes of the report protocol.
enum class Command : uint8_t {
  beginConfig = 0x01,
  endConfig = 0x02,
  readDeviceInfo = 0x03,
  readBlock = 0x05,
  writeLive = 0x06,
  readKeyTable = 0x07,
  readProfileTable = 0x08,
  writeProfileTable = 0x09,
  resetDefaults = 0x0D,
  writeMacroTable = 0x15,
  readCursorTable = 0x16,
  writeCursorTable = 0x17,
};

// Reply status values that refuse a request; any other value is success.
inline constexpr uint8_t kStatusRefusedFF = 0xFF;
inline constexpr uint8_t kStatusRefusedFE = 0xFE;

struct Report {
  std::array<uint8_t, kReportSize> bytes{};

  // A sealed request: report id 0x04, the fields, the data (at most 56 bytes
  // are taken), status 0 and the checksum over what was set.
  static Report request(Command command, uint8_t length = 0, uint16_t address = 0,
                        std::span<const uint8_t> data = {});

  uint8_t reportId() const { return bytes[0]; }
  uint16_t storedChecksum() const { return static_cast<uint16_t>(bytes[1] | bytes[2] << 8); }
  uint8_t command() const { return bytes[3]; }
  uint8_t length() const { return bytes[4]; }
  uint16_t address() const { return static_cast<uint16_t>(bytes[5] | bytes[6] << 8); }
  uint8_t status() const { return bytes[7]; }
  std::span<uint8_t, kReportDataSize> data() {
    return std::span<uint8_t, kReportSize>(bytes).subspan<kReportDataOffset>();
  }
  std::span<const uint8_t, kReportDataSize> data() const {
    return std::span<const uint8_t, kReportSize>(bytes).subspan<kReportDataOffset>();
  }

  void setCommand(Command command) { bytes[3] = static_cast<uint8_t>(command); }
  void setLength(uint8_t length) { bytes[4] = length; }
  void setAddress(uint16_t address) {
    bytes[5] = static_cast<uint8_t>(address & 0xFF);
    bytes[6] = static_cast<uint8_t>(address >> 8);
  }

  // The 16-bit sum of bytes 3-63 as they are now.
  uint16_t computeChecksum() const;
  // Stores computeChecksum() in bytes 1-2.
  void seal();
};

}  // namespace varnacle::device
