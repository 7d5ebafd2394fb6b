#include "ui/modal_responder.h"

namespace varnacle::ui {

namespace {
ModalResponder current;
}

ScopedModalResponder::ScopedModalResponder(ModalResponder responder)
    : previous_(std::move(current)) {
  current = std::move(responder);
}

ScopedModalResponder::~ScopedModalResponder() {
  current = std::move(previous_);
}

std::optional<int> askModalResponder(Window& window) {
  if (!current) return std::nullopt;
  return current(window);
}

}  // namespace varnacle::ui
