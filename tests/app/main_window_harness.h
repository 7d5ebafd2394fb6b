#pragma once
// What every test of the main window shares: a temporary Documents folder,
// virtual devices on a private bus with the simulated backend, the window
// (destroyed before the folder goes), short worker pacing and event pumping.
// The desktop has a tray (offscreen has none), as where the program usually
// runs; tests of the tray-less desktop install their own answer over it.
// The window library's application comes from app_test_support.cpp.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../profile/test_documents.h"
#include "app/main_wnd.h"
#include "device/hid_sim.h"
#include "sim/sim_bus.h"
#include "ui/application.h"
#include "ui/modal_responder.h"
#include "ui/tray.h"
#include "ui/window.h"

namespace varnacle::app::test {

// Pacing shortened so scans and probes take tens of milliseconds.
inline MainTiming fastTiming() {
  using namespace std::chrono_literals;
  MainTiming t;
  t.presencePresent = 20ms;
  t.keyboardAndPadPresent = 20ms;
  t.presenceAbsent = 50ms;
  t.listenerScan = 50ms;
  t.listenerReadMs = 100;
  return t;
}

// Answers every message box with `answer` while it lives, and appends the
// text id each box showed to `shown`.
inline std::unique_ptr<ui::ScopedModalResponder> recordMessageBoxes(std::vector<std::string>& shown,
                                                                    int answer) {
  return std::make_unique<ui::ScopedModalResponder>(
      [&shown, answer](ui::Window& w) -> std::optional<int> {
        if (auto* text = w.findControl("MessageText")) shown.push_back(text->rawText());
        return answer;
      });
}

class MainWindowHarness : public varnacle::testing::TestDocuments {
 protected:
  void TearDown() override {
    if (window && window->isCreated()) window->destroy();
    window.reset();
    varnacle::testing::TestDocuments::TearDown();
  }

  // Runs the event loop until `pred` holds (true) or `limit` has passed (false).
  template <typename Pred>
  static bool pumpUntil(Pred pred, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
      if (std::chrono::steady_clock::now() > end) return false;
      ui::Application::instance()->processEvents(5);
    }
    return true;
  }
  static void pumpFor(std::chrono::milliseconds d) {
    pumpUntil([] { return false; }, d);
  }

  ui::ScopedTrayAvailability trayExists{true};
  sim::SimBus bus;
  std::unique_ptr<device::HidBackend> backend = device::makeSimulatedBackend(bus);
  std::unique_ptr<CMainWnd> window;
};

}  // namespace varnacle::app::test
