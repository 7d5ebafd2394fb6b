#include "macro/macro_page.h"

#include <array>
#include <chrono>

#include "macro/macro_key_table.h"
#include "macro/step_edits.h"
#include "pages/device_hook.h"
#include "pages/page_messages.h"
#include "platform/debug_output.h"
#include "ui/control.h"
#include "ui/file_dialog.h"
#include "ui/window.h"

namespace varnacle::macro {

namespace {

// The six step buttons; the save and cancel buttons go with them.
constexpr std::array<std::string_view, 6> kStepButtons = {
    "macro_btn_up",         "macro_btn_down",   "macro_btn_uptop",
    "macro_btn_downbottom", "macro_btn_delete", "macro_btn_deleteall"};
// The recording options: what is recorded, and the fixed pause.
constexpr std::array<std::string_view, 5> kRecordingOptions = {
    "macro_keyboard_event", "macro_mouse_click", "macro_mouse_roller", "macro_mouse_move",
    "macro_check_time"};
constexpr std::string_view kStartRecordingText = "macro_btn_star_redio_text";
constexpr std::string_view kStopRecordingText = "macro_btn_stop_redio_text";

// The five insert groups: the button that shows a group and its container.
struct InsertGroup {
  std::string_view button;
  std::string_view container;
};
constexpr std::array<InsertGroup, 5> kInsertGroups = {{
    {"macro_inset_leftkey_btn", "macro_inset_leftkey_tab"},
    {"macro_inset_moudlekey_btn", "macro_inset_moudlekey_tab"},
    {"macro_inset_rightkey_btn", "macro_inset_rightkey_tab"},
    {"macro_inset_forwardkey_btn", "macro_inset_forwardkey_tab"},
    {"macro_inset_backkey_btn", "macro_inset_backkey_tab"},
}};

// Insert buttons: the MacroMouseEventTable row they insert and, for moves,
// the edit holding the distance.
struct InsertButton {
  std::string_view button;
  int row;
  std::string_view distanceEdit;
};
constexpr std::array<InsertButton, 14> kInsertButtons = {{
    {"macro_inset_leftkeydown_btn", 0, {}},
    {"macro_inset_leftkeyup_btn", 1, {}},
    {"macro_inset_rightkeydown_btn", 2, {}},
    {"macro_inset_rightkeyup_btn", 3, {}},
    {"macro_inset_moudlekeydown_btn", 4, {}},
    {"macro_inset_moudlekeyup_btn", 5, {}},
    {"macro_inset_forwardkeydown_btn", 6, {}},
    {"macro_inset_forwardkeyup_btn", 7, {}},
    {"macro_inset_backkeydown_btn", 8, {}},
    {"macro_inset_backkeyup_btn", 9, {}},
    {"macro_inset_moveleftkey_btn", 10, "mouse_x_left_edit"},
    {"macro_inset_moverightkey_btn", 11, "mouse_x_right_edit"},
    {"macro_inset_moveupkey_btn", 12, "mouse_y_up_edit"},
    {"macro_inset_movedownkey_btn", 13, "mouse_y_down_edit"},
}};

// Background of the insert group button whose group is shown, and of the others.
constexpr ui::Color kChosenGroupColor = 0xFF016E94;
constexpr ui::Color kGroupColor = 0xFF2B3440;

constexpr std::string_view kNameRowStyle = "listex_item_style";
constexpr int kNameRowHeight = 25;
constexpr int kStepRowHeight = 30;

// What the ".mac" dialogs offer.
ui::FileDialogRequest macroFileDialog(ui::Window& owner, bool save) {
  ui::FileDialogRequest request;
  request.save = save;
  request.owner = &owner;
  request.defaultExtension = "mac";
  request.initialName = "*.mac";
  request.filter = "(*.mac) | *.mac ||";
  request.flags = ui::kFileHideReadOnly | ui::kFileOverwritePrompt;
  return request;
}

}  // namespace

std::string_view stepRowName(DeviceKind device) {
  return device == DeviceKind::keyboard ? "kb_macro_action" : "ms_macro_action";
}

MacroPage::MacroPage(const pages::PageContext& context, MacroPageOptions options)
    : context_(context),
      options_(std::move(options)),
      prefix_(options_.device == DeviceKind::keyboard ? "kb_" : "ms_"),
      editor_(options_.device) {}

MacroPage::~MacroPage() = default;

std::string MacroPage::name(std::string_view stem) const {
  return prefix_ + std::string(stem);
}

template <class T>
T* MacroPage::find(std::string_view stem) const {
  return context_.window.findControl<T>(name(stem));
}

void MacroPage::startUp() {
  if (auto* keys = find<ui::Combo>("macro_combo_keyselect")) {
    keys->removeAllItems();
    for (const MacroKeyRow& row : MacroKeyTable) keys->addItem(std::string(row.label));
  }
  showInsertGroup(kInsertGroups[0].container);
  editor_.load();
  showNames();
  showAssignmentCombo(false);
  showSteps();
  showStepEditor(0);
  showState();
}

void MacroPage::notify(const ui::Notification& n) {
  if (!n.sender) return;
  const std::string& sender = n.sender->name();
  if (n.type == ui::notify::kSelectChanged) {
    selectChanged(n, sender.starts_with(prefix_) ? sender.substr(prefix_.size()) : std::string());
    return;
  }
  if (!sender.starts_with(prefix_)) return;
  const std::string stem = sender.substr(prefix_.size());
  if (n.type == ui::notify::kClick) {
    clicked(stem);
  } else if (n.type == ui::notify::kItemSelect) {
    const int item = static_cast<int>(static_cast<std::intptr_t>(n.wParam));
    if (stem == "MacroName_list") openMacro(item);
    if (stem == "macro_combo_keyselect") keyChosen(item);
    if (stem == "macro_combo_upordown") pressChosen(item);
    if (stem == "macro_combo_mouselect") mouseChosen(item);
  } else if (n.type == ui::notify::kItemClick) {
    auto* row = dynamic_cast<ui::ListElement*>(n.sender);
    if (row && sender == stepRowName(options_.device) &&
        row->list() == find<ui::List>("Macro_list"))
      stepClicked(*row);
  } else if (n.type == ui::notify::kTextChanged) {
    if (stem == "_macro_edit_ActionDelay" || stem == "_macro_edit_mou_action_delay")
      pauseTyped(stem);
    if (stem == "macro_edit_mou_pointer_skewing") distanceTyped();
  }
}

void MacroPage::deviceMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  const bool mousePage = options_.device == DeviceKind::mouse;
  if (msg == (mousePage ? pages::msg::kHookMouMacro : pages::msg::kHookKeyMacro))
    return recordKey(wParam, lParam);
  if (msg == (mousePage ? pages::msg::kHookMouMouseEvent : pages::msg::kHookKeyMouseEvent))
    recordMouse(static_cast<std::uint32_t>(wParam));
}

