#pragma once
// varnacle-hid: the diagnostics tool for the HID layer.
//
//   varnacle-hid list [--simulate]   every HID collection the backend sees
//   varnacle-hid describe FILE|-     the top-level collections of a binary
//                                    report descriptor, as our parser reads it
//
// The commands are plain functions on streams so that tests can run them.
#include <functional>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>

#include "device/hid_backend.h"
#include "device/report_descriptor.h"

namespace varnacle::tools {

// Makes the backend `list` walks: the simulated one when `simulate` is set.
using BackendFactory = std::function<std::unique_ptr<device::HidBackend>(bool simulate)>;

// Runs the tool with its arguments (program name excluded); returns the exit
// code. `in` is read by "describe -".
int runHidTool(std::span<const std::string> args, std::istream& in, std::ostream& out,
               std::ostream& err, const BackendFactory& makeBackend);

// One line of "describe", e.g.
// "col01 usage_page=0xFF1C usage=0x0092 input=64 output=64 feature=0".
std::string describeLine(int number, const device::TopLevelCollection& collection);

}  // namespace varnacle::tools
