#pragma once
// The backends varnacle-hid lists: the machine's own, or a simulated bus with
// the virtual keyboard, mouse and mouse pad plugged in.
#include <memory>

#include "device/hid_backend.h"

namespace varnacle::tools {

std::unique_ptr<device::HidBackend> makeToolBackend(bool simulate);

}  // namespace varnacle::tools
