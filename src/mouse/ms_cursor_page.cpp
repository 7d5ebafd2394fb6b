#include "mouse/ms_cursor_page.h"

#include <array>
#include <string>
#include <vector>

#include "app/cursor_path_view.h"
#include "app/msg_wnd.h"
#include "macro/macro_store.h"
#include "mouse/cursor_sequences.h"
#include "mouse/fire_key_bullets.h"
#include "mouse/key_assignment.h"
#include "mouse/mouse_config.h"
#include "pages/page_messages.h"
#include "ui/control.h"
#include "ui/window.h"

namespace varnacle::mouse {

namespace {

constexpr std::string_view kSequenceOption = "ms_gun_op_";
constexpr std::string_view kBulletOption = "ms_bullet_op_";
constexpr std::string_view kEditLayout = "cursor_edit_layout";
constexpr std::string_view kBulletIndex = "bullet_select_index";
constexpr std::string_view kPauseEdit = "ms_cursor_delay_eidt";
constexpr std::string_view kXEdit = "ms_cursor_x_eidt";
constexpr std::string_view kYEdit = "ms_cursor_y_eidt";
constexpr std::string_view kXCheck = "ms_cursor_x_check";
constexpr std::string_view kYCheck = "ms_cursor_y_check";
constexpr std::string_view kPath = "ms_cursor_path";
constexpr std::string_view kTooLargeMessage = "message_text_7";

constexpr std::string_view kLeftLabel = "mouse_move_to_left_text";
constexpr std::string_view kRightLabel = "mouse_move_to_right_text";
constexpr std::string_view kUpLabel = "mouse_move_to_up_text";
constexpr std::string_view kDownLabel = "mouse_move_to_down_text";

// The number after `prefix` in `name` when it is below `count`, else -1.
// Only plain decimal digits without leading zeros count.
int indexIn(std::string_view name, std::string_view prefix, int count) {
  if (!name.starts_with(prefix)) return -1;
  const std::string_view digits = name.substr(prefix.size());
  if (digits.empty() || digits.size() > 2 || (digits.size() > 1 && digits[0] == '0')) return -1;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value < count ? value : -1;
}

std::string bulletOption(int bullet) {
  return std::string(kBulletOption) + std::to_string(bullet);
}

}  // namespace

MsCursorPage::MsCursorPage(const pages::PageContext& context, MouseConfig& config)
    : context_(context), config_(config) {}

void MsCursorPage::startUp() {
  macro::MacroStore(DeviceKind::mouse).ensureCursorSections();
  selectSequence(config_.fireKeySequence());
}

void MsCursorPage::deviceShown(DeviceKind kind) {
  // The sequence files were read back from the mouse.
  if (kind == DeviceKind::mouse) selectSequence(0);
}

void MsCursorPage::notify(const ui::Notification& n) {
  if (!n.sender) return;
  const std::string& name = n.sender->name();
  if (n.type == ui::notify::kClick) {
    if (name == "bullet_selected_prev") {
      if (config_.fireKeyBullet() > 0) selectBullet(config_.fireKeyBullet() - 1);
    } else if (name == "bullet_selected_next") {
      if (config_.fireKeyBullet() < kBulletCount - 1) selectBullet(config_.fireKeyBullet() + 1);
    } else if (name == "ms_bulletdate_save_btn") {
      send();
    } else if (name == "ms_bulletdate_reset_btn") {
      reset();
    }
  } else if (n.type == ui::notify::kSelectChanged && !loading_) {
    const auto* option = dynamic_cast<const ui::Option*>(n.sender);
    if (!option) return;
    if (const int sequence = indexIn(name, kSequenceOption, macro::kCursorSequenceCount);
        sequence >= 0) {
      if (option->isSelected()) selectSequence(sequence);
    } else if (const int bullet = indexIn(name, kBulletOption, kBulletCount); bullet >= 0) {
      // The options of the bullets have no group: a click on the selected
      // one unselects it.
      if (option->isSelected()) {
        selectBullet(bullet);
      } else if (bullet == config_.fireKeyBullet()) {
        unselectBullet();
      }
    } else if (name == kXCheck) {
      showDirection(kXCheck, option->isSelected(), kLeftLabel, kRightLabel);
      saveBullet();
    } else if (name == kYCheck) {
      showDirection(kYCheck, option->isSelected(), kUpLabel, kDownLabel);
      saveBullet();
    }
  } else if (n.type == ui::notify::kTextChanged && !loading_) {
    if (name == kPauseEdit || name == kXEdit || name == kYEdit) saveBullet();
  }
}

void MsCursorPage::selectSequence(int sequence) {
  if (sequence < 0 || sequence >= macro::kCursorSequenceCount) return;
  config_.setFireKeySequence(sequence);
  loading_ = true;
  for (int g = 0; g < macro::kCursorSequenceCount; ++g)
    if (auto* option = context_.window.findControl<ui::Option>(std::string(kSequenceOption) +
                                                               std::to_string(g)))
      option->setSelected(g == sequence, false);
  loading_ = false;
  selectBullet(0);
}

void MsCursorPage::selectBullet(int bullet) {
  if (bullet < 0 || bullet >= kBulletCount) return;
  config_.setFireKeyBullet(bullet);
  bulletSelected_ = true;
  loading_ = true;
  for (int b = 0; b < kBulletCount; ++b)
    if (auto* option = context_.window.findControl<ui::Option>(bulletOption(b)))
      option->setSelected(b == bullet, false);
  loading_ = false;
  if (auto* layout = context_.window.findControl(kEditLayout)) layout->setEnabled(true);
  if (auto* index = context_.window.findControl(kBulletIndex))
    index->setText(std::to_string(bullet + 1));
  showBullet();
  showPath();
}

void MsCursorPage::unselectBullet() {
  bulletSelected_ = false;
  if (auto* layout = context_.window.findControl(kEditLayout)) layout->setEnabled(false);
  showPath();
}

void MsCursorPage::showBullet() {
  const std::vector<std::string> lines = readSequenceLines(config_.fireKeySequence());
  const Bullet bullet = loadBullet(lines, config_.fireKeyBullet());
  loading_ = true;
  const std::pair<std::string_view, int> values[] = {
      {kPauseEdit, bullet.pauseMs}, {kXEdit, bullet.x}, {kYEdit, bullet.y}};
  for (const auto& [edit, value] : values)
    if (auto* e = context_.window.findControl(edit)) e->setText(std::to_string(value));
  showDirection(kXCheck, bullet.left, kLeftLabel, kRightLabel);
  showDirection(kYCheck, bullet.up, kUpLabel, kDownLabel);
  loading_ = false;
}

void MsCursorPage::showDirection(std::string_view check, bool flag, std::string_view flagLabel,
                                 std::string_view otherLabel) {
  auto* box = context_.window.findControl<ui::CheckBox>(check);
  if (!box) return;
  const bool wasLoading = loading_;
  loading_ = true;
  box->setChecked(flag, false);
  loading_ = wasLoading;
  box->setResourceText(true);
  box->setText(std::string(flag ? flagLabel : otherLabel));
}

int MsCursorPage::editValue(std::string_view edit, int limit) {
  auto* e = context_.window.findControl(edit);
  if (!e) return 0;
  const int value = typedNumber(e->text());
  if (value <= limit) return value;
  e->setText(std::to_string(limit));
  return limit;
}

void MsCursorPage::saveBullet() {
  if (!bulletSelected_) return;
  Bullet bullet;
  bullet.pauseMs = editValue(kPauseEdit, kMaxPauseMs);
  bullet.x = editValue(kXEdit, kMaxMoveDistance);
  bullet.y = editValue(kYEdit, kMaxMoveDistance);
  const auto* x = context_.window.findControl<ui::CheckBox>(kXCheck);
  const auto* y = context_.window.findControl<ui::CheckBox>(kYCheck);
  bullet.left = x && x->isChecked();
  bullet.up = y && y->isChecked();
  const int sequence = config_.fireKeySequence();
  std::vector<std::string> lines = readSequenceLines(sequence);
  mouse::saveBullet(lines, config_.fireKeyBullet(), bullet);
  writeSequenceLines(sequence, lines);
  showPath();
}

void MsCursorPage::showPath() {
  auto* picture = context_.window.findControl<app::CCursorPathUI>(kPath);
  if (!picture) return;
  const auto path = bulletPath(readSequenceLines(config_.fireKeySequence()));
  std::array<ui::Point, kBulletCount + 1> points{};
  for (std::size_t i = 0; i < path.size(); ++i) points[i] = {path[i].x, path[i].y};
  picture->setPath(points);
  picture->setSelectedBullet(bulletSelected_ ? config_.fireKeyBullet() : -1);
}

void MsCursorPage::send() {
  ui::Window& w = context_.window;
  const CursorSendOutcome outcome = sendCursorSequences(context_.session(DeviceKind::mouse));
  if (outcome.status == CursorSendOutcome::Status::tooLarge) {
    app::showMessage(&w, kTooLargeMessage, true);
  } else if (outcome.status == CursorSendOutcome::Status::sent) {
    w.sendMessage(pages::msg::kProgressShow);
    w.sendMessage(pages::msg::kProgressDone,
                  outcome.result == device::kResultOk ? 0 : pages::msg::kProgressFailed);
  }
}

void MsCursorPage::reset() {
  resetSequenceFile(config_.fireKeySequence());
  selectBullet(0);
}

}  // namespace varnacle::mouse
