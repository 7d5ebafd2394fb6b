#pragma once
// Giving a DeviceSession its device's identity, and finding and opening the
// interface that matches it.
//
// Threads: the thread that owns the session's connection state (the presence
// thread, or the caller of a tool) with the session's lock held or unshared.
#include <array>
#include <cstdint>

#include "device/device_kind.h"
#include "device/device_session.h"

namespace varnacle::device {

struct SessionIdentity {
  uint16_t vendorId;
  uint16_t productId;
  uint16_t usagePage;
  uint16_t usage;
};

// The configuration collection of each device, indexed by DeviceKind
// (keyboard, mouse, mouse pad).
inline constexpr std::array<SessionIdentity, 3> kSessionIdentities = {{
    {0x0C45, 0x0800, 0xFF1C, 0x0092},
    {0x0C45, 0x662E, 0xFF1C, 0x0092},
    {0x0C45, 0x5004, 0xFF1C, 0x0092},
}};

void assignIdentity(DeviceSession& session, DeviceKind kind);

// What a search for the session's interface found.
enum class InterfaceSearch {
  opened,        // the session is online
  absent,        // no collection of the machine is the session's device
  accessDenied,  // the session's collection is there, but the user may not open it
  listFailed,    // the collections could not be listed at all
};

// Enumerates the HID collections; for each path whose "vid_" matches, opens it
// read + write + overlapped + shared and keeps it when the attributes' ids and
// the capabilities' usage page and usage equal the session's identity: the
// session is then online. Interfaces that do not match are closed again. A
// path the user may not open counts as access denied only when an open
// without access rights shows it is the session's collection, so a denied
// node of another device never looks like ours; a collection that opens wins
// over a denied one. The path list is freed before returning.
InterfaceSearch searchMatchingInterface(DeviceSession& session);
// The search, true when it opened the interface.
bool openMatchingInterface(DeviceSession& session);

}  // namespace varnacle::device
