#pragma once
// The Qt side of CWndUI: any QWidget as a hosted window. Only Qt-side code
// includes this; pages keep to app/wnd_ui.h.
#include <QWidget>
#include <memory>

#include "app/wnd_ui.h"

namespace varnacle::app {

// Wraps `widget` (taken over: deleted with the returned object) for
// CWndUI::attachWindow().
std::unique_ptr<HostedWindow> hostWidget(QWidget* widget);

}  // namespace varnacle::app
