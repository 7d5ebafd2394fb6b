#include "device/hid_linux.h"
#include "device/hid_platform.h"

namespace varnacle::device {

std::unique_ptr<HidBackend> makePlatformBackend() { return makeLinuxBackend(); }

}  // namespace varnacle::device
