#include "sim/sim_bus.h"

#include <gtest/gtest.h>

#include <thread>

namespace varnacle::sim {
namespace {

using namespace std::chrono_literals;

// Echoes every written report back to the host.
class EchoInterface : public VirtualInterface {
 public:
  explicit EchoInterface(SimBus& bus) : bus_(bus) {}
  Identity identity() const override { return {0x0C45, 0x662E, 1, 1}; }
  std::vector<uint8_t> reportDescriptor() const override { return {}; }
  bool onOutputReport(std::span<const uint8_t> report) override {
    bus_.deliver(*this, {report.begin(), report.end()});
    return true;
  }

 private:
  SimBus& bus_;
};

struct SimBusTest : ::testing::Test {
  SimBus bus;
  std::shared_ptr<EchoInterface> device = std::make_shared<EchoInterface>(bus);
  void SetUp() override { bus.plug(device); }
};

TEST_F(SimBusTest, ReportsReachOnlyEndpointsThatAcceptTheirId) {
  auto vendor = bus.connect(device, {4});
  auto consumer = bus.connect(device, {3});
  ASSERT_TRUE(vendor && consumer);
  bus.deliver(*device, {4, 0xAA});
  bus.deliver(*device, {3, 0x01, 0x04});

  uint8_t buf[64] = {};
  std::size_t n = 0;
  ASSERT_EQ(vendor->read(buf, 10ms, n), ReadStatus::ok);
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(buf[1], 0xAA);
  EXPECT_EQ(vendor->read(buf, 10ms, n), ReadStatus::timeout);
  ASSERT_EQ(consumer->read(buf, 10ms, n), ReadStatus::ok);
  EXPECT_EQ(n, 3u);
}

TEST_F(SimBusTest, DelayedReportIsNotReadableBeforeItsTime) {
  auto e = bus.connect(device, {4});
  bus.deliver(*device, {4, 1}, 200ms);
  uint8_t buf[8];
  std::size_t n = 0;
  EXPECT_EQ(e->read(buf, 20ms, n), ReadStatus::timeout);
  EXPECT_EQ(e->read(buf, 5s, n), ReadStatus::ok);
}

TEST_F(SimBusTest, UnplugEndsWaitingReadAndRefusesNewConnections) {
  auto e = bus.connect(device, {4});
  std::thread unplugger([&] {
    std::this_thread::sleep_for(20ms);
    bus.unplug(*device);
  });
  uint8_t buf[8];
  std::size_t n = 0;
  EXPECT_EQ(e->read(buf, 10s, n), ReadStatus::gone);
  unplugger.join();
  EXPECT_TRUE(e->isGone());
  EXPECT_FALSE(bus.isPlugged(*device));
  EXPECT_EQ(bus.connect(device, {4}), nullptr);
}

TEST_F(SimBusTest, AbortEndsOneWaitOnly) {
  auto e = bus.connect(device, {4});
  std::thread aborter([&] {
    std::this_thread::sleep_for(20ms);
    e->abort();
  });
  uint8_t buf[8];
  std::size_t n = 0;
  EXPECT_EQ(e->read(buf, 10s, n), ReadStatus::aborted);
  aborter.join();
  bus.deliver(*device, {4, 7});
  EXPECT_EQ(e->read(buf, 1s, n), ReadStatus::ok);
}

TEST_F(SimBusTest, CloseEndsTheWaitingReadAndEveryLaterOne) {
  auto e = bus.connect(device, {4});
  e->close();  // before anyone waits: must not be lost
  bus.deliver(*device, {4, 7});
  uint8_t buf[8];
  std::size_t n = 0;
  EXPECT_EQ(e->read(buf, 10s, n), ReadStatus::aborted);
  EXPECT_EQ(e->read(buf, 10s, n), ReadStatus::aborted);
}

}  // namespace
}  // namespace varnacle::sim
