#include "device/hid_linux.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>

#include "device/hid_device.h"
#include "hid_expectations.h"
#include "platform/debug_output.h"

namespace varnacle::device {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

// Vendor collection (id 4, 63 bytes each way) and consumer collection (id 3).
const Bytes kTwoCollections = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF,
    0x00, 0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02,
    0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF,
    0x0F, 0x19, 0x00, 0x2A, 0xFF, 0x0F, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
};

// One unnumbered vendor collection with 2-byte input and output reports.
const Bytes kUnnumbered = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95,
                           0x02, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

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

// The device side of a FIFO node: writes reports for the host to read and
// reads what the host wrote.
class DeviceEnd {
 public:
  explicit DeviceEnd(const std::string& node) : fd_(::open(node.c_str(), O_RDWR | O_NONBLOCK)) {
    EXPECT_GE(fd_, 0);
  }
  ~DeviceEnd() { close(); }
  void send(const Bytes& report) {
    EXPECT_EQ(::write(fd_, report.data(), report.size()), ssize_t(report.size()));
  }
  Bytes receive(std::size_t size) {
    Bytes out(size);
    const ssize_t n = ::read(fd_, out.data(), out.size());
    out.resize(n < 0 ? 0 : std::size_t(n));
    return out;
  }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

Bytes vendorReport(uint8_t marker) {
  Bytes r(64, 0);
  r[0] = 4;
  r[1] = marker;
  return r;
}

struct HidLinuxTest : ::testing::Test {
  FakeMachine machine;
  std::unique_ptr<HidBackend> backend = makeLinuxBackend(machine.sys(), machine.dev());
  HidDevice device{*backend};

