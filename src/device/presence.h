#pragma once
// The presence thread of one device session: finds the device among the HID
// collections, brings the session online, and watches that it stays present.
//
// Timeline of one pass (the session lock is held for the whole pass):
//   online:  probe the path ── present ─> present()
//                           └─ gone ────> offline, sync flag cleared, departed()
//   offline: went offline by itself since arrived() (a read or write found
//            the connection gone) ─> sync flag cleared, departed(); then
//            enumerate ── failed ─> the thread ends (no stop line)
//                       └─ match ──> online, arrived()
//   first pass only, when online: firstPassOnline()
//   then wait 100 ms while online, 1000 ms while offline (cut short by stop)
//
// Thread: run() on the slot's worker thread. The hooks run on that thread
// with the session lock held; UI work must be posted, never waited for, since
// the UI thread may itself be waiting for this lock.
#include <chrono>
#include <functional>

#include "device/device_session.h"
#include "platform/event.h"
#include "platform/worker_slots.h"

namespace varnacle::device {

struct PresenceHooks {
  // The session has just gone online: read the device, then post page updates.
  std::function<void()> arrived;
  // The device disappeared (found by the probe or by the session's own
  // traffic); the session is already offline.
  std::function<void()> departed;
  // A probe found the device still there.
  std::function<void()> present;
  // After the first pass, if the session came online in it.
  std::function<void()> firstPassOnline;
};

class PresenceWatcher {
 public:
  PresenceWatcher(DeviceSession& session, PresenceHooks hooks);

  std::chrono::milliseconds presentPeriod{100};
  std::chrono::milliseconds absentPeriod{1000};

  // One pass as drawn above. False when the collections could not be listed.
  bool pass();
  // The thread body: passes until `stop` is set (stop line of `slot`) or a
  // pass fails (no stop line).
  void run(platform::WorkerSlot slot, platform::Event& stop);

 private:
  // Offline, sync flag cleared, departed().
  void depart();

  DeviceSession& session_;
  PresenceHooks hooks_;
  bool firstPassDone_ = false;
  bool announced_ = false;  // arrived() ran, departed() has not since
};

}  // namespace varnacle::device
