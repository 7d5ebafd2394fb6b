#pragma once
// A feature page of the main window (button assignment, DPI, lighting,
// macros, ...). The main window owns its pages and hands each, in the order
// they were added, what its routing gives to "the pages".
//
// Threads: deviceArrived() runs on the device's presence thread with the
// session lock held; everything else on the UI thread.
#include <cstdint>

#include "device/device_kind.h"
#include "device/device_session.h"
#include "ui/notification.h"

namespace varnacle::app {

class Page {
 public:
  virtual ~Page() = default;

  // Start-up initialiser at "windowinit": load the page's files.
  virtual void startUp() {}
  // Control notifications the title bar did not take: "click",
  // "selectchanged", "valuechanged", "movevaluechanged", "itemselect",
  // "itemclick", "textchanged", "colorchanged", "msenter", "msleave".
  virtual void notify(const ui::Notification&) {}
  // Device refresh, hook and progress messages (see main_messages.h).
  virtual void deviceMessage(std::uint32_t, std::uintptr_t, std::intptr_t) {}
  // The device was found: read it here (presence thread, lock held). UI work
  // waits for deviceShown().
  virtual void deviceArrived(DeviceKind, device::DeviceSession&) {}
  // After an arrival, on the UI thread: show what was read.
  virtual void deviceShown(DeviceKind) {}
  // The device went away (UI thread).
  virtual void deviceGone(DeviceKind) {}
};

}  // namespace varnacle::app
