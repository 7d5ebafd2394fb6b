#pragma once
// The seam that keeps tests from blocking on modal windows: while a responder
// is installed, Window::showModal() asks it first. The responder sees the
// window fully built (so it can read what the window shows, e.g. the text key
// of a message box) and returns the result to give, or nothing to let the
// window run modally as usual.
//
// UI thread only. Responders nest; the innermost answers.
#include <functional>
#include <optional>

namespace varnacle::ui {

class Window;

using ModalResponder = std::function<std::optional<int>(Window& window)>;

class ScopedModalResponder {
 public:
  explicit ScopedModalResponder(ModalResponder responder);
  ~ScopedModalResponder();
  ScopedModalResponder(const ScopedModalResponder&) = delete;
  ScopedModalResponder& operator=(const ScopedModalResponder&) = delete;

 private:
  ModalResponder previous_;
};

// The installed responder's answer for `window` (nothing without a responder).
std::optional<int> askModalResponder(Window& window);

}  // namespace varnacle::ui
