#include "sim/state_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace varnacle::sim {
namespace {

struct StateFile : ::testing::Test {
  SimBus bus;
  std::vector<std::shared_ptr<VirtualDevice>> devices = {
      std::make_shared<VirtualDevice>(DeviceKind::keyboard, bus),
      std::make_shared<VirtualDevice>(DeviceKind::mouse, bus),
      std::make_shared<VirtualDevice>(DeviceKind::mousePad, bus)};
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("varnacle_state_" +
       std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  std::string path = (folder / "devices.state").string();

  void SetUp() override {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  // A mouse with a non-factory active profile, record and macro.
  void changeMouse(VirtualDevice& mouse) {
    auto memory = mouse.memory();
    memory.activeProfile = 3;
    memory.settings[64 * 3 + 15] = 42;
    memory.macros[100] = 7;
    ASSERT_TRUE(mouse.setMemory(memory));
  }
  std::vector<char> fileBytes() {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  void writeBytes(const std::vector<char>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
};

TEST_F(StateFile, MemorySurvivesARestart) {
  changeMouse(*devices[1]);
  const auto saved = devices[1]->memory();
  ASSERT_TRUE(saveDeviceStates(path, devices));

  SimBus otherBus;
  std::vector<std::shared_ptr<VirtualDevice>> restarted = {
      std::make_shared<VirtualDevice>(DeviceKind::mouse, otherBus),
      std::make_shared<VirtualDevice>(DeviceKind::mousePad, otherBus)};
  const auto padFactory = restarted[1]->memory();
  ASSERT_TRUE(loadDeviceStates(path, restarted));
  EXPECT_EQ(restarted[0]->memory(), saved);
  EXPECT_EQ(restarted[1]->memory(), padFactory);
}

TEST_F(StateFile, MissingFileChangesNothing) {
  const auto before = devices[1]->memory();
  EXPECT_FALSE(loadDeviceStates(path, devices));
  EXPECT_EQ(devices[1]->memory(), before);
}

TEST_F(StateFile, DamagedFilesAreRefusedWithoutChangingAnyDevice) {
  changeMouse(*devices[1]);
  ASSERT_TRUE(saveDeviceStates(path, devices));
  const auto good = fileBytes();
  SimBus otherBus;
  auto fresh = std::make_shared<VirtualDevice>(DeviceKind::mouse, otherBus);
  const std::vector<std::shared_ptr<VirtualDevice>> target = {fresh};
  const auto factory = fresh->memory();

  auto truncated = good;
  truncated.resize(good.size() - 1);
  auto badMagic = good;
  badMagic[0] = 'X';
  auto trailing = good;
  trailing.push_back(0);
  auto hugeTable = good;  // the keyboard's settings size, first table in the file
  hugeTable[8 + 3 + 3] = 0x7F;
  for (const auto& damaged : {truncated, badMagic, trailing, hugeTable}) {
    writeBytes(damaged);
    EXPECT_FALSE(loadDeviceStates(path, target));
    EXPECT_EQ(fresh->memory(), factory);
  }
}

TEST_F(StateFile, SectionWhoseTablesDoNotFitTheDeviceIsRefused) {
  // The file holds a mouse with 2048 bytes of macro memory; this one has 1024.
  changeMouse(*devices[1]);
  ASSERT_TRUE(saveDeviceStates(path, devices));
  SimBus otherBus;
  auto smaller = std::make_shared<VirtualDevice>(DeviceKind::mouse, otherBus);
  auto info = smaller->infoBlock();
  info[kInfoMacroCapacityByte] = 8;
  smaller->setInfoBlock(info);
  const auto before = smaller->memory();
  const std::vector<std::shared_ptr<VirtualDevice>> target = {smaller};
  EXPECT_FALSE(loadDeviceStates(path, target));
  EXPECT_EQ(smaller->memory(), before);
}

}  // namespace
}  // namespace varnacle::sim
