#include "mouse/same_mode.h"

#include <algorithm>

namespace varnacle::mouse {

std::optional<DeviceKind> sameModeSource(std::string_view controlName) {
  for (DeviceKind kind : kAllDeviceKinds)
    if (kSameModeButtons[static_cast<std::size_t>(kind)] == controlName) return kind;
  return std::nullopt;
}

SharedBlock copySameMode(DeviceKind source, device::LiveLighting& live, SharedPreviewBlock& block,
                         const std::array<device::DeviceSession*, 3>& sessions) {
  const Record from = live.snapshot(source);
  for (DeviceKind kind : kAllDeviceKinds) {
    if (kind == source) continue;
    // In place, in one step, so a read of the device landing meanwhile is
    // kept; unmarked: the device receives it with its next live report.
    live.edit(
        kind,
        [&from](Record& to) {
          std::copy(from.begin() + kSameModeFirstByte, from.begin() + kSameModeLastByte + 1,
                    to.begin() + kSameModeFirstByte);
        },
        false);
  }
  const SharedBlock copied = sharedBlockOf(from);
  block.set(copied);
  for (device::DeviceSession* session : sessions)
    if (session) session->lightingSync = true;
  return copied;
}

}  // namespace varnacle::mouse
