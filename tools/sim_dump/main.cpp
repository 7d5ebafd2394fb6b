// varnacle-sim-dump: attaches the simulated keyboard, mouse and mouse pad,
// reads each one's information block and all its settings with the report
// protocol (the same exchanges the program runs when a device is found), and
// prints them.
//
//   varnacle-sim-dump [--state FILE]
//
// With --state the virtual devices start from the memory saved in FILE (the
// demo's state file) instead of their factory memory.
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/exchanges.h"
#include "device/hid_sim.h"
#include "device/session_connect.h"
#include "sim/state_file.h"
#include "sim/virtual_device.h"

namespace {

using namespace varnacle;

void printHex(std::string_view title, std::span<const uint8_t> bytes) {
  std::printf("  %.*s (%zu bytes)\n", static_cast<int>(title.size()), title.data(), bytes.size());
  for (std::size_t row = 0; row < bytes.size(); row += 16) {
    std::printf("    %04zx:", row);
    for (std::size_t i = row; i < bytes.size() && i < row + 16; ++i) std::printf(" %02x", bytes[i]);
    std::printf("\n");
  }
}

void printInfo(const device::DeviceInfoBlock& info) {
  std::printf("  key count %u, macro capacity %u bytes, DPI slider maximum %u\n",
              info[device::kInfoKeyCountByte], info[device::kInfoMacroCapacityByte] * 128u,
              info[device::kInfoDpiMaximumByte]);
  printHex("information block", info);
}

void printResult(const device::ExchangeResult& result) {
  std::printf("  result %d%s%.*s\n", result.result, result.message.empty() ? "" : ", message ",
              static_cast<int>(result.message.size()), result.message.data());
}

void dumpMouse(device::DeviceSession& session) {
  device::MouseSettings settings;
  printResult(device::readAllMouseSettings(session, settings));
  printInfo(settings.info);
  std::printf("  active profile %u\n", settings.activeProfile);
  printHex("key table, first 7 buttons", std::span(settings.keyTable).first(21));
  for (std::size_t k = 0; k < settings.records.size(); ++k) {
    printHex("settings record " + std::to_string(k), settings.records[k]);
    printHex("profile table " + std::to_string(k) + ", own 126 bytes",
             std::span(settings.profileTables[k]).first(126));
  }
  const device::CursorReadBack cursor = device::readBackCursorTable(session);
  std::printf("  cursor table: result %d, head %s\n", cursor.result,
              cursor.headValid ? "valid" : "not valid");
  if (!cursor.image.empty()) printHex("cursor image", cursor.image);
}

void dumpKeyboard(device::DeviceSession& session) {
  device::KeyboardSettings settings;
  printResult(device::readAllKeyboardSettings(session, settings));
  printInfo(settings.info);
  std::printf("  active profile %u, transfer size %u\n", settings.activeProfile,
              session.transferSize);
  printHex("settings record at address 0", settings.record);
  printHex("key table", std::span(settings.keyTable).first(session.transferSize));
  printHex("profile table 0", std::span(settings.profileTable).first(session.transferSize));
}

void dumpMousePad(device::DeviceSession& session) {
  device::MousePadSettings settings;
  printResult(device::readAllMousePadSettings(session, settings));
  printInfo(settings.info);
  std::printf("  active profile %u\n", settings.activeProfile);
  for (std::size_t k = 0; k < settings.records.size(); ++k)
    printHex("settings record " + std::to_string(k), settings.records[k]);
}

}  // namespace

int main(int argc, char** argv) {
  std::string statePath;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--state" && i + 1 < argc) {
      statePath = argv[++i];
    } else {
      std::fprintf(stderr, "usage: varnacle-sim-dump [--state FILE]\n");
      return 2;
    }
  }

  sim::SimBus& bus = sim::SimBus::instance();
  const std::vector<std::shared_ptr<sim::VirtualDevice>> devices = {
      std::make_shared<sim::VirtualDevice>(DeviceKind::keyboard, bus),
      std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus),
      std::make_shared<sim::VirtualDevice>(DeviceKind::mousePad, bus)};
  if (!statePath.empty() && !sim::loadDeviceStates(statePath, devices))
    std::fprintf(stderr, "state file %s not loaded; using factory memory\n", statePath.c_str());
  for (const auto& device : devices) bus.plug(device);

  const auto backend = device::makeSimulatedBackend(bus);
  int failures = 0;
  constexpr const char* kNames[] = {"keyboard", "mouse", "mouse pad"};
  for (const DeviceKind kind : kAllDeviceKinds) {
    device::DeviceSession session(*backend);
    device::assignIdentity(session, kind);
    const auto& identity = device::kSessionIdentities[static_cast<std::size_t>(kind)];
    std::printf("%s %04x:%04x\n", kNames[static_cast<std::size_t>(kind)], identity.vendorId,
                identity.productId);
    if (!device::openMatchingInterface(session)) {
      std::printf("  not found\n");
      ++failures;
      continue;
    }
    switch (kind) {
      case DeviceKind::keyboard:
        dumpKeyboard(session);
        break;
      case DeviceKind::mouse:
        dumpMouse(session);
        break;
      case DeviceKind::mousePad:
        dumpMousePad(session);
        break;
    }
  }
  return failures == 0 ? 0 : 1;
}
