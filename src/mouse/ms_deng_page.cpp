#include "mouse/ms_deng_page.h"

#include <algorithm>
#include <string>
#include <utility>

#include "mouse/lighting_modes.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_lighting_profile.h"
#include "mouse/mouse_settings_record.h"
#include "mouse/ms_dpi_page.h"
#include "mouse/preset_colors.h"
#include "mouse/same_mode.h"
#include "pages/page_messages.h"
#include "platform/worker_slots.h"
#include "ui/control.h"
#include "ui/window.h"

namespace varnacle::mouse {

namespace {

constexpr LightingControlNames kMouseLightingNames = {
    "ms_deng_combo_modeSelect",
    "ms_deng_light_slider",
    "ms_deng_speed_slider",
    "ms_Deng_FXL_check",
    "ms_Deng_FXR_check",
    "ms_Deng_7color_check",
    "ms_deng_Color_Pallet",
    "ms_Deng_color_btn_",
    "ms_Deng_colordp_btn",
    {"ms_Deng_edit_R", "ms_Deng_edit_G", "ms_Deng_edit_B"},
    "ms_deng_fx_layout",
    "ms_deng_color_layout",
    "ms_deng_7colorselect_layout",
    "ms_deng_speed_layout",
    kSameModeButtons[static_cast<std::size_t>(DeviceKind::mouse)],
};
constexpr std::string_view kLeftButton = "ms_Deng_FXL_btn";
constexpr std::string_view kRightButton = "ms_Deng_FXR_btn";

// Trigger ring cells that start the pulses of mode 5 for each direction.
constexpr std::size_t kLeftTrigger = 7;
constexpr std::size_t kRightTrigger = 0;
constexpr int kPulseMode = 5;

}  // namespace

MsDengPage::MsDengPage(const pages::PageContext& context, MouseConfig& config,
                       DengPreviewTiming timing)
    : context_(context),
      config_(config),
      timing_(timing),
      controls_(context.window, kMouseLightingNames),
      pacer_(2, [this](std::size_t preview, const Frame& frame) { apply(frame, preview == 1); }) {}

// The workers stop with the window's worker slots, which the main window
// empties before it destroys its pages; the pacer is the page's own.
MsDengPage::~MsDengPage() = default;

void MsDengPage::startUp() {
  const std::size_t count = kSharedKeyboardBase + kSharedKeyboardLights;
  lights_.assign(count, nullptr);
  for (std::size_t n = 0; n < count; ++n) {
    const int i = static_cast<int>(n);
    std::string name;
    if (i < kSharedPadBase) {
      name = std::string(kMouseLightStem) + std::to_string(i - kSharedMouseBase);
    } else if (i < kSharedKeyboardBase) {
      name = std::string(kPadLightStem) + std::to_string(i - kSharedPadBase);
    } else {
      name = std::string(kKeyboardLightStem) + std::to_string(i - kSharedKeyboardBase);
    }
    lights_[n] = context_.window.findControl(name);
  }
  refresh();
}

void MsDengPage::startWorkers() {
  pacer_.start(context_.window.id(), timing_.frameInterval);
  mouseWorker_ = std::make_unique<MousePreviewWorker>(
      context_.liveLighting, context_.session(DeviceKind::mouse), config_.preview,
      [this](Frame frame) { pacer_.post(0, std::move(frame)); });
  mouseWorker_->timing = timing_.mouse;
  mouseWorker_->timing.shortestFrame = timing_.frameInterval;
  mouseWorker_->gate = &context_.previewGates.add({"ms_deng_page"});
  sharedWorker_ = std::make_unique<SharedPreviewWorker>(
      config_.sharedBlock,
      std::array<const device::DeviceSession*, 3>{context_.sessions[0], context_.sessions[1],
                                                  context_.sessions[2]},
      [this](Frame frame) { pacer_.post(1, std::move(frame)); });
  sharedWorker_->timing = timing_.shared;
  sharedWorker_->timing.shortestFrame = timing_.frameInterval;
  // The shared preview paints the picture of every synced device.
  sharedWorker_->gate =
      &context_.previewGates.add({"ms_deng_page", "mp_deng_page", "kb_deng_page"});
  context_.workerSlots.start(platform::WorkerSlot::mousePreview,
                             [w = mouseWorker_.get()](platform::Event& stop) { w->run(stop); });
  context_.workerSlots.start(platform::WorkerSlot::combinedPreview,
                             [w = sharedWorker_.get()](platform::Event& stop) { w->run(stop); });
}

void MsDengPage::apply(const Frame& frame, bool shared) {
  // The mouse preview numbers only the mouse's lights, which are the first
  // entries of the shared numbering too.
  const std::size_t limit = shared ? lights_.size() : static_cast<std::size_t>(kMouseLights);
  applyFrame(std::span<ui::Control* const>(lights_).first(std::min(limit, lights_.size())), frame);
}

void MsDengPage::edit(const std::function<void(Record&)>& change) {
  context_.liveLighting.edit(DeviceKind::mouse, change);
  // A failed save is reported by the profile code; the edit stands.
  saveMouseLightingProfile(context_.liveLighting.snapshot(DeviceKind::mouse));
}

void MsDengPage::setByte(std::size_t byte, int value) {
  edit([byte, value](Record& r) { r[byte] = static_cast<uint8_t>(value); });
}

void MsDengPage::notify(const ui::Notification& n) {
  if (!n.sender) return;
  const std::string& name = n.sender->name();
  const LightingControlNames& names = controls_.names();
  if (n.type == ui::notify::kItemSelect) {
    if (name == names.modeCombo) modeSelected(static_cast<int>(n.wParam));
  } else if (n.type == ui::notify::kValueChanged) {
    auto* slider = dynamic_cast<ui::Slider*>(n.sender);
    if (!slider) return;
    if (name == names.brightnessSlider)
      setByte(kBrightness, std::clamp(slider->value(), 0, kLightingSliderTop));
    if (name == names.speedSlider) setByte(kSpeed, std::max(0, kLightingSliderTop - slider->value()));
  } else if (n.type == ui::notify::kSelectChanged) {
    if (name == names.leftCheck) directionChecked(true);
    if (name == names.rightCheck) directionChecked(false);
    if (name == names.sevenColorCheck) {
      auto* check = dynamic_cast<ui::CheckBox*>(n.sender);
      setByte(kSevenColor, check && check->isChecked() ? 1 : 0);
    }
  } else if (n.type == ui::notify::kClick) {
    if (name == kLeftButton) setByte(kDirection, kDirectionRight);
    if (name == kRightButton) setByte(kDirection, kDirectionLeft);
    if (auto preset = controls_.presetIndex(name)) colorChosen(PresetColors[*preset]);
    if (auto source = sameModeSource(name)) sameMode(*source);
  } else {
    controls_.takeColorInput(
        n, [this](ui::Color c) { colorChosen(c); },
        [this](ui::Edit& field, std::size_t byte) { colorEdited(field, byte); });
  }
}

void MsDengPage::deviceMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t) {
  if (msg == pages::msg::kMouseReadAll || msg == pages::msg::kMouseReloadActive) refresh();
}

