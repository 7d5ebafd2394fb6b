#include "mouse/ms_key_page.h"

#include <algorithm>
#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "app/msg_wnd.h"
#include "device/exchanges.h"
#include "macro/macro_key_table.h"
#include "macro/macro_recorder.h"
#include "macro/macro_store.h"
#include "mouse/mouse_config.h"
#include "mouse/mouse_key_apply.h"
#include "mouse/mouse_key_profile.h"
#include "pages/page_messages.h"
#include "pages/device_hook.h"
#include "platform/input_hook.h"
#include "ui/control.h"
#include "ui/dispatcher.h"
#include "ui/window.h"

namespace varnacle::mouse {

namespace {

constexpr std::string_view kFunctionPage = "ms_tab_function";
constexpr std::string_view kCategoryCombo = "ms_key_fct_combo";
constexpr std::string_view kKeyEdit = "ms_key_fct_edit_21";
constexpr std::string_view kMacroCombo = "ms_key_fct_combo_23";
constexpr std::string_view kPlayModeCombo = "ms_key_fct_combo_24";
constexpr std::string_view kCountPage = "ms_tab_function_26";
constexpr std::string_view kCountEdit = "ms_key_fct_edit_25";
constexpr std::string_view kLastLeftClickMessage = "message_text_6";
constexpr std::string_view kTooLargeMessage = "message_text_7";
constexpr std::string_view kMacrosTooLargeMessage = "message_text_16";

// The combo of each category's list (empty: none), by category item.
constexpr std::array<std::string_view, 11> kCategoryCombos = {
    "",
    "ms_key_fct_combo_11",
    "ms_key_fct_combo_12",
    "ms_key_fct_combo_13",
    "ms_key_fct_combo_14",
    "",
    "",
    "ms_key_fct_combo_21",
    "ms_key_fct_combo_22",
    kMacroCombo,
    "ms_key_fct_combo_25",
};

// The swing edits of categories 2 and 3: amount, first nibble, second nibble.
struct SwingEdits {
  std::string_view amount, high, low;
};
constexpr SwingEdits kHorizontalSwingEdits{"ms_key_fct_edit_15", "ms_key_fct_edit_17",
                                           "ms_key_fct_edit_20"};
constexpr SwingEdits kVerticalSwingEdits{"ms_key_fct_edit_16", "ms_key_fct_edit_18",
                                         "ms_key_fct_edit_19"};
constexpr std::string_view kFireEdit1 = "ms_key_fct_edit_11";
constexpr std::string_view kFireEdit2 = "ms_key_fct_edit_12";

// The buttons' pictures: normal and hover image per button.
struct ButtonImages {
  std::string_view normal, hover;
};
constexpr std::array<ButtonImages, kMouseButtons> kButtonImages = {{
    {"file='ms/key_left_normal.png'", "file='ms/key_left_down.png'"},
    {"file='ms/key_wheel_normal.png'", "file='ms/key_wheel_down.png'"},
    {"file='ms/key_right_normal.png'", "file='ms/key_right_down.png'"},
    {"file='ms/key_forward_normal.png'", "file='ms/key_forward_down.png'"},
    {"file='ms/key_back_normal.png'", "file='ms/key_back_down.png'"},
    {"file='ms/key_dpi_add_normal.png'", "file='ms/key_dpi_add_down.png'"},
    {"file='ms/key_dpi_sub_normal.png'", "file='ms/key_dpi_sub_down.png'"},
}};

// The button number of "ms_key_<n>", or -1 for another name.
int buttonOf(std::string_view name) {
  constexpr std::string_view prefix = "ms_key_";
  if (!name.starts_with(prefix) || name.size() != prefix.size() + 1) return -1;
  const char digit = name.back();
  if (digit < '0' || digit >= '0' + kMouseButtons) return -1;
  return digit - '0';
}

std::string buttonName(int button) {
  return "ms_key_" + std::to_string(button);
}

std::string subPageName(int item) {
  return std::string(kFunctionPage) + "_" + std::to_string(item);
}

const SwingEdits* swingEditsOf(int category) {
  if (category == kCategoryHorizontalSwing) return &kHorizontalSwingEdits;
  if (category == kCategoryVerticalSwing) return &kVerticalSwingEdits;
  return nullptr;
}

}  // namespace

MsKeyPage::MsKeyPage(const pages::PageContext& context, MouseConfig& config)
    : context_(context), config_(config) {}

MsKeyPage::~MsKeyPage() {
  stopCapture();
}

void MsKeyPage::startUp() {
  if (auto* page = context_.window.findControl(kFunctionPage)) page->setVisible(false);
  refreshLabels();
}

void MsKeyPage::deviceShown(DeviceKind kind) {
  if (kind == DeviceKind::mouse) afterRead();
}

void MsKeyPage::afterRead() {
  refreshLabels();
  saveMouseKeyProfile(config_.profileKeyTable(config_.currentProfile()));
}

void MsKeyPage::deviceMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t lParam) {
  if (msg == pages::msg::kHookMouSingleKey) return keyCaptured(lParam);
  if (msg == pages::msg::kMouseReadAll) return afterRead();
  if (msg == pages::msg::kMouseReloadActive) refreshLabels();
}

