#pragma once
// The main window: owns the three device sessions, the worker slots, the live
// lighting push, the tray icon and the pages; routes notifications, numbered
// messages and timers.
//
// UI thread only, except that workers reach it through the dispatcher with
// id(). The object lives from before create() until after the event loop
// ended; the sessions are destroyed in the order mouse pad, mouse, keyboard.
#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

#include "app/skin_observer.h"
#include "device/device_session.h"
#include "device/live_lighting.h"
#include "device/notification_listener.h"
#include "device/presence.h"
#include "device/preview_pacing.h"
#include "platform/worker_slots.h"
#include "ui/menu.h"
#include "pages/device_hook.h"
#include "pages/page.h"
#include "ui/tray.h"
#include "ui/window.h"

namespace varnacle::app {

// The window's fixed texts and size.
inline constexpr std::string_view kMainWindowTitle = "Varnacle Driver";
inline constexpr std::string_view kTrayTip = "GRIMWOLF Q650 Gaming Mouse";
inline constexpr ui::Size kMainWindowSize{800, 572};
inline constexpr ui::Color kPaletteStartColor = 0xFF0199CB;

// Timer ids.
inline constexpr int kTimerProgress = 1;
inline constexpr int kTimerLivePush = 2;
inline constexpr int kTimerRepaint = 7;

// The progress indicator: its text while an upload runs, the text it ends on
// when the upload failed, and how long each end stays shown.
inline constexpr std::string_view kProgressText = "setting_progress_text";
inline constexpr std::string_view kProgressFailedText = "setting_failed_text";
inline constexpr int kProgressDoneShownMs = 1000;
inline constexpr int kProgressFailedShownMs = 5000;

// Pacing of the worker threads and timers; tests shorten them.
struct MainTiming {
  std::chrono::milliseconds presencePresent{100};
  // The keyboard's and the mouse pad's presence threads probe a present
  // device at the listeners' pace: its removal shows within half a second,
  // and a program at rest wakes sixteen times a second less than with two
  // more 100 ms probes. The mouse's keeps the 100 ms above.
  std::chrono::milliseconds keyboardAndPadPresent{500};
  std::chrono::milliseconds presenceAbsent{1000};
  std::chrono::milliseconds listenerScan{1000};
  int listenerReadMs = 500;
  int livePushMs = 1000;
  std::chrono::milliseconds shutdownDeadline{10000};
};

class CMainWnd : public ui::Window, public ReceiverImpl {
 public:
  // The backend serves the sessions and listeners and must outlive the window.
  explicit CMainWnd(device::HidBackend& backend, MainTiming timing = {});
  ~CMainWnd() override;

  std::string layoutName() const override { return "XML_MAIN"; }
  std::string windowClassName() const override { return "MainWnd"; }

  void initWindow() override;
  void notify(const ui::Notification& n) override;
  std::unique_ptr<ui::Control> createControl(std::string_view className) override;
  std::intptr_t handleMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam,
                              bool& handled) override;
  void onTimer(int id) override;
  void seenChanged(bool seen) override;
  bool receive(const SkinChangedParam& param) override;

  // Pages are added before create(); the window owns them.
  void addPage(std::unique_ptr<pages::Page> page);
  // What the pages may use; valid as long as the window.
  pages::PageContext pageContext();

  device::DeviceSession& session(DeviceKind kind) { return *sessions_[index(kind)]; }
  device::LiveLighting& liveLighting() { return liveLighting_; }
  device::PreviewTicks& previewTicks() { return ticks_; }
  // Open while the window is seen; the previews and the tick rest otherwise.
  const device::PreviewGates& previewGates() const { return previewGates_; }
  // Set by the mouse listener on usage 0x0403; taken by the mouse pad preview.
  std::atomic<bool>& mouseTrigger() { return mouseTrigger_; }
  bool chineseLoaded() const { return chinese_; }
  const ui::Menu* trayMenu() const { return trayMenu_.get(); }
  platform::WorkerSlots& workerSlots() { return slots_; }
  // The one holder of the input hooks; closing the window removes them.
  pages::CDeviceHook& deviceHook() { return deviceHook_; }

 private:
  static constexpr std::size_t index(DeviceKind kind) { return static_cast<std::size_t>(kind); }
  bool anyOnline() const;
  void startUp();
  void startWorkers();
  void shutdown();
  void bringUp();
  void trayClick(std::intptr_t mouseMessage);
  void menuCommand(const ui::MenuCommand* command);
  void toggleLanguage();
  // Loads the English or Chinese texts and shows them everywhere.
  void useLanguage(bool chinese);
  void applyTitleTips();
  void showNoDevice(bool& guard);
  // Every presence thread's first pass is over and none found its device.
  void startedWithoutDevice();
  // A device is there but may not be opened: "message_text_19", once.
  void showAccessDenied();
  void selectTab(std::string_view tabName);
  // Option "selectchanged" with a "bindtablayout" attribute selects its page.
  void followTabBinding(const ui::Notification& n);
  void releaseCaptureOnTabSwitch(const ui::Notification& n);
  // Opens the gates of the previews whose pictures can be seen, closes the others.
  void updatePreviewGates();
  // Presence, UI side.
  void showDevice(DeviceKind kind);
  void hideDevice(DeviceKind kind);
  device::PresenceHooks presenceHooks(DeviceKind kind);
  // Presence thread, session lock held: the mouse was found.
  void mouseArrived();
  void forEachPage(const std::function<void(pages::Page&)>& f);

  device::HidBackend& backend_;
  MainTiming timing_;
  std::array<std::unique_ptr<device::DeviceSession>, 3> sessions_;
  std::array<std::unique_ptr<device::PresenceWatcher>, 3> presence_;
  std::unique_ptr<device::NotificationListener> mouseListener_;
  std::unique_ptr<device::NotificationListener> keyboardListener_;
  // Before the pages, which remove their captures as they go.
  pages::CDeviceHook deviceHook_;
  std::vector<std::unique_ptr<pages::Page>> pages_;
  device::LiveLighting liveLighting_;
  device::PreviewTicks ticks_;
  // Open from the start: it closes whenever the window, once seen, is
  // hidden or minimised.
  device::PreviewGates previewGates_;
  std::atomic<bool> mouseTrigger_{false};
  ui::TrayIcon tray_;
  std::unique_ptr<ui::Menu> trayMenu_;
  bool chinese_ = false;
  bool trayGuard_ = false;
  bool wakeGuard_ = false;
  // Whether "ms_deng_same_mode" is shown; posted only when it changes.
  std::atomic<int> sameModeShown_{-1};
  // Whether a presence thread's first pass has brought the window up, or
  // all of them ended without a device.
  std::atomic<bool> startWakePosted_{false};
  std::atomic<int> firstPasses_{0};
  // A presence thread found its device but may not open it.
  std::atomic<bool> accessDeniedTold_{false};
  bool accessMessageShown_ = false;
  // Last member: threads end before anything they use is destroyed.
  platform::WorkerSlots slots_;
};

}  // namespace varnacle::app
