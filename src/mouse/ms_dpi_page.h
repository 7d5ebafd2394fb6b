#pragma once
// The mouse's DPI and motion page (layout class "MS_DPI_UI"): the six DPI
// stages, the indicator colour, report rate, lift-off height, the on-board
// profile buttons, and the desktop's pointer speed and wheel scroll lines.
//
// Every edit changes the mouse's working record through LiveLighting (the
// main window's one-second timer then sends it as one live report) and saves
// the mouse lighting profile file. Pointer speed and wheel lines are stored in
// the record but never sent; the page hands them to its pointer settings
// worker, which applies the newest to the desktop, so the UI never waits for
// the system.
//
// The page also owns the mouse's reads: readAll when the mouse arrives (on
// the presence thread) and on message 0x901, reloadActive on 0x902.
//
// Threads: deviceArrived() on the presence thread with the session lock
// held; everything else on the UI thread. The page lives as long as the main
// window and must not outlive the MouseConfig it is given.
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "mouse/pointer_settings_worker.h"
#include "pages/page.h"
#include "platform/pointer_settings.h"
#include "ui/geometry.h"

namespace varnacle::ui {
class Control;
class Edit;
class Slider;
}  // namespace varnacle::ui

namespace varnacle::mouse {

class MouseConfig;

// Text colours of the DPI stage labels: the active stage and the others.
inline constexpr std::uint32_t kActiveStageColor = 0xFFFF0000;
inline constexpr std::uint32_t kStageColor = 0xFFFFFFFF;

class MsDpiPage : public pages::Page {
 public:
  // `applier` sets the desktop's pointer speed and wheel lines; tests give
  // recorders.
  MsDpiPage(const pages::PageContext& context, MouseConfig& config,
            platform::PointerApplier applier = {});
  // Gives the pointer settings worker a short while to apply what it was
  // handed (see PointerSettingsWorker).
  ~MsDpiPage() override;
  MsDpiPage(const MsDpiPage&) = delete;
  MsDpiPage& operator=(const MsDpiPage&) = delete;

  void startUp() override;
  void notify(const ui::Notification& n) override;
  void deviceMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
  void deviceArrived(DeviceKind kind, device::DeviceSession& session) override;
  void deviceShown(DeviceKind kind) override;

  // Sets every control of the page from the working record and the cached
  // information block; marks nothing changed and saves nothing.
  void refresh();
  // Waits until the desktop has been given every pointer speed and wheel
  // line count handed over; false when `limit` passed first. For callers that
  // must see the desktop's setting (tests); the page itself never waits.
  bool finishPointerWork(std::chrono::milliseconds limit = std::chrono::seconds(10));

 private:
  // Changes the working record, marks the mouse changed, saves the file.
  void edit(std::size_t byte, int value);
  // Writes the record without marking the mouse changed (bytes the mouse
  // never receives), then saves the file.
  void store(std::size_t byte, int value);
  void saveProfileFile();

  void dpiSliderChanged(int stage, int position);
  void dpiSliderDragged(int stage, int position);
  void pointerSpeedChanged(int position);
  void wheelLinesStep(int delta);
  void dpiColorPicked(ui::Color color);
  void dpiColorEdited(ui::Edit& edit, std::size_t byte);
  void showDpiColor(ui::Color color);
  void profileClicked(int profile);
  void resetClicked();
  void showActiveProfile(int profile);

  pages::PageContext context_;
  MouseConfig& config_;
  PointerSettingsWorker pointerWorker_;
};

}  // namespace varnacle::mouse
