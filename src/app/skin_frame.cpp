#include "app/skin_frame.h"

#include <optional>

#include "app/skin_apply.h"
#include "app/skin_observer.h"
#include "ui/attributes.h"
#include "ui/control.h"
#include "ui/file_dialog.h"

namespace varnacle::app {

namespace {

// The custom image: any PNG file of the user's own.
constexpr std::string_view kCustomExtension = "png";
constexpr std::string_view kCustomInitialName = "*.png";
constexpr std::string_view kCustomFilter = "(*.png) | *.png |(*.*)|*.*||";

// Pages of "skin_tab".
constexpr int kImagePage = 0;
constexpr int kColorPage = 1;

}  // namespace

ui::WindowId CSkinFrame::open(ui::Window& owner, const ui::Control& anchor) {
  auto* frame = new CSkinFrame(owner.id());
  frame->setDpi(owner.dpi());
  // A tool window above the others, without a parent. It takes the focus when
  // shown: a window that never had the focus could never lose it, and losing it
  // is what closes the popup.
  const ui::WindowStyle style{0, ui::kExStyleToolWindow | ui::kExStyleTopmost};
  if (!frame->create(nullptr, "skinframe", style)) {
    delete frame;
    return 0;
  }
  frame->placeUnder(owner, anchor);
  frame->show(true, true);
  return frame->id();
}

void CSkinFrame::placeUnder(const ui::Window& owner, const ui::Control& anchor) {
  // The owner is frameless, so its geometry is its client area on the screen.
  const ui::Rect client = owner.geometry();
  const ui::Rect a = anchor.rect();
  const ui::Rect own = geometry();
  const int left = client.left + a.right - own.width();
  const int top = client.top + a.bottom;
  move({left, top, left + own.width(), top + own.height()});
}

void CSkinFrame::onFinalMessage() {
  delete this;
}

std::intptr_t CSkinFrame::handleMessage(std::uint32_t msg, std::uintptr_t wParam,
                                        std::intptr_t lParam, bool& handled) {
  const bool lostFocus = msg == ui::kMsgKillFocus || (msg == ui::kMsgActivate && wParam == 0);
  if (lostFocus && !dialogOpen_) {
    handled = true;
    close();  // deletes this object: nothing may follow
    return 0;
  }
  return ui::Window::handleMessage(msg, wParam, lParam, handled);
}

void CSkinFrame::notify(const ui::Notification& n) {
  if (n.type == ui::notify::kClick && n.sender) onClick(*n.sender);
  // onClick may have closed the popup: `this` is gone then.
}

void CSkinFrame::onClick(ui::Control& sender) {
  const std::string& name = sender.name();
  if (ui::equalsNoCase(name, "skin_image_btn")) {
    const std::string image = sender.bkImage();
    ObserverImpl::instance().broadcast(SkinChangedParam{false, 0, image});
    storeSkinImage(image, true);  // a failed write is in the debug output; the choice still shows
  } else if (ui::equalsNoCase(name, "skin_color_btn")) {
    ObserverImpl::instance().broadcast(SkinChangedParam{true, sender.bkColor(), {}});
  } else if (ui::equalsNoCase(name, "skin_color")) {
    selectPage(kColorPage);
  } else if (ui::equalsNoCase(name, "skin_image")) {
    selectPage(kImagePage);
  } else if (ui::equalsNoCase(name, "skin_reset")) {
    ObserverImpl::instance().broadcast(SkinChangedParam{false, 0, std::string(kDefaultSkinImage)});
    storeSkinImage(kDefaultSkinImage, false);  // as above
  } else if (ui::equalsNoCase(name, "skin_Custom")) {
    chooseCustomImage();
  }
}

void CSkinFrame::selectPage(int page) {
  if (auto* tab = findControl<ui::TabLayout>("skin_tab")) tab->selectItem(page);
}

void CSkinFrame::chooseCustomImage() {
  ui::FileDialogRequest request;
  request.owner = ui::Window::fromId(owner_);
  request.defaultExtension = kCustomExtension;
  request.initialName = kCustomInitialName;
  request.filter = kCustomFilter;
  request.flags = ui::kFileHideReadOnly | ui::kFileOverwritePrompt;
  dialogOpen_ = true;
  const std::optional<std::string> chosen = ui::runFileDialog(request);
  dialogOpen_ = false;
  // A custom image lasts until the program ends: nothing is written.
  if (chosen) ObserverImpl::instance().broadcast(SkinChangedParam{false, 0, *chosen});
  // The dialog took the focus from the popup; the popup closes now that the
  // choice is made, as it would have when the dialog opened.
  close();
}

}  // namespace varnacle::app