void MsDengPage::deviceShown(DeviceKind kind) {
  if (kind == DeviceKind::mouse) refresh();
}

void MsDengPage::modeSelected(int mode) {
  if (mode < 0 || mode >= kLightModeCount) return;
  config_.preview.restart();
  controls_.enableGroups(modeControls(mode));
  setByte(kLightMode, mode);
  if (mode == kPulseMode) {
    const bool left = config_.workingRecord()[kDirection] == kDirectionLeft;
    config_.preview.setTrigger(left ? kLeftTrigger : kRightTrigger);
  }
}

void MsDengPage::directionChecked(bool left) {
  // The clicked box stays checked even when the click would have cleared it.
  controls_.setDirectionChecks(left);
  setByte(kDirection, left ? kDirectionLeft : kDirectionRight);
  config_.preview.restart();
  config_.preview.setTrigger(left ? kLeftTrigger : kRightTrigger);
}

void MsDengPage::colorChosen(ui::Color color) {
  controls_.showColor(color);
  controls_.setSevenColorCheck(false);
  edit([color](Record& r) { storeSingleColor(r, color); });
}

void MsDengPage::colorEdited(ui::Edit& field, std::size_t byte) {
  const int value = controls_.typedComponent(field);
  controls_.setSevenColorCheck(false);
  edit([byte, value](Record& r) { storeColorComponent(r, byte, value); });
  controls_.showTypedColor(lightingColorOf(context_.liveLighting.snapshot(DeviceKind::mouse)));
}

void MsDengPage::sameMode(DeviceKind source) {
  copySameMode(source, context_.liveLighting, config_.sharedBlock, context_.sessions);
  if (source == DeviceKind::mouse) return;
  // Another device's effect came to the mouse: show it and keep it in the
  // mouse's lighting profile file; the mouse receives it with its next push.
  refresh();
  saveMouseLightingProfile(context_.liveLighting.snapshot(DeviceKind::mouse));
}

void MsDengPage::refresh() {
  const Record r = context_.liveLighting.snapshot(DeviceKind::mouse);
  const int mode = r[kLightMode];
  controls_.refresh(r, mode < kLightModeCount ? mode : -1);
  controls_.enableGroups(modeControls(mode));
  if (mode == kPulseMode) config_.preview.setTrigger(kRightTrigger);
}

}  // namespace varnacle::mouse
