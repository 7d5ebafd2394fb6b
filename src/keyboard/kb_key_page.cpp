#include "keyboard/kb_key_page.h"

#include <array>
#include <string>
#include <vector>

#include "app/msg_wnd.h"
#include "device/exchanges.h"
#include "keyboard/keyboard_config.h"
#include "keyboard/keyboard_key_apply.h"
#include "keyboard/keyboard_key_profile.h"
#include "macro/macro_store.h"
#include "pages/device_hook.h"
#include "pages/page_messages.h"
#include "platform/input_hook.h"
#include "profile/paths.h"
#include "ui/control.h"
#include "ui/dispatcher.h"
#include "ui/window.h"

namespace varnacle::keyboard {

namespace {

constexpr std::string_view kFunctionPanel = "kb_tab_function";
constexpr std::string_view kCategoryCombo = "kb_key_fct_combo";
constexpr std::string_view kCategoryTabs = "kb_tab_function_switch_1";
constexpr std::string_view kKeyEdit = "kb_key_fct_edit_21";
constexpr std::string_view kMacroCombo = "kb_key_fct_combo_23";
constexpr std::string_view kPlayModeCombo = "kb_key_fct_combo_24";
constexpr std::string_view kCountRow = "kb_key_fct_count_row";
constexpr std::string_view kCountEdit = "kb_key_fct_edit_25";
constexpr std::string_view kApplyButton = "kb_key_butt_prosave";
constexpr std::string_view kChangedMark = "Key_Set";
constexpr std::string_view kNoKeyText = "kb_key_none_text";
constexpr std::string_view kTooLargeMessage = "message_text_7";
constexpr std::string_view kMacrosTooLargeMessage = "message_text_16";
constexpr std::string_view kKeyButtonPrefix = "kb_key_";

constexpr ui::Color kKeyTextColor = 0xFFFFFFFF;
constexpr ui::Color kChangedKeyTextColor = 0xFFFFC34D;

// The list combo of each category (empty: none), by category item.
constexpr std::array<std::string_view, KeyFunctionCategories.size()> kCategoryCombos = {
    "",
    "",
    "kb_key_fct_combo_11",
    "kb_key_fct_combo_12",
    "kb_key_fct_combo_13",
    "kb_key_fct_combo_14",
    "",
    "kb_key_fct_combo_21",
    "kb_key_fct_combo_22",
    kMacroCombo,
};

// The wheel edits of categories 3 and 4: amount, first nibble, second nibble.
struct WheelEdits {
  std::string_view amount, high, low;
};
constexpr WheelEdits kHorizontalWheelEdits{"kb_key_fct_edit_15", "kb_key_fct_edit_17",
                                           "kb_key_fct_edit_20"};
constexpr WheelEdits kVerticalWheelEdits{"kb_key_fct_edit_16", "kb_key_fct_edit_18",
                                         "kb_key_fct_edit_19"};
constexpr std::string_view kFireEdit1 = "kb_key_fct_edit_11";
constexpr std::string_view kFireEdit2 = "kb_key_fct_edit_12";

const WheelEdits* wheelEditsOf(int category) {
  if (category == kCategoryHorizontalSwing) return &kHorizontalWheelEdits;
  if (category == kCategoryVerticalSwing) return &kVerticalWheelEdits;
  return nullptr;
}

// The position of "kb_key_<n>" (n = 0 … 125 in decimal, no leading zero), or
// kKeyPositionCount for another name.
std::size_t positionOf(std::string_view name) {
  if (!name.starts_with(kKeyButtonPrefix)) return kKeyPositionCount;
  const std::string_view digits = name.substr(kKeyButtonPrefix.size());
  if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0'))
    return kKeyPositionCount;
  std::size_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return kKeyPositionCount;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n < kKeyPositionCount ? n : kKeyPositionCount;
}

std::string keyButtonName(std::size_t position) {
  return std::string(kKeyButtonPrefix) + std::to_string(position);
}

// The key cap picture of a button of this size, lit or not.
std::string capImage(const ui::Rect& pos, bool lit) {
  return "kb/cap_" + std::to_string(pos.right - pos.left) + "x" +
         std::to_string(pos.bottom - pos.top) + (lit ? "_hot.png" : ".png");
}

// A name whose last word is one or two characters ("Keypad 1", "Page Up")
// is told apart by its end: a shortened cap keeps it.
bool endsInShortWord(std::string_view text) {
  const std::size_t space = text.rfind(' ');
  return space != std::string_view::npos && text.size() - space - 1 <= 2;
}

}  // namespace

KbKeyPage::KbKeyPage(const pages::PageContext& context, KeyboardConfig& config)
    : context_(context), config_(config) {}

KbKeyPage::~KbKeyPage() {
  stopCapture();
}

void KbKeyPage::startUp() {
  for (std::size_t position = 0; position < kKeyPositionCount; ++position)
    if (auto* button = context_.window.findControl(keyButtonName(position)))
      layoutTexts_[position] = button->text();
  started_ = true;
  closeFunctionPanel(false);
  refreshLabels();
}

void KbKeyPage::deviceGone(DeviceKind kind) {
  if (kind == DeviceKind::keyboard) stopCapture();
}

// The window loads its language before its pages start up: the labels come
// with startUp() then.
void KbKeyPage::languageChanged() {
  if (started_) refreshLabels();
}

void KbKeyPage::deviceMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t lParam) {
  if (msg == pages::msg::kHookKeySingleKey) return keyCaptured(lParam);
  if (msg == pages::msg::kKeyboardReadAll) return readAll();
  if (msg == pages::msg::kKeyboardReadKeyTable) return writeDefaultKeyProfile();
  if (msg == pages::msg::kKeyboardReloadRecord) {
    // The lighting page, after this one, reads the record whose byte 0 names
    // the active slot: the keys follow once every page has had the message.
    ui::post([id = context_.window.id(), this] {
      if (!ui::Window::fromId(id)) return;
      closeFunctionPanel(false);
      refreshLabels();
    });
  }
}

