#include "hid_tool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "device/hid_sim.h"
#include "sim/sim_bus.h"

namespace varnacle::tools {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// Vendor collection (id 4, 63 bytes each way) and consumer collection (id 3).
const Bytes kTwoCollections = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF,
    0x00, 0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02,
    0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF,
    0x0F, 0x19, 0x00, 0x2A, 0xFF, 0x0F, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
};

const fs::path kRecorded = VARNACLE_RECORDED_DESCRIPTORS;

Bytes readFile(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(stream), {});
}

class Interface : public sim::VirtualInterface {
 public:
  explicit Interface(Bytes descriptor = kTwoCollections) : descriptor_(std::move(descriptor)) {}
  sim::Identity identity() const override { return {0x0C45, 0x662E, 1, 1}; }
  std::vector<uint8_t> reportDescriptor() const override { return descriptor_; }
  bool onOutputReport(std::span<const uint8_t>) override { return true; }

 private:
  Bytes descriptor_;
};

struct Run {
  int code = 0;
  std::string out, err;
};

Run run(
    std::vector<std::string> args, const std::string& input = {},
    const BackendFactory& factory = [](bool) { return nullptr; }) {
  std::istringstream in(input);
  std::ostringstream out, err;
  Run r;
  r.code = runHidTool(args, in, out, err, factory);
  r.out = out.str();
  r.err = err.str();
  return r;
}

TEST(HidTool, DescribePrintsOneLinePerTopLevelCollection) {
  const auto r =
      run({"describe", "-"}, std::string(kTwoCollections.begin(), kTwoCollections.end()));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "col01 usage_page=0xFF1C usage=0x0092 input=64 output=64 feature=0\n"
            "col02 usage_page=0x000C usage=0x0001 input=3 output=0 feature=0\n");
  EXPECT_EQ(r.err, "");
}

TEST(HidTool, DescribeReadsRecordedFiles) {
  const auto file = kRecorded / "keyboard-two-consumer-collections.bin";
  ASSERT_TRUE(fs::exists(file)) << "recorded descriptor missing: " << file;
  const auto r = run({"describe", file.string()});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "col01 usage_page=0x0001 usage=0x0006 input=9 output=2 feature=0\n"
            "col02 usage_page=0x000C usage=0x0001 input=2 output=0 feature=0\n"
            "col03 usage_page=0x000C usage=0x0001 input=2 output=0 feature=4\n");
}

// Three vendor collections that all use input report 0xAC, for 7, 2 and 6
// bytes: describing the descriptor and opening each collection give the same
// lengths, each collection's own.
TEST(HidTool, CollectionsSharingAReportIdShowTheirOwnLengths) {
  const auto tablet = readFile(kRecorded / "tablet-three-vendor-collections.bin");
  ASSERT_FALSE(tablet.empty()) << "recorded descriptor missing";
  const auto described = run({"describe", "-"}, std::string(tablet.begin(), tablet.end()));
  EXPECT_EQ(described.code, 0);
  EXPECT_EQ(described.out,
            "col01 usage_page=0xFFFF usage=0x0001 input=8 output=0 feature=0\n"
            "col02 usage_page=0xFFFF usage=0x0001 input=3 output=0 feature=0\n"
            "col03 usage_page=0xFFFF usage=0x0001 input=7 output=0 feature=0\n");

  sim::SimBus bus;
  bus.plug(std::make_shared<Interface>(tablet));
  const auto listed =
      run({"list", "--simulate"}, {}, [&](bool) { return device::makeSimulatedBackend(bus); });
  EXPECT_EQ(listed.code, 0);
  EXPECT_EQ(listed.out,
            "sim/0#vid_0c45&pid_662e&mi_01&col01 vid=0x0C45 pid=0x662E usage_page=0xFFFF "
            "usage=0x0001 input=8 output=0 feature=0\n"
            "sim/0#vid_0c45&pid_662e&mi_01&col02 vid=0x0C45 pid=0x662E usage_page=0xFFFF "
            "usage=0x0001 input=3 output=0 feature=0\n"
            "sim/0#vid_0c45&pid_662e&mi_01&col03 vid=0x0C45 pid=0x662E usage_page=0xFFFF "
            "usage=0x0001 input=7 output=0 feature=0\n");
}

TEST(HidTool, UnusableInputIsOneErrorLineAndExitOne) {
  const std::string truncated(kTwoCollections.begin(), kTwoCollections.begin() + 20);
  for (const auto& [args, input] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"describe", "-"}, ""},
           {{"describe", "-"}, truncated},
           {{"describe", "/nonexistent/descriptor.bin"}, ""},
           {{"describe", "-"}, std::string(2 << 20, '\x05')},
       }) {
    const auto r = run(args, input);
    EXPECT_EQ(r.code, 1) << args[1];
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
}

TEST(HidTool, ListPrintsEveryCollectionWithIdsUsagesAndLengths) {
  sim::SimBus bus;
  bus.plug(std::make_shared<Interface>());
  bool simulated = false;
  const auto r = run({"list", "--simulate"}, {}, [&](bool simulate) {
    simulated = simulate;
    return device::makeSimulatedBackend(bus);
  });
  EXPECT_TRUE(simulated);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "sim/0#vid_0c45&pid_662e&mi_01&col01 vid=0x0C45 pid=0x662E usage_page=0xFF1C "
            "usage=0x0092 input=64 output=64 feature=0\n"
            "sim/0#vid_0c45&pid_662e&mi_01&col02 vid=0x0C45 pid=0x662E usage_page=0x000C "
            "usage=0x0001 input=3 output=0 feature=0\n");
}

TEST(HidTool, WrongArgumentsPrintUsage) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"describe"}, {"list", "--simulated"}, {"frobnicate"}}) {
    const auto r = run(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
  }
  EXPECT_EQ(run({"list"}).code, 1);  // no backend on this system
}

}  // namespace
}  // namespace varnacle::tools
