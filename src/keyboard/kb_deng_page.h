#pragma once
// The keyboard's lighting page (layout class "kb_Deng_UI"): effect,
// brightness, speed, direction, multi-colour and colour of the keyboard's
// backlight, the five custom colour tables of the custom mode (table combo,
// fill, clear, the colour clicks paint), the same-mode copy to the other
// devices, and the picture of the keyboard whose 126 lights "kb_dkey_0" ...
// "kb_dkey_125" the preview tints. A click on a light paints its key in the
// custom mode and starts a ripple in the reactive mode; each light is named
// by its key (its tool tip, in the current language).
//
// Every edit changes the lighting block (keyboard_lighting.h) and saves the
// selected keyboard lighting profile file; edits of what the keyboard
// receives mark the lighting pending, which the main window's one-second
// timer sends. Apply to page (refresh) sets the controls from the block and
// marks nothing.
//
// Device messages: on 0x0B01 the key page (added before this one) has put the
// keyboard's record into the working record already: the page shows it and
// saves the profile. On 0x0B02 (the keyboard reports a lighting change) the
// page re-reads the record from the keyboard, saves and shows it.
//
// Preview: startWorkers() starts the keyboard preview (worker slot 5). Its
// frames reach the UI thread through the page's frame pacer (frame_pacer.h),
// at most one batch about every 33 ms; only lights whose tint changes are
// repainted.
//
// Threads: UI thread, except the frame sink (on the preview worker) and the
// pacer thread the page owns, which only hand frames on. The page lives as
// long as the main window and must not outlive the KeyboardLighting and the
// shared preview block it is given; the worker ends with the window's worker
// slots, before the pages are destroyed.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "keyboard/kb_preview_worker.h"
#include "keyboard/keyboard_lighting.h"
#include "mouse/frame_pacer.h"
#include "mouse/lighting_controls.h"
#include "mouse/preview_workers.h"
#include "pages/page.h"
#include "ui/geometry.h"

namespace varnacle::ui {
class Control;
class Edit;
}  // namespace varnacle::ui

namespace varnacle::keyboard {

struct KbDengTiming {
  KeyboardPreviewTiming preview;
  // The shortest time between two batches of tints reaching the UI thread.
  std::chrono::milliseconds frameInterval{33};
};

class KbDengPage : public pages::Page {
 public:
  KbDengPage(const pages::PageContext& context, KeyboardLighting& lighting,
             mouse::SharedPreviewBlock& sharedBlock, KbDengTiming timing = {});
  ~KbDengPage() override;
  KbDengPage(const KbDengPage&) = delete;
  KbDengPage& operator=(const KbDengPage&) = delete;

  void startUp() override;
  void startWorkers() override;
  void notify(const ui::Notification& n) override;
  void deviceMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
  void languageChanged() override;

  // Apply to page: the controls from the block; marks and saves nothing.
  void refresh();
  KeyboardPreview& preview() { return preview_; }
  // How many passes the preview thread has begun (0 before it starts).
  std::uint64_t previewPasses() const { return worker_ ? worker_->passes() : 0; }

 private:
  // Changes the block, marks it pending when asked, saves the file.
  void edit(const std::function<void(KeyboardLightingBlock&)>& change, bool pending);
  void save();

  void modeSelected(int mode);
  void directionChecked(bool left);
  void colorChosen(ui::Color color);
  void colorEdited(ui::Edit& edit, std::size_t byte);
  void tableSelected(int index);
  void tableTool(ui::Notification const& n, bool fill);
  void keyClicked(std::size_t position);
  void sameMode(DeviceKind source);
  // The colour controls of the mode: the custom colour's in mode 8.
  mouse::LightingControls& colorControls(int mode);
  // In mode 8, the picture at once in the current table's colours.
  void showCustomTable();
  void nameLights();

  void apply(const Frame& frame);

  pages::PageContext context_;
  KeyboardLighting& lighting_;
  mouse::SharedPreviewBlock& sharedBlock_;
  KbDengTiming timing_;
  mouse::LightingControls controls_;
  mouse::LightingControls customControls_;
  KeyboardPreview preview_;
  std::unique_ptr<KeyboardPreviewWorker> worker_;
  std::vector<ui::Control*> lights_;  // by position; null where the window has none
  // Frames on their way to the lights; last, so it stops before the lights go.
  mouse::FramePacer pacer_;
};

}  // namespace varnacle::keyboard
