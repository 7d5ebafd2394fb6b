// Writes the factory default files into the folder given as the only argument:
//   make_defaults <folder>
#include <cstdio>
#include <filesystem>

#include "factory_defaults.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_defaults <folder>\n");
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!varnacle::tools::writeFactoryDefaults(folder)) {
    std::fprintf(stderr, "make_defaults: could not write the default files into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
