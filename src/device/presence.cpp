#include "device/presence.h"

#include <mutex>

#include "device/session_connect.h"

namespace varnacle::device {

namespace {

void call(const std::function<void()>& hook) {
  if (hook) hook();
}

}  // namespace

PresenceWatcher::PresenceWatcher(DeviceSession& session, PresenceHooks hooks)
    : session_(session), hooks_(std::move(hooks)) {}

bool PresenceWatcher::pass() {
  std::lock_guard guard(session_.lock);
  if (session_.online) {
    if (session_.device.probe()) {
      call(hooks_.present);
    } else {
      // The handle stays open until the next successful open replaces it.
      depart();
    }
  } else {
    // A session that went offline by itself found its connection gone,
    // perhaps after an unplug and replug too quick for any probe: the device
    // departs, and the search below opens it again if it is back.
    if (announced_) depart();
    switch (searchMatchingInterface(session_)) {
      case InterfaceSearch::opened:
        announced_ = true;
        deniedTold_ = false;
        call(hooks_.arrived);
        break;
      case InterfaceSearch::accessDenied:
        if (!deniedTold_) {
          deniedTold_ = true;
          call(hooks_.accessDenied);
        }
        break;
      case InterfaceSearch::absent:
        deniedTold_ = false;
        break;
      case InterfaceSearch::listFailed:
        endFirstPass();
        return false;
    }
  }
  endFirstPass();
  return true;
}

void PresenceWatcher::endFirstPass() {
  if (firstPassDone_) return;
  firstPassDone_ = true;
  if (hooks_.firstPass) hooks_.firstPass(session_.online);
}

void PresenceWatcher::depart() {
  session_.online = false;
  session_.lightingSync = false;
  announced_ = false;
  call(hooks_.departed);
}

void PresenceWatcher::run(platform::WorkerSlot slot, platform::Event& stop) {
  platform::runWorkerLoop(slot, stop, [&] {
    if (!pass()) return false;
    // The pause between passes ends early when the thread is told to stop.
    stop.wait(session_.online ? presentPeriod : absentPeriod);
    return true;
  });
}

}  // namespace varnacle::device