void KbKeyPage::notify(const ui::Notification& n) {
  if (!n.sender) return;
  const std::string& name = n.sender->name();
  if (n.type == ui::notify::kClick) {
    if (const std::size_t position = positionOf(name); position < kKeyPositionCount)
      return selectKey(position);
    if (name == kApplyButton) return apply();
  } else if (n.type == ui::notify::kItemSelect && !loading_) {
    if (name == kCategoryCombo) return categoryChosen(static_cast<int>(n.wParam));
    if (name == kPlayModeCombo) {
      showCountRow();
      return commit();
    }
    for (std::string_view combo : kCategoryCombos)
      if (!combo.empty() && name == combo) return commit();
  } else if (n.type == ui::notify::kTextChanged && !loading_) {
    if (keyEditLimit(name)) editTyped(*n.sender);
  }
}

void KbKeyPage::readAll() {
  device::DeviceSession& keyboard = context_.session(DeviceKind::keyboard);
  const KeyboardReadOutcome outcome = config_.readAll(keyboard, context_.liveLighting);
  if (!outcome.message.empty()) {
    app::showMessage(&context_.window, outcome.message, true);
    return;
  }
  // The key profile file holds what the keyboard holds.
  saveKeyboardKeyProfile(config_.slot(0));
  closeFunctionPanel(false);
  refreshLabels();
}

void KbKeyPage::writeDefaultKeyProfile() {
  if (config_.writeDefaultKeyProfile(context_.session(DeviceKind::keyboard),
                                     profile::ProgramFolder()))
    refreshLabels();
}

void KbKeyPage::closeFunctionPanel(bool disable) {
  if (auto* panel = context_.window.findControl(kFunctionPanel)) {
    panel->setVisible(false);
    if (disable) panel->setEnabled(false);
  }
  stopCapture();
  markSelected(kKeyPositionCount);
  key_ = -1;
}

