#include "mouse/lighting_controls.h"

#include <algorithm>
#include <string>
#include <utility>

#include "mouse/mouse_settings_record.h"
#include "mouse/preset_colors.h"
#include "ui/control.h"
#include "ui/repaint_batch.h"
#include "ui/window.h"

namespace varnacle::mouse {

void storeSingleColor(device::LiveLighting::Record& record, ui::Color color) {
  record[kRed] = static_cast<uint8_t>(ui::redOf(color));
  record[kGreen] = static_cast<uint8_t>(ui::greenOf(color));
  record[kBlue] = static_cast<uint8_t>(ui::blueOf(color));
  record[kSevenColor] = 0;
}

void storeColorComponent(device::LiveLighting::Record& record, std::size_t byte, int value) {
  record[byte] = static_cast<uint8_t>(value);
  record[kSevenColor] = 0;
}

void applyFrame(std::span<ui::Control* const> lights, const Frame& frame) {
  const ui::RepaintBatch batch;
  for (const Tint& t : frame) {
    if (t.light < 0 || static_cast<std::size_t>(t.light) >= lights.size()) continue;
    ui::Control* light = lights[static_cast<std::size_t>(t.light)];
    const ui::Color color = tintToArgb(t.color);
    if (!light || (light->changerColor() == color && light->changerAlpha() == t.alpha)) continue;
    light->setChangerColor(color);
    light->setChangerAlpha(t.alpha);
  }
}

namespace {

constexpr int kComponentMax = 255;

}  // namespace

int leadingComponent(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), kComponentMax + 1);
  }
  return value;
}

ui::Color lightingColorOf(const device::LiveLighting::Record& r) {
  return 0xFF000000u | ui::Color{r[kRed]} << 16 | ui::Color{r[kGreen]} << 8 | ui::Color{r[kBlue]};
}

LightingControls::LightingControls(ui::Window& window, const LightingControlNames& names)
    : window_(window), names_(names) {}

std::optional<std::size_t> LightingControls::presetIndex(std::string_view name) const {
  if (!name.starts_with(names_.presetPrefix)) return std::nullopt;
  const std::string_view digits = name.substr(names_.presetPrefix.size());
  if (digits.empty() || digits.size() > 2 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const auto n = static_cast<std::size_t>(std::stoi(std::string(digits)));
  if (n >= PresetColors.size()) return std::nullopt;
  return n;
}

std::optional<std::size_t> LightingControls::colorEditByte(std::string_view name) const {
  constexpr std::array<std::size_t, 3> kBytes = {kRed, kGreen, kBlue};
  for (std::size_t i = 0; i < names_.colorEdits.size(); ++i)
    if (name == names_.colorEdits[i]) return kBytes[i];
  return std::nullopt;
}

void LightingControls::takeColorInput(
    const ui::Notification& n, const std::function<void(ui::Color)>& chosen,
    const std::function<void(ui::Edit&, std::size_t byte)>& edited) const {
  const std::string name = n.sender ? n.sender->name() : std::string();
  if (n.type == ui::notify::kColorChanged) {
    if (name == names_.palette)
      if (auto* palette = dynamic_cast<ui::ColorPalette*>(n.sender)) chosen(palette->selectColor());
  } else if (n.type == ui::notify::kTextChanged) {
    if (auto byte = colorEditByte(name))
      if (auto* field = dynamic_cast<ui::Edit*>(n.sender)) edited(*field, *byte);
  }
}

void LightingControls::enableGroups(const ModeControls& controls) {
  const std::pair<std::string_view, bool> groups[] = {
      {names_.directionGroup, controls.direction}, {names_.colorGroup, controls.colour},
      {names_.sevenColorGroup, controls.sevenColour}, {names_.speedGroup, controls.speed},
      {names_.sameModeButton, controls.sameMode}};
  for (const auto& [group, enabled] : groups)
    if (ui::Control* c = window_.findControl(group)) c->setEnabled(enabled);
}

void LightingControls::showColor(ui::Color color) {
  if (auto* preview = window_.findControl(names_.colorPreview)) {
    preview->setBkImage("");
    preview->setBkColor(color | 0xFF000000u);
  }
  const int components[] = {ui::redOf(color), ui::greenOf(color), ui::blueOf(color)};
  for (std::size_t i = 0; i < names_.colorEdits.size(); ++i)
    if (auto* e = window_.findControl(names_.colorEdits[i])) e->setText(std::to_string(components[i]));
}

void LightingControls::showTypedColor(ui::Color color) {
  if (auto* preview = window_.findControl(names_.colorPreview)) {
    preview->setBkImage("");
    preview->setBkColor(color);
  }
  if (auto* palette = window_.findControl<ui::ColorPalette>(names_.palette))
    palette->setSelectColor(color);
}

void LightingControls::setDirectionChecks(bool left) {
  if (auto* c = window_.findControl<ui::CheckBox>(names_.leftCheck)) c->setChecked(left, false);
  if (auto* c = window_.findControl<ui::CheckBox>(names_.rightCheck)) c->setChecked(!left, false);
}

void LightingControls::setSevenColorCheck(bool on) {
  if (auto* c = window_.findControl<ui::CheckBox>(names_.sevenColorCheck)) c->setChecked(on, false);
}

int LightingControls::typedComponent(ui::Edit& field) {
  const int typed = leadingComponent(field.text());
  if (typed > kComponentMax) field.setText(std::to_string(kComponentMax));
  return std::min(typed, kComponentMax);
}

void LightingControls::refresh(const device::LiveLighting::Record& r, int modeItem) {
  if (auto* combo = window_.findControl<ui::Combo>(names_.modeCombo))
    combo->selectItem1(modeItem, false, false);
  if (auto* s = window_.findControl<ui::Slider>(names_.brightnessSlider)) s->setValue(r[kBrightness]);
  if (auto* s = window_.findControl<ui::Slider>(names_.speedSlider))
    s->setValue(kLightingSliderTop - std::min<int>(r[kSpeed], kLightingSliderTop));
  const ui::Color color = lightingColorOf(r);
  if (auto* palette = window_.findControl<ui::ColorPalette>(names_.palette))
    palette->setSelectColor(color);
  showColor(color);
  setSevenColorCheck(r[kSevenColor] != 0);
  setDirectionChecks(r[kDirection] != 0);
}

}  // namespace varnacle::mouse
