#include "keyboard/kb_deng_page.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "keyboard/key_positions.h"
#include "mouse/preset_colors.h"
#include "mouse/same_mode.h"
#include "pages/page_messages.h"
#include "platform/worker_slots.h"
#include "ui/control.h"
#include "ui/language.h"
#include "ui/window.h"

namespace varnacle::keyboard {

namespace {

constexpr std::string_view kLightStem = "kb_dkey_";
constexpr std::string_view kTableCombo = "kb_deng_combo_curtom_count";
constexpr std::string_view kFillCheck = "kb_Deng_all_bright_check";
constexpr std::string_view kClearCheck = "kb_Deng_all_kill_check";
constexpr std::string_view kCustomColorPreview = "kb_Deng_custom_colordp_btn";
// Shown only outside / only in the custom mode.
constexpr std::string_view kColorDisplayGroup = "kb_deng_color_display_layout";
constexpr std::string_view kCustomGroups[] = {
    "kb_deng_custom_tool_layout", "kb_deng_custom_select_layout", "kb_deng_custom_color_layout"};
// The one key the capture table has no name for; it reads the same in every language.
constexpr std::string_view kFnKeyName = "Fn";

constexpr mouse::LightingControlNames kKeyboardLightingNames = {
    "kb_deng_combo_modeSelect",
    "kb_deng_light_slider",
    "kb_deng_speed_slider",
    "kb_Deng_FXL_check",
    "kb_Deng_FXR_check",
    "kb_Deng_7color_check",
    "kb_deng_Color_Pallet",
    "kb_Deng_color_btn_",
    "kb_Deng_colordp_btn",
    {"kb_Deng_edit_R", "kb_Deng_edit_G", "kb_Deng_edit_B"},
    "kb_deng_fx_layout",
    "kb_deng_color_layout",
    "kb_deng_7colorselect_layout",
    "kb_deng_speed_layout",
    mouse::kSameModeButtons[static_cast<std::size_t>(DeviceKind::keyboard)],
};

// The same controls, with the custom colour's preview button.
constexpr mouse::LightingControlNames customNames() {
  mouse::LightingControlNames names = kKeyboardLightingNames;
  names.colorPreview = kCustomColorPreview;
  return names;
}

Rgb rgbOf(ui::Color c) {
  return {static_cast<uint8_t>(ui::redOf(c)), static_cast<uint8_t>(ui::greenOf(c)),
          static_cast<uint8_t>(ui::blueOf(c))};
}

ui::Color colorOf(Rgb c) {
  return 0xFF000000u | ui::Color{c.red} << 16 | ui::Color{c.green} << 8 | ui::Color{c.blue};
}

ui::Color singleColorOf(const KeyboardLightingBlock& b) {
  return colorOf({b.bytes[kRed], b.bytes[kGreen], b.bytes[kBlue]});
}

// The position of a light's name ("kb_dkey_17"), if it is one.
std::optional<std::size_t> lightPosition(std::string_view name) {
  if (!name.starts_with(kLightStem)) return std::nullopt;
  const std::string_view digits = name.substr(kLightStem.size());
  if (digits.empty() || digits.size() > 3 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const auto position = static_cast<std::size_t>(std::stoi(std::string(digits)));
  if (position >= kKeyPositionCount) return std::nullopt;
  return position;
}

}  // namespace

KbDengPage::KbDengPage(const pages::PageContext& context, KeyboardLighting& lighting,
                       mouse::SharedPreviewBlock& sharedBlock, KbDengTiming timing)
    : context_(context),
      lighting_(lighting),
      sharedBlock_(sharedBlock),
      timing_(timing),
      controls_(context.window, kKeyboardLightingNames),
      customControls_(context.window, customNames()),
      pacer_(1, [this](std::size_t, const Frame& frame) { apply(frame); }) {}

// The worker stops with the window's worker slots, which the main window
// empties before it destroys its pages; the pacer is the page's own.
KbDengPage::~KbDengPage() = default;

void KbDengPage::startUp() {
  lights_.assign(kKeyPositionCount, nullptr);
  for (std::size_t n = 0; n < kKeyPositionCount; ++n)
    lights_[n] = context_.window.findControl(std::string(kLightStem) + std::to_string(n));
  nameLights();
  refresh();
}

void KbDengPage::startWorkers() {
  pacer_.start(context_.window.id(), timing_.frameInterval);
  worker_ = std::make_unique<KeyboardPreviewWorker>(
      lighting_, context_.session(DeviceKind::keyboard), preview_, context_.previewTicks,
      [this](Frame frame) { pacer_.post(0, std::move(frame)); });
  worker_->timing = timing_.preview;
  worker_->timing.shortestFrame = timing_.frameInterval;
  worker_->gate = &context_.previewGates.add({"kb_deng_page"});
  context_.workerSlots.start(platform::WorkerSlot::keyboardPreview,
                             [w = worker_.get()](platform::Event& stop) { w->run(stop); });
}

void KbDengPage::languageChanged() {
  nameLights();
}

void KbDengPage::nameLights() {
  for (std::size_t n = 0; n < lights_.size(); ++n) {
    if (!lights_[n]) continue;
    const std::string_view id = positionKeyName(n);
    if (!id.empty()) {
      lights_[n]->setToolTip(ui::languageText(id));
    } else if (n == kFnKeyPosition) {
      lights_[n]->setToolTip(std::string(kFnKeyName));
    }
  }
}

void KbDengPage::apply(const Frame& frame) {
  mouse::applyFrame(lights_, frame);
}

void KbDengPage::save() {
  // A failed save is reported by the profile code; the edit stands.
  saveKeyboardLightingProfile(lighting_.block());
}

void KbDengPage::edit(const std::function<void(KeyboardLightingBlock&)>& change, bool pending) {
  lighting_.edit(change, pending);
  save();
}

mouse::LightingControls& KbDengPage::colorControls(int mode) {
  return mode == kCustomMode ? customControls_ : controls_;
}

void KbDengPage::notify(const ui::Notification& n) {
  if (!n.sender) return;
  const std::string& name = n.sender->name();
  const mouse::LightingControlNames& names = controls_.names();
  if (n.type == ui::notify::kItemSelect) {
    if (name == names.modeCombo) modeSelected(static_cast<int>(n.wParam));
    if (name == kTableCombo) tableSelected(static_cast<int>(n.wParam));
  } else if (n.type == ui::notify::kValueChanged) {
    auto* slider = dynamic_cast<ui::Slider*>(n.sender);
    if (!slider) return;
    if (name == names.brightnessSlider) {
      const auto level =
          static_cast<uint8_t>(std::clamp(slider->value(), 0, mouse::kLightingSliderTop));
      edit([level](KeyboardLightingBlock& b) { b.bytes[kBrightness] = level; }, true);
    }
    if (name == names.speedSlider) {
      const uint8_t speed = speedOfSlider(slider->value());
      edit([speed](KeyboardLightingBlock& b) { b.bytes[kSpeed] = speed; }, true);
    }
  } else if (n.type == ui::notify::kSelectChanged) {
    if (name == names.leftCheck) directionChecked(true);
    if (name == names.rightCheck) directionChecked(false);
    if (name == names.sevenColorCheck) {
      auto* check = dynamic_cast<ui::CheckBox*>(n.sender);
      const uint8_t on = check && check->isChecked() ? 1 : 0;
      edit([on](KeyboardLightingBlock& b) { b.bytes[kSevenColor] = on; }, true);
    }
    if (name == kFillCheck) tableTool(n, true);
    if (name == kClearCheck) tableTool(n, false);
  } else if (n.type == ui::notify::kClick) {
    if (auto preset = controls_.presetIndex(name); preset && *preset < kKeyboardPresetCount)
      colorChosen(mouse::PresetColors[*preset]);
    if (auto source = mouse::sameModeSource(name)) sameMode(*source);
    if (auto position = lightPosition(name)) keyClicked(*position);
  } else {
    controls_.takeColorInput(
        n, [this](ui::Color c) { colorChosen(c); },
        [this](ui::Edit& field, std::size_t byte) { colorEdited(field, byte); });
  }
}

void KbDengPage::deviceMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t) {
  if (msg == pages::msg::kKeyboardReadAll) {
    // The key page read the keyboard into the working record just before.
    save();
    refresh();
  } else if (msg == pages::msg::kKeyboardReloadRecord) {
    if (!reloadKeyboardRecord(context_.session(DeviceKind::keyboard), lighting_)) return;
    save();
    refresh();
  }
}

void KbDengPage::modeSelected(int mode) {
  if (mode < 0 || mode >= kKeyboardModeCount) return;
  edit([mode](KeyboardLightingBlock& b) { b.bytes[kLightMode] = static_cast<uint8_t>(mode); },
       true);
  // The panels, the colour of the mode and a fresh preview state.
  refresh();
}

void KbDengPage::directionChecked(bool left) {
  // The clicked box stays checked even when the click would have cleared it.
  controls_.setDirectionChecks(left);
  const uint8_t direction = left ? 1 : 0;
  edit([direction](KeyboardLightingBlock& b) { b.bytes[kDirection] = direction; }, true);
}

void KbDengPage::colorChosen(ui::Color color) {
  const int mode = lighting_.block().mode();
  colorControls(mode).showColor(color);
  if (mode != kCustomMode) controls_.setSevenColorCheck(false);
  bool pending = false;
  lighting_.edit([&](KeyboardLightingBlock& b) { pending = b.setColor(rgbOf(color)); }, false);
  if (pending) context_.liveLighting.markChanged(DeviceKind::keyboard);
  save();
}

void KbDengPage::colorEdited(ui::Edit& field, std::size_t byte) {
  const int mode = lighting_.block().mode();
  const auto value = static_cast<uint8_t>(colorControls(mode).typedComponent(field));
  if (mode == kCustomMode) {
    const std::size_t at = kCustomColorByte + (byte - kRed);
    edit([at, value](KeyboardLightingBlock& b) { b.bytes[at] = value; }, false);
    customControls_.showTypedColor(colorOf(lighting_.block().customColor()));
    return;
  }
  controls_.setSevenColorCheck(false);
  edit(
      [byte, value](KeyboardLightingBlock& b) {
        b.bytes[byte] = value;
        b.bytes[kSevenColor] = 0;
      },
      true);
  controls_.showTypedColor(singleColorOf(lighting_.block()));
}

void KbDengPage::tableSelected(int index) {
  // The custom tables never reach the keyboard: nothing is pending.
  edit([index](KeyboardLightingBlock& b) { b.selectTable(index); }, false);
  showCustomTable();
}

void KbDengPage::tableTool(const ui::Notification& n, bool fill) {
  // The boxes act as buttons: each check runs the tool once and clears the box.
  auto* check = dynamic_cast<ui::CheckBox*>(n.sender);
  if (!check || !check->isChecked()) return;
  check->setChecked(false, false);
  edit([fill](KeyboardLightingBlock& b) { fill ? b.fillTable() : b.clearTable(); }, false);
  showCustomTable();
}

void KbDengPage::keyClicked(std::size_t position) {
  const KeyboardLightingBlock block = lighting_.block();
  if (block.mode() == kReactiveMode) {
    preview_.press(position);
    return;
  }
  if (block.mode() != kCustomMode || !ledOf(position)) return;
  edit([position](KeyboardLightingBlock& b) { b.paintKey(position); }, false);
  showCustomTable();
}

void KbDengPage::showCustomTable() {
  const KeyboardLightingBlock block = lighting_.block();
  if (block.mode() != kCustomMode) return;
  Record record{};
  std::copy_n(block.bytes.begin(), record.size(), record.begin());
  const CustomTable table = block.customTable(block.customTableIndex());
  KeyboardPreviewState still;
  apply(stepKeyboardPreview({record, table}, still));
}

void KbDengPage::sameMode(DeviceKind source) {
  mouse::copySameMode(source, context_.liveLighting, sharedBlock_, context_.sessions);
  if (source == DeviceKind::keyboard) return;
  // Another device's effect came to the keyboard: show it and keep it in the
  // keyboard's lighting profile file; the keyboard receives it with its next push.
  refresh();
  save();
}

void KbDengPage::refresh() {
  const KeyboardLightingBlock b = lighting_.block();
  const int mode = b.mode();
  const KeyboardModePanels& panels = keyboardModePanels(mode);
  Record record{};
  std::copy_n(b.bytes.begin(), record.size(), record.begin());
  controls_.refresh(record, mode < kKeyboardModeCount ? mode : -1);
  controls_.enableGroups(panels.common);
  for (std::string_view group : kCustomGroups)
    if (ui::Control* c = context_.window.findControl(group)) c->setEnabled(panels.custom);
  if (ui::Control* c = context_.window.findControl(kColorDisplayGroup))
    c->setEnabled(!panels.custom);
  const ui::Color custom = colorOf(b.customColor());
  if (auto* c = context_.window.findControl(kCustomColorPreview)) {
    c->setBkImage("");
    c->setBkColor(custom);
  }
  if (mode == kCustomMode) {
    customControls_.showColor(custom);
    if (auto* palette = context_.window.findControl<ui::ColorPalette>(controls_.names().palette))
      palette->setSelectColor(custom);
  }
  if (auto* combo = context_.window.findControl<ui::Combo>(kTableCombo))
    combo->selectItem1(static_cast<int>(b.customTableIndex()), false, false);
  preview_.restart(mode);
  showCustomTable();
}

}  // namespace varnacle::keyboard