void KbKeyPage::selectKey(std::size_t position) {
  auto* panel = context_.window.findControl(kFunctionPanel);
  if (panel && !panel->isVisible()) {
    panel->setVisible(true);
    panel->setEnabled(true);
  }
  const uint8_t key = config_.keyAt(position);
  if (key == kNoDeviceKey) return;
  key_ = key;
  markSelected(position);
  const int slot = activeKeySlot(context_.liveLighting);
  const KeyRecord record = recordAt(config_.slot(slot), key_);
  const KeyRecord base = recordAt(config_.baseTable(), key_);
  underConstruction_ = record;
  const int macroCount =
      static_cast<int>(macro::MacroStore(DeviceKind::keyboard).listedNames().size());
  showChoice(keyChoiceFor(record, base, macroCount), record);
}

// The key being edited shows its lit cap.
void KbKeyPage::markSelected(std::size_t position) {
  for (std::size_t p : {selectedPosition_, position}) {
    if (p >= kKeyPositionCount) continue;
    if (auto* button = context_.window.findControl(keyButtonName(p)))
      button->setAttribute("normalimage", capImage(button->pos(), p == position));
  }
  selectedPosition_ = position;
}

void KbKeyPage::showChoice(const KeyChoice& c, const KeyRecord& record) {
  loading_ = true;
  if (c.category == kCategoryMacro) fillMacroCombo();
  selectComboItem(kCategoryCombo, c.category);
  if (auto* tabs = context_.window.findControl<ui::TabLayout>(kCategoryTabs))
    tabs->selectItem(c.category < 0 ? kCategoryDefault : c.category);
  if (c.category >= 0) {
    const std::string_view combo = kCategoryCombos[static_cast<std::size_t>(c.category)];
    if (!combo.empty()) selectComboItem(combo, c.item);
  }
  if (const WheelEdits* edits = wheelEditsOf(c.category)) {
    setEditNumber(edits->amount, c.amount);
    setEditNumber(edits->high, c.high);
    setEditNumber(edits->low, c.low);
  }
  if (c.category == kCategoryFireKey) {
    setEditNumber(kFireEdit1, c.fire1);
    setEditNumber(kFireEdit2, c.fire2);
  }
  if (c.category == kCategoryMacro) {
    selectComboItem(kPlayModeCombo, c.playMode);
    setEditNumber(kCountEdit, c.count);
  }
  showCountRow();
  if (c.category == kCategoryKeyboardKey) {
    const KeyLabel label = keyLabelFor(record, {});
    showKey(label.kind == KeyLabel::Kind::textId ? label.text : std::string());
    startCapture();
  } else {
    stopCapture();
  }
  loading_ = false;
}

void KbKeyPage::categoryChosen(int item) {
  loading_ = true;
  if (auto* tabs = context_.window.findControl<ui::TabLayout>(kCategoryTabs))
    tabs->selectItem(item);
  if (item == kCategoryMacro) fillMacroCombo();
  startChoices(item);
  showCountRow();
  if (item == kCategoryKeyboardKey) {
    // The key edit shows the key this key sends, or nothing until one is
    // captured.
    const KeyLabel label = underConstruction_.type == device::kFnKeyboardKey
                               ? keyLabelFor(underConstruction_, {})
                               : KeyLabel{};
    showKey(label.kind == KeyLabel::Kind::textId ? label.text : std::string());
  }
  loading_ = false;
  if (item == kCategoryKeyboardKey) {
    startCapture();
  } else {
    stopCapture();
  }
  commit();
}

// A category chosen afresh starts on its first list item, play mode 1 and
// zeros, so what the panel shows is what gets stored; a macro is always the
// user's own pick.
void KbKeyPage::startChoices(int item) {
  if (item < 0 || item >= static_cast<int>(kCategoryCombos.size())) return;
  const std::string_view combo = kCategoryCombos[static_cast<std::size_t>(item)];
  if (!combo.empty() && combo != kMacroCombo && comboItem(combo) < 0) selectComboItem(combo, 0);
  std::vector<std::string_view> edits;
  if (const WheelEdits* wheel = wheelEditsOf(item))
    edits = {wheel->amount, wheel->high, wheel->low};
  if (item == kCategoryFireKey) edits = {kFireEdit1, kFireEdit2};
  if (item == kCategoryMacro) {
    if (comboItem(kPlayModeCombo) < 0) selectComboItem(kPlayModeCombo, 0);
    edits = {kCountEdit};
  }
  for (std::string_view name : edits)
    if (auto* e = context_.window.findControl(name); e && e->text().empty()) e->setText("0");
}

