#include "mouse/ms_dpi_page.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "device/exchanges.h"
#include "device/live_lighting.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_lighting_profile.h"
#include "mouse/mouse_settings_record.h"
#include "mouse/preset_colors.h"
#include "pages/page_messages.h"
#include "ui/control.h"
#include "ui/window.h"

namespace varnacle::mouse {

namespace {

constexpr int kStages = static_cast<int>(kDpiStageBytes.size());
constexpr int kProfiles = device::kOnBoardProfiles;
constexpr int kPointerPositions = 10;  // "ms_point_speed_slider" 0..9

// Colour of the on-board profile button that is active, and of the others.
constexpr ui::Color kActiveProfileColor = 0xFF0199CB;
constexpr ui::Color kProfileColor = 0xFF2B3440;

// What the reset button gives the desktop: slider position, pointer speed,
// wheel lines.
constexpr int kResetPointerPosition = 5;
constexpr int kResetPointerSpeed = 10;
constexpr int kResetWheelLines = 3;

// The number in `name` between `prefix` and `suffix`, or -1 when the name
// has another shape. Only plain decimal digits count.
int numberIn(std::string_view name, std::string_view prefix, std::string_view suffix) {
  if (!name.starts_with(prefix) || !name.ends_with(suffix)) return -1;
  if (name.size() <= prefix.size() + suffix.size()) return -1;
  const std::string_view digits =
      name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (digits.size() > 3) return -1;
  int value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size()) return -1;
  return value;
}

// The leading decimal digits of a text, as the edits are read ("7x" is 7,
// "" and "x" are 0). Large numbers stop growing past 9999.
int leadingNumber(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), 9999);
  }
  return value;
}

std::string stageName(int stage, std::string_view what) {
  return "ms_DPI" + std::to_string(stage + 1) + std::string(what);
}

uint8_t toByte(int value) {
  return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

}  // namespace

MsDpiPage::MsDpiPage(const pages::PageContext& context, MouseConfig& config,
                     platform::PointerApplier applier)
    : context_(context), config_(config), pointerWorker_(std::move(applier)) {}

MsDpiPage::~MsDpiPage() = default;

bool MsDpiPage::finishPointerWork(std::chrono::milliseconds limit) {
  return pointerWorker_.waitUntilApplied(limit);
}

void MsDpiPage::startUp() {
  refresh();
}

void MsDpiPage::saveProfileFile() {
  saveMouseLightingProfile(context_.liveLighting.snapshot(DeviceKind::mouse));
}

void MsDpiPage::edit(std::size_t byte, int value) {
  context_.liveLighting.edit(DeviceKind::mouse,
                             [&](device::LiveLighting::Record& r) { r[byte] = toByte(value); });
  saveProfileFile();
}

void MsDpiPage::store(std::size_t byte, int value) {
  context_.liveLighting.edit(
      DeviceKind::mouse, [&](device::LiveLighting::Record& r) { r[byte] = toByte(value); }, false);
  saveProfileFile();
}

void MsDpiPage::notify(const ui::Notification& n) {
  if (!n.sender) return;
  const std::string& name = n.sender->name();
  if (n.type == ui::notify::kValueChanged || n.type == ui::notify::kMoveValueChanged) {
    auto* slider = dynamic_cast<ui::Slider*>(n.sender);
    if (!slider) return;
    const bool dragging = n.type == ui::notify::kMoveValueChanged;
    if (const int stage = numberIn(name, "ms_DPI", "_slider"); stage >= 1 && stage <= kStages) {
      dragging ? dpiSliderDragged(stage - 1, slider->value())
               : dpiSliderChanged(stage - 1, slider->value());
    } else if (dragging) {
      return;
    } else if (name == "ms_sensor_height_slider") {
      edit(kLiftHeight, std::max(slider->value(), 0));
    } else if (name == "ms_point_speed_slider") {
      pointerSpeedChanged(slider->value());
    }
  } else if (n.type == ui::notify::kItemSelect) {
    if (name == "ms_report_fct_combo" && static_cast<std::intptr_t>(n.wParam) >= 0)
      edit(kReportRate, static_cast<int>(n.wParam));
  } else if (n.type == ui::notify::kClick) {
    if (name == "ms_gunlun_speed_up_btn") return wheelLinesStep(+1);
    if (name == "ms_gunlun_speed_down_btn") return wheelLinesStep(-1);
    if (name == "ms_one_profile_default") return resetClicked();
    if (const int preset = numberIn(name, "ms_DPI_color_btn_", "");
        preset >= 0 && preset < static_cast<int>(PresetColors.size()))
      return dpiColorPicked(PresetColors[static_cast<std::size_t>(preset)]);
    if (const int profile = numberIn(name, "ms_profile_", ""); profile >= 0)
      return profileClicked(profile);
  } else if (n.type == ui::notify::kColorChanged) {
    if (auto* palette = dynamic_cast<ui::ColorPalette*>(n.sender); palette && name == "Pallet")
      dpiColorPicked(palette->selectColor());
  } else if (n.type == ui::notify::kTextChanged) {
    auto* editControl = dynamic_cast<ui::Edit*>(n.sender);
    if (!editControl) return;
    if (name == "ms_DPI_edit_R") dpiColorEdited(*editControl, kDpiRed);
    if (name == "ms_DPI_edit_G") dpiColorEdited(*editControl, kDpiGreen);
    if (name == "ms_DPI_edit_B") dpiColorEdited(*editControl, kDpiBlue);
  }
}

