#pragma once
// Registers the program's own control classes with the layout builder, so that
// layouts can name them: "CCircleProgressUI", "CChartViewUI", "CWndUI",
// "CCursorPathUI". Called once at start-up, before the first layout is built.
// UI thread only.
namespace varnacle::app {

void registerCustomControls();

}  // namespace varnacle::app