void KbKeyPage::showCountRow() {
  if (auto* row = context_.window.findControl(kCountRow))
    row->setVisible(comboItem(kPlayModeCombo) == device::kMacroRepeatMode);
}

void KbKeyPage::fillMacroCombo() {
  auto* combo = context_.window.findControl<ui::Combo>(kMacroCombo);
  if (!combo) return;
  const int selected = combo->currentIndex();
  combo->removeAllItems();
  for (const std::string& name : macro::MacroStore(DeviceKind::keyboard).listedNames())
    combo->addItem(name);
  combo->selectItem1(selected < combo->count() ? selected : -1, false, false);
}

KeyChoice KbKeyPage::readChoice() const {
  KeyChoice c;
  c.category = comboItem(kCategoryCombo);
  if (c.category >= 0 && c.category < static_cast<int>(kCategoryCombos.size())) {
    const std::string_view combo = kCategoryCombos[static_cast<std::size_t>(c.category)];
    if (!combo.empty()) c.item = comboItem(combo);
  }
  if (const WheelEdits* edits = wheelEditsOf(c.category)) {
    c.amount = editNumber(edits->amount);
    c.high = editNumber(edits->high);
    c.low = editNumber(edits->low);
  }
  c.fire1 = editNumber(kFireEdit1);
  c.fire2 = editNumber(kFireEdit2);
  c.playMode = comboItem(kPlayModeCombo);
  c.count = editNumber(kCountEdit);
  return c;
}

void KbKeyPage::commit() {
  if (key_ < 0) return;
  auto* panel = context_.window.findControl(kFunctionPanel);
  if (!panel || !panel->isVisible()) return;
  const auto* keyEdit = context_.window.findControl(kKeyEdit);
  const bool keyShown = keyEdit && !keyEdit->text().empty();
  const auto slot = static_cast<std::size_t>(activeKeySlot(context_.liveLighting));
  const KeyChoice choice = readChoice();
  config_.editSlots([&](device::TableSlot& base,
                        std::array<device::TableSlot, device::kOnBoardProfiles>& slots) {
    const auto record = recordForChoice(choice, underConstruction_, keyShown, recordAt(base, key_));
    if (record) setRecord(slots[slot], key_, *record);
  });
  refreshLabels();
}

void KbKeyPage::editTyped(ui::Control& edit) {
  const int limit = *keyEditLimit(edit.name());
  if (device::typedNumber(edit.text()) > limit) {
    loading_ = true;
    edit.setText(std::to_string(limit));
    loading_ = false;
  }
  commit();
}

// The key edit holds the key's text id, so a language switch shows it anew.
void KbKeyPage::showKey(std::string_view label) {
  if (auto* edit = context_.window.findControl(kKeyEdit)) {
    edit->setResourceText(!label.empty());
    edit->setText(std::string(label));
  }
}

void KbKeyPage::startCapture() {
  pages::CDeviceHook& hooks = context_.hooks;
  if (hooks.mode() == platform::HookMode::keyboardSingleKey) return;
  if (!hooks.install(platform::HookMode::keyboardSingleKey, context_.window.id(), true, false))
    return;
  if (hooks.takeFocusOnlyNotice())
    app::showMessage(&context_.window, pages::kFocusOnlyCaptureText, true);
}

void KbKeyPage::stopCapture() {
  if (context_.hooks.mode() == platform::HookMode::keyboardSingleKey) context_.hooks.remove();
}

void KbKeyPage::keyCaptured(std::intptr_t eventAddress) {
  const auto* event = reinterpret_cast<const platform::KeyEvent*>(eventAddress);
  if (!event || (event->flags & platform::kKeyFlagReleased) ||
      comboItem(kCategoryCombo) != kCategoryKeyboardKey)
    return;
  const macro::MacroKeyRow* row = capturedKeyRow(event->virtualKey, event->flags);
  if (!row) return;
  showKey(row->label);
  underConstruction_ = KeyRecord{device::kFnKeyboardKey, row->modifier, row->usage};
  commit();
}

