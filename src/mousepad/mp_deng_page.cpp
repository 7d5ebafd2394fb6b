#include "mousepad/mp_deng_page.h"

#include <algorithm>
#include <string>
#include <utility>

#include "mouse/lighting_controls.h"
#include "mouse/mouse_lighting_profile.h"
#include "mouse/preset_colors.h"
#include "mouse/same_mode.h"
#include "mousepad/pad_config.h"
#include "mousepad/pad_lighting_modes.h"
#include "mousepad/pad_lights.h"
#include "pages/page_messages.h"
#include "platform/worker_slots.h"
#include "ui/control.h"
#include "ui/window.h"

namespace varnacle::mousepad {

namespace {

using mouse::kLightingSliderTop;
using mouse::LightingControlNames;

constexpr LightingControlNames kPadLightingNames = {
    "mp_deng_combo_modeSelect",
    "mp_deng_light_slider",
    "mp_deng_speed_slider",
    "mp_Deng_FXL_check",
    "mp_Deng_FXR_check",
    "mp_Deng_7color_check",
    "mp_deng_Color_Pallet",
    "mp_Deng_color_btn_",
    "mp_Deng_colordp_btn",
    {"mp_Deng_edit_R", "mp_Deng_edit_G", "mp_Deng_edit_B"},
    "mp_deng_fx_layout",
    "mp_deng_color_layout",
    "mp_deng_7colorselect_layout",
    "mp_deng_speed_layout",
    mouse::kSameModeButtons[static_cast<std::size_t>(DeviceKind::mousePad)],
};
constexpr std::string_view kProfileCombo = "mp_deng_combo_profile";
constexpr std::string_view kResetButton = "mp_one_profile_default";
constexpr std::string_view kLightStem = "mp_dkey_";

// Mode 5's pulses start from cell 0 of the pad's trigger ring.
constexpr int kPulseMode = 5;
constexpr std::size_t kPulseTrigger = 0;

}  // namespace

MpDengPage::MpDengPage(const pages::PageContext& context, PadConfig& config,
                       mouse::SharedPreviewBlock& sharedBlock, MpDengTiming timing)
    : context_(context),
      config_(config),
      sharedBlock_(sharedBlock),
      timing_(timing),
      controls_(context.window, kPadLightingNames),
      pacer_(1, [this](std::size_t, const Frame& frame) { apply(frame); }) {}

// The worker stops with the window's worker slots, which the main window
// empties before it destroys its pages; the pacer and the delayed read are
// the page's own.
MpDengPage::~MpDengPage() = default;

void MpDengPage::startUp() {
  lights_.assign(kPadLights, nullptr);
  for (int i = 0; i < kPadLights; ++i)
    lights_[static_cast<std::size_t>(i)] =
        context_.window.findControl(std::string(kLightStem) + std::to_string(i));
  refresh();
}

void MpDengPage::startWorkers() {
  pacer_.start(context_.window.id(), timing_.frameInterval);
  readAfterReset_ = std::make_unique<DelayedMessage>(context_.window.id(), pages::msg::kPadReadAll);
  worker_ = std::make_unique<PadPreviewWorker>(
      context_.liveLighting, context_.session(DeviceKind::mousePad), config_.preview,
      context_.mouseTrigger, [this](Frame frame) { pacer_.post(0, std::move(frame)); });
  worker_->timing = timing_.preview;
  worker_->timing.shortestFrame = timing_.frameInterval;
  worker_->gate = &context_.previewGates.add({"mp_deng_page"});
  context_.workerSlots.start(platform::WorkerSlot::mousePadPreview,
                             [w = worker_.get()](platform::Event& stop) { w->run(stop); });
}

void MpDengPage::apply(const Frame& frame) {
  mouse::applyFrame(lights_, frame);
}

void MpDengPage::save() {
  // A failed save is reported by the profile code; the edit stands.
  mouse::saveLightingRecord(profile::ProfileListKind::mousePadLighting, "mouse pad lighting profile",
                            context_.liveLighting.snapshot(DeviceKind::mousePad));
}

void MpDengPage::edit(const std::function<void(Record&)>& change) {
  context_.liveLighting.edit(DeviceKind::mousePad, change);
  save();
}

void MpDengPage::setByte(std::size_t byte, int value) {
  edit([byte, value](Record& r) { r[byte] = static_cast<uint8_t>(value); });
}

void MpDengPage::notify(const ui::Notification& n) {
  if (!n.sender) return;
  const std::string& name = n.sender->name();
  const LightingControlNames& names = controls_.names();
  if (n.type == ui::notify::kItemSelect) {
    if (name == names.modeCombo) modeSelected(static_cast<int>(n.wParam));
    if (name == kProfileCombo) profileSelected(static_cast<int>(n.wParam));
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
    if (name == kResetButton) resetClicked();
    if (auto preset = controls_.presetIndex(name)) colorChosen(mouse::PresetColors[*preset]);
    if (auto source = mouse::sameModeSource(name)) sameMode(*source);
  } else {
    controls_.takeColorInput(
        n, [this](ui::Color c) { colorChosen(c); },
        [this](ui::Edit& field, std::size_t byte) { colorEdited(field, byte); });
  }
}

void MpDengPage::deviceMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t) {
  device::DeviceSession& pad = context_.session(DeviceKind::mousePad);
  if (msg == pages::msg::kPadReadAll) {
    // Failures are the session's to report; the page shows what the buffers hold.
    config_.readAll(pad);
    refresh();
  } else if (msg == pages::msg::kPadReloadActive) {
    config_.reloadActive(pad);
    refresh();
  }
}

