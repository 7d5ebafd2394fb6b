#include "hid_tool.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "device/hid_device.h"

namespace varnacle::tools {

namespace {

constexpr const char* kUsage =
    "usage: varnacle-hid list [--simulate]\n"
    "       varnacle-hid describe FILE   (\"-\" reads standard input)\n";

// Descriptors longer than this are no HID descriptor (the bus limits them to 4 KiB).
constexpr std::size_t kMaxDescriptorFileBytes = 1 << 20;

int describe(const std::string& file, std::istream& in, std::ostream& out, std::ostream& err) {
  std::ifstream stream;
  std::istream* source = &in;
  if (file != "-") {
    stream.open(file, std::ios::binary);
    if (!stream) {
      err << "varnacle-hid: cannot open " << file << "\n";
      return 1;
    }
    source = &stream;
  }
  std::vector<uint8_t> bytes;
  char chunk[4096];
  while (*source) {
    source->read(chunk, sizeof chunk);
    bytes.insert(bytes.end(), chunk, chunk + source->gcount());
    if (bytes.size() > kMaxDescriptorFileBytes) {
      err << "varnacle-hid: " << file << ": too long for a report descriptor\n";
      return 1;
    }
  }
  const auto parsed = device::parseReportDescriptor(bytes);
  if (!parsed.descriptor) {
    err << "varnacle-hid: " << file << ": not a valid report descriptor (" << parsed.error << ")\n";
    return 1;
  }
  int number = 1;
  for (const auto& collection : parsed.descriptor->collections)
    out << describeLine(number++, collection) << "\n";
  return 0;
}

int list(bool simulate, std::ostream& out, std::ostream& err, const BackendFactory& makeBackend) {
  auto backend = makeBackend(simulate);
  if (!backend) {
    err << "varnacle-hid: no HID backend on this system\n";
    return 1;
  }
  device::HidDevice device(*backend);
  if (!device.enumerate()) {
    err << "varnacle-hid: the HID collections cannot be listed\n";
    return 1;
  }
  for (const auto& path : device.pathList) {
    device.devicePath = path;
    device.options = {};  // identity and capabilities only: no access rights needed
    if (!device.open()) {
      out << path << " unavailable\n";
      continue;
    }
    const auto& a = device.attributes();
    const auto& c = device.capabilities();
    char line[160];
    std::snprintf(line, sizeof line,
                  " vid=0x%04X pid=0x%04X usage_page=0x%04X usage=0x%04X input=%u output=%u "
                  "feature=%u",
                  a.vendorId, a.productId, c.usagePage, c.usage, c.inputReportLength,
                  c.outputReportLength, c.featureReportLength);
    out << path << line << "\n";
    device.close();
  }
  return 0;
}

}  // namespace

std::string describeLine(int number, const device::TopLevelCollection& collection) {
  char line[128];
  std::snprintf(line, sizeof line,
                "col%02d usage_page=0x%04X usage=0x%04X input=%u output=%u feature=%u", number,
                collection.usagePage, collection.usage, collection.inputReportLength,
                collection.outputReportLength, collection.featureReportLength);
  return line;
}

int runHidTool(std::span<const std::string> args, std::istream& in, std::ostream& out,
               std::ostream& err, const BackendFactory& makeBackend) {
  if (args.size() == 2 && args[0] == "describe") return describe(args[1], in, out, err);
  if (args.size() == 1 && args[0] == "list") return list(false, out, err, makeBackend);
  if (args.size() == 2 && args[0] == "list" && args[1] == "--simulate")
    return list(true, out, err, makeBackend);
  err << kUsage;
  return 2;
}

}  // namespace varnacle::tools