void KbKeyPage::refreshLabels() {
  ui::Window& w = context_.window;
  const std::vector<std::string> names = macro::MacroStore(DeviceKind::keyboard).listedNames();
  const device::TableSlot slot = config_.slot(activeKeySlot(context_.liveLighting));
  const device::TableSlot base = config_.baseTable();
  const std::string changed = app::resolveKey(w, kChangedMark);
  const std::string noKey = app::resolveKey(w, kNoKeyText);
  for (std::size_t position = 0; position < kKeyPositionCount; ++position) {
    auto* button = w.findControl(keyButtonName(position));
    if (!button) continue;
    if (!button->isVisible()) {
      // Hidden positions (no key on this layout) are still named for tools.
      button->setToolTip(noKey);
      continue;
    }
    const uint8_t key = config_.keyAt(position);
    // A key shows its function; one the keyboard lacks, or whose function
    // keeps its label, shows the key's own name (the Fn key its layout text).
    KeyLabel label = key == kNoDeviceKey ? KeyLabel{} : keyLabelFor(recordAt(slot, key), names);
    if (label.kind == KeyLabel::Kind::unchanged && !positionKeyName(position).empty())
      label = KeyLabel{KeyLabel::Kind::textId, std::string(positionKeyName(position))};
    std::string full = layoutTexts_[position];
    if (label.kind == KeyLabel::Kind::textId) full = app::resolveKey(w, label.text);
    if (label.kind == KeyLabel::Kind::literal) full = label.text;
    const ui::Rect pos = button->pos();
    const ui::Edges pad = button->textPadding();
    button->setResourceText(false);
    button->setText(w.elidedText(button->font(), full, pos.right - pos.left - pad.left - pad.right,
                                 endsInShortWord(full)));
    const bool isChanged = key != kNoDeviceKey && recordAt(slot, key) != recordAt(base, key);
    button->setTextColor(isChanged ? kChangedKeyTextColor : kKeyTextColor);
    button->setToolTip(isChanged ? full + " (" + changed + ")" : full);
  }
}

void KbKeyPage::apply() {
  ui::Window& w = context_.window;
  w.sendMessage(pages::msg::kProgressShow);
  const KeyboardApplyOutcome outcome =
      applyKeysToKeyboard(config_, context_.liveLighting, context_.session(DeviceKind::keyboard),
                          macro::MacroStore(DeviceKind::keyboard));
  switch (outcome.status) {
    case KeyboardApplyOutcome::Status::macrosTooLarge:
      app::showFormattedMessage(&w, w, kMacrosTooLargeMessage, outcome.stepsToRemove);
      break;
    case KeyboardApplyOutcome::Status::noImage:
      app::showMessage(&w, kTooLargeMessage, true);
      break;
    case KeyboardApplyOutcome::Status::failed:
    case KeyboardApplyOutcome::Status::applied:
      break;
  }
  w.sendMessage(pages::msg::kProgressDone, outcome.status == KeyboardApplyOutcome::Status::failed
                                               ? pages::msg::kProgressFailed
                                               : 0);
}

void KbKeyPage::setEditNumber(std::string_view edit, int value) {
  if (auto* e = context_.window.findControl(edit)) e->setText(std::to_string(value));
}

int KbKeyPage::editNumber(std::string_view edit) const {
  const auto* e = context_.window.findControl(edit);
  return e ? device::typedNumber(e->text()) : 0;
}

int KbKeyPage::comboItem(std::string_view combo) const {
  const auto* c = context_.window.findControl<ui::Combo>(combo);
  return c ? c->currentIndex() : -1;
}

void KbKeyPage::selectComboItem(std::string_view combo, int item) {
  if (auto* c = context_.window.findControl<ui::Combo>(combo)) c->selectItem1(item, false, false);
}

}  // namespace varnacle::keyboard
