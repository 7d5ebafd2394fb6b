#pragma once
// A feature page of the main window (button assignment, DPI, lighting,
// macros, ...): the contract between the main window and the feature folders.
// The main window owns its pages and hands each, in the order they were
// added, what its routing gives to "the pages".
//
// Threads: deviceArrived() runs on the device's presence thread with the
// session lock held; everything else on the UI thread.
#include <array>
#include <atomic>
#include <cstdint>

#include "device/device_kind.h"
#include "ui/notification.h"

namespace varnacle::device {
class DeviceSession;
class LiveLighting;
class PreviewGates;
class PreviewTicks;
}  // namespace varnacle::device

namespace varnacle::platform {
class WorkerSlots;
}  // namespace varnacle::platform

namespace varnacle::ui {
class Window;
}  // namespace varnacle::ui

namespace varnacle::pages {

class CDeviceHook;

// What the main window lends its pages; everything lives as long as the
// main window. Sessions are indexed by DeviceKind.
struct PageContext {
  ui::Window& window;
  std::array<device::DeviceSession*, 3> sessions;
  device::LiveLighting& liveLighting;
  device::PreviewTicks& previewTicks;
  platform::WorkerSlots& workerSlots;
  // Set by the mouse listener on usage 0x0403; taken by the mouse pad preview.
  std::atomic<bool>& mouseTrigger;
  // The input hooks of key capture and macro recording.
  CDeviceHook& hooks;
  // A lighting preview waits at the gate it adds here, with the pictures it
  // paints: open while one of them can be seen.
  device::PreviewGates& previewGates;

  device::DeviceSession& session(DeviceKind kind) const {
    return *sessions[static_cast<std::size_t>(kind)];
  }
};

class Page {
 public:
  virtual ~Page() = default;

  // Start-up initialiser at "windowinit": load the page's files.
  virtual void startUp() {}
  // Start the page's worker threads (lighting previews) in their slots;
  // called once after startUp(), with the other workers.
  virtual void startWorkers() {}
  // Control notifications the title bar did not take: "click",
  // "selectchanged", "valuechanged", "movevaluechanged", "itemselect",
  // "itemclick", "textchanged", "colorchanged", "msenter", "msleave".
  virtual void notify(const ui::Notification&) {}
  // Device refresh, hook and progress messages (see page_messages.h).
  virtual void deviceMessage(std::uint32_t, std::uintptr_t, std::intptr_t) {}
  // The device was found: read it here (presence thread, lock held). UI work
  // waits for deviceShown().
  virtual void deviceArrived(DeviceKind, device::DeviceSession&) {}
  // After an arrival, on the UI thread: show what was read.
  virtual void deviceShown(DeviceKind) {}
  // The device went away (UI thread).
  virtual void deviceGone(DeviceKind) {}
  // The language changed and the layout's texts were resolved again: texts a
  // page resolved itself (tool tips) follow here.
  virtual void languageChanged() {}
};

}  // namespace varnacle::pages
