#include "sim/virtual_device.h"

#include <algorithm>
#include <numeric>

namespace varnacle::sim {
namespace {

constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kStatusRefused = 0xFF;
constexpr uint8_t kStatusBusy = 0xFE;
constexpr std::size_t kReplyLengthWhenShort = 6;
constexpr uint16_t kProfileButtonUsage = 0x0401;

// Command codes as the device firmware knows them.
constexpr uint8_t kBeginConfig = 0x01;
constexpr uint8_t kEndConfig = 0x02;
constexpr uint8_t kReadDeviceInfo = 0x03;
constexpr uint8_t kReadBlock = 0x05;
constexpr uint8_t kWriteLive = 0x06;
constexpr uint8_t kReadKeyTable = 0x07;
constexpr uint8_t kReadProfileTable = 0x08;
constexpr uint8_t kWriteProfileTable = 0x09;
constexpr uint8_t kResetDefaults = 0x0D;
constexpr uint8_t kWriteMacroTable = 0x15;
constexpr uint8_t kReadCursorTable = 0x16;
constexpr uint8_t kWriteCursorTable = 0x17;

uint16_t sumOfBytes3To63(std::span<const uint8_t, 64> report) {
  return static_cast<uint16_t>(std::accumulate(report.begin() + 3, report.end(), 0u) & 0xFFFF);
}

std::vector<uint8_t> copyOf(std::span<const uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

DeviceMemory factoryMemory(const DeviceModel& model, const InfoBlock& info) {
  DeviceMemory memory;
  memory.settings = copyOf(model.factorySettings);
  memory.keyTable = copyOf(model.factoryKeyTable);
  memory.profileTables = copyOf(model.factoryProfileTables);
  memory.macros.assign(info[kInfoMacroCapacityByte] * kMacroCapacityUnit, 0);
  memory.cursor = copyOf(model.factoryCursorImage);
  if (!memory.cursor.empty()) memory.cursor.resize(kCursorMemorySize, 0);
  return memory;
}

bool sameShape(const DeviceMemory& a, const DeviceMemory& b) {
  return a.settings.size() == b.settings.size() && a.keyTable.size() == b.keyTable.size() &&
         a.profileTables.size() == b.profileTables.size() && a.macros.size() == b.macros.size() &&
         a.cursor.size() == b.cursor.size();
}

}  // namespace

VirtualDevice::VirtualDevice(DeviceKind kind, SimBus& bus)
    : model_(deviceModel(kind)), bus_(bus), info_(model_.infoBlock) {
  resetToFactory();
}

Identity VirtualDevice::identity() const {
  return model_.identity;
}

std::vector<uint8_t> VirtualDevice::reportDescriptor() const {
  return copyOf(model_.reportDescriptor);
}

void VirtualDevice::resetToFactory() {
  memory_ = factoryMemory(model_, info_);
  liveRecord_.clear();
}

DeviceMemory VirtualDevice::memory() const {
  std::lock_guard lock(mutex_);
  return memory_;
}

bool VirtualDevice::setMemory(const DeviceMemory& memory) {
  std::lock_guard lock(mutex_);
  if (!sameShape(memory, memory_) || memory.activeProfile >= kProfileCount) return false;
  memory_ = memory;
  return true;
}

uint8_t VirtualDevice::activeProfile() const {
  std::lock_guard lock(mutex_);
  return memory_.activeProfile;
}

std::vector<uint8_t> VirtualDevice::liveRecord() const {
  std::lock_guard lock(mutex_);
  return liveRecord_;
}

InfoBlock VirtualDevice::infoBlock() const {
  std::lock_guard lock(mutex_);
  return info_;
}

void VirtualDevice::setInfoBlock(const InfoBlock& block) {
  std::lock_guard lock(mutex_);
  info_ = block;
  memory_.macros.resize(info_[kInfoMacroCapacityByte] * kMacroCapacityUnit, 0);
}

int VirtualDevice::configDepth() const {
  std::lock_guard lock(mutex_);
  return configDepth_;
}

void VirtualDevice::injectFault(Fault fault, int skip, int times) {
  std::lock_guard lock(mutex_);
  faults_.push_back({fault, std::max(skip, 0), times});
}

void VirtualDevice::clearFaults() {
  std::lock_guard lock(mutex_);
  faults_.clear();
  replyDelay_ = std::chrono::milliseconds(0);
}

void VirtualDevice::setReplyDelay(std::chrono::milliseconds delay) {
  std::lock_guard lock(mutex_);
  replyDelay_ = delay;
}

std::vector<LoggedRequest> VirtualDevice::requestLog() const {
  std::lock_guard lock(mutex_);
  return log_;
}

void VirtualDevice::clearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

void VirtualDevice::pressProfileButton() {
  {
    std::lock_guard lock(mutex_);
    memory_.activeProfile = static_cast<uint8_t>((memory_.activeProfile + 1) % kProfileCount);
  }
  sendNotification(kProfileButtonUsage);
}

void VirtualDevice::sendNotification(uint16_t usage) {
  if (!model_.hasNotifications) return;
  bus_.deliver(*this, {kConsumerReportId, static_cast<uint8_t>(usage & 0xFF),
                       static_cast<uint8_t>(usage >> 8)});
  bus_.deliver(*this, {kConsumerReportId, 0, 0});
}

// Called with the lock held, once per request: every queued fault counts the
// request, and the first one due is used up.
std::optional<Fault> VirtualDevice::takeDueFault() {
  std::optional<Fault> due;
  for (auto& pending : faults_) {
    if (pending.skip > 0) {
      --pending.skip;
      continue;
    }
    if (due || pending.times == 0) continue;
    due = pending.fault;
    if (pending.times > 0) --pending.times;
  }
  std::erase_if(faults_, [](const PendingFault& f) { return f.skip == 0 && f.times == 0; });
  return due;
}

bool VirtualDevice::onOutputReport(std::span<const uint8_t> report) {
  std::array<uint8_t, 64> request{};
  std::copy_n(report.begin(), std::min(report.size(), request.size()), request.begin());

  LoggedRequest entry;
  entry.command = request[3];
  entry.length = request[4];
  entry.address = static_cast<uint16_t>(request[5] | request[6] << 8);
  entry.checksumLow = request[1];
  entry.checksumHigh = request[2];
  std::copy(request.begin() + 8, request.end(), entry.data.begin());

  std::vector<uint8_t> reply(64, 0);
  std::chrono::milliseconds delay{0};
  std::optional<Fault> fault;
  {
    std::lock_guard lock(mutex_);
    fault = takeDueFault();
    if (fault == Fault::refuseWrite || fault == Fault::unplug) {
      entry.refused = true;
      log_.push_back(entry);
    } else {
      std::array<uint8_t, 56> data{};
      uint8_t status = kStatusRefused;
      if (fault == Fault::statusFF) {
        status = kStatusRefused;
      } else if (fault == Fault::statusFE) {
        status = kStatusBusy;
      } else if (report.size() == request.size()) {
        status = execute(request, data);
      }
      if (fault != Fault::silent) entry.replyStatus = status;
      log_.push_back(entry);
      reply[0] = kVendorReportIdOnWire;
      std::copy(request.begin() + 3, request.begin() + 7, reply.begin() + 3);
      reply[7] = status;
      std::copy(data.begin(), data.end(), reply.begin() + 8);
      const uint16_t sum = sumOfBytes3To63(std::span<const uint8_t, 64>(reply.data(), 64));
      reply[1] = static_cast<uint8_t>(sum & 0xFF);
      reply[2] = static_cast<uint8_t>(sum >> 8);
      delay = replyDelay_;
    }
  }
  if (fault == Fault::unplug) bus_.unplug(*this);
  if (fault == Fault::refuseWrite || fault == Fault::unplug) return false;
  if (fault == Fault::silent) return true;
  if (fault == Fault::shortReply) reply.resize(kReplyLengthWhenShort);
  bus_.deliver(*this, std::move(reply), delay);
  return true;
}

// Carries out one well-formed 64-byte request; returns the reply status and
// fills the reply's data bytes. Called with the lock held.
uint8_t VirtualDevice::execute(const std::array<uint8_t, 64>& request,
                               std::span<uint8_t, 56> replyData) {
  const uint8_t command = request[3];
  const std::size_t length = request[4];
  const std::size_t address = static_cast<std::size_t>(request[5] | request[6] << 8);
  const auto requestData = std::span<const uint8_t>(request).subspan(8, 56);

  const uint16_t stored = static_cast<uint16_t>(request[1] | request[2] << 8);
  if (command != kResetDefaults && stored != sumOfBytes3To63(request)) return kStatusRefused;
  if (length > replyData.size()) return kStatusRefused;

  auto readFrom = [&](const std::vector<uint8_t>& table) {
    if (address + length > table.size()) return kStatusRefused;
    std::copy_n(table.begin() + static_cast<std::ptrdiff_t>(address), length, replyData.begin());
    return kStatusOk;
  };
  auto writeTo = [&](std::vector<uint8_t>& table) {
    if (address + length > table.size()) return kStatusRefused;
    std::copy_n(requestData.begin(), length, table.begin() + static_cast<std::ptrdiff_t>(address));
    return kStatusOk;
  };

  switch (command) {
    case kBeginConfig:
      ++configDepth_;
      return kStatusOk;
    case kEndConfig:
      configDepth_ = std::max(configDepth_ - 1, 0);
      return kStatusOk;
    case kReadDeviceInfo:
      std::copy(info_.begin(), info_.end(), replyData.begin());
      return kStatusOk;
    case kReadBlock: {
      const uint8_t status = readFrom(memory_.settings);
      if (status == kStatusOk && address == 0 && length > 0) replyData[0] = memory_.activeProfile;
      return status;
    }
    case kWriteLive:
      if (length == 0) return kStatusRefused;
      if (length == 1) {
        if (requestData[0] >= kProfileCount) return kStatusRefused;
        memory_.activeProfile = requestData[0];
        return kStatusOk;
      }
      // A live record: bytes 1 on replace the active profile's record (byte
      // 0 there stays the profile's number).
      std::copy_n(requestData.begin() + 1, length - 1,
                  memory_.settings.begin() +
                      static_cast<std::ptrdiff_t>(memory_.activeProfile * kRecordStride + 1));
      liveRecord_.assign(requestData.begin(),
                         requestData.begin() + static_cast<std::ptrdiff_t>(length));
      return kStatusOk;
    case kReadKeyTable:
      return readFrom(memory_.keyTable);
    case kReadProfileTable:
      return readFrom(memory_.profileTables);
    case kWriteProfileTable:
      return writeTo(memory_.profileTables);
    case kResetDefaults:
      resetToFactory();
      return kStatusOk;
    case kWriteMacroTable:
      return writeTo(memory_.macros);
    case kReadCursorTable:
      return readFrom(memory_.cursor);
    case kWriteCursorTable:
      return writeTo(memory_.cursor);
    default:
      return kStatusRefused;
  }
}

}  // namespace varnacle::sim
