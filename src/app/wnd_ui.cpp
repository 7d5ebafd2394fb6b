#include "app/wnd_ui.h"

namespace varnacle::app {

CWndUI::~CWndUI() {
  // Detached before the control's own on-screen area goes, which would take the
  // hosted window with it.
  if (hosted_) hosted_->detach();
}

bool CWndUI::attachWindow(std::unique_ptr<HostedWindow> window) {
  detachWindow();
  if (!window || !window->attachTo(*this)) return false;
  hosted_ = std::move(window);
  return true;
}

std::unique_ptr<HostedWindow> CWndUI::detachWindow() {
  if (hosted_) hosted_->detach();
  return std::move(hosted_);
}

}  // namespace varnacle::app