void MacroPage::clicked(const std::string& stem) {
  if (stem == "macro_btn_redio") return recorder_.recording() ? stopRecording() : startRecording();
  if (stem == "macro_btn_name_add") return addMacro();
  if (stem == "macro_btn_name_sub") return deleteMacro();
  if (stem == "macro_btn_savemacroname") return renameMacro();
  if (stem == "macro_btn_up") return stepOperation(editor_.moveStep(StepList::Move::up));
  if (stem == "macro_btn_down") return stepOperation(editor_.moveStep(StepList::Move::down));
  if (stem == "macro_btn_uptop") return stepOperation(editor_.moveStep(StepList::Move::top));
  if (stem == "macro_btn_downbottom")
    return stepOperation(editor_.moveStep(StepList::Move::bottom));
  if (stem == "macro_btn_delete") return stepOperation(editor_.removeStep());
  if (stem == "macro_btn_deleteall") return stepOperation(editor_.removeAllSteps());
  if (stem == "macro_btn_save") return save();
  if (stem == "macro_btn_cancel") return cancel();
  if (options_.device == DeviceKind::mouse) {
    if (stem == "macro_btn_import") return importMacro();
    if (stem == "macro_btn_export") return exportMacro();
  }
  for (const InsertGroup& group : kInsertGroups)
    if (stem == group.button) return showInsertGroup(group.container);
  for (const InsertButton& button : kInsertButtons)
    if (stem == button.button) return insertStep(button.row, button.distanceEdit);
}

