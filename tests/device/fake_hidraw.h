#pragma once
// A machine's hidraw nodes laid out for the Linux backend in a temporary
// folder: the sysfs tree the backend reads identities and descriptors from,
// FIFOs for the nodes, and a node open that can refuse access the way a node
// without a udev rule does (changing a node's mode does not stop root, who
// may run the tests).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "device/hid_linux.h"

namespace varnacle::device::test_support {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// Vendor collection (id 4, 63 bytes each way) and consumer collection (id 3).
inline const Bytes kTwoCollections = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF,
    0x00, 0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02,
    0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF,
    0x0F, 0x19, 0x00, 0x2A, 0xFF, 0x0F, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
};

// One unnumbered vendor collection with 2-byte input and output reports.
inline const Bytes kUnnumbered = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
                                  0x75, 0x08, 0x95, 0x02, 0x09, 0x01, 0x81,
                                  0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// A fake sysfs tree and device folder in a temporary directory; FIFOs stand in
// for the hidraw nodes.
class FakeMachine {
 public:
  FakeMachine() {
    root_ = fs::temp_directory_path() /
            ("varnacle-hidraw-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::remove_all(root_);
    fs::create_directories(root_ / "sys" / "class" / "hidraw");
    fs::create_directories(root_ / "dev");
  }
  ~FakeMachine() { fs::remove_all(root_); }

  std::string sys() const { return (root_ / "sys").string(); }
  std::string dev() const { return (root_ / "dev").string(); }
  std::string node(int n) const { return dev() + "/hidraw" + std::to_string(n); }

  // Adds hidrawN for a HID device under USB interface `interfaceNumber` (no
  // USB interface when negative).
  void add(int n, uint16_t vid, uint16_t pid, const Bytes& descriptor, int interfaceNumber = 1) {
    const std::string id = std::to_string(n);
    fs::path parent = root_ / "sys" / "devices" / ("usb" + id) / "1-1";
    if (interfaceNumber >= 0) {
      writeText(parent / "bcdDevice", "0105\n");
      parent /= "1-1:1." + std::to_string(interfaceNumber);
      char number[16];
      std::snprintf(number, sizeof number, "%02x\n", interfaceNumber);
      writeText(parent / "bInterfaceNumber", number);
    }
    char hidName[64];
    std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04d", vid, pid, n);
    const fs::path hid = parent / hidName;
    char uevent[128];
    std::snprintf(uevent, sizeof uevent, "DRIVER=hid-generic\nHID_ID=0003:%08X:%08X\nHID_NAME=x\n",
                  vid, pid);
    writeText(hid / "uevent", uevent);
    writeText(hid / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
    const fs::path cls = root_ / "sys" / "class" / "hidraw" / ("hidraw" + id);
    fs::create_directories(cls);
    fs::create_directory_symlink(fs::relative(hid, cls), cls / "device");
    EXPECT_EQ(::mkfifo(node(n).c_str(), 0600), 0);
  }

  void remove(int n) {
    fs::remove_all(root_ / "sys" / "class" / "hidraw" / ("hidraw" + std::to_string(n)));
    fs::remove(node(n));
  }

 private:
  static void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }

  static inline int counter_ = 0;
  fs::path root_;
};

// Opens nodes as ::open does, or, while `refuseWith` holds an errno, refuses
// every open with it (EACCES at first: a node no udev rule gave the user).
struct NodeOpenSwitch {
  std::shared_ptr<std::atomic<int>> refuseWith = std::make_shared<std::atomic<int>>(EACCES);

  NodeOpen nodeOpen() const {
    return [refuseWith = refuseWith](const char* path, int flags) {
      if (const int error = *refuseWith) {
        errno = error;
        return -1;
      }
      return ::open(path, flags);
    };
  }
  void allow() const { *refuseWith = 0; }
  void refuse(int error) const { *refuseWith = error; }
};

}  // namespace varnacle::device::test_support
