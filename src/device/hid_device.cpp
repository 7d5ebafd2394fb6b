#include "device/hid_device.h"

#include <algorithm>

#include "device/hid_path.h"

namespace varnacle::device {

namespace {

constexpr std::size_t kInitialPathCapacity = 8;

}  // namespace

HidDevice::HidDevice(HidBackend& backend) : backend_(backend) {}

HidDevice::~HidDevice() {
  close();
}

bool HidDevice::enumerate() {
  pathList.clear();
  pathList.reserve(kInitialPathCapacity);
  pathCursor = 0;
  if (!backend_.enumerate(pathList)) {
    freePathList();
    return false;
  }
  return true;
}

void HidDevice::freePathList() {
  pathList.clear();
  pathList.shrink_to_fit();
  pathCursor = 0;
}

std::shared_ptr<HidDevice::Link> HidDevice::currentLink() const {
  std::lock_guard lock(linkMutex_);
  return link_;
}

bool HidDevice::isOpen() const {
  return currentLink() != nullptr;
}

bool HidDevice::isReading() const {
  const auto link = currentLink();
  return link && link->reading;
}

bool HidDevice::isWriting() const {
  const auto link = currentLink();
  return link && link->writing;
}

void HidDevice::close() {
  std::shared_ptr<Link> old;
  {
    std::lock_guard lock(linkMutex_);
    old.swap(link_);
  }
  // A reader or writer that still holds the link returns at once; the link
  // itself goes when the last of them lets go.
  if (old) old->connection->abort();
  releaseCapabilities();
}

void HidDevice::releaseCapabilities() {
  attributes_ = {};
  capabilities_ = {};
  for (auto& list : descriptors_) list.clear();
  interfaceNumber_ = 0;
  collectionNumber_ = 0;
}

bool HidDevice::open() {
  close();
  auto connection = backend_.open(devicePath, options, openError_);
  if (!connection) {
    if (openError_ == OpenError::none) openError_ = OpenError::failed;
    return false;
  }
  attributes_ = connection->attributes();
  capabilities_ = connection->capabilities();
  for (std::size_t k = 0; k < kReportKindCount; ++k)
    descriptors_[k] = connection->descriptors(ReportKind(k));
  interfaceNumber_ = hexAfter(devicePath, "&mi_");
  collectionNumber_ = hexAfter(devicePath, "&col");

  auto link = std::make_shared<Link>();
  link->connection = std::move(connection);
  link->inputLength = capabilities_.inputReportLength;
  link->outputLength = capabilities_.outputReportLength;
  link->canRead = options.read;
  link->canWrite = options.write;
  std::lock_guard lock(linkMutex_);
  link_ = std::move(link);
  openError_ = OpenError::none;
  return true;
}

IoResult HidDevice::readReport(std::span<uint8_t> buffer, int timeoutMs, std::size_t& transferred) {
  transferred = 0;
  const auto link = currentLink();
  if (!link || !link->canRead || buffer.size() < link->inputLength) return IoResult::failed;
  // From here on only the link and the caller's arguments are touched, so the
  // device itself may be closed, reopened or destroyed while the read waits.
  link->reading = true;
  const IoResult result = link->connection->read(buffer, std::max(timeoutMs, 0), transferred);
  link->reading = false;
  if (result != IoResult::ok) transferred = 0;
  return result;
}

IoResult HidDevice::writeReport(std::span<const uint8_t> report, std::size_t& transferred) {
  transferred = 0;
  const auto link = currentLink();
  if (!link || !link->canWrite || report.size() != link->outputLength) return IoResult::failed;
  link->writing = true;
  const IoResult result = link->connection->write(report, kWriteTimeoutMs, transferred);
  link->writing = false;
  if (result != IoResult::ok) transferred = 0;
  return result;
}

bool HidDevice::probe() const {
  return backend_.probe(devicePath);
}

bool HidDevice::decodeInputReport(std::span<const uint8_t> report) {
  const auto link = currentLink();
  if (!link) return false;
  return link->connection->decodeInputReport(report, descriptors_[std::size_t(ReportKind::input)]);
}

}  // namespace varnacle::device
