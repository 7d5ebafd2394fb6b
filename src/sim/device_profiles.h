#pragma once
// The three virtual devices' identities, report descriptors and factory
// memory: constant data the protocol engine (virtual_device.h) starts from and
// returns to on a reset.
//
// Device memory, as the report protocol addresses it:
//   settings  5 records of 56 bytes, record k at 64 * k; the byte at address 0
//             reads back as the active profile
//   key table 512 bytes, 3 bytes per key (read only)
//   profiles  profile tables 126 bytes apart; a table is moved as up to 512
//             bytes, so the last one reaches 4 * 126 + 512
//   macros    information byte 6 * 128 bytes (write only)
//   cursor    one fire-key cursor image, at most 3072 bytes
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/device_kind.h"
#include "sim/sim_bus.h"

namespace varnacle::sim {

inline constexpr uint16_t kVendorId = 0x0C45;
inline constexpr uint8_t kConsumerReportId = 0x02;
inline constexpr uint8_t kVendorReportIdOnWire = 0x04;

inline constexpr std::size_t kInfoBlockSize = 33;
inline constexpr std::size_t kInfoKeyCountByte = 5;
inline constexpr std::size_t kInfoMacroCapacityByte = 6;
inline constexpr std::size_t kInfoDpiMaximumByte = 12;
inline constexpr std::size_t kMacroCapacityUnit = 128;

inline constexpr int kProfileCount = 5;
inline constexpr std::size_t kRecordSize = 56;
inline constexpr std::size_t kRecordStride = 64;
inline constexpr std::size_t kSettingsMemorySize = kRecordStride * kProfileCount;
inline constexpr std::size_t kKeyTableSize = 512;
inline constexpr std::size_t kProfileTableStride = 126;
inline constexpr std::size_t kProfileMemorySize = kProfileTableStride * (kProfileCount - 1) + 512;
inline constexpr std::size_t kCursorMemorySize = 3072;

using InfoBlock = std::array<uint8_t, kInfoBlockSize>;

struct DeviceModel {
  DeviceKind kind;
  Identity identity;
  std::span<const uint8_t> reportDescriptor;
  InfoBlock infoBlock;
  std::span<const uint8_t, kSettingsMemorySize> factorySettings;
  // Empty for a device without key tables (the mouse pad); otherwise exactly
  // kKeyTableSize and kProfileMemorySize bytes.
  std::span<const uint8_t> factoryKeyTable;
  std::span<const uint8_t> factoryProfileTables;
  // Empty for a device without a fire-key cursor table.
  std::span<const uint8_t> factoryCursorImage;
  // Whether the interface has the consumer collection that sends notifications.
  bool hasNotifications;
};

const DeviceModel& deviceModel(DeviceKind kind);

}  // namespace varnacle::sim