void MsDpiPage::dpiSliderChanged(int stage, int position) {
  edit(kDpiStageBytes[static_cast<std::size_t>(stage)], position);
  if (auto* label = context_.window.findControl(stageName(stage, "_label_value")))
    label->setText(std::to_string(dpiValue(toByte(position))));
}

// While a stage is dragged its label follows the position with the same
// values the released slider shows; the record changes on release.
void MsDpiPage::dpiSliderDragged(int stage, int position) {
  if (auto* label = context_.window.findControl(stageName(stage, "_label_value")))
    label->setText(std::to_string(dpiValue(toByte(position))));
}

void MsDpiPage::pointerSpeedChanged(int position) {
  const int speed = 2 * (std::max(position, 0) + 1);
  store(kPointerSpeed, platform::clampPointerSpeed(speed));
  pointerWorker_.pointerSpeed(platform::clampPointerSpeed(speed));
}

void MsDpiPage::wheelLinesStep(int delta) {
  auto* edit = context_.window.findControl<ui::Edit>("ms_gunlun_speed_edit");
  if (!edit) return;
  const int shown = leadingNumber(edit->text());
  const int lines =
      delta > 0 ? std::min(std::max(shown, 1) + 1, platform::kWheelLinesMax)
                : std::max(std::min(shown, platform::kWheelLinesMax) - 1, platform::kWheelLinesMin);
  edit->setText(std::to_string(lines));
  store(kWheelLines, lines);
  pointerWorker_.wheelLines(lines);
}

void MsDpiPage::showDpiColor(ui::Color color) {
  if (auto* preview = context_.window.findControl("ms_DPI_colordp_btn")) {
    preview->setBkImage("");
    preview->setBkColor(color | 0xFF000000);
  }
}

void MsDpiPage::dpiColorPicked(ui::Color color) {
  showDpiColor(color);
  if (auto* palette = context_.window.findControl<ui::ColorPalette>("Pallet"))
    palette->setSelectColor(color | 0xFF000000);
  const std::pair<const char*, uint8_t> parts[] = {{"ms_DPI_edit_R", ui::redOf(color)},
                                                   {"ms_DPI_edit_G", ui::greenOf(color)},
                                                   {"ms_DPI_edit_B", ui::blueOf(color)}};
  for (const auto& [editName, value] : parts)
    if (auto* e = context_.window.findControl(editName)) e->setText(std::to_string(value));
  context_.liveLighting.edit(DeviceKind::mouse, [&](device::LiveLighting::Record& r) {
    r[kDpiRed] = ui::redOf(color);
    r[kDpiGreen] = ui::greenOf(color);
    r[kDpiBlue] = ui::blueOf(color);
  });
  saveProfileFile();
}

void MsDpiPage::dpiColorEdited(ui::Edit& editControl, std::size_t byte) {
  int value = leadingNumber(editControl.text());
  if (value > 255) {
    value = 255;
    editControl.setText("255");
  }
  edit(byte, value);
  const auto r = context_.liveLighting.snapshot(DeviceKind::mouse);
  const ui::Color color = ui::argb(0xFF, r[kDpiRed], r[kDpiGreen], r[kDpiBlue]);
  showDpiColor(color);
  if (auto* palette = context_.window.findControl<ui::ColorPalette>("Pallet"))
    palette->setSelectColor(color);
}

void MsDpiPage::profileClicked(int profile) {
  if (profile >= kProfiles) return;
  if (!config_.switchProfile(context_.session(DeviceKind::mouse), profile)) return;
  if (auto* function = context_.window.findControl("ms_tab_function")) function->setVisible(false);
  refresh();
}

