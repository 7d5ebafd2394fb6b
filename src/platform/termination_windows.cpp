#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "platform/termination.h"

namespace varnacle::platform {

namespace {

std::mutex gMutex;
std::function<void()> gHandler;
std::atomic<int> gRequests{0};

BOOL WINAPI consoleHandler(DWORD) {
  if (++gRequests > 1) std::_Exit(1);
  std::function<void()> handler;
  {
    std::lock_guard lock(gMutex);
    handler = gHandler;
  }
  if (handler) handler();
  return TRUE;
}

}  // namespace

// A GUI program has no console signals of its own; the session's end reaches
// the window as WM_QUERYENDSESSION / WM_ENDSESSION instead. The console
// handler covers starts from a console window.
struct TerminationWatch::Impl {};

TerminationWatch::TerminationWatch(std::function<void()> onRequest) : impl_(std::make_unique<Impl>()) {
  {
    std::lock_guard lock(gMutex);
    gHandler = std::move(onRequest);
  }
  SetConsoleCtrlHandler(consoleHandler, TRUE);
}

TerminationWatch::~TerminationWatch() {
  SetConsoleCtrlHandler(consoleHandler, FALSE);
  std::lock_guard lock(gMutex);
  gHandler = nullptr;
}

}  // namespace varnacle::platform
