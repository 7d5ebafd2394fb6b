#pragma once
// The spelling of collection paths, shared by the backends and HidDevice.
//
// A backend lists one path per top-level collection: the node of the HID
// interface, then "#vid_xxxx&pid_xxxx", "&mi_xx" when the interface number is
// known and "&colxx" when the interface has more than one top-level
// collection (hexadecimal, lower case), so that callers can read the ids and
// numbers back the way the other platform's device paths are read.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnacle::device {

std::string collectionPath(std::string_view node, uint16_t vendorId, uint16_t productId,
                           std::optional<int> interfaceNumber, int collection,
                           std::size_t collectionCount);

// The node and the 1-based collection number of a path; nothing when the path
// has no "#" part.
struct CollectionPathParts {
  std::string node;
  int collection = 1;
};
std::optional<CollectionPathParts> splitCollectionPath(std::string_view path);

// The hexadecimal number after `key` in `path`, the key searched without
// regard to case; 0 when the key is absent or no digits follow it.
int hexAfter(std::string_view path, std::string_view key);

}  // namespace varnacle::device
