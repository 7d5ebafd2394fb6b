#include "macro/macro_editor.h"

#include <algorithm>

#include "macro/action_file.h"
#include "profile/ini_store.h"
#include "profile/text_encoding.h"

namespace varnacle::macro {

void StepList::assign(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  selected_ = -1;
}

bool StepList::select(int index) {
  if (index < -1 || index >= size()) return false;
  selected_ = index;
  return true;
}

bool StepList::move(Move where) {
  if (selected_ < 0) return false;
  const int last = size() - 1;
  int to = selected_;
  switch (where) {
    case Move::up:
      to = selected_ - 1;
      break;
    case Move::down:
      to = selected_ + 1;
      break;
    case Move::top:
      to = 0;
      break;
    case Move::bottom:
      to = last;
      break;
  }
  if (to < 0 || to > last || to == selected_) return false;
  const auto from = lines_.begin() + selected_;
  if (to < selected_) {
    std::rotate(lines_.begin() + to, from, from + 1);
  } else {
    std::rotate(from, from + 1, lines_.begin() + to + 1);
  }
  selected_ = to;
  return true;
}

bool StepList::removeSelected() {
  if (selected_ < 0) return false;
  lines_.erase(lines_.begin() + selected_);
  selected_ = -1;
  return true;
}

void StepList::append(std::string line) {
  lines_.push_back(std::move(line));
}

bool StepList::replace(int index, std::string line) {
  if (index < 0 || index >= size()) return false;
  lines_[static_cast<std::size_t>(index)] = std::move(line);
  return true;
}

void StepList::clear() {
  lines_.clear();
  selected_ = -1;
}

int StepList::insert(std::string line) {
  const bool wasEmpty = lines_.empty();
  const int at = std::max(selected_, 0);
  lines_.insert(lines_.begin() + at, std::move(line));
  if (wasEmpty) {
    selected_ = 0;
  } else if (selected_ >= 0) {
    ++selected_;
  }
  return at;
}

bool StepList::replaceSelected(std::string line) {
  if (selected_ < 0) return false;
  lines_[static_cast<size_t>(selected_)] = std::move(line);
  return true;
}

std::string nextMacroName(const std::vector<std::string>& names) {
  // At most kMaxMacros names: one of the next kMaxMacros + 1 numbers is free.
  for (int n = static_cast<int>(names.size()) + 1;; ++n) {
    std::string name = "name_" + std::to_string(n);
    if (std::none_of(names.begin(), names.end(), [&](const std::string& taken) {
          return profile::equalsIgnoringCase(taken, name);
        }))
      return name;
  }
}

const std::string& MacroEditor::selectedName() const {
  static const std::string none;
  return selected_ >= 0 ? names_[static_cast<size_t>(selected_)] : none;
}

void MacroEditor::load() {
  names_ = store_.readList();
  editing_ = false;
  selected_ = -1;
  steps_.clear();
  if (!names_.empty()) open(static_cast<int>(names_.size()) - 1);
}

EditResult MacroEditor::open(int position) {
  if (editing_) return EditResult::editingOpen;
  if (position < 0 || position >= static_cast<int>(names_.size())) return EditResult::nothing;
  selected_ = position;
  steps_.assign(store_.readActions(names_[static_cast<size_t>(position)]));
  return EditResult::done;
}

EditResult MacroEditor::add() {
  if (editing_) return EditResult::editing;
  if (names_.size() >= static_cast<size_t>(kMaxMacros)) return EditResult::listFull;
  const std::string name = nextMacroName(names_);
  switch (store_.appendMacro(name)) {
    case MacroNameResult::ok:
      break;
    case MacroNameResult::listFull:
      return EditResult::listFull;
    default:
      return EditResult::failed;
  }
  names_.push_back(name);
  return open(static_cast<int>(names_.size()) - 1);
}

EditResult MacroEditor::canDelete() const {
  if (editing_) return EditResult::editing;
  return selected_ >= 0 ? EditResult::done : EditResult::nothing;
}

EditResult MacroEditor::remove(const MacroReferenceTables& tables) {
  if (const EditResult allowed = canDelete(); allowed != EditResult::done) return allowed;
  const bool removed = store_.deleteMacro(selected_, tables);
  names_ = store_.listedNames();
  selected_ = -1;
  steps_.clear();
  if (!names_.empty()) open(0);
  return removed ? EditResult::done : EditResult::failed;
}

EditResult MacroEditor::rename(std::string_view newName) {
  if (selected_ < 0) return EditResult::nothing;
  switch (store_.renameMacro(selected_, newName, steps_.lines())) {
    case MacroNameResult::ok:
      break;
    case MacroNameResult::nameUsed:
    case MacroNameResult::unsafeName:
      return EditResult::nameUsed;
    default:
      return EditResult::failed;
  }
  names_[static_cast<size_t>(selected_)] = std::string(newName);
  return EditResult::done;
}

EditResult MacroEditor::stepChanged(bool applied) {
  if (selected_ < 0) return EditResult::nothing;
  editing_ = true;
  return applied ? EditResult::done : EditResult::nothing;
}

EditResult MacroEditor::selectStep(int index) {
  if (selected_ < 0 || index < 0 || !steps_.select(index)) return EditResult::nothing;
  return stepChanged(true);
}

EditResult MacroEditor::moveStep(StepList::Move where) {
  if (selected_ < 0 || steps_.selected() < 0) return EditResult::nothing;
  return stepChanged(steps_.move(where));
}

EditResult MacroEditor::removeStep() {
  if (selected_ < 0 || steps_.selected() < 0) return EditResult::nothing;
  return stepChanged(steps_.removeSelected());
}

EditResult MacroEditor::removeAllSteps() {
  if (selected_ < 0) return EditResult::nothing;
  steps_.clear();
  return stepChanged(true);
}

EditResult MacroEditor::insertStep(std::string line) {
  if (selected_ < 0) return EditResult::nothing;
  if (steps_.size() >= kMaxActionLines) return EditResult::nothing;
  steps_.insert(std::move(line));
  return stepChanged(true);
}

EditResult MacroEditor::changeStep(std::string line) {
  if (selected_ < 0) return EditResult::nothing;
  return stepChanged(steps_.replaceSelected(std::move(line)));
}

EditResult MacroEditor::beginRecording() {
  return stepChanged(true);
}

EditResult MacroEditor::appendStep(std::string line) {
  if (selected_ < 0 || steps_.size() >= kMaxActionLines) return EditResult::nothing;
  steps_.append(std::move(line));
  return stepChanged(true);
}

EditResult MacroEditor::setStep(int index, std::string line) {
  if (selected_ < 0) return EditResult::nothing;
  return stepChanged(steps_.replace(index, std::move(line)));
}

EditResult MacroEditor::save() {
  if (selected_ < 0) return EditResult::nothing;
  if (!store_.saveActions(names_, selectedName(), steps_.lines())) return EditResult::failed;
  editing_ = false;
  return EditResult::done;
}

void MacroEditor::cancel() {
  editing_ = false;
  steps_.clear();
  if (selected_ < 0) return;
  if (profile::readIniInt(store_.listFile(), "MACROCOUNT", "count") ==
      static_cast<int>(names_.size()))
    steps_.assign(store_.readActions(selectedName()));
}

EditResult MacroEditor::exportTo(const std::filesystem::path& destination) const {
  if (selected_ < 0) return EditResult::nothing;
  return store_.exportMacro(selectedName(), destination) ? EditResult::done : EditResult::failed;
}

EditResult MacroEditor::importFrom(const std::filesystem::path& source) {
  if (selected_ < 0) return EditResult::nothing;
  if (editing_) return EditResult::editing;
  switch (store_.importMacro(source, selectedName())) {
    case MacroImportResult::ok:
      break;
    case MacroImportResult::unsafeName:
    case MacroImportResult::failed:
      return EditResult::failed;
    default:
      return EditResult::badImport;
  }
  return open(selected_);
}

}  // namespace varnacle::macro
