#pragma once
// The three devices of the family. Control names carry the prefixes "kb_",
// "ms_" and "mp_"; settings folders are "kb", "ms" and "mp".
#include <cstdint>
#include <string_view>

namespace varnacle {

enum class DeviceKind : uint8_t { keyboard, mouse, mousePad };

inline constexpr DeviceKind kAllDeviceKinds[] = {DeviceKind::keyboard, DeviceKind::mouse,
                                                 DeviceKind::mousePad};

// "kb", "ms" or "mp": the settings folder and the control-name prefix stem.
constexpr std::string_view folderName(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::keyboard: return "kb";
    case DeviceKind::mouse: return "ms";
    case DeviceKind::mousePad: return "mp";
  }
  return "ms";
}

}  // namespace varnacle
