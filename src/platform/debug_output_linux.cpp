#include "platform/debug_output.h"

namespace varnacle::platform::detail {

// No debugger channel here: the lines reach stderr when VARNACLE_DEBUG is set.
void writeToDebugger(std::string_view) {}

}  // namespace varnacle::platform::detail
