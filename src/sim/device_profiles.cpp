#include "sim/device_profiles.h"

#include <array>

namespace varnacle::sim {
namespace {

// The consumer-control collection of the keyboard and the mouse: its input
// report carries one 16-bit usage (the notifications).
constexpr auto kConsumerCollection = std::to_array<uint8_t>({
    0x05, 0x0C,               // Usage Page (Consumer)
    0x09, 0x01,               // Usage (Consumer Control)
    0xA1, 0x01,               // Collection (Application)
    0x85, kConsumerReportId,  //   Report ID
    0x15, 0x00,               //   Logical Minimum (0)
    0x26, 0xFF,
    0x0F,        //   Logical Maximum (0x0FFF)
    0x19, 0x00,  //   Usage Minimum (0)
    0x2A, 0xFF,
    0x0F,        //   Usage Maximum (0x0FFF)
    0x75, 0x10,  //   Report Size (16)
    0x95, 0x01,  //   Report Count (1)
    0x81, 0x00,  //   Input (Data, Array, Absolute)
    0xC0,        // End Collection
});

// The vendor collection of every device: 63 data bytes in and out (64-byte
// reports with the report id).
constexpr auto kVendorCollection = std::to_array<uint8_t>({
    0x06, 0x1C,
    0xFF,                         // Usage Page (vendor 0xFF1C)
    0x09, 0x92,                   // Usage (0x92)
    0xA1, 0x01,                   // Collection (Application)
    0x85, kVendorReportIdOnWire,  //   Report ID
    0x15, 0x00,                   //   Logical Minimum (0)
    0x26, 0xFF,
    0x00,        //   Logical Maximum (255)
    0x75, 0x08,  //   Report Size (8)
    0x95, 0x3F,  //   Report Count (63)
    0x09, 0x01,  //   Usage (0x01)
    0x81, 0x02,  //   Input (Data, Variable, Absolute)
    0x95, 0x3F,  //   Report Count (63)
    0x09, 0x02,  //   Usage (0x02)
    0x91, 0x02,  //   Output (Data, Variable, Absolute)
    0xC0,        // End Collection
});

template <std::size_t A, std::size_t B>
constexpr std::array<uint8_t, A + B> joined(const std::array<uint8_t, A>& a,
                                            const std::array<uint8_t, B>& b) {
  std::array<uint8_t, A + B> out{};
  for (std::size_t i = 0; i < A; ++i) out[i] = a[i];
  for (std::size_t i = 0; i < B; ++i) out[A + i] = b[i];
  return out;
}

// Interface descriptor of the keyboard and the mouse: both collections.
constexpr auto kDescriptorWithNotifications = joined(kConsumerCollection, kVendorCollection);
// The mouse pad sends no notifications: only the vendor collection.
constexpr const auto& kDescriptorVendorOnly = kVendorCollection;

// The first 25 bytes of each profile's settings record (byte 0, the profile
// number, is filled in by makeSettings). The rest of the record is 0.
using RecordHead = std::array<uint8_t, 25>;

constexpr std::array<uint8_t, kSettingsMemorySize> makeSettings(
    const std::array<RecordHead, kProfileCount>& heads) {
  std::array<uint8_t, kSettingsMemorySize> memory{};
  for (std::size_t k = 0; k < heads.size(); ++k) {
    for (std::size_t i = 0; i < heads[k].size(); ++i) memory[k * kRecordStride + i] = heads[k][i];
    memory[k * kRecordStride] = static_cast<uint8_t>(k);
  }
  return memory;
}

// Mouse record: mode, brightness, speed, direction, seven-colour, R, G, B,
// preview byte, unused, DPI colour R G B, report rate, DPI stages 1-4 (slider
// positions), active stage, DPI stages 5-6, lift height, pointer speed, wheel lines.
constexpr auto kMouseFactorySettings = makeSettings({{
    {0, 1, 14, 7, 1, 1, 255, 0, 0, 0, 0, 255, 0, 0, 3, 2, 6, 14, 30, 1, 55, 83, 1, 10, 3},
    {0, 2, 10, 5, 1, 0, 0, 128, 255, 0, 0, 0, 255, 0, 3, 4, 8, 16, 32, 0, 56, 84, 1, 10, 3},
    {0, 3, 14, 0, 0, 0, 255, 64, 0, 0, 0, 0, 0, 255, 2, 6, 14, 30, 44, 2, 55, 83, 2, 10, 3},
    {0, 0, 7, 10, 1, 1, 0, 255, 0, 0, 0, 255, 255, 0, 3, 2, 4, 6, 8, 0, 10, 14, 1, 10, 3},
    {0, 4, 14, 3, 0, 1, 255, 255, 255, 0, 0, 255, 0, 255, 1, 14, 30, 55, 83, 3, 93, 103, 1, 10, 3},
}});

// Keyboard record: mode, brightness, speed, direction, multi-colour, R, G, B,
// then further device settings (kept as read by the host).
constexpr auto kKeyboardFactorySettings = makeSettings({{
    {0, 0, 14, 7, 1, 1, 255, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 2, 12, 5, 0, 0, 0, 160, 255, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 3, 14, 0, 0, 0, 255, 255, 255, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 1, 10, 7, 1, 1, 0, 255, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 4, 14, 3, 1, 1, 255, 0, 255, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
}});

// Mouse pad record: mode, brightness, speed, direction, seven-colour, R, G, B,
// preview counter; the rest is 0.
constexpr auto kMousePadFactorySettings = makeSettings({{
    {0, 0, 14, 7, 1, 1, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 1, 12, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 2, 14, 6, 0, 1, 0, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 3, 10, 0, 0, 0, 255, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 6, 14, 2, 1, 1, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
}});

// Mouse buttons in device order: left, middle, right, forward, back, DPI loop,
// and a seventh button with no function of its own.
constexpr uint8_t kMouseButtons[] = {
    0x10, 0x01, 0x00, 0x10, 0x04, 0x00, 0x10, 0x02, 0x00, 0x10, 0x10,
    0x00, 0x10, 0x08, 0x00, 0x13, 0x03, 0x00, 0x05, 0x05, 0x05,
};

// Keyboard keys in device order (106 keys): (0x20, modifier mask, keyboard
// usage) per key; the Fn key is (0xA0, 0x02, 0x02).
constexpr uint8_t kKeyboardKeys[] = {
    0x20, 0x00, 0x29, 0x20, 0x00, 0x3A, 0x20, 0x00, 0x3B, 0x20, 0x00, 0x3C, 0x20, 0x00, 0x3D, 0x20,
    0x00, 0x3E, 0x20, 0x00, 0x3F, 0x20, 0x00, 0x40, 0x20, 0x00, 0x41, 0x20, 0x00, 0x42, 0x20, 0x00,
    0x43, 0x20, 0x00, 0x44, 0x20, 0x00, 0x45, 0x20, 0x00, 0x46, 0x20, 0x00, 0x47, 0x20, 0x00, 0x48,
    0x20, 0x00, 0x35, 0x20, 0x00, 0x1E, 0x20, 0x00, 0x1F, 0x20, 0x00, 0x20, 0x20, 0x00, 0x21, 0x20,
    0x00, 0x22, 0x20, 0x00, 0x23, 0x20, 0x00, 0x24, 0x20, 0x00, 0x25, 0x20, 0x00, 0x26, 0x20, 0x00,
    0x27, 0x20, 0x00, 0x2D, 0x20, 0x00, 0x2E, 0x20, 0x00, 0x2A, 0x20, 0x00, 0x49, 0x20, 0x00, 0x4A,
    0x20, 0x00, 0x4B, 0x20, 0x00, 0x53, 0x20, 0x00, 0x54, 0x20, 0x00, 0x55, 0x20, 0x00, 0x56, 0x20,
    0x00, 0x2B, 0x20, 0x00, 0x14, 0x20, 0x00, 0x1A, 0x20, 0x00, 0x08, 0x20, 0x00, 0x15, 0x20, 0x00,
    0x17, 0x20, 0x00, 0x1C, 0x20, 0x00, 0x18, 0x20, 0x00, 0x0C, 0x20, 0x00, 0x12, 0x20, 0x00, 0x13,
    0x20, 0x00, 0x2F, 0x20, 0x00, 0x30, 0x20, 0x00, 0x31, 0x20, 0x00, 0x4C, 0x20, 0x00, 0x4D, 0x20,
    0x00, 0x4E, 0x20, 0x00, 0x5F, 0x20, 0x00, 0x60, 0x20, 0x00, 0x61, 0x20, 0x00, 0x39, 0x20, 0x00,
    0x04, 0x20, 0x00, 0x16, 0x20, 0x00, 0x07, 0x20, 0x00, 0x09, 0x20, 0x00, 0x0A, 0x20, 0x00, 0x0B,
    0x20, 0x00, 0x0D, 0x20, 0x00, 0x0E, 0x20, 0x00, 0x0F, 0x20, 0x00, 0x33, 0x20, 0x00, 0x34, 0x20,
    0x00, 0x28, 0x20, 0x00, 0x5C, 0x20, 0x00, 0x5D, 0x20, 0x00, 0x5E, 0x20, 0x02, 0x00, 0x20, 0x00,
    0x1D, 0x20, 0x00, 0x1B, 0x20, 0x00, 0x06, 0x20, 0x00, 0x19, 0x20, 0x00, 0x05, 0x20, 0x00, 0x11,
    0x20, 0x00, 0x10, 0x20, 0x00, 0x36, 0x20, 0x00, 0x37, 0x20, 0x00, 0x38, 0x20, 0x20, 0x00, 0x20,
    0x00, 0x52, 0x20, 0x00, 0x59, 0x20, 0x00, 0x5A, 0x20, 0x00, 0x5B, 0x20, 0x00, 0x64, 0x20, 0x01,
    0x00, 0x20, 0x08, 0x00, 0x20, 0x04, 0x00, 0x20, 0x00, 0x2C, 0x20, 0x40, 0x00, 0xA0, 0x02, 0x02,
    0x20, 0x00, 0x65, 0x20, 0x10, 0x00, 0x20, 0x00, 0x50, 0x20, 0x00, 0x51, 0x20, 0x00, 0x4F, 0x20,
    0x00, 0x62, 0x20, 0x00, 0x63, 0x20, 0x00, 0x58, 0x20, 0x00, 0x57, 0x20, 0x80, 0x00,
};

constexpr std::size_t kKeyboardKeyCount = sizeof(kKeyboardKeys) / 3;
static_assert(kKeyboardKeyCount * 3 <= kKeyTableSize);

// A key table: the keys at the start, the rest of the 512 bytes zero.
template <std::size_t N>
constexpr std::array<uint8_t, kKeyTableSize> makeKeyTable(const uint8_t (&keys)[N]) {
  std::array<uint8_t, kKeyTableSize> table{};
  for (std::size_t i = 0; i < N; ++i) table[i] = keys[i];
  return table;
}

// Profile tables: every profile starts with the device's own key records at
// 126 * k. On the keyboard the tables overlap (a table is 3 * key count bytes,
// more than 126), so only profile 0 holds the whole key table.
template <std::size_t N>
constexpr std::array<uint8_t, kProfileMemorySize> makeProfileTables(const uint8_t (&keys)[N]) {
  std::array<uint8_t, kProfileMemorySize> memory{};
  for (std::size_t k = kProfileCount; k-- > 0;)
    for (std::size_t i = 0; i < N; ++i) memory[k * kProfileTableStride + i] = keys[i];
  return memory;
}

constexpr auto kMouseKeyTable = makeKeyTable(kMouseButtons);
constexpr auto kMouseProfileTables = makeProfileTables(kMouseButtons);
constexpr auto kKeyboardKeyTable = makeKeyTable(kKeyboardKeys);
constexpr auto kKeyboardProfileTables = makeProfileTables(kKeyboardKeys);

// The mouse's factory fire-key cursor image: magic 0x55AA, total size 40,
// four sequences without actions (offsets 24, 28, 32, 36).
constexpr uint8_t kMouseCursorImage[] = {
    0xAA, 0x55, 40, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 24, 0, 28, 0,
    32,   0,    36, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0,  0,
};
static_assert(sizeof(kMouseCursorImage) == 40);

// Information block: byte 0 block format, bytes 1-2 product id, bytes 3-4
// firmware version, byte 5 key count, byte 6 macro capacity / 128, byte 7
// on-board profiles, byte 12 DPI slider maximum, bytes 13-14 DPI base (200).
constexpr InfoBlock kKeyboardInfo = {1, 0x00, 0x08, 0x04, 0x01, kKeyboardKeyCount, 32, 5};
constexpr InfoBlock kMouseInfo = {1, 0x2E, 0x66, 0x07, 0x01, 7, 16, 5, 0, 0, 0, 0, 103, 200, 0};
constexpr InfoBlock kMousePadInfo = {1, 0x04, 0x50, 0x02, 0x01, 0, 0, 5};

constexpr DeviceModel kKeyboardModel{DeviceKind::keyboard,
                                     {kVendorId, 0x0800, 0x0104, 1},
                                     kDescriptorWithNotifications,
                                     kKeyboardInfo,
                                     kKeyboardFactorySettings,
                                     kKeyboardKeyTable,
                                     kKeyboardProfileTables,
                                     {},
                                     true};
constexpr DeviceModel kMouseModel{DeviceKind::mouse,
                                  {kVendorId, 0x662E, 0x0107, 1},
                                  kDescriptorWithNotifications,
                                  kMouseInfo,
                                  kMouseFactorySettings,
                                  kMouseKeyTable,
                                  kMouseProfileTables,
                                  kMouseCursorImage,
                                  true};
constexpr DeviceModel kMousePadModel{DeviceKind::mousePad,
                                     {kVendorId, 0x5004, 0x0102, 0},
                                     kDescriptorVendorOnly,
                                     kMousePadInfo,
                                     kMousePadFactorySettings,
                                     {},
                                     {},
                                     {},
                                     false};

}  // namespace

const DeviceModel& deviceModel(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::keyboard:
      return kKeyboardModel;
    case DeviceKind::mouse:
      return kMouseModel;
    case DeviceKind::mousePad:
      return kMousePadModel;
  }
  return kMouseModel;
}

}  // namespace varnacle::sim
