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

#include "device/device_session.h"
#include "device/hid_device.h"
#include "device/presence.h"
#include "device/session_connect.h"
#include "fake_hidraw.h"
#include "hid_expectations.h"
#include "platform/debug_output.h"

namespace varnacle::device {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;
using test_support::FakeMachine;
using test_support::kTwoCollections;
using test_support::kUnnumbered;
using test_support::NodeOpenSwitch;

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

// A backend whose node opens go through a switch that refuses them at first.
struct RefusedOpenTest : HidLinuxTest {
  NodeOpenSwitch access;
  std::unique_ptr<HidBackend> guarded =
      makeLinuxBackend(machine.sys(), machine.dev(), {}, access.nodeOpen());
  HidDevice guardedDevice{*guarded};
};

TEST_F(RefusedOpenTest, NodeThatMayNotBeOpenedIsAccessDeniedAndStillShowsWhatItIs) {
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  ASSERT_TRUE(guardedDevice.enumerate()) << "listing needs no access to the nodes";
  ASSERT_EQ(guardedDevice.pathList.size(), 2u);
  const std::string path = guardedDevice.pathList[0];

  for (auto [read, write] : {std::pair{true, true}, {true, false}, {false, true}}) {
    EXPECT_FALSE(openPath(guardedDevice, path, read, write));
    EXPECT_EQ(guardedDevice.openError(), OpenError::accessDenied) << read << write;
    EXPECT_FALSE(guardedDevice.isOpen());
  }
  access.refuse(EPERM);
  EXPECT_FALSE(openPath(guardedDevice, path));
  EXPECT_EQ(guardedDevice.openError(), OpenError::accessDenied);

  // Identity and capabilities come from sysfs, without the node.
  ASSERT_TRUE(openPath(guardedDevice, path, false, false));
  EXPECT_EQ(guardedDevice.openError(), OpenError::none);
  test_support::expectTestMouseVendorCollection(guardedDevice);

  // Other refusals are no permission problem; a node gone is absent.
  access.refuse(EBUSY);
  EXPECT_FALSE(openPath(guardedDevice, path));
  EXPECT_EQ(guardedDevice.openError(), OpenError::failed);
  access.refuse(ENODEV);
  EXPECT_FALSE(openPath(guardedDevice, path));
  EXPECT_EQ(guardedDevice.openError(), OpenError::absent);
  access.refuse(EACCES);
  machine.remove(3);
  EXPECT_FALSE(openPath(guardedDevice, path));
  EXPECT_EQ(guardedDevice.openError(), OpenError::absent) << "gone, whatever the rights";

  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  access.allow();
  EXPECT_TRUE(openPath(guardedDevice, path));
  EXPECT_EQ(guardedDevice.openError(), OpenError::none);
}

TEST_F(RefusedOpenTest, InterfaceSearchTellsOpenedAbsentDeniedAndListFailedApart) {
  DeviceSession session{*guarded};
  assignIdentity(session, DeviceKind::mouse);
  EXPECT_EQ(searchMatchingInterface(session), InterfaceSearch::absent);

  // A refused node of another product of the vendor, even with the same
  // collection, is none of the session's business.
  machine.add(1, 0x0C45, 0x1234, kTwoCollections);
  EXPECT_EQ(searchMatchingInterface(session), InterfaceSearch::absent);

  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  EXPECT_EQ(searchMatchingInterface(session), InterfaceSearch::accessDenied);
  EXPECT_FALSE(session.online);
  EXPECT_FALSE(session.device.isOpen()) << "the look without access rights is closed again";
  EXPECT_TRUE(session.device.pathList.empty());

  access.allow();
  EXPECT_EQ(searchMatchingInterface(session), InterfaceSearch::opened);
  EXPECT_TRUE(session.online);
  EXPECT_TRUE(session.device.isOpen());
  test_support::expectTestMouseVendorCollection(session.device);

  // A hidraw class that is no folder cannot be listed.
  const fs::path broken = fs::path(machine.dev()) / "broken-sys";
  fs::create_directories(broken / "class");
  std::ofstream(broken / "class" / "hidraw") << "";
  auto unlistable = makeLinuxBackend(broken.string(), machine.dev());
  DeviceSession lost{*unlistable};
  assignIdentity(lost, DeviceKind::mouse);
  EXPECT_EQ(searchMatchingInterface(lost), InterfaceSearch::listFailed);
}

TEST_F(RefusedOpenTest, PresenceTellsAccessDeniedOncePerStayOfTheDevice) {
  DeviceSession session{*guarded};
  assignIdentity(session, DeviceKind::mouse);
  int arrived = 0, departed = 0, denied = 0, firstPasses = 0;
  PresenceWatcher watcher{session, PresenceHooks{
                                       .arrived = [&] { ++arrived; },
                                       .departed = [&] { ++departed; },
                                       .present = {},
                                       .accessDenied = [&] { ++denied; },
                                       .firstPass =
                                           [&](bool online) {
                                             EXPECT_FALSE(online);
                                             ++firstPasses;
                                           },
                                   }};
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(watcher.pass());
  EXPECT_EQ(denied, 1) << "once, not on every scan";
  EXPECT_EQ(firstPasses, 1);
  EXPECT_EQ(arrived, 0);
  EXPECT_FALSE(session.online);

  // Unplugged and plugged in again, still without access: told again.
  machine.remove(3);
  ASSERT_TRUE(watcher.pass());
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  ASSERT_TRUE(watcher.pass());
  ASSERT_TRUE(watcher.pass());
  EXPECT_EQ(denied, 2);

  // The rule applied: the next scan opens it.
  access.allow();
  ASSERT_TRUE(watcher.pass());
  EXPECT_TRUE(session.online);
  EXPECT_EQ(arrived, 1);

  // Replugged while the rights are gone again: a new stay, told again.
  access.refuse(EACCES);
  machine.remove(3);
  ASSERT_TRUE(watcher.pass());
  EXPECT_EQ(departed, 1);
  machine.add(3, 0x0C45, 0x662E, kTwoCollections);
  ASSERT_TRUE(watcher.pass());
  EXPECT_EQ(denied, 3);
  EXPECT_EQ(arrived, 1);
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