// The insert panel switch, and the page tabs, which cannot take the user
// away from a macro being edited.
void MacroPage::selectChanged(const ui::Notification& n, const std::string& stem) {
  if (stem == "macro_btn_shubiao") {
    const bool inserting = n.wParam != 0;
    if (auto* c = find("MacroMouseEvent")) c->setVisible(inserting);
    if (auto* c = find("MacroName")) c->setVisible(!inserting);
    return;
  }
  auto* tab = dynamic_cast<ui::Option*>(n.sender);
  if (!editor_.editing() || !tab || !tab->isSelected()) return;
  const std::string& group = tab->group();
  if (group != "device_tabs" && !group.ends_with("_page_tabs")) return;
  auto* deviceTab = find<ui::Option>("tab");
  auto* pageTab = find<ui::Option>("macro_Op_tab");
  // A device that went away takes its tab, and nothing holds the user there.
  if (!deviceTab || !pageTab || !deviceTab->isVisible()) return;
  if (tab == deviceTab || tab == pageTab) return;
  if (group != "device_tabs" && group != pageTab->group()) return;
  pageTab->setSelected(true);
  deviceTab->setSelected(true);
  options_.messages.show("message_text_3");
}

void MacroPage::say(EditResult result) {
  switch (result) {
    case EditResult::editing:
      options_.messages.show("message_text_3");
      break;
    case EditResult::editingOpen:
      options_.messages.show("message_text_4");
      break;
    case EditResult::listFull:
      options_.messages.showNumber("message_text_17", kMaxMacros);
      break;
    case EditResult::nameUsed:
      options_.messages.show("message_text_5");
      break;
    case EditResult::badImport:
      options_.messages.show(kImportRefusedText);
      break;
    case EditResult::failed:
      options_.messages.show(kFileNotWrittenText);
      break;
    case EditResult::done:
    case EditResult::nothing:
      break;
  }
}

void MacroPage::addMacro() {
  const EditResult result = editor_.add();
  if (result == EditResult::done) {
    showNames();
    showAssignmentCombo(false);
    showSteps();
    showStepEditor(0);
    showState();
  }
  say(result);
}

void MacroPage::deleteMacro() {
  if (const EditResult allowed = editor_.canDelete(); allowed != EditResult::done)
    return say(allowed);
  const int position = editor_.selectedMacro();
  bool referenced = false;
  if (options_.keyTables)
    options_.keyTables->withTables([&](const MacroReferenceTables& tables) {
      referenced = isMacroReferenced(tables, position);
    });
  if (referenced && options_.messages.show("message_text_2") != 1) return;
  if (options_.messages.show("message_text_4") != 1) return;

  EditResult result = EditResult::nothing;
  if (options_.keyTables) {
    options_.keyTables->withTables(
        [&](const MacroReferenceTables& tables) { result = editor_.remove(tables); });
    options_.keyTables->tablesChanged();
  } else {
    result = editor_.remove({});
  }
  showNames();
  showAssignmentCombo(true);
  showSteps();
  showStepEditor(0);
  showState();
  say(result);
}