void MsDpiPage::resetClicked() {
  if (auto* slider = context_.window.findControl<ui::Slider>("ms_point_speed_slider"))
    slider->setValue(kResetPointerPosition);
  if (auto* edit = context_.window.findControl("ms_gunlun_speed_edit"))
    edit->setText(std::to_string(kResetWheelLines));
  // The record keeps what the desktop now has, so the profile file agrees.
  context_.liveLighting.edit(
      DeviceKind::mouse,
      [](device::LiveLighting::Record& r) {
        r[kPointerSpeed] = kResetPointerSpeed;
        r[kWheelLines] = kResetWheelLines;
      },
      false);
  saveProfileFile();
  pointerWorker_.pointerSpeed(kResetPointerSpeed);
  pointerWorker_.wheelLines(kResetWheelLines);
  config_.reset(context_.session(DeviceKind::mouse));
}

void MsDpiPage::deviceArrived(DeviceKind kind, device::DeviceSession& session) {
  if (kind == DeviceKind::mouse) config_.readAll(session);
}

void MsDpiPage::deviceShown(DeviceKind kind) {
  if (kind == DeviceKind::mouse) refresh();
}

void MsDpiPage::deviceMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t) {
  if (msg == pages::msg::kMouseReadAll) {
    config_.readAll(context_.session(DeviceKind::mouse));
    refresh();
  } else if (msg == pages::msg::kMouseReloadActive) {
    config_.reloadActive(context_.session(DeviceKind::mouse));
    refresh();
  }
}

void MsDpiPage::showActiveProfile(int profile) {
  for (int p = 0; p < kProfiles; ++p)
    if (auto* button = context_.window.findControl("ms_profile_" + std::to_string(p)))
      button->setBkColor(p == profile ? kActiveProfileColor : kProfileColor);
}

void MsDpiPage::refresh() {
  ui::Window& w = context_.window;
  const auto record = context_.liveLighting.snapshot(DeviceKind::mouse);
  const int maximum = config_.dpiSliderMaximum();

  if (auto* combo = w.findControl<ui::Combo>("ms_report_fct_combo"))
    combo->selectItem1(record[kReportRate], false, false);

  // An active stage outside 0..5 shows stage 1 as active.
  const int active = record[kActiveStage] < kStages ? record[kActiveStage] : 0;
  for (int stage = 0; stage < kStages; ++stage) {
    const int position = record[kDpiStageBytes[static_cast<std::size_t>(stage)]];
    if (auto* slider = w.findControl<ui::Slider>(stageName(stage, "_slider"))) {
      slider->setMinValue(0);
      slider->setMaxValue(maximum);
      slider->setValue(position);
    }
    const ui::Color color = stage == active ? kActiveStageColor : kStageColor;
    if (auto* rank = w.findControl(stageName(stage, "_label_rank"))) rank->setTextColor(color);
    if (auto* value = w.findControl(stageName(stage, "_label_value"))) {
      value->setTextColor(color);
      value->setText(std::to_string(dpiValue(position)));
    }
  }

  if (auto* height = w.findControl<ui::Slider>("ms_sensor_height_slider"))
    height->setValue(record[kLiftHeight]);

  const ui::Color color = ui::argb(0xFF, record[kDpiRed], record[kDpiGreen], record[kDpiBlue]);
  if (auto* palette = w.findControl<ui::ColorPalette>("Pallet")) palette->setSelectColor(color);
  showDpiColor(color);
  const std::pair<const char*, uint8_t> parts[] = {{"ms_DPI_edit_R", record[kDpiRed]},
                                                   {"ms_DPI_edit_G", record[kDpiGreen]},
                                                   {"ms_DPI_edit_B", record[kDpiBlue]}};
  for (const auto& [editName, value] : parts)
    if (auto* e = w.findControl(editName)) e->setText(std::to_string(value));

  // The desktop values the record keeps (a record that never held them
  // leaves the controls as they are).
  const int speed = record[kPointerSpeed];
  if (speed >= platform::kPointerSpeedMin && speed <= platform::kPointerSpeedMax)
    if (auto* slider = w.findControl<ui::Slider>("ms_point_speed_slider"))
      slider->setValue(std::clamp((speed + 1) / 2 - 1, 0, kPointerPositions - 1));
  const int lines = record[kWheelLines];
  if (lines >= platform::kWheelLinesMin && lines <= platform::kWheelLinesMax)
    if (auto* edit = w.findControl("ms_gunlun_speed_edit")) edit->setText(std::to_string(lines));

  showActiveProfile(record[kProfileByte]);
}

}  // namespace varnacle::mouse