  bool openPath(HidDevice& d, const std::string& path, bool read = true, bool write = true) {
    d.devicePath = path;
    d.options = {.read = read, .write = write, .overlapped = true, .exclusive = false};
    return d.open();
  }
};

TEST_F(HidLinuxTest, NoInterfacesListsNothingAndSucceeds) {
  ASSERT_TRUE(device.enumerate());
  EXPECT_TRUE(device.pathList.empty());

  // A kernel without hidraw has no class folder at all.
  auto bare = makeLinuxBackend(machine.dev(), machine.dev());
  HidDevice other{*bare};
  EXPECT_TRUE(other.enumerate());
  EXPECT_TRUE(other.pathList.empty());
}

TEST_F(HidLinuxTest, MoreThanEightNodesAreAllListedInNodeOrder) {
  for (int n = 0; n < 11; ++n) machine.add(n, 0x0C45, uint16_t(0x1000 + n), kUnnumbered);
  ASSERT_TRUE(device.enumerate());
  ASSERT_EQ(device.pathList.size(), 11u);
  EXPECT_EQ(device.pathList[2], machine.node(2) + "#vid_0c45&pid_1002&mi_01");
  EXPECT_EQ(device.pathList[10], machine.node(10) + "#vid_0c45&pid_100a&mi_01");
}

TEST_F(HidLinuxTest, TwoCollectionsGiveTwoPathsWithTheirOwnUsagesAndLengths) {
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  ASSERT_TRUE(device.enumerate());
  ASSERT_EQ(device.pathList.size(), 2u);
  EXPECT_EQ(device.pathList[0], machine.node(3) + "#vid_0c45&pid_662e&mi_01&col01");
  EXPECT_EQ(device.pathList[1], machine.node(3) + "#vid_0c45&pid_662e&mi_01&col02");

  ASSERT_TRUE(openPath(device, device.pathList[0]));
  test_support::expectTestMouseVendorCollection(device);

  ASSERT_TRUE(openPath(device, device.pathList[1], true, false));
  test_support::expectTestMouseConsumerCollection(device);
  EXPECT_EQ(device.capabilities().inputReportLength, 3);
  EXPECT_EQ(device.collectionNumber(), 2);
}

TEST_F(HidLinuxTest, PathWithoutInterfaceOrCollectionGivesZeroAndZero) {
  machine.add(0, 0x046D, 0xC077, kUnnumbered, -1);
  ASSERT_TRUE(device.enumerate());
  ASSERT_EQ(device.pathList.size(), 1u);
  EXPECT_EQ(device.pathList[0], machine.node(0) + "#vid_046d&pid_c077");
  ASSERT_TRUE(openPath(device, device.pathList[0], false, false));
  EXPECT_EQ(device.interfaceNumber(), 0);
  EXPECT_EQ(device.collectionNumber(), 0);
  EXPECT_EQ(device.attributes().versionNumber, 0);
}

TEST_F(HidLinuxTest, ReadsOnlyItsCollectionsReportsAndTimesOutThenReadsAgainAtOnce) {
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  ASSERT_TRUE(device.enumerate());
  DeviceEnd end(machine.node(3));
  ASSERT_TRUE(openPath(device, device.pathList[0]));

  Bytes in(64);
  std::size_t n = 0;
  end.send({3, 0x02, 0x04});  // the consumer collection's report: dropped
  const auto start = Clock::now();
  EXPECT_EQ(device.readReport(in, 80, n), IoResult::timeout);
  EXPECT_GE(Clock::now() - start, 75ms);
  EXPECT_EQ(n, 0u);

  end.send(vendorReport(0x42));
  ASSERT_EQ(device.readReport(in, 1000, n), IoResult::ok);
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(in[0], 4);
  EXPECT_EQ(in[1], 0x42);
}

TEST_F(HidLinuxTest, WritesGoOutReportIdFirstAndForeignIdsAreRefused) {
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  ASSERT_TRUE(device.enumerate());
  DeviceEnd end(machine.node(3));
  ASSERT_TRUE(openPath(device, device.pathList[0]));
  std::size_t n = 0;
  ASSERT_EQ(device.writeReport(vendorReport(0x77), n), IoResult::ok);
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(end.receive(128), vendorReport(0x77));

  auto foreign = vendorReport(0);
  foreign[0] = 3;
  EXPECT_EQ(device.writeReport(foreign, n), IoResult::failed);
}

TEST_F(HidLinuxTest, UnnumberedReportsReadWithIdZeroFirst) {
  machine.add(0, 0x1234, 0x0001, kUnnumbered);
  ASSERT_TRUE(device.enumerate());
  DeviceEnd end(machine.node(0));
  ASSERT_TRUE(openPath(device, device.pathList[0]));
  EXPECT_EQ(device.capabilities().inputReportLength, 3);
  end.send({0xAB, 0xCD});
  Bytes in(3);
  std::size_t n = 0;
  ASSERT_EQ(device.readReport(in, 1000, n), IoResult::ok);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(in, (Bytes{0, 0xAB, 0xCD}));
}

TEST_F(HidLinuxTest, ReopeningWhileAnotherThreadReadsEndsThatReadPromptly) {
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  ASSERT_TRUE(device.enumerate());
  DeviceEnd end(machine.node(3));
  ASSERT_TRUE(openPath(device, device.pathList[0]));
  std::atomic<IoResult> result{IoResult::ok};
  const auto start = Clock::now();
  std::thread reader([&] {
    Bytes in(64);
    std::size_t n = 0;
    result = device.readReport(in, 10000, n);
  });
  while (!device.isReading()) std::this_thread::sleep_for(1ms);
  EXPECT_TRUE(device.open());
  reader.join();
  EXPECT_EQ(result, IoResult::aborted);
  EXPECT_LT(Clock::now() - start, 5s);

  // The new connection reads normally.
  end.send(vendorReport(1));
  Bytes in(64);
  std::size_t n = 0;
  EXPECT_EQ(device.readReport(in, 1000, n), IoResult::ok);
}

TEST_F(HidLinuxTest, DeviceEndHangingUpEndsTheReadAsGone) {
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  ASSERT_TRUE(device.enumerate());
  DeviceEnd end(machine.node(3));
  ASSERT_TRUE(openPath(device, device.pathList[1], true, false));
  const auto start = Clock::now();
  std::thread hangUp([&] {
    std::this_thread::sleep_for(20ms);
    end.close();
  });
  Bytes in(3);
  std::size_t n = 0;
  EXPECT_EQ(device.readReport(in, 10000, n), IoResult::gone);
  hangUp.join();
  EXPECT_LT(Clock::now() - start, 5s);
}

TEST_F(HidLinuxTest, DeviceVanishingAfterEnumerationFailsOpenAndProbe) {
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  ASSERT_TRUE(device.enumerate());
  device.devicePath = device.pathList[0];
  EXPECT_TRUE(device.probe());
  machine.remove(3);
  EXPECT_FALSE(device.probe());
  EXPECT_FALSE(openPath(device, device.pathList[0]));
  EXPECT_FALSE(device.isOpen());
}

TEST_F(HidLinuxTest, NodeNumberTakenByAnotherDeviceIsNotTheOldPath) {
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  ASSERT_TRUE(device.enumerate());
  const auto oldPath = device.pathList[0];
  machine.remove(3);
  machine.add(3, 0x046D, 0xC077, kTwoCollections);
  device.devicePath = oldPath;
  EXPECT_FALSE(device.probe());
  EXPECT_FALSE(openPath(device, oldPath));
}

TEST_F(HidLinuxTest, PathsOutsideTheDeviceFolderAreRefused) {
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  for (const std::string& path :
       {std::string("/etc/passwd#vid_0c45&pid_662e"), machine.dev() + "/../x#vid_0c45&pid_662e",
        machine.dev() + "/hidraw3/..#vid_0c45&pid_662e", machine.node(3),
        machine.node(3) + "#vid_0c45&pid_662e&mi_01&col03"}) {
    device.devicePath = path;
    EXPECT_FALSE(device.probe()) << path;
    EXPECT_FALSE(openPath(device, path)) << path;
  }
}

TEST_F(HidLinuxTest, UnusableDescriptorsAreNotListed) {
  machine.add(0, 0x0C45, 0x0001, {});
  machine.add(1, 0x0C45, 0x0002, {0xA1, 0x01, 0xB4, 0xC0});
  machine.add(2, 0x0C45, 0x0003, kUnnumbered);
  ASSERT_TRUE(device.enumerate());
  ASSERT_EQ(device.pathList.size(), 1u);
  EXPECT_EQ(device.pathList[0], machine.node(2) + "#vid_0c45&pid_0003&mi_01");
}

// A node write that blocks, as a hidraw write does while the device does not
// take the report, until the test opens the gate; then it writes to the node.
struct WriteGate {
  std::mutex mutex;
  std::condition_variable opened;
  bool open = false;
  std::atomic<int> entered{0};  // writes that reached the node

