// The presence thread and the notification listeners against virtual devices.
#include "device/presence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <thread>

#include "device/hid_sim.h"
#include "device/notification_listener.h"
#include "device/session_connect.h"
#include "platform/debug_output.h"
#include "sim/virtual_device.h"

namespace varnacle::device {
namespace {

using namespace std::chrono_literals;
using platform::WorkerSlot;
using platform::WorkerSlots;

template <typename Pred>
bool eventually(Pred pred, std::chrono::milliseconds limit = 5s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// A bus with the virtual mouse (not yet plugged) and a mouse session whose
// presence hooks count what happened.
struct PresenceTest : ::testing::Test {
  sim::SimBus bus;
  std::shared_ptr<sim::VirtualDevice> mouse = std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  std::unique_ptr<HidBackend> backend = makeSimulatedBackend(bus);
  DeviceSession session{*backend};
  std::atomic<int> arrived{0}, departed{0}, present{0}, firstPasses{0}, broadcasts{0};
  PresenceWatcher watcher{session, PresenceHooks{
                                       .arrived = [this] { ++arrived; },
                                       .departed = [this] { ++departed; },
                                       .present = [this] { ++present; },
                                       .accessDenied = {},
                                       .firstPass =
                                           [this](bool online) {
                                             ++firstPasses;
                                             broadcasts += online;
                                           },
                                   }};

  void SetUp() override { assignIdentity(session, DeviceKind::mouse); }
};

TEST_F(PresenceTest, DeviceAttachedBeforeStartIsFoundOnTheFirstPassWithOneBroadcast) {
  bus.plug(mouse);
  ASSERT_TRUE(watcher.pass());
  EXPECT_TRUE(session.online);
  EXPECT_EQ(arrived, 1);
  EXPECT_EQ(broadcasts, 1);
  ASSERT_TRUE(watcher.pass());
  ASSERT_TRUE(watcher.pass());
  EXPECT_EQ(present, 2);
  EXPECT_EQ(arrived, 1);
  EXPECT_EQ(broadcasts, 1);
}

TEST_F(PresenceTest, DeviceAttachedLaterIsFoundWithoutBroadcast) {
  WorkerSlots slots;
  slots.start(WorkerSlot::mousePresence, [&](platform::Event& stop) { watcher.run(WorkerSlot::mousePresence, stop); });
  // Plugged only once the first pass found nothing, however slowly the thread started.
  ASSERT_TRUE(eventually([&] { return firstPasses == 1; }, 3s));
  bus.plug(mouse);
  EXPECT_TRUE(eventually([&] { return arrived == 1; }, 3s)) << "found within about a second";
  EXPECT_EQ(firstPasses, 1);
  EXPECT_EQ(broadcasts, 0);
  slots.stopAll(5s);
}

TEST_F(PresenceTest, RemovalTakesTheSessionOfflineWithinAboutOneProbe) {
  bus.plug(mouse);
  WorkerSlots slots;
  slots.start(WorkerSlot::mousePresence, [&](platform::Event& stop) { watcher.run(WorkerSlot::mousePresence, stop); });
  ASSERT_TRUE(eventually([&] { return arrived == 1; }));
  session.lightingSync = true;
  const auto removedAt = std::chrono::steady_clock::now();
  bus.unplug(*mouse);
  ASSERT_TRUE(eventually([&] { return departed == 1; }));
  EXPECT_LT(std::chrono::steady_clock::now() - removedAt, 2s);
  EXPECT_FALSE(session.online);
  EXPECT_FALSE(session.lightingSync);
  bus.plug(mouse);
  EXPECT_TRUE(eventually([&] { return arrived == 2; })) << "scanning again after removal";
  slots.stopAll(5s);
}

TEST_F(PresenceTest, ReplugBetweenTwoPassesIsADepartureAndAnArrivalOnANewConnection) {
  bus.plug(mouse);
  ASSERT_TRUE(watcher.pass());
  ASSERT_TRUE(session.online);
  session.lightingSync = true;
  bus.unplug(*mouse);
  bus.plug(mouse);  // the probe of the path cannot see this

  std::array<uint8_t, 1> active{};
  EXPECT_NE(session.readBlock(0, active), kResultOk);
  EXPECT_FALSE(session.online);
  ASSERT_TRUE(watcher.pass());
  EXPECT_EQ(departed, 1);
  EXPECT_EQ(arrived, 2);
  EXPECT_TRUE(session.online);
  EXPECT_FALSE(session.lightingSync);

  mouse->clearLog();
  EXPECT_EQ(session.beginConfig(), kResultOk);
  EXPECT_EQ(mouse->configDepth(), 1);
  EXPECT_EQ(session.endConfig(), kResultOk);
  EXPECT_EQ(mouse->requestLog().size(), 2u);
  ASSERT_TRUE(watcher.pass());
  EXPECT_EQ(present, 1);
  EXPECT_EQ(departed, 1);
}

TEST_F(PresenceTest, ReplugFasterThanTheProbeIsFollowedByTheRunningThread) {
  bus.plug(mouse);
  WorkerSlots slots;
  slots.start(WorkerSlot::mousePresence,
              [&](platform::Event& stop) { watcher.run(WorkerSlot::mousePresence, stop); });
  ASSERT_TRUE(eventually([&] { return arrived == 1; }));
  bus.unplug(*mouse);
  bus.plug(mouse);

  // The commands fail until the presence thread has opened the device anew,
  // then they reach it.
  std::array<uint8_t, 56> record{};
  EXPECT_TRUE(eventually([&] { return session.readBlock(64, record) == kResultOk; }));
  EXPECT_EQ(departed, 1);
  EXPECT_EQ(arrived, 2);
  std::array<uint8_t, 512> table;
  table.fill(0x3C);
  ASSERT_EQ(session.writeProfileTable(1, table), kResultOk);
  const auto memory = mouse->memory();
  EXPECT_TRUE(std::equal(table.begin(), table.end(), memory.profileTables.begin() + 126));
  slots.stopAll(5s);
}

TEST_F(PresenceTest, OtherCollectionsAndProductsOfTheVendorNeverGoOnline) {
  auto keyboard = std::make_shared<sim::VirtualDevice>(DeviceKind::keyboard, bus);
  bus.plug(keyboard);
  ASSERT_TRUE(watcher.pass());
  EXPECT_FALSE(session.online);

  // Every collection of the mouse carries the mouse's ids, but none the
  // identity asked for: the consumer collection and the configuration
  // collection are both opened, compared and closed again.
  bus.plug(mouse);
  session.usage = 0x0093;
  ASSERT_TRUE(watcher.pass());
  EXPECT_FALSE(session.online);
  EXPECT_EQ(arrived, 0);
  EXPECT_EQ(broadcasts, 0);
}

// A machine whose HID collections cannot be listed.
class UnlistableBackend : public HidBackend {
 public:
  bool enumerate(std::vector<std::string>&) override { return false; }
  std::unique_ptr<HidConnection> open(const std::string&, const OpenOptions&, OpenError& error) override {
    error = OpenError::failed;
    return nullptr;
  }
  bool probe(const std::string&) override { return false; }
};

TEST(Presence, EnumerationFailureEndsTheThreadWithoutStopLine) {
  platform::DebugCapture capture;
  UnlistableBackend backend;
  DeviceSession session{backend};
  assignIdentity(session, DeviceKind::mouse);
  std::atomic<int> firstPasses{0};
  PresenceHooks hooks;
  hooks.firstPass = [&](bool online) {
    EXPECT_FALSE(online);
    ++firstPasses;
  };
  PresenceWatcher watcher{session, hooks};
  WorkerSlots slots;
  slots.start(WorkerSlot::mousePresence, [&](platform::Event& stop) { watcher.run(WorkerSlot::mousePresence, stop); });
  EXPECT_TRUE(eventually([&] { return !slots.isRunning(WorkerSlot::mousePresence); }));
  slots.stopAll(1s);
  EXPECT_EQ(capture.count("鼠标设备侦测线程设定退出"), 0);
  EXPECT_EQ(firstPasses, 1) << "the start still learns that nothing was found";
}

// The simulated backend with the reads of every connection counted; while
// `failReads` is set they fail at once, as on a broken connection.
class CountingBackend : public HidBackend {
 public:
  explicit CountingBackend(HidBackend& inner) : inner_(inner) {}

  std::atomic<int> reads{0};
  std::atomic<bool> failReads{false};

  bool enumerate(std::vector<std::string>& paths) override { return inner_.enumerate(paths); }
  std::unique_ptr<HidConnection> open(const std::string& path, const OpenOptions& options,
                                      OpenError& error) override {
    auto connection = inner_.open(path, options, error);
    if (!connection) return nullptr;
    return std::make_unique<Counted>(*this, std::move(connection));
  }
  bool probe(const std::string& path) override { return inner_.probe(path); }

 private:
  class Counted : public HidConnection {
   public:
    Counted(CountingBackend& owner, std::unique_ptr<HidConnection> inner)
        : owner_(owner), inner_(std::move(inner)) {}
    HidAttributes attributes() const override { return inner_->attributes(); }
    HidCapabilities capabilities() const override { return inner_->capabilities(); }
    std::vector<ReportDataDescriptor> descriptors(ReportKind kind) const override {
      return inner_->descriptors(kind);
    }
    bool decodeInputReport(std::span<const uint8_t> report,
                           std::vector<ReportDataDescriptor>& inputs) const override {
      return inner_->decodeInputReport(report, inputs);
    }
    IoResult read(std::span<uint8_t> buffer, int timeoutMs, std::size_t& transferred) override {
      ++owner_.reads;
      if (owner_.failReads) {
        transferred = 0;
        return IoResult::failed;
      }
      return inner_->read(buffer, timeoutMs, transferred);
    }
    IoResult write(std::span<const uint8_t> report, int timeoutMs,
                   std::size_t& transferred) override {
      return inner_->write(report, timeoutMs, transferred);
    }
    void abort() override { inner_->abort(); }

   private:
    CountingBackend& owner_;
    std::unique_ptr<HidConnection> inner_;
  };

  HidBackend& inner_;
};

struct ListenerTest : ::testing::Test {
  sim::SimBus bus;
  std::shared_ptr<sim::VirtualDevice> mouse = std::make_shared<sim::VirtualDevice>(DeviceKind::mouse, bus);
  std::unique_ptr<HidBackend> simulated = makeSimulatedBackend(bus);
  CountingBackend backend{*simulated};
  std::mutex mutex;
  std::vector<uint16_t> usages;
  NotificationListener listener{backend, kMouseListener, [this](uint16_t u) {
                                  std::lock_guard lock(mutex);
                                  usages.push_back(u);
                                }};
  WorkerSlots slots;

  void SetUp() override {
    listener.scanPeriod = 50ms;
    bus.plug(mouse);
    slots.start(WorkerSlot::mouseListener,
                [this](platform::Event& stop) { listener.run(WorkerSlot::mouseListener, stop); });
  }
  bool saw(uint16_t usage) {
    return eventually([&] {
      std::lock_guard lock(mutex);
      return std::find(usages.begin(), usages.end(), usage) != usages.end();
    });
  }
  // Sends `usage` again and again until the listener has heard it.
  bool hears(uint16_t usage) {
    return eventually([&] {
      mouse->sendNotification(usage);
      std::this_thread::sleep_for(20ms);
      std::lock_guard lock(mutex);
      return std::find(usages.begin(), usages.end(), usage) != usages.end();
    });
  }
  // Read attempts of the listener during `period`.
  int readsDuring(std::chrono::milliseconds period) {
    const int before = backend.reads;
    std::this_thread::sleep_for(period);
    return backend.reads - before;
  }
};

TEST_F(ListenerTest, DeviceNotificationsArriveAsUsages) {
  // The listener may still be searching: repeat the press until it is heard.
  ASSERT_TRUE(eventually([&] {
    mouse->sendNotification(0x0402);
    std::this_thread::sleep_for(20ms);
    std::lock_guard lock(mutex);
    return !usages.empty();
  }));
  EXPECT_TRUE(saw(0x0402));
  mouse->pressProfileButton();
  EXPECT_TRUE(saw(0x0401));
}

TEST_F(ListenerTest, FollowsTheDeviceThroughRemovalAndReturn) {
  std::this_thread::sleep_for(100ms);
  bus.unplug(*mouse);
  std::this_thread::sleep_for(100ms);
  bus.plug(mouse);
  EXPECT_TRUE(hears(0x0403));
}

// A 500 ms read limit and a 50 ms scan period allow a few reads in 500 ms; a
// listener that retries at once makes hundreds.
constexpr int kFewReads = 50;

TEST_F(ListenerTest, ReplugFasterThanTheProbeIsHeardOnANewConnectionWithoutSpinning) {
  ASSERT_TRUE(eventually([&] { return backend.reads > 0; })) << "listening";
  bus.unplug(*mouse);
  bus.plug(mouse);  // the path is back before the listener could notice
  EXPECT_LT(readsDuring(500ms), kFewReads);
  EXPECT_TRUE(hears(0x0402));
}

TEST_F(ListenerTest, ReadsThatFailAtOnceAreRetriedOncePerScanPeriodThenHeardAgain) {
  ASSERT_TRUE(eventually([&] { return backend.reads > 0; })) << "listening";
  backend.failReads = true;
  const int before = backend.reads;
  ASSERT_TRUE(eventually([&] { return backend.reads > before; })) << "a read failed";
  const int failing = readsDuring(500ms);
  EXPECT_GE(failing, 1);
  EXPECT_LT(failing, kFewReads);
  backend.failReads = false;
  EXPECT_TRUE(hears(0x0401));
}

TEST_F(ListenerTest, StopWhileWaitingInAReadEndsWithinAboutOneReadLimit) {
  platform::DebugCapture capture;
  std::this_thread::sleep_for(200ms);  // listening by now
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(slots.stopAll(10s), WorkerSlots::Outcome::allEnded);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_GE(capture.count("鼠标同步线程设定测试退出"), 1);
}

}  // namespace
}  // namespace varnacle::device
