#include "device/hid_path.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace varnacle::device {

std::string collectionPath(std::string_view node, uint16_t vendorId, uint16_t productId,
                           std::optional<int> interfaceNumber, int collection,
                           std::size_t collectionCount) {
  char suffix[64];
  int n = std::snprintf(suffix, sizeof suffix, "#vid_%04x&pid_%04x", vendorId, productId);
  if (interfaceNumber)
    n += std::snprintf(suffix + n, sizeof suffix - std::size_t(n), "&mi_%02x",
                       *interfaceNumber & 0xFF);
  if (collectionCount > 1)
    std::snprintf(suffix + n, sizeof suffix - std::size_t(n), "&col%02x", collection & 0xFF);
  return std::string(node) + suffix;
}

std::optional<CollectionPathParts> splitCollectionPath(std::string_view path) {
  const auto hash = path.find('#');
  if (hash == std::string_view::npos) return std::nullopt;
  CollectionPathParts parts;
  parts.node = std::string(path.substr(0, hash));
  const int collection = hexAfter(path.substr(hash), "&col");
  parts.collection = collection == 0 ? 1 : collection;
  return parts;
}

int hexAfter(std::string_view path, std::string_view key) {
  const auto lower = [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); };
  const auto it = std::search(path.begin(), path.end(), key.begin(), key.end(),
                              [&](char a, char b) { return lower(a) == lower(b); });
  if (it == path.end()) return 0;
  unsigned value = 0;
  for (auto p = it + std::ptrdiff_t(key.size());
       p != path.end() && std::isxdigit(static_cast<unsigned char>(*p)); ++p) {
    const char c = lower(*p);
    value = value * 16 + unsigned(c <= '9' ? c - '0' : c - 'a' + 10);
    if (value > 0xFFFFFF) return 0;  // no interface or collection number is this long
  }
  return int(value);
}

}  // namespace varnacle::device
