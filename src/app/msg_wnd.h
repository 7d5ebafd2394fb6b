#pragma once
// The message box: every notice and question the program puts to the user.
//
// The text is a language key ("message_text_8") shown in the current language, or
// a literal text. The box runs modally on the UI thread and answers 1 for
// "confirm_btn", 0 for "cancel_btn" or "closebtn". While a test installs a modal
// responder (ui/modal_responder.h) the responder answers instead; it sees the box
// fully built, so "MessageText"'s rawText() is the key shown and
// isResourceText() tells a key from a literal text.
//
// UI thread only.
#include <memory>
#include <string>
#include <string_view>

#include "ui/window.h"

namespace varnacle::app {

class CMsgWnd : public ui::Window {
 public:
  std::string layoutName() const override { return "XML_MSG"; }
  std::string windowClassName() const override { return "MsgWnd"; }
  void initWindow() override;
  void notify(const ui::Notification& n) override;
  // "MessageLabel": the label the message goes into, wrapping long texts over
  // several lines.
  std::unique_ptr<ui::Control> createControl(std::string_view className) override;

 private:
  void onClick(const ui::Notification& n);
  ui::Control* closeButton_ = nullptr;
};

// Show message: builds a new box over `parent` (may be null), puts `text` into
// "MessageText" (a key when `isKey`, else literal; an empty text leaves the
// layout's own text) and runs it modally. The box's result, or 0 when the
// layout cannot be built (the reason is in the debug output).
int showMessage(ui::Window* parent, std::string_view text, bool isKey);

// Resolve key: the text of `key` in the current language, read back through the
// hidden label "str_test" of `mainWindow` (in resource-text mode). Without that
// label the loaded language file is asked directly; a key the file lacks gives
// the key itself.
std::string resolveKey(ui::Window& mainWindow, std::string_view key);

// Formatted message: resolves `key`, fills `number` into its first "%d" (see
// formatMessageNumber) and shows the result as a literal text.
int showFormattedMessage(ui::Window* parent, ui::Window& mainWindow, std::string_view key,
                         int number);

}  // namespace varnacle::app
