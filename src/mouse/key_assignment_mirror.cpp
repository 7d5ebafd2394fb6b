#include "mouse/key_assignment_mirror.h"

#include <algorithm>

namespace varnacle::mouse {

namespace {

std::optional<std::size_t> baseOf(int profile) {
  if (profile < 0 || profile >= device::kOnBoardProfiles) return std::nullopt;
  return static_cast<std::size_t>(profile) * device::kProfileTableStride;
}

}  // namespace

void AssignmentMirror::fill(const std::array<device::TableSlot, device::kOnBoardProfiles>& tables) {
  for (int p = 0; p < device::kOnBoardProfiles; ++p)
    std::copy(tables[static_cast<std::size_t>(p)].begin(),
              tables[static_cast<std::size_t>(p)].end(),
              area_.begin() + static_cast<std::ptrdiff_t>(*baseOf(p)));
  known_ = true;
}

void AssignmentMirror::forget() {
  known_ = false;
}

std::optional<device::TableSlot> AssignmentMirror::bufferFor(
    int profile, std::span<const uint8_t, kProfileAssignmentBytes> own) const {
  const auto base = baseOf(profile);
  if (!known_ || !base) return std::nullopt;
  device::TableSlot buffer{};
  std::copy(area_.begin() + static_cast<std::ptrdiff_t>(*base),
            area_.begin() + static_cast<std::ptrdiff_t>(*base + buffer.size()), buffer.begin());
  std::copy(own.begin(), own.end(), buffer.begin());
  return buffer;
}

void AssignmentMirror::written(int profile, const device::TableSlot& buffer) {
  const auto base = baseOf(profile);
  if (!base) return;
  std::copy(buffer.begin(), buffer.end(), area_.begin() + static_cast<std::ptrdiff_t>(*base));
}

}  // namespace varnacle::mouse
