#pragma once
// CWndUI: a place in a layout for a native window of the program's own. The
// hosted window sits on the control's rectangle and follows it: moved and
// resized with it, shown and hidden with it.
//
// Layouts name it "CWndUI" (registered class); its class name is "Wnd". Nothing
// is hosted by default. UI thread only.
#include <memory>

#include "ui/control.h"

namespace varnacle::app {

// A native window that a CWndUI can host; the toolkit side provides these (on Qt
// see app/qt/hosted_widget.h).
class HostedWindow {
 public:
  virtual ~HostedWindow() = default;
  // Becomes a child of `host`'s on-screen area, filling it, and follows it from
  // then on. False when the host has no on-screen area.
  virtual bool attachTo(const ui::Control& host) = 0;
  // Leaves the host: hidden and without a parent.
  virtual void detach() = 0;
};

class CWndUI : public ui::Control {
 public:
  CWndUI() = default;
  ~CWndUI() override;
  std::string_view className() const override { return "Wnd"; }

  // Hosts `window`, releasing any window hosted before. False (and nothing
  // hosted) when it cannot be attached.
  bool attachWindow(std::unique_ptr<HostedWindow> window);
  // Gives the hosted window back, detached; null when none is hosted.
  std::unique_ptr<HostedWindow> detachWindow();
  HostedWindow* hostedWindow() const { return hosted_.get(); }

 private:
  std::unique_ptr<HostedWindow> hosted_;
};

}  // namespace varnacle::app
