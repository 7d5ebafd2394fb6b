#pragma once
// The state of one macro page (mouse or keyboard): the device's macro list,
// the macro that is open, its step lines with the selected step, and whether
// the page is in the editing state. The page shows this state; the editor
// does the work and the guards, and tells the page what to say.
//
//   normal ──(move, delete or insert steps, click a step)──> editing
//   editing ──(Save, Cancel)──> normal
//
// In the editing state the macro list is locked: no add, delete, open or
// import, and the page cannot be left. Nothing reaches the action file
// before Save (or Rename, which stores the steps shown); Add, Rename and
// Delete write the list file at once.
//
// UI thread only.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "macro/macro_references.h"
#include "macro/macro_store.h"

namespace varnacle::macro {

// The steps of the open macro as text lines and the selected one.
class StepList {
 public:
  const std::vector<std::string>& lines() const { return lines_; }
  int size() const { return static_cast<int>(lines_.size()); }
  // -1 when no step is selected.
  int selected() const { return selected_; }

  // New lines, none selected.
  void assign(std::vector<std::string> lines);
  // False (nothing changes) for an index outside the list; -1 clears.
  bool select(int index);

  enum class Move { up, down, top, bottom };
  // Moves the selected step, which stays selected; false when nothing moved
  // (no selection, the first step up or to the top, the last down or to the
  // bottom).
  bool move(Move where);
  // Removes the selected step; false without one.
  bool removeSelected();
  void clear();
  // Puts `line` before the selected step, whose selection moves with it;
  // with none selected at the top (an empty list then selects it).
  int insert(std::string line);
  // Replaces the selected step's line; false without one.
  bool replaceSelected(std::string line);
  // Puts `line` after the last step; the selection stays.
  void append(std::string line);
  // Replaces the line of step `index`; false for an index outside the list.
  bool replace(int index, std::string line);

 private:
  std::vector<std::string> lines_;
  int selected_ = -1;
};

// The answers of the editor's operations; the page shows the message named.
enum class EditResult {
  done,
  nothing,      // nothing to do (no macro or no step selected, nothing moved)
  editing,      // refused while editing: "message_text_3"
  editingOpen,  // opening another macro while editing: "message_text_4"
  listFull,     // kMaxMacros macros: "message_text_17" with kMaxMacros
  nameUsed,     // rename to a used or unsafe name: "message_text_5"
  badImport,    // the chosen file is no macro this program can take
  failed,       // a file could not be read or written
};

// The name Add gives: "name_%d" with n = number of macros + 1, counted up
// while a macro has that name (compared without regard to case).
std::string nextMacroName(const std::vector<std::string>& names);

class MacroEditor {
 public:
  explicit MacroEditor(DeviceKind device) : store_(device) {}

  const MacroStore& store() const { return store_; }
  const std::vector<std::string>& names() const { return names_; }
  // The open macro's position, -1 without one.
  int selectedMacro() const { return selected_; }
  const std::string& selectedName() const;
  bool editing() const { return editing_; }
  const StepList& steps() const { return steps_; }

  // Page start: reads the list (the mouse's sets up its fire-key sections)
  // and opens the last macro; normal state.
  void load();
  // Opens macro `position`: its steps from its action file, none selected.
  EditResult open(int position);
  // Appends a macro named by nextMacroName and opens it.
  EditResult add();
  // Whether macro deletion may start (a macro is open, not editing).
  EditResult canDelete() const;
  // Deletes the open macro: renumbers the references in `tables`, removes
  // its file, rewrites the list, opens position 0 (if any macro is left).
  EditResult remove(const MacroReferenceTables& tables);
  // Renames the open macro, storing the steps shown into its file.
  EditResult rename(std::string_view newName);

  // Step operations; each one that applies enters the editing state.
  EditResult selectStep(int index);
  EditResult moveStep(StepList::Move where);
  EditResult removeStep();
  EditResult removeAllSteps();
  EditResult insertStep(std::string line);
  EditResult changeStep(std::string line);
  // Recording: enters the editing state (a macro must be open), appends
  // recorded steps after the last one (none beyond kMaxActionLines) and
  // gives a step its measured pause.
  EditResult beginRecording();
  EditResult appendStep(std::string line);
  EditResult setStep(int index, std::string line);

  // Stores the steps shown into the open macro's file and ends the editing
  // state; a failed write keeps the editing state (nothing is lost).
  EditResult save();
  // Ends the editing state: the saved steps are shown again, none selected
  // (none at all when the list file no longer has the macros shown).
  void cancel();

  // Copies the open macro's action file to `destination`.
  EditResult exportTo(const std::filesystem::path& destination) const;
  // Takes `source` as the open macro's steps (checked first, see
  // MacroStore::importMacro) and opens the macro again. Refused while editing.
  EditResult importFrom(const std::filesystem::path& source);

 private:
  EditResult stepChanged(bool applied);

  MacroStore store_;
  std::vector<std::string> names_;
  int selected_ = -1;
  StepList steps_;
  bool editing_ = false;
};

}  // namespace varnacle::macro
