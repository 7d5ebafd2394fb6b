#pragma once
// Hands work to the UI thread: numbered messages for a window's handleMessage()
// (PostMessage / SendMessage) and closures.
//
// Any thread. Posts run in the order they were made. send() blocks until the UI
// thread has run the job and returns its result; once beginShutdown() has been
// called a send that has not started yet gives up and returns nothing, so a
// worker never hangs the exit. A send from the UI thread itself runs at once.
//
//   worker:  send ──wait──────────────┐ result
//   UI:            ... runs handler ──┘
//   worker:  send ──wait──┐ nothing          (shutdown began; the job never runs)
//   UI:         beginShutdown
#include <cstdint>
#include <functional>
#include <optional>

#include "ui/window.h"

namespace varnacle::ui {

// PostMessage: queues `msg` for the window's handleMessage(). False when no
// event loop exists; a message for a window gone by the time it runs is dropped.
bool postMessage(WindowId target, std::uint32_t msg, std::uintptr_t wParam = 0,
                 std::intptr_t lParam = 0);
// SendMessage: the handler's result, or nothing when the window is gone, no
// event loop exists, or shutdown began before the handler started.
std::optional<std::intptr_t> sendMessage(WindowId target, std::uint32_t msg,
                                         std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

// Closures. post: false when no event loop exists. send: true once `job` has
// run; false when it never will (see above).
bool post(std::function<void()> job);
bool send(std::function<void()> job);

// From now on pending and new sends give up. Called by the main window's
// shutdown before it waits for the workers.
void beginShutdown();
bool shutdownBegun();
// The joint wait for the workers is over: sends are handled again (they reach
// only windows that still exist). Also called when an application is created.
void endShutdown();
// Whether the calling thread is the UI thread.
bool onUiThread();

}  // namespace varnacle::ui
