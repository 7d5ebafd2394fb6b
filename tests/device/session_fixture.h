#pragma once
// One known-good simulated device with a session opened on its vendor
// collection, for the session and exchange tests. Tests change one thing
// (a fault, the information block, a timing constant) from here.
#include <chrono>
#include <memory>
#include <vector>

#include "device/device_session.h"
#include "device/hid_sim.h"
#include "device/session_connect.h"
#include "sim/virtual_device.h"

namespace varnacle::device::test_support {

using namespace std::chrono_literals;

struct SimulatedSession {
  explicit SimulatedSession(DeviceKind kind)
      : device(std::make_shared<sim::VirtualDevice>(kind, bus)),
        backend(makeSimulatedBackend(bus)),
        session(std::make_unique<DeviceSession>(*backend)) {
    bus.plug(device);
    assignIdentity(*session, kind);
    // Short limits keep silent-device tests fast; one test keeps the defaults.
    session->readTimeout = 20ms;
    session->endConfigPause = 0ms;
    connected = openMatchingInterface(*session);
  }

  std::vector<uint8_t> commands() const {
    std::vector<uint8_t> result;
    for (const auto& request : device->requestLog()) result.push_back(request.command);
    return result;
  }
  std::vector<uint16_t> addresses() const {
    std::vector<uint16_t> result;
    for (const auto& request : device->requestLog()) result.push_back(request.address);
    return result;
  }
  std::vector<uint8_t> lengths() const {
    std::vector<uint8_t> result;
    for (const auto& request : device->requestLog()) result.push_back(request.length);
    return result;
  }

  sim::SimBus bus;
  std::shared_ptr<sim::VirtualDevice> device;
  std::unique_ptr<HidBackend> backend;
  std::unique_ptr<DeviceSession> session;
  bool connected = false;
};

}  // namespace varnacle::device::test_support