void MpDengPage::modeSelected(int mode) {
  if (mode < 0 || mode >= kPadModeChoices) return;
  config_.preview.restart();
  controls_.enableGroups(padModeControls(mode));
  setByte(kLightMode, mode);
  if (mode == kPulseMode) config_.preview.setTrigger(kPulseTrigger);
}

void MpDengPage::profileSelected(int profile) {
  if (config_.switchProfile(context_.session(DeviceKind::mousePad), profile)) refresh();
}

void MpDengPage::resetClicked() {
  // The reply is not waited for beyond the session's own attempts; what the
  // pad holds afterwards is read back a second later, on the UI thread's
  // next message, so the window stays responsive meanwhile.
  config_.reset(context_.session(DeviceKind::mousePad));
  if (readAfterReset_) readAfterReset_->schedule(timing_.resetReadDelay);
}

void MpDengPage::directionChecked(bool left) {
  // The clicked box stays checked even when the click would have cleared it;
  // the pad's preview runs on from where it is.
  controls_.setDirectionChecks(left);
  setByte(kDirection, left ? kDirectionLeft : kDirectionRight);
}

void MpDengPage::colorChosen(ui::Color color) {
  controls_.showColor(color);
  controls_.setSevenColorCheck(false);
  edit([color](Record& r) { mouse::storeSingleColor(r, color); });
}

void MpDengPage::colorEdited(ui::Edit& field, std::size_t byte) {
  const int value = controls_.typedComponent(field);
  controls_.setSevenColorCheck(false);
  edit([byte, value](Record& r) { mouse::storeColorComponent(r, byte, value); });
  controls_.showTypedColor(
      mouse::lightingColorOf(context_.liveLighting.snapshot(DeviceKind::mousePad)));
}

void MpDengPage::sameMode(DeviceKind source) {
  mouse::copySameMode(source, context_.liveLighting, sharedBlock_, context_.sessions);
  if (source == DeviceKind::mousePad) return;
  // Another device's effect came to the pad: show it and keep it in the
  // pad's lighting profile file; the pad receives it with its next push.
  refresh();
  save();
}

void MpDengPage::refresh() {
  const Record r = context_.liveLighting.snapshot(DeviceKind::mousePad);
  const int mode = r[kLightMode];
  controls_.refresh(r, mode < kPadModeCount ? mode : -1);
  controls_.enableGroups(padModeControls(mode));
  if (mode == kPulseMode) config_.preview.setTrigger(kPulseTrigger);
  if (auto* combo = context_.window.findControl<ui::Combo>(kProfileCombo)) {
    const int profile = r[kProfileByte];
    combo->selectItem1(profile < device::kOnBoardProfiles ? profile : -1, false, false);
  }
}

}  // namespace varnacle::mousepad