void MacroPage::renameMacro() {
  if (renaming_ || editor_.selectedMacro() < 0) return;
  auto* edit = find<ui::Edit>("macro_edit_macroname");
  if (!edit) return;
  renaming_ = true;
  const std::string oldName = editor_.selectedName();
  const EditResult result = editor_.rename(edit->text());
  if (result == EditResult::done) {
    showNames();
    showAssignmentCombo(false);
    if (options_.namesChanged) options_.namesChanged();
  } else if (result == EditResult::nameUsed) {
    edit->setText(oldName);
  }
  say(result);
  renaming_ = false;
}

void MacroPage::openMacro(int position) {
  const EditResult result = editor_.open(position);
  if (result == EditResult::editingOpen) {
    // The list shows the macro whose steps are being edited, so that Save
    // stores them where they came from.
    if (auto* list = find<ui::List>("MacroName_list"))
      list->selectItem(editor_.selectedMacro(), false);
    return say(result);
  }
  if (result != EditResult::done) return;
  if (auto* edit = find("macro_edit_macroname")) edit->setText(editor_.selectedName());
  showSteps();
  showStepEditor(0);
}

void MacroPage::exportMacro() {
  if (editor_.selectedMacro() < 0) return;
  const std::optional<std::string> path = ui::runFileDialog(macroFileDialog(context_.window, true));
  if (!path) return;
  say(editor_.exportTo(*path));
}

void MacroPage::importMacro() {
  if (editor_.selectedMacro() < 0) return;
  if (editor_.editing()) return say(EditResult::editing);
  const std::optional<std::string> path =
      ui::runFileDialog(macroFileDialog(context_.window, false));
  if (!path) return;
  const EditResult result = editor_.importFrom(*path);
  if (result == EditResult::done) {
    showSteps();
    showStepEditor(0);
  }
  say(result);
}

void MacroPage::save() {
  const EditResult result = editor_.save();
  if (result == EditResult::done) {
    showStepEditor(0);
    showState();
  }
  say(result);
}

void MacroPage::cancel() {
  if (editor_.selectedMacro() < 0) return;
  editor_.cancel();
  showSteps();
  showStepEditor(0);
  showState();
}

// Rows are rebuilt, not edited, when steps move or go.
void MacroPage::stepOperation(EditResult result) {
  if (!editor_.editing()) return;
  if (result == EditResult::done) showSteps();
  if (editor_.steps().selected() < 0) showStepEditor(0);
  showStepSelection();
  showState();
}

void MacroPage::insertStep(int row, std::string_view distanceEdit) {
  if (editor_.selectedMacro() < 0) return;
  int distance = 0;
  if (!distanceEdit.empty()) {
    if (auto* edit = find<ui::Edit>(distanceEdit)) {
      const TypedNumber typed = typedNumber(edit->text(), kMaxDistance);
      if (typed.clamped) edit->setText(std::to_string(kMaxDistance));
      distance = typed.value;
    }
  }
  const std::optional<MacroAction> step = insertedStep(row, distance);
  if (!step) return;
  const int selectedBefore = editor_.steps().selected();
  if (editor_.insertStep(formatMacroAction(*step)) != EditResult::done) return;
  if (auto* list = find<ui::List>("Macro_list")) {
    const int at = std::max(selectedBefore, 0);
    list->insertRow(at, makeStepRow(editor_.steps().lines()[static_cast<std::size_t>(at)]));
  }
  showStepSelection();
  showState();
}

// One group's press and release buttons at a time; its button is lit.
void MacroPage::showInsertGroup(std::string_view group) {
  for (const InsertGroup& g : kInsertGroups) {
    if (auto* c = find(g.container)) c->setVisible(g.container == group);
    if (auto* b = find(g.button))
      b->setBkColor(g.container == group ? kChosenGroupColor : kGroupColor);
  }
}

