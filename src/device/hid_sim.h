#pragma once
// The simulated HID backend: the virtual interfaces plugged into a SimBus, seen
// the way the platform backends see real ones.
//
// Paths look like "sim/3#vid_0c45&pid_662e&mi_01&col02": the number names one
// virtual interface for as long as the backend lives (also across unplug and
// replug of the same object), the rest is spelled as on the platform backends.
// A connection receives only its collection's report ids (0 when the device
// does not number its reports); writes go to VirtualInterface::onOutputReport.
// The presence probe is true while the interface is plugged. A connection
// lasts one plugging, like the open file of a hidraw node: once its interface
// is unplugged its reads and writes are gone for good, also after the same
// interface is plugged back, and only a connection opened anew reaches it.
//
// Any thread; the bus must outlive the backend.
#include <memory>

#include "device/hid_backend.h"
#include "sim/sim_bus.h"

namespace varnacle::device {

std::unique_ptr<HidBackend> makeSimulatedBackend(sim::SimBus& bus);

}  // namespace varnacle::device
