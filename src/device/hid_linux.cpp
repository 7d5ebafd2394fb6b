#include "device/hid_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "device/collection_count.h"
#include "device/hid_path.h"
#include "device/hidraw_writer.h"
#include "device/parsed_collection.h"

namespace varnacle::device {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kNodePrefix = "hidraw";
// The kernel limits descriptors to 4 KiB; anything much longer is no descriptor.
constexpr std::size_t kMaxDescriptorBytes = 64 * 1024;

// What sysfs tells about one hidraw node.
struct NodeInfo {
  HidAttributes attributes;
  std::optional<int> interfaceNumber;
  std::vector<uint8_t> descriptor;
};

std::optional<std::string> readText(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return std::nullopt;
  std::string text;
  char chunk[512];
  while (stream && text.size() < kMaxDescriptorBytes) {
    stream.read(chunk, sizeof chunk);
    text.append(chunk, std::size_t(stream.gcount()));
  }
  return text;
}

std::optional<unsigned long> readHex(const fs::path& path) {
  const auto text = readText(path);
  if (!text) return std::nullopt;
  unsigned long value = 0;
  if (std::sscanf(text->c_str(), "%lx", &value) != 1) return std::nullopt;
  return value;
}

// "hidraw" followed by digits only: nothing else may name a node.
bool isNodeName(std::string_view name) {
  if (!name.starts_with(kNodePrefix) || name.size() == kNodePrefix.size() || name.size() > 16)
    return false;
  return std::all_of(name.begin() + kNodePrefix.size(), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

unsigned long nodeNumber(std::string_view name) {
  return std::stoul(std::string(name.substr(kNodePrefix.size())));
}

// What an errno of a node's open() means to the program. A node removed
// between the sysfs read and the open is absent.
OpenError openErrorOf(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return OpenError::accessDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return OpenError::absent;
    default:
      return OpenError::failed;
  }
}

class LinuxConnection : public ParsedConnection {
 public:
  LinuxConnection(int fd, int abortFd, bool canRead, bool canWrite, HidAttributes attributes,
                  ParsedCollection parsed, const NodeWrite& nodeWrite)
      : ParsedConnection(std::move(parsed)),
        fd_(fd),
        abortFd_(abortFd),
        canRead_(canRead),
        canWrite_(canWrite),
        attributes_(attributes),
        reportIds_(this->parsed().collection().reportIds),
        numbered_(this->parsed().numberedReports()) {
    if (canWrite_) writer_ = std::make_unique<HidrawWriter>(fd_, nodeWrite);
  }

  ~LinuxConnection() override {
    writer_.reset();
    if (fd_ >= 0) ::close(fd_);
    if (abortFd_ >= 0) ::close(abortFd_);
  }

  HidAttributes attributes() const override { return attributes_; }

  IoResult read(std::span<uint8_t> buffer, int timeoutMs, std::size_t& transferred) override {
    transferred = 0;
    if (!canRead_ || buffer.empty()) return IoResult::failed;
    // hidraw hands out one report per read; room for the longest one there is.
    if (scratch_.empty()) scratch_.resize(kMaxReportBytes + 1);
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
      const IoResult ready = waitReady(fd_, POLLIN, abortFd_, deadline);
      if (ready != IoResult::ok) return ready;
      const ssize_t n = ::read(fd_, scratch_.data(), scratch_.size());
      if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) continue;
        return errno == ENODEV || errno == EIO ? IoResult::gone : IoResult::failed;
      }
      if (n == 0) return IoResult::gone;
      const auto report = std::span(scratch_).first(std::size_t(n));
      if (numbered_) {
        if (std::find(reportIds_.begin(), reportIds_.end(), report[0]) == reportIds_.end())
          continue;  // another collection's report
        transferred = std::min(buffer.size(), report.size());
        std::copy_n(report.begin(), transferred, buffer.begin());
      } else {
        // Unnumbered reports come without an id byte; ours always have one.
        buffer[0] = 0;
        const std::size_t data = std::min(buffer.size() - 1, report.size());
        std::copy_n(report.begin(), data, buffer.begin() + 1);
        transferred = data + 1;
      }
      return IoResult::ok;
    }
  }

  IoResult write(std::span<const uint8_t> report, int timeoutMs,
                 std::size_t& transferred) override {
    transferred = 0;
    if (!canWrite_ || report.empty()) return IoResult::failed;
    if (std::find(reportIds_.begin(), reportIds_.end(), report[0]) == reportIds_.end())
      return IoResult::failed;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    // hidraw takes the report id first, and a 0 first when unnumbered.
    const IoResult result = writer_->write(report, deadline, abortFd_);
    if (result == IoResult::ok) transferred = report.size();
    return result;
  }

  void abort() override {
    // The counter is never read back, so the eventfd stays readable: every
    // wait from now on ends at once.
    const uint64_t one = 1;
    while (::write(abortFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
  }

 private:
  int fd_;
  int abortFd_;
  bool canRead_;
  bool canWrite_;
  HidAttributes attributes_;
  std::vector<uint8_t> reportIds_;
  bool numbered_;
  std::vector<uint8_t> scratch_;
  std::unique_ptr<HidrawWriter> writer_;  // with write access only
};

class LinuxBackend : public HidBackend {
 public:
  LinuxBackend(std::string sysfsRoot, std::string devRoot, NodeWrite nodeWrite, NodeOpen nodeOpen)
      : classDir_(fs::path(sysfsRoot) / "class" / "hidraw"),
        devRoot_(std::move(devRoot)),
        nodeWrite_(std::move(nodeWrite)),
        nodeOpen_(std::move(nodeOpen)) {}

  bool enumerate(std::vector<std::string>& paths) override {
    std::error_code ec;
    fs::directory_iterator it(classDir_, ec);
    if (ec) return ec == std::errc::no_such_file_or_directory;  // no hidraw at all: no devices
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
      if (ec) return false;
      const std::string name = it->path().filename().string();
      if (isNodeName(name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return nodeNumber(a) < nodeNumber(b);
    });
    for (const auto& name : names) {
      // A node that vanishes meanwhile or that the host could not use is not listed.
      const auto info = readNode(name);
      if (!info) continue;
      const auto collections = topLevelCollectionCount(info->descriptor);
      if (!collections) continue;
      const auto count = *collections;
      for (std::size_t c = 1; c <= count; ++c)
        paths.push_back(collectionPath(nodePath(name), info->attributes.vendorId,
                                       info->attributes.productId, info->interfaceNumber, int(c),
                                       count));
    }
    return true;
  }

  std::unique_ptr<HidConnection> open(const std::string& path, const OpenOptions& options,
                                      OpenError& error) override {
    error = OpenError::absent;
    const auto name = nodeNameOf(path);
    if (!name) return nullptr;
    auto info = readNode(*name);
    if (!info || !sameDevice(path, info->attributes)) return nullptr;
    auto parsed =
        ParsedCollection::fromDescriptor(info->descriptor, splitCollectionPath(path)->collection);
    if (!parsed) return nullptr;

    int fd = -1;
    if (options.read || options.write) {
      const int access = options.read && options.write ? O_RDWR
                         : options.read                ? O_RDONLY
                                                       : O_WRONLY;
      fd = nodeOpen_(nodePath(*name).c_str(), access | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) {
        error = openErrorOf(errno);
        return nullptr;
      }
    }
    const int abortFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (abortFd < 0) {
      if (fd >= 0) ::close(fd);
      error = OpenError::failed;
      return nullptr;
    }
    error = OpenError::none;
    return std::make_unique<LinuxConnection>(fd, abortFd, options.read, options.write,
                                             info->attributes, std::move(*parsed),
                                             nodeWrite_);
  }

  bool probe(const std::string& path) override {
    const auto name = nodeNameOf(path);
    if (!name) return false;
    struct stat st {};
    if (::stat(nodePath(*name).c_str(), &st) != 0) return false;
    const auto info = readNode(*name);
    if (!info || !sameDevice(path, info->attributes)) return false;
    const auto collections = topLevelCollectionCount(info->descriptor);
    return collections && std::size_t(splitCollectionPath(path)->collection) <= *collections;
  }

 private:
  std::string nodePath(std::string_view name) const { return devRoot_ + "/" + std::string(name); }

  // The node name of a path of ours: "<devRoot>/hidrawN#...".
  std::optional<std::string> nodeNameOf(const std::string& path) const {
    const auto parts = splitCollectionPath(path);
    const std::string prefix = devRoot_ + "/";
    if (!parts || !parts->node.starts_with(prefix)) return std::nullopt;
    std::string name = parts->node.substr(prefix.size());
    if (!isNodeName(name)) return std::nullopt;
    return name;
  }

  // The path names the device sysfs shows behind its node.
  static bool sameDevice(const std::string& path, const HidAttributes& attributes) {
    return hexAfter(path, "vid_") == attributes.vendorId &&
           hexAfter(path, "pid_") == attributes.productId;
  }

  std::optional<HidAttributes> readIdentity(const std::string& name) const {
    const auto uevent = readText(classDir_ / name / "device" / "uevent");
    if (!uevent) return std::nullopt;
    const auto key = uevent->find("HID_ID=");
    if (key == std::string::npos) return std::nullopt;
    unsigned bus = 0, vendor = 0, product = 0;
    if (std::sscanf(uevent->c_str() + key + 7, "%x:%x:%x", &bus, &vendor, &product) != 3)
      return std::nullopt;
    HidAttributes attributes;
    attributes.vendorId = uint16_t(vendor);
    attributes.productId = uint16_t(product);
    return attributes;
  }

  std::optional<NodeInfo> readNode(const std::string& name) const {
    const auto identity = readIdentity(name);
    if (!identity) return std::nullopt;
    const auto descriptor = readText(classDir_ / name / "device" / "report_descriptor");
    if (!descriptor) return std::nullopt;
    NodeInfo info;
    info.attributes = *identity;
    info.descriptor.assign(descriptor->begin(), descriptor->end());
    // The HID device sits under its USB interface, which sits under the USB device.
    std::error_code ec;
    const fs::path hid = fs::canonical(classDir_ / name / "device", ec);
    if (!ec) {
      const fs::path interface = hid.parent_path();
      if (const auto number = readHex(interface / "bInterfaceNumber")) {
        info.interfaceNumber = int(*number & 0xFF);
        if (const auto version = readHex(interface.parent_path() / "bcdDevice"))
          info.attributes.versionNumber = uint16_t(*version);
      }
    }
    return info;
  }

  fs::path classDir_;
  std::string devRoot_;
  NodeWrite nodeWrite_;
  NodeOpen nodeOpen_;
};

}  // namespace

std::unique_ptr<HidBackend> makeLinuxBackend(std::string sysfsRoot, std::string devRoot,
                                             NodeWrite nodeWrite, NodeOpen nodeOpen) {
  if (!nodeWrite)
    nodeWrite = [](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); };
  if (!nodeOpen) nodeOpen = [](const char* path, int flags) { return ::open(path, flags); };
  return std::make_unique<LinuxBackend>(std::move(sysfsRoot), std::move(devRoot),
                                        std::move(nodeWrite), std::move(nodeOpen));
}

std::unique_ptr<HidBackend> makePlatformBackend() {
  return makeLinuxBackend();
}

}  // namespace varnacle::device
