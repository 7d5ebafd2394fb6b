#pragma once
// What the mouse holds in its button assignment area. The profiles' tables
// lie 126 bytes apart there, and a table write always moves 512 bytes, so
// writing profile p also writes the 386 bytes after its own 126: the tables
// of the profiles that follow it and the area's tail. The buffer for a write
// therefore carries the profile's own bytes and then what the mouse already
// holds there, so a write never changes another profile's buttons.
//
// The mirror is filled by a complete read of all five tables and follows
// every write that went through; a read or a write that failed leaves it
// unknown (a write may have landed in part), and the area must be read from
// the mouse before the next write.
//
// Not locked: MouseConfig keeps it behind its lock.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "device/exchanges.h"
#include "mouse/key_assignment.h"

namespace varnacle::mouse {

// 4 × 126 + 512: the last profile's write reaches this far.
inline constexpr std::size_t kAssignmentAreaSize =
    device::kProfileTableStride * (device::kOnBoardProfiles - 1) + device::kTableSlotSize;

class AssignmentMirror {
 public:
  // The five tables as a read brought them (table k from 126 k on).
  void fill(const std::array<device::TableSlot, device::kOnBoardProfiles>& tables);
  // After a failed read or write: the mouse's bytes are no longer known.
  void forget();
  bool known() const { return known_; }

  // The 512 bytes to write for profile 0-4: `own` (the profile's 126 bytes),
  // then the mirrored bytes that follow. Nothing while unknown or for
  // another profile number.
  std::optional<device::TableSlot> bufferFor(
      int profile, std::span<const uint8_t, kProfileAssignmentBytes> own) const;
  // The write of `buffer` to profile 0-4 went through.
  void written(int profile, const device::TableSlot& buffer);

  // The area as mirrored (tests compare it with the mouse).
  const std::array<uint8_t, kAssignmentAreaSize>& bytes() const { return area_; }

 private:
  std::array<uint8_t, kAssignmentAreaSize> area_{};
  bool known_ = false;
};

}  // namespace varnacle::mouse