  void release() {
    {
      std::lock_guard lock(mutex);
      open = true;
    }
    opened.notify_all();
  }
  static NodeWrite through(std::shared_ptr<WriteGate> gate) {
    return [gate](int fd, const void* data, std::size_t size) {
      ++gate->entered;
      std::unique_lock lock(gate->mutex);
      gate->opened.wait(lock, [&] { return gate->open; });
      return ::write(fd, data, size);
    };
  }
};

// Opens the gate when the test leaves, before a write still waiting on it is
// awaited, so a failing test ends instead of hanging.
struct OpenGateOnExit {
  WriteGate& gate;
  ~OpenGateOnExit() { gate.release(); }
};

struct BlockedWriteTest : HidLinuxTest {
  std::shared_ptr<WriteGate> gate = std::make_shared<WriteGate>();
  std::unique_ptr<HidBackend> gated =
      makeLinuxBackend(machine.sys(), machine.dev(), WriteGate::through(gate));
  HidDevice writer{*gated};

  void SetUp() override {
    machine.add(3, 0x0C45, 0x662E, kTwoCollections);
    ASSERT_TRUE(writer.enumerate());
    ASSERT_TRUE(openPath(writer, writer.pathList[0]));
  }
  void TearDown() override { gate->release(); }

  std::future<IoResult> startWrite(uint8_t marker) {
    return std::async(std::launch::async, [this, marker] {
      std::size_t n = 0;
      return writer.writeReport(vendorReport(marker), n);
    });
  }
};

TEST_F(BlockedWriteTest, WriteHeldInTheKernelEndsAfterItsLimitAndBlocksLaterOnesUntilItReturns) {
  DeviceEnd end(machine.node(3));
  const auto start = Clock::now();
  auto first = startWrite(1);
  OpenGateOnExit guard{*gate};
  ASSERT_EQ(first.wait_for(4s), std::future_status::ready) << "the write waits for the kernel";
  EXPECT_EQ(first.get(), IoResult::timeout);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, 900ms);
  EXPECT_LT(took, 3s);

  // The first report is still held: another one is refused at once and never
  // reaches the node.
  std::size_t n = 0;
  EXPECT_EQ(writer.writeReport(vendorReport(2), n), IoResult::failed);
  EXPECT_EQ(gate->entered, 1);

  gate->release();
  const auto deadline = Clock::now() + 5s;
  while (writer.writeReport(vendorReport(3), n) != IoResult::ok && Clock::now() < deadline)
    std::this_thread::sleep_for(2ms);
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(end.receive(64), vendorReport(1));
  EXPECT_EQ(end.receive(64), vendorReport(3));
}

TEST_F(BlockedWriteTest, AbortEndsAWriteHeldInTheKernelPromptly) {
  platform::DebugCapture capture;
  auto pending = startWrite(1);
  OpenGateOnExit guard{*gate};
  while (gate->entered == 0) std::this_thread::sleep_for(1ms);
  const auto abortedAt = Clock::now();
  writer.close();
  ASSERT_EQ(pending.wait_for(4s), std::future_status::ready) << "the abort cannot reach the write";
  EXPECT_EQ(pending.get(), IoResult::aborted);
  EXPECT_LT(Clock::now() - abortedAt, 900ms);
  // The closed connection left its writer to finish on its own.
  EXPECT_EQ(capture.count("hidraw: a write still waits in the kernel after its connection closed; "
                          "its thread ends when the write returns"),
            1);
}

TEST_F(HidLinuxTest, WriteFindingTheDeviceGoneIsGoneAndLaterOnesDoNotTryAgain) {
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  auto calls = std::make_shared<std::atomic<int>>(0);
  auto vanished = makeLinuxBackend(machine.sys(), machine.dev(),
                                   [calls](int, const void*, std::size_t) -> ssize_t {
                                     ++*calls;
                                     errno = ENODEV;
                                     return -1;
                                   });
  HidDevice d{*vanished};
  ASSERT_TRUE(d.enumerate());
  ASSERT_TRUE(openPath(d, d.pathList[0]));
  std::size_t n = 0;
  EXPECT_EQ(d.writeReport(vendorReport(1), n), IoResult::gone);
  EXPECT_EQ(d.writeReport(vendorReport(2), n), IoResult::gone);
  EXPECT_EQ(*calls, 1);
}

}  // namespace
}  // namespace varnacle::device
