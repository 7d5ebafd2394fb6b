#include "platform/standard_input.h"

namespace varnacle::platform {

// POSIX streams make no difference between text and bytes.
void makeStandardInputBinary() {}

}  // namespace varnacle::platform
