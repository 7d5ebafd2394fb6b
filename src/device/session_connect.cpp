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

namespace {

bool hasIdentity(const DeviceSession& session, const HidDevice& device) {
  const HidAttributes& attributes = device.attributes();
  const HidCapabilities& capabilities = device.capabilities();
  return attributes.vendorId == session.vendorId && attributes.productId == session.productId &&
         capabilities.usagePage == session.usagePage && capabilities.usage == session.usage;
}

}  // namespace

InterfaceSearch searchMatchingInterface(DeviceSession& session) {
  std::lock_guard guard(session.lock);
  HidDevice& device = session.device;
  if (!device.enumerate()) return InterfaceSearch::listFailed;
  bool denied = false;
  bool found = false;
  for (const std::string& path : device.pathList) {
    if (hexAfter(path, "vid_") != session.vendorId) continue;
    session.prepareOpenOptions();
    device.devicePath = path;
    if (device.open()) {
      if (hasIdentity(session, device)) {
        session.online = true;
        found = true;
        break;
      }
    } else if (device.openError() == OpenError::accessDenied && !denied) {
      // Identity and capabilities need no access rights.
      device.options = {};
      denied = device.open() && hasIdentity(session, device);
    }
    device.close();
  }
  device.freePathList();
  if (found) return InterfaceSearch::opened;
  return denied ? InterfaceSearch::accessDenied : InterfaceSearch::absent;
}

bool openMatchingInterface(DeviceSession& session) {
  return searchMatchingInterface(session) == InterfaceSearch::opened;
}

}  // namespace varnacle::device
