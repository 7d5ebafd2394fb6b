#pragma once
// The demo's state file: the memory of the virtual devices, kept across runs
// so that settings written to them survive a restart, as on real devices.
//
// Layout (little-endian): "VSIM", format 1 (16 bits), device count (16 bits);
// per device: product id (16 bits), active profile (8 bits), then the five
// tables (settings, key table, profile tables, macros, cursor image) each as a
// 32-bit size followed by the bytes.
//
// Any thread, but not while the devices are being written to by the host.
#include <memory>
#include <span>
#include <string>

#include "sim/virtual_device.h"

namespace varnacle::sim {

// Replaces the file atomically. False when it cannot be written; an older
// file is then left as it was.
bool saveDeviceStates(const std::string& path,
                      std::span<const std::shared_ptr<VirtualDevice>> devices);

// Restores every device whose product id has a section in the file. False,
// with no device changed, when the file is missing, malformed, or a section's
// table sizes do not match its device.
bool loadDeviceStates(const std::string& path,
                      std::span<const std::shared_ptr<VirtualDevice>> devices);

}  // namespace varnacle::sim
