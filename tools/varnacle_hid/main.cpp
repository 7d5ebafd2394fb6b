#include <iostream>
#include <string>
#include <vector>

#include "hid_tool.h"
#include "hid_tool_backend.h"
#include "platform/standard_input.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // "describe -" reads a binary descriptor from standard input.
  varnacle::platform::makeStandardInputBinary();
  return varnacle::tools::runHidTool(args, std::cin, std::cout, std::cerr,
                                     varnacle::tools::makeToolBackend);
}