// The hooks go in with what the options ask for; a hook the system refuses
// only means that its kind of event is not recorded.
void MacroPage::startRecording() {
  if (editor_.names().empty() || editor_.beginRecording() != EditResult::done) return;
  const bool keyboard = optionSelected("macro_keyboard_event");
  const bool mouse = optionSelected("macro_mouse_click") || optionSelected("macro_mouse_roller") ||
                     optionSelected("macro_mouse_move");
  const auto mode = options_.device == DeviceKind::mouse ? platform::HookMode::mouseMacro
                                                         : platform::HookMode::keyboardMacro;
  const bool installed = context_.hooks.install(mode, context_.window.id(), keyboard, mouse) == 1;
  recorder_.start(now());
  showStepEditor(0);
  showState();
  if (installed && context_.hooks.takeFocusOnlyNotice())
    options_.messages.show(pages::kFocusOnlyCaptureText);
}

// The page stays in the editing state until Save or Cancel.
void MacroPage::stopRecording() {
  if (context_.hooks.recording()) context_.hooks.remove();
  recorder_.stop();
  showState();
}

void MacroPage::recordKey(std::uintptr_t eventCode, std::intptr_t eventAddress) {
  const auto* event = reinterpret_cast<const platform::KeyEvent*>(eventAddress);
  if (!event || !recorder_.recording()) return;
  if (options_.device == DeviceKind::mouse)
    platform::debugOutput(std::to_string(event->virtualKey) + "," +
                          std::to_string(event->scanCode) + "," + std::to_string(event->flags) +
                          "," + std::to_string(event->time) + ",0");
  const bool press = eventCode == platform::kMsgKeyDown || eventCode == platform::kMsgSysKeyDown;
  if (const std::optional<MacroAction> step =
          recorder_.keyEvent(event->virtualKey, event->flags, press))
    appendRecorded(*step);
}

void MacroPage::recordMouse(std::uint32_t mouseMessage) {
  if (const std::optional<MacroAction> step =
          recorder_.mouseEvent(mouseMessage, optionSelected("macro_mouse_click")))
    appendRecorded(*step);
}

// The new step ends the pause of the one before, whose pause label shows the
// measured milliseconds until its row is built again.
void MacroPage::appendRecorded(const MacroAction& step) {
  if (editor_.appendStep(formatMacroAction(step)) != EditResult::done) return;
  const std::vector<std::string>& lines = editor_.steps().lines();
  auto* list = find<ui::List>("Macro_list");
  if (list) list->addRow(makeStepRow(lines.back()));
  const uint32_t pause = recorder_.measure(now(), optionSelected("macro_check_time"));
  const int before = editor_.steps().size() - 2;
  if (before < 0) return;
  const MacroAction previous =
      parseMacroAction(lines[static_cast<std::size_t>(before)]).value_or(MacroAction{});
  if (editor_.setStep(before, formatMacroAction(withMeasuredPause(previous, pause))) !=
      EditResult::done)
    return;
  showStepRow(before);
  if (ui::ListElement* row = list ? list->row(before) : nullptr; row && row->count() >= 3)
    row->itemAt(2)->setText(std::to_string(pause));
}

bool MacroPage::optionSelected(std::string_view stem) const {
  const auto* option = find<ui::Option>(stem);
  return option && option->isSelected();
}

