#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/standard_input.h"

namespace varnacle::platform {

void makeStandardInputBinary() {
  _setmode(_fileno(stdin), _O_BINARY);
}

}  // namespace varnacle::platform
