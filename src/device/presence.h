#pragma once
// The presence thread of one device session: finds the device among the HID
// collections, brings the session online, and watches that it stays present.
//
// Timeline of one pass (the session lock is held for the whole pass):
//   online:  probe the path ── present ─> present()
//                           └─ gone ────> offline, sync flag cleared, departed()
//   offline: went offline by itself since arrived() (a read or write found
//            the connection gone) ─> sync flag cleared, departed(); then
//            search ── list failed ──> the thread ends (no stop line)
//                    ├─ opened ──────> online, arrived()
//                    ├─ access denied > accessDenied(), unless already told
//                    └─ absent
//   first pass only: firstPass(online), also when the list failed
//   then wait 100 ms while online, 1000 ms while offline (cut short by stop)
//
// "Access denied" is told once per stay of the device: again only after the
// device was opened or was absent in between.
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
  // The device is there, but the user may not open it.
  std::function<void()> accessDenied;
  // After the first pass, with whether the session came online in it.
  std::function<void(bool online)> firstPass;
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
  // firstPass() after the first pass, nothing after later ones.
  void endFirstPass();

  DeviceSession& session_;
  PresenceHooks hooks_;
  bool firstPassDone_ = false;
  bool announced_ = false;  // arrived() ran, departed() has not since
  bool deniedTold_ = false;  // accessDenied() ran, the device was not opened or absent since
};

}  // namespace varnacle::device
