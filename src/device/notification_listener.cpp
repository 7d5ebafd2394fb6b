#include "device/notification_listener.h"

#include <vector>

#include "device/hid_path.h"

namespace varnacle::device {

NotificationListener::NotificationListener(HidBackend& backend, ListenerIdentity identity,
                                           std::function<void(uint16_t usage)> onUsage)
    : device_(backend), identity_(identity), onUsage_(std::move(onUsage)) {}

bool NotificationListener::search(bool& found) {
  found = false;
  if (!device_.enumerate()) return false;
  for (const std::string& path : device_.pathList) {
    if (hexAfter(path, "vid_") != identity_.vendorId || hexAfter(path, "pid_") != identity_.productId)
      continue;
    device_.options = OpenOptions{.read = true, .write = false, .overlapped = true, .exclusive = false};
    device_.devicePath = path;
    if (!device_.open()) continue;
    const HidAttributes& a = device_.attributes();
    const HidCapabilities& c = device_.capabilities();
    if (a.vendorId == identity_.vendorId && a.productId == identity_.productId &&
        c.usagePage == identity_.usagePage && c.usage == identity_.usage) {
      found = true;
      break;
    }
    device_.close();
  }
  device_.freePathList();
  return true;
}

bool NotificationListener::firstUsage(std::span<const uint8_t> report, uint16_t& usage) {
  if (report.empty() || !device_.decodeInputReport(report)) return false;
  for (const ReportDataDescriptor& d : device_.inputDescriptors()) {
    if (!d.isDataSet || d.reportId != report[0]) continue;
    if (d.isButton) {
      if (d.usageList.empty()) return false;
      usage = d.usageList[0];
    } else {
      usage = static_cast<uint16_t>(d.rawValue);
    }
    return true;
  }
  return false;
}

void NotificationListener::listen(platform::Event& stop) {
  std::vector<uint8_t> report(device_.capabilities().inputReportLength);
  if (report.empty()) return;
  // A silent interval waited out the read's limit: the stop event is then
  // only looked at before the next read (see runPasses).
  platform::runPasses(stop, [&] {
    std::size_t got = 0;
    const IoResult result = device_.readReport(report, readTimeoutMs, got);
    if (result == IoResult::ok) {
      uint16_t usage = 0;
      if (firstUsage(std::span(report).first(got), usage) && onUsage_) onUsage_(usage);
      return true;
    }
    // Only a silent interval leaves the connection as good as before. A
    // read that fails at once would fail again at once, also when the path
    // is back after a quick replug: the connection is dropped, and the
    // search opens the device anew after a scan period.
    return result == IoResult::timeout && device_.probe();
  });
}

void NotificationListener::run(platform::WorkerSlot slot, platform::Event& stop) {
  platform::runWorkerLoop(slot, stop, [&] {
    bool found = false;
    if (!search(found)) return false;
    if (found) {
      listen(stop);
      device_.close();
    }
    // A pass that ends with the device still found is a stop: go round quickly.
    stop.wait(found && stop.isSet() ? std::chrono::milliseconds(100) : scanPeriod);
    return true;
  });
}

}  // namespace varnacle::device
