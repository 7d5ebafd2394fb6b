#pragma once
// The mouse's lighting page (layout class "MS_Deng_UI"): effect, brightness,
// speed, direction, seven-colour and colour of the mouse's lights, the
// same-mode copy to the other devices, and the animated picture of the mouse
// whose 20 lights "ms_dkey_0" ... "ms_dkey_19" the previews tint.
//
// Every edit changes the mouse's working record through LiveLighting (the
// main window's one-second timer sends it) and saves the mouse lighting
// profile file; a refresh sets the controls from the working record and
// marks nothing. The page refreshes when the mouse is shown and on messages
// 0x901 / 0x902, after the DPI page (added before it) has read the mouse.
//
// Previews: startWorkers() starts the mouse preview (worker slot 6) and the
// shared preview (slot 8). Their frames reach the UI thread through the
// page's frame pacer (frame_pacer.h): the previews keep their own pace (a
// spectrum cycle at speed 0 steps every 3 ms); the picture is redrawn at most
// about 30 times a second, and the last frame of a burst is always shown.
//
// Threads: UI thread, except the frame sinks (on the preview workers) and
// the pacer thread the page owns, which only hand frames on. The page lives as long as the main
// window and must not outlive the MouseConfig it is given; the workers end with the window's worker
// slots, before the pages are destroyed.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "mouse/frame_pacer.h"
#include "mouse/lighting_controls.h"
#include "mouse/preview_workers.h"
#include "ui/geometry.h"
#include "pages/page.h"

namespace varnacle::ui {
class Control;
class Edit;
}  // namespace varnacle::ui

namespace varnacle::mouse {

class MouseConfig;

// Pacing of the two previews; tests shorten it.
struct DengPreviewTiming {
  MousePreviewTiming mouse;
  SharedPreviewTiming shared;
  // The shortest time between two batches of tints reaching the UI thread.
  std::chrono::milliseconds frameInterval{33};
};

// Control names of the page's lights and of the other devices' lights the
// shared preview paints, by shared light number (mouse 0-19, pad 20-34,
// keyboard 35 on).
inline constexpr std::string_view kMouseLightStem = "ms_dkey_";
inline constexpr std::string_view kPadLightStem = "mp_dkey_";
inline constexpr std::string_view kKeyboardLightStem = "kb_dkey_";

class MsDengPage : public pages::Page {
 public:
  MsDengPage(const pages::PageContext& context, MouseConfig& config, DengPreviewTiming timing = {});
  ~MsDengPage() override;
  MsDengPage(const MsDengPage&) = delete;
  MsDengPage& operator=(const MsDengPage&) = delete;

  void startUp() override;
  void startWorkers() override;
  void notify(const ui::Notification& n) override;
  void deviceMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
  void deviceShown(DeviceKind kind) override;

  // Sets the lighting controls from the working record; marks nothing
  // changed and saves nothing.
  void refresh();

 private:
  // Changes the working record, marks the mouse changed, saves the file.
  void edit(const std::function<void(Record&)>& change);
  void setByte(std::size_t byte, int value);

  void modeSelected(int mode);
  void directionChecked(bool left);
  void colorChosen(ui::Color color);
  void colorEdited(ui::Edit& edit, std::size_t byte);
  void sameMode(DeviceKind source);

  // Sets the tints of a frame on the UI thread; `shared` frames use the
  // shared light numbering.
  void apply(const Frame& frame, bool shared);

  pages::PageContext context_;
  MouseConfig& config_;
  DengPreviewTiming timing_;
  LightingControls controls_;
  std::unique_ptr<MousePreviewWorker> mouseWorker_;
  std::unique_ptr<SharedPreviewWorker> sharedWorker_;
  // The lights by shared light number (null where the window has none); the
  // mouse preview's light n is entry n.
  std::vector<ui::Control*> lights_;
  // Frames of preview 0 (mouse) and 1 (shared) on their way to the lights;
  // last, so it stops before the lights go.
  FramePacer pacer_;
};

}  // namespace varnacle::mouse
