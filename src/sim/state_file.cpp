#include "sim/state_file.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/atomic_file.h"

namespace varnacle::sim {
namespace {

constexpr std::array<uint8_t, 4> kMagic = {'V', 'S', 'I', 'M'};
constexpr uint16_t kFormat = 1;
// No table of any device comes near this; a larger size means a damaged file.
constexpr uint32_t kLargestTable = 1 << 16;

void put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void putTable(std::vector<uint8_t>& out, const std::vector<uint8_t>& table) {
  const auto size = static_cast<uint32_t>(table.size());
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(size >> shift));
  out.insert(out.end(), table.begin(), table.end());
}

// Reads fields from a byte buffer; every read checks what is left.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  std::optional<uint8_t> u8() {
    if (bytes_.empty()) return std::nullopt;
    const uint8_t value = bytes_[0];
    bytes_ = bytes_.subspan(1);
    return value;
  }
  std::optional<uint16_t> u16() {
    auto low = u8();
    auto high = u8();
    if (!low || !high) return std::nullopt;
    return static_cast<uint16_t>(*low | *high << 8);
  }
  std::optional<std::vector<uint8_t>> table() {
    if (bytes_.size() < 4) return std::nullopt;
    const uint32_t size = static_cast<uint32_t>(bytes_[0] | bytes_[1] << 8 | bytes_[2] << 16 |
                                                static_cast<uint32_t>(bytes_[3]) << 24);
    bytes_ = bytes_.subspan(4);
    if (size > kLargestTable || size > bytes_.size()) return std::nullopt;
    std::vector<uint8_t> table(bytes_.begin(), bytes_.begin() + size);
    bytes_ = bytes_.subspan(size);
    return table;
  }
  bool atEnd() const { return bytes_.empty(); }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace

bool saveDeviceStates(const std::string& path,
                      std::span<const std::shared_ptr<VirtualDevice>> devices) {
  std::vector<uint8_t> out(kMagic.begin(), kMagic.end());
  put16(out, kFormat);
  put16(out, static_cast<uint16_t>(devices.size()));
  for (const auto& device : devices) {
    const DeviceMemory memory = device->memory();
    put16(out, device->identity().productId);
    out.push_back(memory.activeProfile);
    for (const auto* table : {&memory.settings, &memory.keyTable, &memory.profileTables,
                              &memory.macros, &memory.cursor})
      putTable(out, *table);
  }

  return platform::replaceFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(out.data()), out.size()));
}

bool loadDeviceStates(const std::string& path,
                      std::span<const std::shared_ptr<VirtualDevice>> devices) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  Reader reader(bytes);
  for (uint8_t expected : kMagic)
    if (reader.u8() != expected) return false;
  if (reader.u16() != kFormat) return false;
  const auto count = reader.u16();
  if (!count) return false;

  // Everything is read and checked before any device changes.
  std::vector<std::pair<VirtualDevice*, DeviceMemory>> restored;
  for (uint16_t i = 0; i < *count; ++i) {
    const auto productId = reader.u16();
    const auto active = reader.u8();
    if (!productId || !active) return false;
    DeviceMemory memory;
    memory.activeProfile = *active;
    for (auto* table : {&memory.settings, &memory.keyTable, &memory.profileTables, &memory.macros,
                        &memory.cursor}) {
      auto read = reader.table();
      if (!read) return false;
      *table = std::move(*read);
    }
    for (const auto& device : devices) {
      if (device->identity().productId != *productId) continue;
      const DeviceMemory current = device->memory();
      if (memory.activeProfile >= kProfileCount ||
          current.settings.size() != memory.settings.size() ||
          current.keyTable.size() != memory.keyTable.size() ||
          current.profileTables.size() != memory.profileTables.size() ||
          current.macros.size() != memory.macros.size() ||
          current.cursor.size() != memory.cursor.size())
        return false;
      restored.emplace_back(device.get(), memory);
    }
  }
  if (!reader.atEnd()) return false;
  // Shapes were checked above, so no device refuses its image.
  for (auto& [device, memory] : restored) device->setMemory(memory);
  return true;
}

}  // namespace varnacle::sim
