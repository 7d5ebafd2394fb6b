#include "profile/file_names.h"

#include <array>

#include "profile/ini_document.h"
#include "profile/text_encoding.h"

namespace varnacle::profile {

namespace {

constexpr size_t kMaxNameBytes = 200;
constexpr std::string_view kForbidden = "<>:\"/\\|?*";
constexpr std::array<std::string_view, 4> kReservedNames = {"con", "prn", "aux", "nul"};

bool isReservedDeviceName(std::string_view name) {
  const std::string stem = asciiLower(name.substr(0, name.find('.')));
  for (std::string_view reserved : kReservedNames) {
    if (stem == reserved) return true;
  }
  return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

bool isSafeFileName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameBytes) return false;
  if (name.find("..") != std::string_view::npos) return false;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
    if (kForbidden.find(c) != std::string_view::npos) return false;
  }
  if (name.back() == '.' || name.back() == ' ') return false;
  return !isReservedDeviceName(name);
}

bool isStorableName(std::string_view name) {
  return isSafeFileName(name) && readsBackUnchanged(name);
}

}  // namespace varnacle::profile
