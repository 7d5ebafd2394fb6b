#pragma once
// The mouse's button page (layout class "MS_Key_UI"): the seven buttons on
// the picture of the mouse with their assignments as labels, the function
// page that changes the selected button's assignment in the current on-board
// profile's key table, and the apply that sends the fire-key sequences,
// macros and assignments to the mouse.
//
// Edits change memory only (MouseConfig's key tables); nothing reaches the
// mouse before the apply. Keyboard keys are captured through the main
// window's input hooks in single-key mode (16): their events come back to the
// main window as WM_HOOK_MOU_SINGLEKEY and reach the page through
// deviceMessage(). Without hooks the keyboard category shows the assigned
// key and captures none.
//
// Added after the DPI page, whose reads of the mouse this page then shows.
//
// Threads: UI thread. The page lives as long as the main window and must not
// outlive the MouseConfig it is given.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mouse/key_assignment.h"
#include "pages/page.h"

namespace varnacle::mouse {

class MouseConfig;

class MsKeyPage : public pages::Page {
 public:
  MsKeyPage(const pages::PageContext& context, MouseConfig& config);
  ~MsKeyPage() override;
  MsKeyPage(const MsKeyPage&) = delete;
  MsKeyPage& operator=(const MsKeyPage&) = delete;

  void startUp() override;
  void notify(const ui::Notification& n) override;
  void deviceMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
  void deviceShown(DeviceKind kind) override;

  // Sets the seven buttons' texts and tips from the current profile's key
  // table (macro names from the mouse's macro list). Called after every
  // store, on profile switches and reads, and by the macro editor after it
  // renumbered the tables.
  void refreshLabels();

  // The button whose assignment the function page edits, -1 before the
  // first selection.
  int editedButton() const { return button_; }

 private:
  void selectButton(int button);
  void hover(std::string_view name, bool in);
  void categoryChosen(int item);
  void showCategory(int item);
  void startChoices(int item);
  void showChoice(const FunctionChoice& choice, const KeyAssignment& record);
  FunctionChoice readChoice() const;
  void store();
  void restoreDefault();
  void apply();
  void editTyped(ui::Control& edit);
  void keyCaptured(std::intptr_t event);
  void showKey(std::string_view label);
  void startCapture();
  void stopCapture();
  void fillMacroCombo();
  // Reads done: the labels follow and the key profile file keeps the table.
  void afterRead();
  // The current on-board profile's table index (0-4).
  std::size_t currentTable() const;
  void setEditNumber(std::string_view edit, int value);
  int editNumber(std::string_view edit) const;
  int comboItem(std::string_view combo) const;
  void selectComboItem(std::string_view combo, int item);

  pages::PageContext context_;
  MouseConfig& config_;
  int button_ = -1;
  KeyAssignment underConstruction_;
  // Set while the page fills its controls, so their notifications store nothing.
  bool loading_ = false;
};

}  // namespace varnacle::mouse
