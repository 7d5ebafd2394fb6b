#include "hid_tool_backend.h"

#include <string>
#include <vector>

#include "device/device_kind.h"
#include "device/hid_sim.h"
#include "sim/sim_bus.h"
#include "sim/virtual_device.h"

namespace varnacle::tools {

namespace {

// A simulated bus with the three virtual devices, owned with the backend.
class SimulatedMachine : public device::HidBackend {
 public:
  SimulatedMachine() {
    for (const DeviceKind kind : kAllDeviceKinds) {
      devices_.push_back(std::make_shared<sim::VirtualDevice>(kind, bus_));
      bus_.plug(devices_.back());
    }
    backend_ = device::makeSimulatedBackend(bus_);
  }

  bool enumerate(std::vector<std::string>& paths) override { return backend_->enumerate(paths); }
  std::unique_ptr<device::HidConnection> open(const std::string& path,
                                              const device::OpenOptions& options,
                                              device::OpenError& error) override {
    return backend_->open(path, options, error);
  }
  bool probe(const std::string& path) override { return backend_->probe(path); }

 private:
  sim::SimBus bus_;
  std::vector<std::shared_ptr<sim::VirtualDevice>> devices_;
  std::unique_ptr<device::HidBackend> backend_;
};

}  // namespace

std::unique_ptr<device::HidBackend> makeToolBackend(bool simulate) {
  if (simulate) return std::make_unique<SimulatedMachine>();
  return device::makePlatformBackend();
}

}  // namespace varnacle::tools
