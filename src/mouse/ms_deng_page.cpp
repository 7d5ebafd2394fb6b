#include "mouse/ms_deng_page.h"

#include <algorithm>
#include <optional>
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
#include "ui/dispatcher.h"
#include "ui/window.h"

namespace varnacle::mouse {

namespace {

constexpr std::string_view kModeCombo = "ms_deng_combo_modeSelect";
constexpr std::string_view kBrightnessSlider = "ms_deng_light_slider";
constexpr std::string_view kSpeedSlider = "ms_deng_speed_slider";
constexpr std::string_view kLeftCheck = "ms_Deng_FXL_check";
constexpr std::string_view kRightCheck = "ms_Deng_FXR_check";
constexpr std::string_view kLeftButton = "ms_Deng_FXL_btn";
constexpr std::string_view kRightButton = "ms_Deng_FXR_btn";
constexpr std::string_view kSevenColorCheck = "ms_Deng_7color_check";
constexpr std::string_view kPalette = "ms_deng_Color_Pallet";
constexpr std::string_view kPresetPrefix = "ms_Deng_color_btn_";
constexpr std::string_view kColorPreview = "ms_Deng_colordp_btn";

// The control groups each mode enables or disables.
constexpr std::string_view kDirectionGroup = "ms_deng_fx_layout";
constexpr std::string_view kColorGroup = "ms_deng_color_layout";
constexpr std::string_view kSevenColorGroup = "ms_deng_7colorselect_layout";
constexpr std::string_view kSpeedGroup = "ms_deng_speed_layout";

// The colour edits and the record byte each stores.
struct ColorEdit {
  std::string_view name;
  std::size_t byte;
};
constexpr std::array<ColorEdit, 3> kColorEdits = {{
    {"ms_Deng_edit_R", kRed},
    {"ms_Deng_edit_G", kGreen},
    {"ms_Deng_edit_B", kBlue},
}};

constexpr int kSliderTop = 14;  // brightness and speed run 0-14
constexpr int kComponentMax = 255;

// Trigger ring cells that start the pulses of mode 5 for each direction.
constexpr std::size_t kLeftTrigger = 7;
constexpr std::size_t kRightTrigger = 0;
constexpr int kPulseMode = 5;

// The number an edit's text starts with, stopping above 255 (so any length
// of digits is safe); 0 when it starts with no digit.
int leadingComponent(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), kComponentMax + 1);
  }
  return value;
}

// The preset button number of `name` ("ms_Deng_color_btn_N"), if it is one.
std::optional<std::size_t> presetIndex(std::string_view name) {
  if (!name.starts_with(kPresetPrefix)) return std::nullopt;
  const std::string_view digits = name.substr(kPresetPrefix.size());
  if (digits.empty() || digits.size() > 2 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const auto n = static_cast<std::size_t>(std::stoi(std::string(digits)));
  if (n >= PresetColors.size()) return std::nullopt;
  return n;
}

ui::Color colorOf(const Record& r) {
  return 0xFF000000u | ui::Color{r[kRed]} << 16 | ui::Color{r[kGreen]} << 8 | ui::Color{r[kBlue]};
}

}  // namespace

MsDengPage::MsDengPage(const pages::PageContext& context, MouseConfig& config,
                       DengPreviewTiming timing)
    : context_(context), config_(config), timing_(timing) {}

// The workers stop with the window's worker slots, which the main window
// empties before it destroys its pages; the pacer is the page's own.
MsDengPage::~MsDengPage() {
  {
    std::lock_guard lock(frameMutex_);
    stopping_ = true;
  }
  frameWaiting_.notify_one();
  if (pacer_.joinable()) pacer_.join();
}

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
  pacer_ = std::thread([this] { pace(); });
  mouseWorker_ = std::make_unique<MousePreviewWorker>(
      context_.liveLighting, context_.session(DeviceKind::mouse), config_.preview,
      [this](Frame frame) { post(std::move(frame), false); });
  mouseWorker_->timing = timing_.mouse;
  sharedWorker_ = std::make_unique<SharedPreviewWorker>(
      config_.sharedBlock,
      std::array<const device::DeviceSession*, 3>{context_.sessions[0], context_.sessions[1],
                                                  context_.sessions[2]},
      [this](Frame frame) { post(std::move(frame), true); });
  sharedWorker_->timing = timing_.shared;
  context_.workerSlots.start(platform::WorkerSlot::mousePreview,
                             [w = mouseWorker_.get()](platform::Event& stop) { w->run(stop); });
  context_.workerSlots.start(platform::WorkerSlot::combinedPreview,
                             [w = sharedWorker_.get()](platform::Event& stop) { w->run(stop); });
}

