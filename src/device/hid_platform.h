#pragma once
// The HID backend of the machine the program runs on (hidraw on Linux, the
// HID services on Windows), chosen by the build.
#include <memory>

#include "device/hid_backend.h"

namespace varnacle::device {

std::unique_ptr<HidBackend> makePlatformBackend();

}  // namespace varnacle::device
