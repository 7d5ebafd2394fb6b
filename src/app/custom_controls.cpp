#include "app/custom_controls.h"

#include <memory>

#include "app/chart_view.h"
#include "app/circle_progress.h"
#include "app/cursor_path_view.h"
#include "app/wnd_ui.h"
#include "ui/builder.h"

namespace varnacle::app {

void registerCustomControls() {
  ui::registerCustomClass("CCircleProgressUI",
                          [] { return std::make_unique<CCircleProgressUI>(); });
  ui::registerCustomClass("CChartViewUI", [] { return std::make_unique<CChartViewUI>(); });
  ui::registerCustomClass("CWndUI", [] { return std::make_unique<CWndUI>(); });
  ui::registerCustomClass("CCursorPathUI", [] { return std::make_unique<CCursorPathUI>(); });
}

}  // namespace varnacle::app
