#include "pages/profile_panel.h"

#include <utility>

#include "app/msg_wnd.h"
#include "platform/foreground_program.h"
#include "platform/worker_slots.h"
#include "ui/control.h"
#include "ui/dispatcher.h"
#include "ui/file_dialog.h"
#include "ui/window.h"

namespace varnacle::pages {

namespace {

// Combo rows: a fixed height, the profile name as text and tooltip.
constexpr int kRowHeight = 25;

}  // namespace

ProfilePanel::ProfilePanel(const PageContext& context, profile::ProfileListKind kind,
                           ProfileListSteps steps, platform::ForegroundProgram* foreground,
                           profile::AppWatcherTiming watcherTiming)
    : context_(context),
      list_(kind),
      steps_(std::move(steps)),
      foreground_(foreground),
      watcherTiming_(watcherTiming),
      names_(profilePanelNames(kind)) {}

void ProfilePanel::startUp() {
  if (auto* panel = context_.window.findControl(names_.editPanel))
    panel->setVisible(false);
  showLink(std::nullopt);
  const std::string_view failure = list_.initialise();
  fillRows();
  if (!failure.empty()) message(failure);
}

void ProfilePanel::startWorkers() {
  if (!foreground_) return;
  const ui::WindowId window = context_.window.id();
  watcher_ = std::make_unique<profile::AppWatcher>(
      list_, *foreground_,
      [this, window](int row, int saved) {
        // Carried out on the UI thread; given up once the program shuts down.
        ui::send([this, window, row, saved] {
          if (!ui::Window::fromId(window) || list_.registry().select() != saved) return;
          selectIfChanged(row);
          // Select wrote the row it selected; SELECT keeps naming the user's choice.
          list_.registry().setSelect(saved);
        });
      },
      watcherTiming_);
  const platform::WorkerSlot slot = profile::appWatcherSlot(list_.info().kind);
  context_.workerSlots.start(slot,
                             [w = watcher_.get(), slot](platform::Event& stop) { w->run(slot, stop); });
}

void ProfilePanel::deviceShown(DeviceKind kind) {
  if (kind == list_.info().device) selectIfChanged(list_.registry().select());
}

void ProfilePanel::fillRows() {
  auto* combo = context_.window.findControl<ui::Combo>(names_.combo);
  if (!combo) return;
  const int current = combo->currentIndex();
  combo->removeAllItems();
  combo->setItemHeight(kRowHeight);
  for (const std::string& name : list_.rows()) {
    const int index = combo->addItem(name);
    combo->setItemToolTip(index, name);
  }
  combo->selectItem1(current < combo->count() ? current : -1, false, false);
}

int ProfilePanel::selected() const {
  const auto* combo = context_.window.findControl<ui::Combo>(names_.combo);
  return combo ? combo->currentIndex() : -1;
}

void ProfilePanel::selectRow(int row) {
  auto* combo = context_.window.findControl<ui::Combo>(names_.combo);
  if (!combo || row < 0 || row >= combo->count()) return;
  combo->selectItem1(row, false, false);
  runSelect(row);
}

void ProfilePanel::selectIfChanged(int row) {
  if (row != selected()) selectRow(row);
}

void ProfilePanel::runSelect(int row) {
  profile::Selection s = list_.select(row);
  if (auto* edit = context_.window.findControl(names_.nameEdit)) edit->setText(s.name);
  showLink(s.linkLabel);
  if (s.payload && steps_.take) steps_.take(*s.payload);
  if (steps_.apply) steps_.apply();
}

void ProfilePanel::showLink(const std::optional<std::string>& label) {
  if (auto* check = context_.window.findControl<ui::CheckBox>(names_.linkCheck))
    check->setChecked(label.has_value(), false);
  if (auto* edit = context_.window.findControl(names_.linkEdit)) {
    edit->setText(label.value_or(" "));
    edit->setToolTip(label.value_or(""));
  }
  if (auto* row = context_.window.findControl(names_.linkRow))
    row->setVisible(label.has_value());
}

void ProfilePanel::message(std::string_view id) {
  app::showMessage(&context_.window, id, true);
}

void ProfilePanel::show(const profile::ListOutcome& outcome) {
  if (!outcome.message.empty()) message(outcome.message);
  if (outcome.selectRow) selectRow(*outcome.selectRow);
}

void ProfilePanel::toggle(std::string_view panel) {
  if (auto* c = context_.window.findControl(panel)) c->setVisible(!c->isVisible());
}

void ProfilePanel::notify(const ui::Notification& n) {
  if (!n.sender) return;
  const std::string& name = n.sender->name();
  if (n.type == ui::notify::kItemSelect) {
    if (name == names_.combo) runSelect(static_cast<int>(n.wParam));
  } else if (n.type == ui::notify::kSelectChanged) {
    if (name == names_.linkCheck)
      if (auto* check = dynamic_cast<ui::CheckBox*>(n.sender)) linkChecked(check->isChecked());
  } else if (n.type == ui::notify::kClick) {
    if (name == names_.addButton) return add();
    if (name == names_.subButton) return remove();
    if (name == names_.copyButton) return copy();
    if (name == names_.importButton) return importFile();
    if (name == names_.exportButton) return exportFile();
    if (name == names_.resetButton) return reset();
    if (name == names_.editButton) return toggle(names_.editPanel);
    if (name == names_.editSaveButton) return rename();
    if (name == names_.linkButton) return linkButton();
    if (!names_.spreadButton.empty() && name == names_.spreadButton) toggle(names_.spreadPanel);
  }
}

void ProfilePanel::add() {
  const profile::ListOutcome outcome = list_.add();
  fillRows();
  show(outcome);
}

void ProfilePanel::remove() {
  if (!list_.canDelete()) return message(profile::kLastProfileMessage);
  const int row = selected();
  if (row < 0) return;
  if (app::showMessage(&context_.window, profile::kDeleteQuestion, true) != 1) return;
  const profile::ListOutcome outcome = list_.remove(row);
  fillRows();
  show(outcome);
}

void ProfilePanel::copy() {
  const int row = selected();
  if (row < 0) return;
  const profile::ListOutcome outcome = list_.copy(row);
  fillRows();
  show(outcome);
}

void ProfilePanel::rename() {
  const int row = selected();
  if (row < 0) return;
  auto* edit = context_.window.findControl(names_.nameEdit);
  const std::string newName = edit ? edit->text() : std::string();
  const profile::ListOutcome outcome = list_.rename(row, newName);
  if (!outcome.message.empty()) return message(outcome.message);
  fillRows();
}

std::optional<std::string> ProfilePanel::askProfileFile(bool save) {
  const std::string ext(list_.info().extension.substr(1));
  ui::FileDialogRequest request;
  request.save = save;
  request.owner = &context_.window;
  request.defaultExtension = ext;
  request.initialName = "*." + ext;
  request.filter = "(*." + ext + ") | *." + ext + " ||";
  request.flags = ui::kFileHideReadOnly | ui::kFileOverwritePrompt;
  return ui::runFileDialog(request);
}

std::optional<std::string> ProfilePanel::askProgram() {
  tellLinkLimitation();
  const platform::ProgramDialogFilter filter = platform::programDialogFilter();
  ui::FileDialogRequest request;
  request.owner = &context_.window;
  request.defaultExtension = filter.defaultExtension;
  request.initialName = filter.initialName;
  request.filter = filter.filter;
  request.flags = ui::kFileHideReadOnly | ui::kFileOverwritePrompt;
  auto chosen = ui::runFileDialog(request);
  if (chosen && !platform::isProgramFile(*chosen)) return std::nullopt;
  return chosen;
}

void ProfilePanel::importFile() {
  const int row = selected();
  if (row < 0) return;
  const auto chosen = askProfileFile(false);
  if (!chosen) return;
  show(list_.importFrom(row, std::filesystem::u8path(*chosen)));
}

void ProfilePanel::exportFile() {
  const int row = selected();
  if (row < 0) return;
  const auto chosen = askProfileFile(true);
  if (!chosen) return;
  if (auto failure = list_.exportTo(row, std::filesystem::u8path(*chosen)); !failure.empty())
    message(failure);
}

void ProfilePanel::reset() {
  if (steps_.beforeReset) steps_.beforeReset();
  const std::vector<uint8_t> current =
      steps_.current ? steps_.current() : std::vector<uint8_t>(list_.info().payloadSize, 0);
  const profile::ProfileList::Reset outcome = list_.reset(current);
  if (!outcome.message.empty()) return message(outcome.message);
  if (outcome.payload && steps_.take) steps_.take(*outcome.payload);
  if (steps_.afterReset) {
    steps_.afterReset();
    if (steps_.current) list_.save(steps_.current());
  }
  if (steps_.apply) steps_.apply();
}

void ProfilePanel::tellLinkLimitation() {
  // The link is still kept: it works in a session that can tell.
  const auto limitation = foreground_ ? foreground_->takeLimitationNotice() : std::nullopt;
  if (limitation == platform::ForegroundSupport::notOnThisDesktop) message(kLinksUnsupportedText);
  if (limitation == platform::ForegroundSupport::needsShellExtension)
    message(kShellExtensionNeededText);
}

void ProfilePanel::linkChecked(bool checked) {
  const int row = selected();
  if (row < 0) return showLink(std::nullopt);
  if (!checked) {
    list_.unlink(row);
    return showLink(std::nullopt);
  }
  const profile::LinkState state = list_.linkThroughOption(row, askProgram());
  if (!state.message.empty()) message(state.message);
  showLink(state.label);
}

void ProfilePanel::linkButton() {
  const int row = selected();
  if (row < 0) return;
  const auto chosen = askProgram();
  if (!chosen) return;
  if (auto label = list_.linkThroughButton(row, *chosen)) showLink(label);
}

}  // namespace varnacle::pages