void MsKeyPage::notify(const ui::Notification& n) {
  if (!n.sender) return;
  const std::string& name = n.sender->name();
  if (n.type == ui::notify::kClick) {
    if (const int button = buttonOf(name); button >= 0) return selectButton(button);
    if (name == "ms_key_butt_keysave") return store();
    if (name == "ms_key_butt_keydefalut") return restoreDefault();
    if (name == "ms_key_butt_prosave") return apply();
    // The DPI page switched the on-board profile: another table is shown.
    if (name.starts_with("ms_profile_")) return refreshLabels();
  } else if (n.type == ui::notify::kMouseEnter || n.type == ui::notify::kMouseLeave) {
    hover(name, n.type == ui::notify::kMouseEnter);
  } else if (n.type == ui::notify::kItemSelect && !loading_) {
    if (name == kCategoryCombo) return categoryChosen(static_cast<int>(n.wParam));
    if (name == kPlayModeCombo) {
      if (auto* count = context_.window.findControl(kCountPage))
        count->setVisible(static_cast<int>(n.wParam) == kMacroRepeatMode);
      return store();
    }
    for (std::string_view combo : kCategoryCombos)
      if (!combo.empty() && name == combo) return store();
  } else if (n.type == ui::notify::kTextChanged && !loading_) {
    if (editLimit(name)) editTyped(*n.sender);
  }
}

void MsKeyPage::hover(std::string_view name, bool in) {
  const int button = buttonOf(name);
  if (button < 0) return;
  const ButtonImages& images = kButtonImages[static_cast<std::size_t>(button)];
  if (auto* image = context_.window.findControl(buttonName(button) + "_0"))
    image->setBkImage(std::string(in ? images.hover : images.normal));
}

void MsKeyPage::selectButton(int button) {
  const std::size_t profile = currentTable();
  const auto [record, defaultRecord, lastLeftClick] =
      config_.editKeyTables([&](device::TableSlot& defaults,
                                std::array<device::TableSlot, device::kOnBoardProfiles>& tables) {
        const auto& table = tables[profile];
        return std::tuple{recordAt(table, button), recordAt(defaults, button),
                          isLastLeftClick(table, button)};
      });
  underConstruction_ = record;
  button_ = button;
  auto* page = context_.window.findControl(kFunctionPage);
  if (lastLeftClick) {
    app::showMessage(&context_.window, kLastLeftClickMessage, true);
    if (page) page->setVisible(false);
    stopCapture();
    return;
  }
  if (page) {
    page->setVisible(true);
    page->setEnabled(true);
  }
  const int macroCount =
      static_cast<int>(macro::MacroStore(DeviceKind::mouse).listedNames().size());
  showChoice(choiceFor(record, defaultRecord, macroCount), record);
}

void MsKeyPage::showCategory(int item) {
  for (int i = 0; i < static_cast<int>(FunctionCategories.size()); ++i)
    if (auto* sub = context_.window.findControl(subPageName(i))) sub->setVisible(i == item);
}

