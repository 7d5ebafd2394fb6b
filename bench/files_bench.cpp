// What a user waits for in the settings files: reading and writing the macro
// list, loading and saving a profile, packing every macro for the device.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "macro/action_file.h"
#include "macro/macro_image.h"
#include "macro/macro_store.h"
#include "platform/atomic_file.h"
#include "platform/folders.h"
#include "profile/ini_store.h"
#include "profile/paths.h"
#include "profile/profile_file.h"

namespace {

using namespace varnacle;

// A temporary Documents folder for the whole run.
class TempDocuments {
 public:
  TempDocuments() {
    std::random_device seed;
    root_ = std::filesystem::temp_directory_path() /
            ("varnacle-bench-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(root_);
    platform::setDocumentsFolderOverride(root_);
  }
  ~TempDocuments() {
    platform::setDocumentsFolderOverride(std::nullopt);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

 private:
  std::filesystem::path root_;
};

constexpr int kMacros = macro::kMaxMacros;

// 50 macros; macro k has 40 steps.
void fillMacros(const macro::MacroStore& store) {
  const std::vector<std::string> steps(40, "5,0,138,4,1,keyboard_key_A");
  for (int k = 0; k < kMacros; ++k) store.appendMacro("name_" + std::to_string(k + 1));
  const auto names = store.listedNames();
  for (const auto& name : names) store.saveActions(names, name, steps);
}

void BM_ReadMacroList50(benchmark::State& state) {
  TempDocuments docs;
  const macro::MacroStore store(DeviceKind::keyboard);
  fillMacros(store);
  for (auto _ : state) benchmark::DoNotOptimize(store.listedNames());
}
BENCHMARK(BM_ReadMacroList50)->Unit(benchmark::kMicrosecond);

// One value at a time, as the profile-string functions do it: 50 reads.
void BM_ReadMacroList50KeyByKey(benchmark::State& state) {
  TempDocuments docs;
  const macro::MacroStore store(DeviceKind::keyboard);
  fillMacros(store);
  const auto file = store.listFile();
  for (auto _ : state) {
    for (int k = 0; k < kMacros; ++k) {
      benchmark::DoNotOptimize(profile::readIniString(file, "MACRONAME", std::to_string(k)));
    }
  }
}
BENCHMARK(BM_ReadMacroList50KeyByKey)->Unit(benchmark::kMicrosecond);

// One name written into the 50-macro list: read, change, atomic replace.
void BM_WriteOneValueInMacroList50(benchmark::State& state) {
  TempDocuments docs;
  const macro::MacroStore store(DeviceKind::keyboard);
  fillMacros(store);
  const auto file = store.listFile();
  int i = 0;
  for (auto _ : state) {
    profile::writeIniString(file, "MACRONAME", "25", "renamed_" + std::to_string(i++ % 10));
  }
}
BENCHMARK(BM_WriteOneValueInMacroList50)->Unit(benchmark::kMicrosecond);

void BM_ReadProfileFile(benchmark::State& state) {
  TempDocuments docs;
  const auto path = profile::DeviceFolder(DeviceKind::keyboard) / "Game.led";
  std::vector<uint8_t> payload(static_cast<size_t>(state.range(0)), 0x5A);
  profile::WriteProfileFile(path, payload);
  for (auto _ : state) benchmark::DoNotOptimize(profile::ReadProfileFile(path, payload));
}
BENCHMARK(BM_ReadProfileFile)->Arg(64)->Arg(512)->Arg(1958)->Unit(benchmark::kMicrosecond);

void BM_WriteProfileFile(benchmark::State& state) {
  TempDocuments docs;
  const auto path = profile::DeviceFolder(DeviceKind::keyboard) / "Game.led";
  const std::vector<uint8_t> payload(static_cast<size_t>(state.range(0)), 0x5A);
  for (auto _ : state) benchmark::DoNotOptimize(profile::WriteProfileFile(path, payload));
}
BENCHMARK(BM_WriteProfileFile)->Arg(64)->Arg(512)->Arg(1958)->Unit(benchmark::kMicrosecond);

// All 50 macros of 40 steps read from their files and packed (8316 bytes).
void BM_BuildFullMacroImage(benchmark::State& state) {
  TempDocuments docs;
  const macro::MacroStore store(DeviceKind::keyboard);
  fillMacros(store);
  for (auto _ : state) {
    const auto plan = macro::prepareMacroImage(store, 32640);
    if (plan.status != macro::MacroImagePlan::Status::ready) state.SkipWithError("not built");
    benchmark::DoNotOptimize(plan.image.data());
  }
}
BENCHMARK(BM_BuildFullMacroImage)->Unit(benchmark::kMillisecond);

// Saving a long macro over an action file that holds one step already: the
// 16 000 new step lines all go into the middle of the file when the step
// section is not the last one, or when the file ends with a blank line.
// Reported as shape 0 no file, 1 steps last, 2 ends with a blank line, 3 steps
// not last.
enum class ActionFileShape { missing, stepsLast, endsWithBlankLine, stepsNotLast };

std::string actionFileText(ActionFileShape shape) {
  switch (shape) {
    case ActionFileShape::missing:
      return {};
    case ActionFileShape::stepsLast:
      return "[MACROACTIONCOUNT]\r\ncount=1\r\n[MACROACTION]\r\n0=5,0,138,4,1,keyboard_key_A\r\n";
    case ActionFileShape::endsWithBlankLine:
      return "[MACROACTIONCOUNT]\r\ncount=1\r\n[MACROACTION]\r\n0=5,0,138,4,1,keyboard_key_A\r\n"
             "\r\n";
    case ActionFileShape::stepsNotLast:
      return "[MACROACTION]\r\n0=5,0,138,4,1,keyboard_key_A\r\n[MACROACTIONCOUNT]\r\ncount=1\r\n";
  }
  return {};
}

void BM_SaveLongMacro(benchmark::State& state) {
  TempDocuments docs;
  const auto shape = static_cast<ActionFileShape>(state.range(0));
  const auto file = profile::DeviceFolder(DeviceKind::keyboard) / "long.mac";
  const std::vector<std::string> steps(static_cast<size_t>(state.range(1)),
                                       "5,0,138,4,1,keyboard_key_A");
  for (auto _ : state) {
    state.PauseTiming();
    std::error_code ec;
    std::filesystem::remove(file, ec);
    if (shape != ActionFileShape::missing) {
      platform::replaceFileAtomically(file, actionFileText(shape));
    }
    state.ResumeTiming();
    if (!macro::writeActionLines(file, steps)) state.SkipWithError("not written");
  }
}
BENCHMARK(BM_SaveLongMacro)
    ->ArgNames({"shape", "steps"})
    ->Args({static_cast<int>(ActionFileShape::missing), 16000})
    ->Args({static_cast<int>(ActionFileShape::stepsLast), 16000})
    ->Args({static_cast<int>(ActionFileShape::endsWithBlankLine), 16000})
    ->Args({static_cast<int>(ActionFileShape::stepsNotLast), 16000})
    ->Args({static_cast<int>(ActionFileShape::stepsNotLast), macro::kMaxActionLines})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
