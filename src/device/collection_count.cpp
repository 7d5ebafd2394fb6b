#include "device/collection_count.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "device/report_descriptor.h"

namespace varnacle::device {

namespace {

// A few more than the devices of the family (three, one descriptor each).
constexpr std::size_t kRemembered = 8;

struct Remembered {
  std::vector<uint8_t> descriptor;
  std::optional<std::size_t> count;
};

}  // namespace

std::optional<std::size_t> topLevelCollectionCount(std::span<const uint8_t> descriptor) {
  static std::mutex mutex;
  static std::vector<Remembered> remembered;
  {
    std::lock_guard lock(mutex);
    const auto it = std::find_if(remembered.begin(), remembered.end(), [&](const Remembered& r) {
      return std::equal(r.descriptor.begin(), r.descriptor.end(), descriptor.begin(),
                        descriptor.end());
    });
    if (it != remembered.end()) return it->count;
  }
  const auto parsed = parseReportDescriptor(descriptor);
  std::optional<std::size_t> count;
  if (parsed.descriptor) count = parsed.descriptor->collections.size();
  std::lock_guard lock(mutex);
  if (remembered.size() >= kRemembered) remembered.erase(remembered.begin());
  remembered.push_back({std::vector<uint8_t>(descriptor.begin(), descriptor.end()), count});
  return count;
}

}  // namespace varnacle::device
