#include "device/session_connect.h"

#include "device/hid_path.h"

namespace varnacle::device {

void assignIdentity(DeviceSession& session, DeviceKind kind) {
  const SessionIdentity& identity = kSessionIdentities[static_cast<std::size_t>(kind)];
  session.vendorId = identity.vendorId;
  session.productId = identity.productId;
  session.usagePage = identity.usagePage;
  session.usage = identity.usage;
}

bool openMatchingInterface(DeviceSession& session, bool* listFailed) {
  std::lock_guard guard(session.lock);
  HidDevice& device = session.device;
  const bool listed = device.enumerate();
  if (listFailed) *listFailed = !listed;
  if (!listed) return false;
  bool found = false;
  for (const std::string& path : device.pathList) {
    if (hexAfter(path, "vid_") != session.vendorId) continue;
    session.prepareOpenOptions();
    device.devicePath = path;
    if (!device.open()) continue;
    const HidAttributes& attributes = device.attributes();
    const HidCapabilities& capabilities = device.capabilities();
    if (attributes.vendorId == session.vendorId && attributes.productId == session.productId &&
        capabilities.usagePage == session.usagePage && capabilities.usage == session.usage) {
      session.online = true;
      found = true;
      break;
    }
    device.close();
  }
  device.freePathList();
  return found;
}

}  // namespace varnacle::device
