#include "device/hid_sim.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "device/collection_count.h"
#include "device/hid_path.h"
#include "device/parsed_collection.h"

namespace varnacle::device {

namespace {

constexpr std::string_view kNodePrefix = "sim/";

class SimConnection : public ParsedConnection {
 public:
  SimConnection(sim::SimBus& bus, std::shared_ptr<sim::VirtualInterface> device,
                std::shared_ptr<sim::SimBus::Endpoint> endpoint, ParsedCollection parsed)
      : ParsedConnection(std::move(parsed)),
        bus_(bus),
        device_(std::move(device)),
        endpoint_(std::move(endpoint)),
        reportIds_(this->parsed().collection().reportIds) {}

  ~SimConnection() override { bus_.disconnect(endpoint_); }

  HidAttributes attributes() const override {
    const auto id = device_->identity();
    return {id.vendorId, id.productId, id.versionNumber};
  }

  IoResult read(std::span<uint8_t> buffer, int timeoutMs, std::size_t& transferred) override {
    switch (
        endpoint_->read(buffer, std::chrono::milliseconds(std::max(timeoutMs, 0)), transferred)) {
      case sim::ReadStatus::ok:
        return IoResult::ok;
      case sim::ReadStatus::timeout:
        return IoResult::timeout;
      case sim::ReadStatus::aborted:
        return IoResult::aborted;
      case sim::ReadStatus::gone:
        return IoResult::gone;
    }
    return IoResult::failed;
  }

  IoResult write(std::span<const uint8_t> report, int, std::size_t& transferred) override {
    transferred = 0;
    if (aborted_) return IoResult::aborted;
    // The endpoint, not the bus, says whether this connection still reaches
    // the device: after an unplug it stays gone even once the device is back.
    if (endpoint_->isGone()) return IoResult::gone;
    if (report.empty() ||
        std::find(reportIds_.begin(), reportIds_.end(), report[0]) == reportIds_.end())
      return IoResult::failed;
    // A device that leaves the bus while it refuses the report is gone.
    if (!device_->onOutputReport(report))
      return endpoint_->isGone() ? IoResult::gone : IoResult::failed;
    transferred = report.size();
    return IoResult::ok;
  }

  void abort() override {
    aborted_ = true;
    endpoint_->close();
  }

 private:
  sim::SimBus& bus_;
  std::shared_ptr<sim::VirtualInterface> device_;
  std::shared_ptr<sim::SimBus::Endpoint> endpoint_;
  std::vector<uint8_t> reportIds_;
  std::atomic<bool> aborted_{false};
};

class SimBackend : public HidBackend {
 public:
  explicit SimBackend(sim::SimBus& bus) : bus_(bus) {}

  bool enumerate(std::vector<std::string>& paths) override {
    for (const auto& device : bus_.plugged()) {
      const auto collections = topLevelCollectionCount(device->reportDescriptor());
      if (!collections) continue;  // a device the host could not use: not listed
      const auto id = device->identity();
      const std::string node = std::string(kNodePrefix) + std::to_string(numberOf(device));
      const auto count = *collections;
      for (std::size_t c = 1; c <= count; ++c)
        paths.push_back(
            collectionPath(node, id.vendorId, id.productId, id.interfaceNumber, int(c), count));
    }
    return true;
  }

  std::unique_ptr<HidConnection> open(const std::string& path, const OpenOptions&,
                                      OpenError& error) override {
    // A virtual device is open to everyone: what cannot be opened is not there.
    error = OpenError::absent;
    const auto parts = splitCollectionPath(path);
    if (!parts) return nullptr;
    auto device = deviceAt(parts->node);
    if (!device) return nullptr;
    auto parsed = ParsedCollection::fromDescriptor(device->reportDescriptor(), parts->collection);
    if (!parsed) return nullptr;
    auto endpoint = bus_.connect(device, parsed->collection().reportIds);
    if (!endpoint) return nullptr;
    error = OpenError::none;
    return std::make_unique<SimConnection>(bus_, std::move(device), std::move(endpoint),
                                           std::move(*parsed));
  }

  bool probe(const std::string& path) override {
    const auto parts = splitCollectionPath(path);
    if (!parts) return false;
    const auto device = deviceAt(parts->node);
    if (!device) return false;
    const auto collections = topLevelCollectionCount(device->reportDescriptor());
    return collections && std::size_t(parts->collection) <= *collections;
  }

 private:
  // The number of a device, given on first sight.
  int numberOf(const std::shared_ptr<sim::VirtualInterface>& device) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < known_.size(); ++i)
      if (known_[i].lock() == device) return int(i);
    known_.push_back(device);
    return int(known_.size() - 1);
  }

  // The plugged device a node names, or null.
  std::shared_ptr<sim::VirtualInterface> deviceAt(const std::string& node) {
    if (!node.starts_with(kNodePrefix)) return nullptr;
    const std::string_view digits = std::string_view(node).substr(kNodePrefix.size());
    std::size_t index = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (ec != std::errc() || end != digits.data() + digits.size()) return nullptr;
    std::shared_ptr<sim::VirtualInterface> device;
    {
      std::lock_guard lock(mutex_);
      if (index >= known_.size()) return nullptr;
      device = known_[index].lock();
    }
    if (!device || !bus_.isPlugged(*device)) return nullptr;
    return device;
  }

  sim::SimBus& bus_;
  std::mutex mutex_;
  std::vector<std::weak_ptr<sim::VirtualInterface>> known_;
};

}  // namespace

std::unique_ptr<HidBackend> makeSimulatedBackend(sim::SimBus& bus) {
  return std::make_unique<SimBackend>(bus);
}

}  // namespace varnacle::device
