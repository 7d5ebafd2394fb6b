#pragma once
// The keyboard's key page (layout class "kb_Key_UI"): the keyboard picture
// with a button per key position showing its key's function, the function
// panel that changes the clicked key's record in the active slot, read all
// on connection, the default key profile, and the apply that sends the
// macros and the active slot to the keyboard.
//
// Every change on the function panel is stored at once (memory only: the
// KeyboardConfig's slots); nothing reaches the keyboard before the apply.
// Keyboard keys are captured through the main window's input hooks in
// single-key mode (1): their events come back as WM_HOOK_KEY_SINGLEKEY and
// reach the page through deviceMessage().
//
// Added before the keyboard lighting page: the read on message 0x0B01 puts
// the lighting record into LiveLighting before that page takes it.
//
// Threads: UI thread. The page lives as long as the main window and must not
// outlive the KeyboardConfig it is given.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "keyboard/key_assignment.h"
#include "pages/page.h"

namespace varnacle::keyboard {

class KeyboardConfig;

class KbKeyPage : public pages::Page {
 public:
  KbKeyPage(const pages::PageContext& context, KeyboardConfig& config);
  ~KbKeyPage() override;
  KbKeyPage(const KbKeyPage&) = delete;
  KbKeyPage& operator=(const KbKeyPage&) = delete;

  void startUp() override;
  void notify(const ui::Notification& n) override;
  void deviceMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
  void deviceGone(DeviceKind kind) override;
  void languageChanged() override;

  // Sets every key's text and tip from the active slot (macro names from the
  // keyboard's macro list); a key whose record differs from its base record
  // is marked as changed. Called after every store, after reads and profile
  // loads, and by the macro page after it renumbered the slots.
  void refreshLabels();
  // Hides the function panel (a profile loaded or reset: the key's record
  // it shows may be gone); `disable` also disables it.
  void closeFunctionPanel(bool disable);

  // The key index the function panel edits, -1 before the first key.
  int editedKey() const { return key_; }

 private:
  void readAll();
  void writeDefaultKeyProfile();
  void selectKey(std::size_t position);
  void markSelected(std::size_t position);
  void categoryChosen(int item);
  void startChoices(int item);
  void showChoice(const KeyChoice& choice, const KeyRecord& record);
  KeyChoice readChoice() const;
  void commit();
  void apply();
  void editTyped(ui::Control& edit);
  void keyCaptured(std::intptr_t event);
  void showKey(std::string_view label);
  void startCapture();
  void stopCapture();
  void fillMacroCombo();
  void showCountRow();
  void setEditNumber(std::string_view edit, int value);
  int editNumber(std::string_view edit) const;
  int comboItem(std::string_view combo) const;
  void selectComboItem(std::string_view combo, int item);

  pages::PageContext context_;
  KeyboardConfig& config_;
  int key_ = -1;
  std::size_t selectedPosition_ = kKeyPositionCount;
  KeyRecord underConstruction_;
  // What each key's layout shows before the page labels it.
  std::array<std::string, kKeyPositionCount> layoutTexts_;
  bool started_ = false;
  // Set while the page fills its controls, so their notifications store nothing.
  bool loading_ = false;
};

}  // namespace varnacle::keyboard
