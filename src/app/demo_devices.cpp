#include "app/demo_devices.h"

#include "device/hid_sim.h"
#include "platform/debug_output.h"
#include "platform/folders.h"
#include "profile/paths.h"
#include "sim/state_file.h"

namespace varnacle::app {

DemoDevices::DemoDevices(sim::SimBus& bus, std::filesystem::path stateFile)
    : bus_(bus), stateFile_(std::move(stateFile)), backend_(device::makeSimulatedBackend(bus)) {
  for (DeviceKind kind : kAllDeviceKinds)
    devices_[static_cast<std::size_t>(kind)] = std::make_shared<sim::VirtualDevice>(kind, bus_);
  // A missing or damaged state file leaves the devices at factory memory.
  sim::loadDeviceStates(platform::utf8FromPath(stateFile_), devices_);
  for (const auto& d : devices_) bus_.plug(d);
}

DemoDevices::~DemoDevices() {
  if (!save()) platform::debugOutput("demo device state could not be saved");
  for (const auto& d : devices_) bus_.unplug(*d);
}

bool DemoDevices::save() const {
  return sim::saveDeviceStates(platform::utf8FromPath(stateFile_), devices_);
}

std::filesystem::path defaultDemoStateFile() {
  return profile::fileIn(profile::BaseFolder(), "demo-devices.state");
}

}  // namespace varnacle::app
