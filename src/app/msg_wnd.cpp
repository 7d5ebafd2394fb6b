#include "app/msg_wnd.h"

#include <memory>

#include "app/message_format.h"
#include "platform/debug_output.h"
#include "ui/attributes.h"
#include "ui/language.h"

namespace varnacle::app {

namespace {

// The box's window: a popup that clips its children, kept off the task bar.
constexpr ui::WindowStyle kMsgWndStyle{0x82000000, ui::kExStyleToolWindow};

// A label whose text wraps at word boundaries: messages are whole sentences.
class MessageLabel : public ui::Label {
 protected:
  void paintText(ui::Painter& painter) override {
    const std::string shown = text();
    if (shown.empty()) return;
    const ui::Rect r = rect();
    const ui::Edges pad = textPadding();
    ui::TextStyle style;
    style.color = textColor();
    style.align = textAlign();
    style.font = font();
    style.singleLine = false;
    painter.drawText(
        {r.left + pad.left, r.top + pad.top, r.right - pad.right, r.bottom - pad.bottom}, shown,
        style);
  }
};

}  // namespace

std::unique_ptr<ui::Control> CMsgWnd::createControl(std::string_view className) {
  if (ui::equalsNoCase(className, "MessageLabel")) return std::make_unique<MessageLabel>();
  return Window::createControl(className);
}

void CMsgWnd::initWindow() {
  closeButton_ = findControl("closebtn");
}

void CMsgWnd::notify(const ui::Notification& n) {
  if (n.type == ui::notify::kClick) onClick(n);
  Window::notify(n);
}

void CMsgWnd::onClick(const ui::Notification& n) {
  if (n.sender == nullptr) return;
  const std::string name = ui::toLower(n.sender->name());
  if (n.sender == closeButton_ || name == "closebtn") {
    close(0);
  } else if (name == "confirm_btn") {
    close(1);
  } else if (name == "cancel_btn") {
    close(0);
  }
}

int showMessage(ui::Window* parent, std::string_view text, bool isKey) {
  // The box is owned here for its whole modal run and freed when it returns.
  auto box = std::make_unique<CMsgWnd>();
  if (!box->create(parent, "msgwnd", kMsgWndStyle)) {
    platform::debugOutput("message box layout XML_MSG cannot be built");
    return 0;
  }
  box->centre();
  if (!text.empty()) {
    if (ui::Control* message = box->findControl("MessageText")) {
      message->setResourceText(isKey);
      message->setText(std::string(text));
    }
  }
  return box->showModal();
}

std::string resolveKey(ui::Window& mainWindow, std::string_view key) {
  ui::Control* label = mainWindow.findControl("str_test");
  if (label == nullptr) return ui::languageText(key);
  label->setResourceText(true);
  label->setText(std::string(key));
  return label->text();
}

int showFormattedMessage(ui::Window* parent, ui::Window& mainWindow, std::string_view key,
                         int number) {
  return showMessage(parent, formatMessageNumber(resolveKey(mainWindow, key), number), false);
}

}  // namespace varnacle::app
