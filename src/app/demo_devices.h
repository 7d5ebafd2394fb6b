#pragma once
// Demo mode: the virtual keyboard, mouse and mouse pad plugged into a
// simulated bus, with their memory kept in a state file across runs, so the
// program can be run and shown without hardware.
//
// Create and destroy on the UI thread; the devices themselves are thread-safe.
#include <array>
#include <filesystem>
#include <memory>

#include "device/hid_backend.h"
#include "sim/sim_bus.h"
#include "sim/virtual_device.h"

namespace varnacle::app {

class DemoDevices {
 public:
  // Plugs the three devices into `bus`, restoring their memory from
  // `stateFile` when it holds a usable state (factory memory otherwise).
  DemoDevices(sim::SimBus& bus, std::filesystem::path stateFile);
  // Saves the devices' memory (a failure is reported to the debug output).
  ~DemoDevices();
  DemoDevices(const DemoDevices&) = delete;
  DemoDevices& operator=(const DemoDevices&) = delete;

  device::HidBackend& backend() { return *backend_; }
  sim::VirtualDevice& device(DeviceKind kind) { return *devices_[static_cast<std::size_t>(kind)]; }
  bool save() const;

 private:
  sim::SimBus& bus_;
  std::filesystem::path stateFile_;
  std::array<std::shared_ptr<sim::VirtualDevice>, 3> devices_;
  std::unique_ptr<device::HidBackend> backend_;
};

// Where the demo keeps its state: beside the user's settings.
std::filesystem::path defaultDemoStateFile();

}  // namespace varnacle::app
