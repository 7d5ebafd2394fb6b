#pragma once
// The lighting controls every device's lighting page has in common — effect
// combo, brightness and speed sliders, direction and seven-colour check
// boxes, colour palette, preset buttons, the three colour edits and the
// colour preview button, and the control groups each effect enables — bound
// by name for one page. The names differ by device prefix ("ms_", "mp_");
// the rules are the same: what a record's bytes 1-8 show, what a typed
// component becomes, which preset a button is.
//
// UI thread; the window must outlive the object. Controls the window lacks
// are skipped.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "device/live_lighting.h"
#include "mouse/lighting_modes.h"
#include "mouse/preview_steps.h"
#include "ui/geometry.h"
#include "ui/notification.h"

namespace varnacle::ui {
class Control;
class Edit;
class Window;
}  // namespace varnacle::ui

namespace varnacle::mouse {

struct LightingControlNames {
  std::string_view modeCombo;
  std::string_view brightnessSlider;
  std::string_view speedSlider;
  std::string_view leftCheck;
  std::string_view rightCheck;
  std::string_view sevenColorCheck;
  std::string_view palette;
  std::string_view presetPrefix;  // followed by the PresetColors index
  std::string_view colorPreview;
  std::array<std::string_view, 3> colorEdits;  // red, green, blue
  // The groups a mode enables: direction, colour, seven-colour, speed, and
  // the same-mode button.
  std::string_view directionGroup;
  std::string_view colorGroup;
  std::string_view sevenColorGroup;
  std::string_view speedGroup;
  std::string_view sameModeButton;
};

// Brightness and speed sliders run 0-14; the speed byte is 14 - position.
inline constexpr int kLightingSliderTop = 14;

// The number an edit's text starts with, stopping above 255 (so any length
// of digits is safe); 0 when it starts with no digit.
int leadingComponent(std::string_view text);

// The opaque colour of bytes 6-8 of a lighting record.
ui::Color lightingColorOf(const device::LiveLighting::Record& record);

// Shows a preview frame on a picture: light n of the frame is lights[n]
// (numbers outside the span, and null entries, are skipped). Only lights
// whose tint changes are repainted. UI thread.
void applyFrame(std::span<ui::Control* const> lights, const Frame& frame);

// A chosen colour as the single colour of a lighting record: bytes 6-8, and
// the colour cycle (byte 5) off.
void storeSingleColor(device::LiveLighting::Record& record, ui::Color color);
// One typed colour component (byte 6, 7 or 8), the colour cycle off.
void storeColorComponent(device::LiveLighting::Record& record, std::size_t byte, int value);

class LightingControls {
 public:
  LightingControls(ui::Window& window, const LightingControlNames& names);

  const LightingControlNames& names() const { return names_; }

  // The preset number of a preset button's name, if it is one.
  std::optional<std::size_t> presetIndex(std::string_view name) const;
  // The record byte (6, 7 or 8) a colour edit's name stores, if it is one.
  std::optional<std::size_t> colorEditByte(std::string_view name) const;

  // The panel's colour inputs: a colour picked on the palette goes to
  // `chosen`, a changed colour edit to `edited` with the byte it stores.
  // Other notifications change nothing.
  void takeColorInput(const ui::Notification& n, const std::function<void(ui::Color)>& chosen,
                      const std::function<void(ui::Edit&, std::size_t byte)>& edited) const;

  void enableGroups(const ModeControls& controls);
  // The preview button takes `color` (its image cleared) and the edits its
  // components.
  void showColor(ui::Color color);
  // After typing: the preview button and the palette take `color`.
  void showTypedColor(ui::Color color);
  void setDirectionChecks(bool left);
  void setSevenColorCheck(bool on);
  // The value of a typed colour edit (0-255); a value above 255 is written
  // back as 255.
  int typedComponent(ui::Edit& field);
  // Sets the combo to `modeItem` (-1: none) and the sliders, palette, edits,
  // preview button and check boxes from bytes 2-8; notifies and marks nothing.
  void refresh(const device::LiveLighting::Record& record, int modeItem);

 private:
  ui::Window& window_;
  LightingControlNames names_;
};

}  // namespace varnacle::mouse
