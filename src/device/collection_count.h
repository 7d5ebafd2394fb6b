#pragma once
// How many top-level collections a report descriptor declares, remembered for
// the last few descriptors asked about: the presence probes ask about the same
// few devices ten times a second, and a descriptor does not change while its
// device stays plugged in.
//
// Thread: any; the memory is shared and locked.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace varnacle::device {

// Nothing for a descriptor the host could not use.
std::optional<std::size_t> topLevelCollectionCount(std::span<const uint8_t> descriptor);

}  // namespace varnacle::device