uint32_t MacroPage::now() const {
  if (options_.clock) return options_.clock();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

void MacroPage::stepClicked(ui::ListElement& row) {
  if (editor_.selectStep(row.index()) != EditResult::done) return;
  showStepSelection();
  showState();
  const std::optional<MacroAction> step =
      parseMacroAction(editor_.steps().lines()[static_cast<std::size_t>(row.index())]);
  const StepEditorView view = stepEditorView(step.value_or(MacroAction{}));
  showStepEditor(static_cast<int>(view.page));
  const std::string pause = std::to_string(view.pauseUnits);
  if (view.page == StepEditorPage::keyboard) {
    if (auto* c = find<ui::Combo>("macro_combo_keyselect"))
      c->selectItem1(view.keyItem, false, false);
    if (auto* c = find<ui::Combo>("macro_combo_upordown"))
      c->selectItem1(view.pressItem, false, false);
    if (auto* c = find("_macro_edit_ActionDelay")) c->setText(pause);
  } else if (view.page == StepEditorPage::mouse) {
    if (auto* c = find<ui::Combo>("macro_combo_mouselect"))
      c->selectItem1(view.mouseItem, false, false);
    if (auto* c = find("macro_tab_mou_pointer_skewing")) c->setVisible(view.move);
    if (auto* c = find("macro_edit_mou_pointer_skewing")) c->setText(std::to_string(view.distance));
    if (auto* c = find("_macro_edit_mou_action_delay")) c->setText(pause);
  }
}

template <class Change>
void MacroPage::changeSelectedStep(Change&& change) {
  const int selected = editor_.steps().selected();
  if (editor_.selectedMacro() < 0 || selected < 0) return;
  const MacroAction step =
      parseMacroAction(editor_.steps().lines()[static_cast<std::size_t>(selected)])
          .value_or(MacroAction{});
  const std::optional<MacroAction> changed = change(step);
  if (!changed) return;
  if (editor_.changeStep(formatMacroAction(*changed)) != EditResult::done) return;
  showStepRow(selected);
  showState();
}

void MacroPage::keyChosen(int item) {
  changeSelectedStep([item](const MacroAction& step) { return withKeyChoice(step, item); });
}

void MacroPage::pressChosen(int item) {
  changeSelectedStep([item](const MacroAction& step) { return withPressChoice(step, item); });
}

void MacroPage::mouseChosen(int item) {
  changeSelectedStep([this, item](const MacroAction& step) {
    std::optional<MacroAction> changed = withMouseChoice(step, item);
    if (changed) {
      const bool move = stepEditorView(*changed).move;
      if (auto* c = find("macro_tab_mou_pointer_skewing")) c->setVisible(move);
      if (auto* c = find("macro_edit_mou_pointer_skewing"); c && move)
        c->setText(std::to_string(changed->value));
    }
    return changed;
  });
}

void MacroPage::pauseTyped(std::string_view stem) {
  auto* edit = find<ui::Edit>(stem);
  if (!edit) return;
  const TypedNumber typed = typedNumber(edit->text(), kMaxPauseUnits);
  if (typed.clamped) edit->setText(std::to_string(kMaxPauseUnits));
  changeSelectedStep([&](const MacroAction& step) {
    return std::optional<MacroAction>(withPause(step, typed.value));
  });
}

void MacroPage::distanceTyped() {
  auto* edit = find<ui::Edit>("macro_edit_mou_pointer_skewing");
  if (!edit) return;
  const TypedNumber typed = typedNumber(edit->text(), kMaxDistance);
  if (typed.clamped) edit->setText(std::to_string(kMaxDistance));
  changeSelectedStep([&](const MacroAction& step) { return withDistance(step, typed.value); });
}

void MacroPage::showNames() {
  auto* list = find<ui::List>("MacroName_list");
  if (!list) return;
  list->removeAllRows();
  for (const std::string& macro : editor_.names()) {
    auto row = std::make_unique<ui::ListLabelElement>();
    applyStyle(*row, kNameRowStyle);
    row->setFixedHeight(kNameRowHeight);
    row->setText(macro);
    list->addRow(std::move(row));
  }
  list->selectItem(editor_.selectedMacro(), false);
  if (auto* edit = find("macro_edit_macroname")) edit->setText(editor_.selectedName());
}

// The assignment page's macro combo holds the macro names in list order.
void MacroPage::showAssignmentCombo(bool selectFirst) {
  auto* combo = find<ui::Combo>("key_fct_combo_23");
  if (!combo) return;
  const int kept = combo->currentIndex();
  combo->removeAllItems();
  for (const std::string& macro : editor_.names()) combo->addItem(macro);
  const int select = selectFirst ? 0 : kept;
  combo->selectItem1(select < combo->count() ? select : -1, false, false);
}

void MacroPage::showSteps() {
  auto* list = find<ui::List>("Macro_list");
  if (!list) return;
  list->removeAllRows();
  for (const std::string& line : editor_.steps().lines()) list->addRow(makeStepRow(line));
  showStepSelection();
}

void MacroPage::showStepRow(int index) {
  auto* list = find<ui::List>("Macro_list");
  if (!list) return;
  ui::ListElement* row = list->row(index);
  if (!row || index >= editor_.steps().size()) return;
  row->setUserData(editor_.steps().lines()[static_cast<std::size_t>(index)]);
  setStepLabels(*row);
}

void MacroPage::showStepSelection() {
  if (auto* list = find<ui::List>("Macro_list"))
    list->selectItem(editor_.steps().selected(), false);
}

void MacroPage::showState() {
  const bool editing = editor_.editing();
  const bool hasMacro = !editor_.names().empty();
  if (auto* list = find("MacroName_list")) list->setEnabled(!editing);
  if (auto* tabs = find<ui::TabLayout>("macro_tab_saveorcancel")) tabs->selectItem(editing ? 1 : 0);
  for (std::string_view stem : {"macro_btn_name_sub", "macro_btn_savemacroname", "macro_btn_import",
                                "macro_btn_export", "macro_btn_redio"})
    if (auto* c = find(stem)) c->setEnabled(hasMacro);
  // A recording takes the steps, and Save and Cancel wait for its end.
  const bool stepsFree = hasMacro && !recorder_.recording();
  for (std::string_view stem : {"macro_btn_save", "macro_btn_cancel"})
    if (auto* c = find(stem)) c->setEnabled(stepsFree);
  for (std::string_view stem : kStepButtons)
    if (auto* c = find(stem)) c->setEnabled(stepsFree);
  if (auto* c = find("Macro_list")) c->setEnabled(!recorder_.recording());
  for (std::string_view stem : kRecordingOptions)
    if (auto* c = find(stem)) c->setEnabled(!recorder_.recording());
  if (auto* button = find("macro_btn_redio")) {
    button->setResourceText(true);
    button->setText(
        std::string(recorder_.recording() ? kStopRecordingText : kStartRecordingText));
  }
}

void MacroPage::showStepEditor(int page) {
  if (auto* tabs = find<ui::TabLayout>("tab_macro_edit")) tabs->selectItem(page);
}

void MacroPage::applyStyle(ui::Control& control, std::string_view style) {
  if (const auto* attributes = context_.window.style(style))
    for (const auto& [attribute, value] : *attributes) control.setAttribute(attribute, value);
  control.setAttribute("style", style);
}

std::unique_ptr<ui::ListElement> MacroPage::makeStepRow(const std::string& line) {
  auto row = std::make_unique<ui::ListContainerElement>();
  row->setName(std::string(stepRowName(options_.device)));
  row->setFixedHeight(kStepRowHeight);
  row->setUserData(line);
  for (int i = 0; i < 3; ++i) row->add(std::make_unique<ui::Label>());
  setStepLabels(*row);
  return row;
}

void MacroPage::setStepLabels(ui::Container& row) {
  if (row.count() < 3) return;
  const StepRowLabels labels = stepRowLabels(row.userData());
  ui::Control& nameLabel = *row.itemAt(0);
  applyStyle(nameLabel, labels.nameStyle);
  nameLabel.setResourceText(true);
  nameLabel.setText(labels.nameText);
  ui::Control& stateLabel = *row.itemAt(1);
  applyStyle(stateLabel, labels.stateStyle);
  stateLabel.setText(labels.stateText);
  ui::Control& pauseLabel = *row.itemAt(2);
  applyStyle(pauseLabel, kTextStyle);
  pauseLabel.setText(labels.pauseText);
}

}  // namespace varnacle::macro