void MsKeyPage::showChoice(const FunctionChoice& c, const KeyAssignment& record) {
  loading_ = true;
  if (c.category == kCategoryMacro) fillMacroCombo();
  selectComboItem(kCategoryCombo, c.category);
  showCategory(c.category);
  if (c.category >= 0) {
    const std::string_view combo = kCategoryCombos[static_cast<std::size_t>(c.category)];
    if (!combo.empty()) selectComboItem(combo, c.item);
  }
  if (const SwingEdits* edits = swingEditsOf(c.category)) {
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
  if (auto* count = context_.window.findControl(kCountPage))
    count->setVisible(c.category == kCategoryMacro && c.playMode == kMacroRepeatMode);
  if (c.category == kCategoryKeyboardKey) {
    showKey(keyLabel(record.param1, record.param2));
    startCapture();
  } else {
    stopCapture();
  }
  loading_ = false;
}

void MsKeyPage::categoryChosen(int item) {
  loading_ = true;
  showCategory(item);
  if (item == kCategoryMacro) fillMacroCombo();
  startChoices(item);
  if (auto* count = context_.window.findControl(kCountPage))
    count->setVisible(item == kCategoryMacro && comboItem(kPlayModeCombo) == kMacroRepeatMode);
  loading_ = false;
  if (item == kCategoryKeyboardKey) {
    startCapture();
  } else {
    stopCapture();
  }
  store();
}

// A category chosen afresh starts on its first list item, play mode 1 and
// zeros, so what the page shows is what gets stored; a macro is always the
// user's own pick.
void MsKeyPage::startChoices(int item) {
  if (item < 0 || item >= static_cast<int>(kCategoryCombos.size())) return;
  const std::string_view combo = kCategoryCombos[static_cast<std::size_t>(item)];
  if (!combo.empty() && combo != kMacroCombo && comboItem(combo) < 0) selectComboItem(combo, 0);
  std::vector<std::string_view> edits;
  if (const SwingEdits* swing = swingEditsOf(item))
    edits = {swing->amount, swing->high, swing->low};
  if (item == kCategoryFireKey) edits = {kFireEdit1, kFireEdit2};
  if (item == kCategoryMacro) {
    if (comboItem(kPlayModeCombo) < 0) selectComboItem(kPlayModeCombo, 0);
    edits = {kCountEdit};
  }
  for (std::string_view name : edits)
    if (auto* e = context_.window.findControl(name); e && e->text().empty()) e->setText("0");
}

void MsKeyPage::fillMacroCombo() {
  auto* combo = context_.window.findControl<ui::Combo>(kMacroCombo);
  if (!combo) return;
  const int selected = combo->currentIndex();
  combo->removeAllItems();
  for (const std::string& name : macro::MacroStore(DeviceKind::mouse).listedNames())
    combo->addItem(name);
  combo->selectItem1(selected < combo->count() ? selected : -1, false, false);
}

FunctionChoice MsKeyPage::readChoice() const {
  FunctionChoice c;
  c.category = comboItem(kCategoryCombo);
  if (c.category >= 0 && c.category < static_cast<int>(kCategoryCombos.size())) {
    const std::string_view combo = kCategoryCombos[static_cast<std::size_t>(c.category)];
    if (!combo.empty()) c.item = comboItem(combo);
  }
  if (const SwingEdits* edits = swingEditsOf(c.category)) {
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

void MsKeyPage::store() {
  if (button_ < 0) return;
  auto* page = context_.window.findControl(kFunctionPage);
  if (!page || !page->isVisible()) return;
  const auto* keyEdit = context_.window.findControl(kKeyEdit);
  const bool keyShown = keyEdit && !keyEdit->text().empty();
  const std::size_t profile = currentTable();
  const FunctionChoice choice = readChoice();
  config_.editKeyTables([&](device::TableSlot& defaults,
                            std::array<device::TableSlot, device::kOnBoardProfiles>& tables) {
    const auto record =
        assignmentFor(choice, underConstruction_, keyShown, recordAt(defaults, button_));
    if (record) setRecord(tables[profile], button_, *record);
  });
  refreshLabels();
}

void MsKeyPage::restoreDefault() {
  if (button_ < 0) return;
  const std::size_t profile = currentTable();
  config_.editKeyTables([&](device::TableSlot& defaults,
                            std::array<device::TableSlot, device::kOnBoardProfiles>& tables) {
    setRecord(tables[profile], button_, recordAt(defaults, button_));
  });
  refreshLabels();
  selectButton(button_);
}

void MsKeyPage::editTyped(ui::Control& edit) {
  const int limit = *editLimit(edit.name());
  const int value = typedNumber(edit.text());
  if (value > limit) {
    loading_ = true;
    edit.setText(std::to_string(limit));
    loading_ = false;
  }
  store();
}

// The key edit holds the key's text id, so a language switch shows it anew.
void MsKeyPage::showKey(std::string_view label) {
  if (auto* edit = context_.window.findControl(kKeyEdit)) {
    edit->setResourceText(!label.empty());
    edit->setText(std::string(label));
  }
}

void MsKeyPage::startCapture() {
  pages::CDeviceHook& hooks = context_.hooks;
  if (hooks.mode() == platform::HookMode::mouseSingleKey) return;
  if (!hooks.install(platform::HookMode::mouseSingleKey, context_.window.id(), true, false))
    return;
  if (hooks.takeFocusOnlyNotice())
    app::showMessage(&context_.window, pages::kFocusOnlyCaptureText, true);
}

void MsKeyPage::stopCapture() {
  if (context_.hooks.mode() == platform::HookMode::mouseSingleKey) context_.hooks.remove();
}

void MsKeyPage::keyCaptured(std::intptr_t eventAddress) {
  const auto* event = reinterpret_cast<const platform::KeyEvent*>(eventAddress);
  if (!event || comboItem(kCategoryCombo) != kCategoryKeyboardKey) return;
  const uint16_t code = macro::recordedKeyCode(event->virtualKey, event->flags);
  const macro::MacroKeyRow* row = macro::findKeyRow(code);
  if (!row || row->category != kFnKeyboardKey) return;
  showKey(row->label);
  underConstruction_ = KeyAssignment{kFnKeyboardKey, row->modifier, row->usage};
  store();
}

void MsKeyPage::refreshLabels() {
  const std::vector<std::string> names = macro::MacroStore(DeviceKind::mouse).listedNames();
  const device::TableSlot table = config_.profileKeyTable(config_.currentProfile());
  for (int button = 0; button < kMouseButtons; ++button) {
    auto* control = context_.window.findControl(buttonName(button));
    if (!control) continue;
    const ButtonLabel label = labelFor(recordAt(table, button), names);
    if (label.kind == ButtonLabel::Kind::unchanged) continue;
    control->setResourceText(label.kind == ButtonLabel::Kind::textId);
    control->setText(label.text);
    control->setToolTip(control->text());
  }
}

void MsKeyPage::apply() {
  ui::Window& w = context_.window;
  w.sendMessage(pages::msg::kProgressShow);
  const MouseApplyOutcome outcome = applyKeysToMouse(config_, context_.session(DeviceKind::mouse),
                                                     macro::MacroStore(DeviceKind::mouse));
  if (outcome.sequencesTooLarge) app::showMessage(&w, kTooLargeMessage, true);
  switch (outcome.status) {
    case MouseApplyOutcome::Status::macrosTooLarge:
      app::showFormattedMessage(&w, w, kMacrosTooLargeMessage, outcome.stepsToRemove);
      break;
    case MouseApplyOutcome::Status::noImage:
      app::showMessage(&w, kTooLargeMessage, true);
      break;
    case MouseApplyOutcome::Status::failed:
    case MouseApplyOutcome::Status::applied:
      break;
  }
  w.sendMessage(pages::msg::kProgressDone, outcome.status == MouseApplyOutcome::Status::failed
                                               ? pages::msg::kProgressFailed
                                               : 0);
}

std::size_t MsKeyPage::currentTable() const {
  return static_cast<std::size_t>(
      std::clamp(config_.currentProfile(), 0, device::kOnBoardProfiles - 1));
}

void MsKeyPage::setEditNumber(std::string_view edit, int value) {
  if (auto* e = context_.window.findControl(edit)) e->setText(std::to_string(value));
}

int MsKeyPage::editNumber(std::string_view edit) const {
  const auto* e = context_.window.findControl(edit);
  return e ? typedNumber(e->text()) : 0;
}

int MsKeyPage::comboItem(std::string_view combo) const {
  const auto* c = context_.window.findControl<ui::Combo>(combo);
  return c ? c->currentIndex() : -1;
}

void MsKeyPage::selectComboItem(std::string_view combo, int item) {
  if (auto* c = context_.window.findControl<ui::Combo>(combo)) c->selectItem1(item, false, false);
}

}  // namespace varnacle::mouse
