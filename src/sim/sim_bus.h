#pragma once
// The simulated USB bus: virtual HID interfaces are plugged into it and
// unplugged from it, and the simulated HID backend (device/hid_sim.cpp) opens
// connections to them.
//
// Any thread. Virtual interfaces are called without the bus lock held, so they
// may deliver reports from inside onOutputReport().
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace varnacle::sim {

struct Identity {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
  uint8_t interfaceNumber = 0;
};

// The device side of one virtual HID interface.
class VirtualInterface {
 public:
  virtual ~VirtualInterface() = default;
  virtual Identity identity() const = 0;
  virtual std::vector<uint8_t> reportDescriptor() const = 0;
  // A report the host wrote (report id in byte 0). Return false to refuse the
  // write. Runs on the writing thread; replies go out through SimBus::deliver.
  virtual bool onOutputReport(std::span<const uint8_t> report) = 0;
};

enum class ReadStatus { ok, timeout, aborted, gone };

class SimBus {
 public:
  // An open connection: receives every input report delivered to its interface
  // whose report id it accepts (one top-level collection's ids).
  class Endpoint {
   public:
    Endpoint(std::weak_ptr<VirtualInterface> device, std::vector<uint8_t> acceptedIds);
    // Waits up to timeout for a report; copies at most buffer.size() bytes.
    ReadStatus read(std::span<uint8_t> buffer, std::chrono::milliseconds timeout,
                    std::size_t& transferred);
    // Makes a waiting read return `aborted`; a later read waits again.
    void abort();
    // Makes a waiting read and every later one return `aborted` at once: the
    // host closed this connection.
    void close();
    bool isGone() const;

   private:
    friend class SimBus;
    struct Pending {
      std::chrono::steady_clock::time_point readyAt;
      std::vector<uint8_t> report;
    };
    std::weak_ptr<VirtualInterface> device_;
    std::vector<uint8_t> acceptedIds_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<Pending> queue_;  // ordered by readyAt
    bool gone_ = false;
    bool aborted_ = false;
    bool closed_ = false;
  };

  // The process-wide bus of the simulated backend.
  static SimBus& instance();

  void plug(std::shared_ptr<VirtualInterface> device);
  // Removes the interface: its endpoints report `gone`, writes to it fail.
  void unplug(const VirtualInterface& device);
  bool isPlugged(const VirtualInterface& device) const;
  std::vector<std::shared_ptr<VirtualInterface>> plugged() const;

  // Device side: queues an input report (report id first) for every endpoint
  // of the interface that accepts its id, readable after `delay`.
  void deliver(const VirtualInterface& device, std::vector<uint8_t> report,
               std::chrono::milliseconds delay = std::chrono::milliseconds(0));

  // Host side.
  std::shared_ptr<Endpoint> connect(const std::shared_ptr<VirtualInterface>& device,
                                    std::vector<uint8_t> acceptedIds);
  void disconnect(const std::shared_ptr<Endpoint>& endpoint);

 private:
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<VirtualInterface>> devices_;
  std::vector<std::shared_ptr<Endpoint>> endpoints_;
};

}  // namespace varnacle::sim
