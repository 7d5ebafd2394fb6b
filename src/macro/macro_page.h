#pragma once
// The macro page of the mouse (layout class "MS_Macro_UI", controls "ms_…")
// and of the keyboard ("kb_Macro_UI", controls "kb_…"): one implementation,
// each page on its own device's macro files. It keeps the device's macro
// list (add, delete, rename; import and export of ".mac" files on the mouse
// page), and edits the steps of the open macro (insert mouse steps, reorder,
// delete, change key, press or release, mouse action, distance and pause)
// until Save or Cancel. The record button records the user's keys and mouse
// clicks into the open macro through the main window's input hooks (mode 64
// on the mouse page, 4 on the keyboard page): a recording lies inside the
// editing state and holds the page until it is stopped.
//
// The macro combo of the device's assignment page ("ms_key_fct_combo_23",
// "kb_key_fct_combo_23") follows the macro list when the window has it.
//
// Threads: UI thread only. The page lives as long as the main window; the
// key table access it is given must outlive it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "device/device_kind.h"
#include "macro/key_table_access.h"
#include "macro/macro_editor.h"
#include "macro/macro_recorder.h"
#include "pages/page.h"

namespace varnacle::ui {
class Container;
class Control;
class ListElement;
class Window;
}  // namespace varnacle::ui

namespace varnacle::macro {

// The name of a step row of the mouse page ("ms_macro_action") and of the
// keyboard page ("kb_macro_action").
std::string_view stepRowName(DeviceKind device);

// How the page tells and asks the user: a message box with the text of a
// text id, answering 1 for confirm; `showNumber` fills the text's "%d".
struct PageMessages {
  std::function<int(std::string_view textId)> show;
  std::function<int(std::string_view textId, int number)> showNumber;
};

// New text ids of the macro pages: an import refused, a file not written.
inline constexpr std::string_view kImportRefusedText = "message_text_20";
inline constexpr std::string_view kFileNotWrittenText = "message_text_21";

struct MacroPageOptions {
  DeviceKind device = DeviceKind::mouse;  // keyboard or mouse
  // The device's key tables; null while the device has none (no assignment
  // can refer to a macro, and a delete asks only "message_text_4").
  KeyTableAccess* keyTables = nullptr;
  // A macro was renamed: the assignment page rebuilds its texts. May be empty.
  std::function<void()> namesChanged;
  PageMessages messages;
  // Milliseconds of a monotonic clock for the recorded pauses; empty: the
  // system's steady clock.
  std::function<uint32_t()> clock;
};

class MacroPage : public pages::Page {
 public:
  MacroPage(const pages::PageContext& context, MacroPageOptions options);
  ~MacroPage() override;
  MacroPage(const MacroPage&) = delete;
  MacroPage& operator=(const MacroPage&) = delete;

  // Fills the key choice from MacroKeyTable, reads the macro list and opens
  // the last macro.
  void startUp() override;
  void notify(const ui::Notification& n) override;
  void deviceMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;

 private:
  std::string name(std::string_view stem) const;
  template <class T = ui::Control>
  T* find(std::string_view stem) const;

  void clicked(const std::string& stem);
  void selectChanged(const ui::Notification& n, const std::string& stem);
  void say(EditResult result);

  void addMacro();
  void deleteMacro();
  void renameMacro();
  void openMacro(int position);
  void exportMacro();
  void importMacro();
  void save();
  void cancel();
  void stepOperation(EditResult result);
  void insertStep(int row, std::string_view distanceEdit);
  void showInsertGroup(std::string_view group);

  void startRecording();
  void stopRecording();
  void recordKey(std::uintptr_t eventCode, std::intptr_t eventAddress);
  void recordMouse(std::uint32_t mouseMessage);
  void appendRecorded(const MacroAction& step);
  bool optionSelected(std::string_view stem) const;
  uint32_t now() const;

  void stepClicked(ui::ListElement& row);
  void keyChosen(int item);
  void pressChosen(int item);
  void mouseChosen(int item);
  void pauseTyped(std::string_view edit);
  void distanceTyped();
  // Parses the selected step, changes it with `change` and writes it back
  // into the editor and its row.
  template <class Change>
  void changeSelectedStep(Change&& change);

  // What the page shows, from the editor.
  void showNames();
  void showAssignmentCombo(bool selectFirst);
  void showSteps();
  void showStepRow(int index);
  void showStepSelection();
  void showState();
  void showStepEditor(int page);
  void applyStyle(ui::Control& control, std::string_view style);
  std::unique_ptr<ui::ListElement> makeStepRow(const std::string& line);
  void setStepLabels(ui::Container& row);

  pages::PageContext context_;
  MacroPageOptions options_;
  std::string prefix_;
  MacroEditor editor_;
  bool renaming_ = false;
  MacroRecorder recorder_;
};

}  // namespace varnacle::macro