void MsDengPage::post(Frame frame, bool shared) {
  if (frame.empty()) return;
  bool wake = false;
  {
    std::lock_guard lock(frameMutex_);
    // The pacer needs waking only when it waits for a first frame, not
    // while it rests between batches.
    wake = !resting_ && !waiting_[0] && !waiting_[1];
    waiting_[shared ? 1 : 0] = std::move(frame);
  }
  if (wake) frameWaiting_.notify_one();
}

//   frames  ─┬─┬─┬─┬─┬─┬─┬─┬─┬──────────    (every 3 ms at the fastest)
//   posted   ┴─────────┴─────────┴          newest waiting, then rest 33 ms
void MsDengPage::pace() {
  const ui::WindowId window = context_.window.id();
  std::unique_lock lock(frameMutex_);
  for (;;) {
    frameWaiting_.wait(lock, [this] { return stopping_ || waiting_[0] || waiting_[1]; });
    if (stopping_) return;
    auto batch = std::exchange(waiting_, {});
    lock.unlock();
    // Without an event loop (shutting down) the batch is dropped.
    ui::post([this, window, batch = std::move(batch)] {
      if (!ui::Window::fromId(window)) return;
      if (batch[0]) apply(*batch[0], false);
      if (batch[1]) apply(*batch[1], true);
    });
    lock.lock();
    resting_ = true;
    const bool stop =
        frameWaiting_.wait_for(lock, timing_.frameInterval, [this] { return stopping_; });
    resting_ = false;
    if (stop) return;
  }
}

void MsDengPage::apply(const Frame& frame, bool shared) {
  // The mouse preview numbers only the mouse's lights, which are the first
  // entries of the shared numbering too.
  const std::size_t limit = shared ? lights_.size() : static_cast<std::size_t>(kMouseLights);
  for (const Tint& t : frame) {
    if (t.light < 0 || static_cast<std::size_t>(t.light) >= std::min(limit, lights_.size()))
      continue;
    ui::Control* light = lights_[static_cast<std::size_t>(t.light)];
    const ui::Color color = tintToArgb(t.color);
    // Only lights whose tint changes are repainted.
    if (!light || (light->changerColor() == color && light->changerAlpha() == t.alpha)) continue;
    light->setChangerColor(color);
    light->setChangerAlpha(t.alpha);
  }
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
  if (n.type == ui::notify::kItemSelect) {
    if (name == kModeCombo) modeSelected(static_cast<int>(n.wParam));
  } else if (n.type == ui::notify::kValueChanged) {
    auto* slider = dynamic_cast<ui::Slider*>(n.sender);
    if (!slider) return;
    if (name == kBrightnessSlider) setByte(kBrightness, std::clamp(slider->value(), 0, kSliderTop));
    if (name == kSpeedSlider) setByte(kSpeed, std::max(0, kSliderTop - slider->value()));
  } else if (n.type == ui::notify::kSelectChanged) {
    if (name == kLeftCheck) directionChecked(true);
    if (name == kRightCheck) directionChecked(false);
    if (name == kSevenColorCheck) {
      auto* check = dynamic_cast<ui::CheckBox*>(n.sender);
      setByte(kSevenColor, check && check->isChecked() ? 1 : 0);
    }
  } else if (n.type == ui::notify::kClick) {
    if (name == kLeftButton) setByte(kDirection, kDirectionRight);
    if (name == kRightButton) setByte(kDirection, kDirectionLeft);
    if (auto preset = presetIndex(name)) colorChosen(PresetColors[*preset]);
    if (auto source = sameModeSource(name)) sameMode(*source);
  } else if (n.type == ui::notify::kColorChanged) {
    if (name == kPalette)
      if (auto* palette = dynamic_cast<ui::ColorPalette*>(n.sender))
        colorChosen(palette->selectColor());
  } else if (n.type == ui::notify::kTextChanged) {
    for (const ColorEdit& e : kColorEdits)
      if (name == e.name)
        if (auto* field = dynamic_cast<ui::Edit*>(n.sender)) colorEdited(*field, e.byte);
  }
}

void MsDengPage::deviceMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t) {
  if (msg == pages::msg::kMouseReadAll || msg == pages::msg::kMouseReloadActive) refresh();
}

void MsDengPage::deviceShown(DeviceKind kind) {
  if (kind == DeviceKind::mouse) refresh();
}

