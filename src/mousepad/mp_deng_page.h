#pragma once
// The mouse pad's page (layout class "MP_deng_UI"): effect, brightness,
// speed, direction, seven-colour and colour of the pad's lights, its
// on-board profile choice "mp_deng_combo_profile", the reset
// "mp_one_profile_default", the same-mode copy to the other devices, and the
// animated picture of the pad whose 15 lights "mp_dkey_0" ... "mp_dkey_14"
// the preview tints.
//
// Every edit changes the pad's working copy through LiveLighting (the main
// window's one-second timer sends it) and saves the pad lighting profile
// file; a refresh sets the controls from the working copy and marks nothing.
// The page reads the pad on message 0xA01 (the main window sends it when the
// pad is found; the reset posts it a second after the reset report) and
// reloads its active profile on 0xA02.
//
// Preview: startWorkers() starts the pad preview (worker slot 7); its frames
// reach the lights through the page's frame pacer (frame_pacer.h). While the
// pad's lighting follows a same-mode copy the shared preview of the mouse
// page paints these lights instead.
//
// Threads: UI thread, except the frame sink (on the preview worker) and the
// threads the page owns (pacer, delayed read), which only hand work on. The
// page lives as long as the main window and must not outlive the PadConfig
// and the shared preview block it is given; the worker ends with the
// window's worker slots, before the pages are destroyed.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "mouse/frame_pacer.h"
#include "mouse/lighting_controls.h"
#include "mouse/preview_workers.h"
#include "mousepad/delayed_message.h"
#include "mousepad/pad_preview_worker.h"
#include "pages/page.h"
#include "ui/geometry.h"

namespace varnacle::ui {
class Control;
class Edit;
}  // namespace varnacle::ui

namespace varnacle::mousepad {

class PadConfig;

struct MpDengTiming {
  PadPreviewTiming preview;
  // The shortest time between two batches of tints reaching the UI thread.
  std::chrono::milliseconds frameInterval{33};
  // From the reset report to the read of everything the pad then holds.
  std::chrono::milliseconds resetReadDelay{1000};
};

class MpDengPage : public pages::Page {
 public:
  MpDengPage(const pages::PageContext& context, PadConfig& config,
             mouse::SharedPreviewBlock& sharedBlock, MpDengTiming timing = {});
  ~MpDengPage() override;
  MpDengPage(const MpDengPage&) = delete;
  MpDengPage& operator=(const MpDengPage&) = delete;

  void startUp() override;
  void startWorkers() override;
  void notify(const ui::Notification& n) override;
  void deviceMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;

  // Sets every control from the working copy; marks nothing, saves nothing.
  void refresh();

 private:
  // Changes the working copy, marks the pad changed, saves the file.
  void edit(const std::function<void(Record&)>& change);
  void setByte(std::size_t byte, int value);
  void save();

  void modeSelected(int mode);
  void profileSelected(int profile);
  void resetClicked();
  void directionChecked(bool left);
  void colorChosen(ui::Color color);
  void colorEdited(ui::Edit& edit, std::size_t byte);
  void sameMode(DeviceKind source);
  void apply(const Frame& frame);

  pages::PageContext context_;
  PadConfig& config_;
  mouse::SharedPreviewBlock& sharedBlock_;
  MpDengTiming timing_;
  mouse::LightingControls controls_;
  std::unique_ptr<PadPreviewWorker> worker_;
  std::unique_ptr<DelayedMessage> readAfterReset_;
  std::vector<ui::Control*> lights_;  // by light number; null where the window has none
  // Last, so it stops before the lights go.
  mouse::FramePacer pacer_;
};

}  // namespace varnacle::mousepad