void MsDengPage::enableGroups(int mode) {
  const ModeControls& controls = modeControls(mode);
  const std::pair<std::string_view, bool> groups[] = {
      {kDirectionGroup, controls.direction},
      {kColorGroup, controls.colour},
      {kSevenColorGroup, controls.sevenColour},
      {kSpeedGroup, controls.speed},
      {kSameModeButtons[static_cast<std::size_t>(DeviceKind::mouse)], controls.sameMode}};
  for (const auto& [group, enabled] : groups)
    if (ui::Control* c = context_.window.findControl(group)) c->setEnabled(enabled);
}

void MsDengPage::modeSelected(int mode) {
  if (mode < 0 || mode >= kLightModeCount) return;
  config_.preview.restart();
  enableGroups(mode);
  setByte(kLightMode, mode);
  if (mode == kPulseMode) {
    const bool left = config_.workingRecord()[kDirection] == kDirectionLeft;
    config_.preview.setTrigger(left ? kLeftTrigger : kRightTrigger);
  }
}

void MsDengPage::directionChecked(bool left) {
  // The clicked box stays checked even when the click would have cleared it.
  if (auto* c = context_.window.findControl<ui::CheckBox>(kLeftCheck)) c->setChecked(left, false);
  if (auto* c = context_.window.findControl<ui::CheckBox>(kRightCheck)) c->setChecked(!left, false);
  setByte(kDirection, left ? kDirectionLeft : kDirectionRight);
  config_.preview.restart();
  config_.preview.setTrigger(left ? kLeftTrigger : kRightTrigger);
}

void MsDengPage::showColor(ui::Color color) {
  if (auto* preview = context_.window.findControl(kColorPreview)) {
    preview->setBkImage("");
    preview->setBkColor(color | 0xFF000000u);
  }
  const int components[] = {ui::redOf(color), ui::greenOf(color), ui::blueOf(color)};
  for (std::size_t i = 0; i < kColorEdits.size(); ++i)
    if (auto* e = context_.window.findControl(kColorEdits[i].name))
      e->setText(std::to_string(components[i]));
}

void MsDengPage::colorChosen(ui::Color color) {
  showColor(color);
  if (auto* c = context_.window.findControl<ui::CheckBox>(kSevenColorCheck))
    c->setChecked(false, false);
  edit([color](Record& r) {
    r[kRed] = static_cast<uint8_t>(ui::redOf(color));
    r[kGreen] = static_cast<uint8_t>(ui::greenOf(color));
    r[kBlue] = static_cast<uint8_t>(ui::blueOf(color));
    r[kSevenColor] = 0;
  });
}

void MsDengPage::colorEdited(ui::Edit& field, std::size_t byte) {
  const int typed = leadingComponent(field.text());
  const int value = std::min(typed, kComponentMax);
  if (typed > kComponentMax) field.setText(std::to_string(kComponentMax));
  if (auto* c = context_.window.findControl<ui::CheckBox>(kSevenColorCheck))
    c->setChecked(false, false);
  edit([byte, value](Record& r) {
    r[byte] = static_cast<uint8_t>(value);
    r[kSevenColor] = 0;
  });
  const ui::Color color = colorOf(context_.liveLighting.snapshot(DeviceKind::mouse));
  if (auto* preview = context_.window.findControl(kColorPreview)) {
    preview->setBkImage("");
    preview->setBkColor(color);
  }
  if (auto* palette = context_.window.findControl<ui::ColorPalette>(kPalette))
    palette->setSelectColor(color);
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
  if (auto* combo = context_.window.findControl<ui::Combo>(kModeCombo))
    combo->selectItem1(mode < kLightModeCount ? mode : -1, false, false);
  enableGroups(mode);
  if (mode == kPulseMode) config_.preview.setTrigger(kRightTrigger);
  if (auto* s = context_.window.findControl<ui::Slider>(kBrightnessSlider))
    s->setValue(r[kBrightness]);
  if (auto* s = context_.window.findControl<ui::Slider>(kSpeedSlider))
    s->setValue(kSliderTop - std::min<int>(r[kSpeed], kSliderTop));
  const ui::Color color = colorOf(r);
  if (auto* palette = context_.window.findControl<ui::ColorPalette>(kPalette))
    palette->setSelectColor(color);
  showColor(color);
  if (auto* c = context_.window.findControl<ui::CheckBox>(kSevenColorCheck))
    c->setChecked(r[kSevenColor] != 0, false);
  if (auto* c = context_.window.findControl<ui::CheckBox>(kLeftCheck))
    c->setChecked(r[kDirection] != 0, false);
  if (auto* c = context_.window.findControl<ui::CheckBox>(kRightCheck))
    c->setChecked(r[kDirection] == 0, false);
}

}  // namespace varnacle::mouse
