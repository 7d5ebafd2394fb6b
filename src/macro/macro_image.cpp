#include "macro/macro_image.h"

#include <algorithm>

#include "macro/action_file.h"
#include "macro/macro_store.h"
#include "profile/file_names.h"

namespace varnacle::macro {

namespace {

void putWord(std::vector<uint8_t>& image, size_t at, size_t value) {
  image[at] = static_cast<uint8_t>(value & 0xFF);
  image[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

size_t macroImageSize(std::span<const size_t> stepCounts) {
  size_t total = kMacroImageHeaderSize + 6 * stepCounts.size();
  for (size_t m : stepCounts) total += 4 * m;
  return total;
}

int stepsToRemove(size_t total, size_t capacity) {
  if (total <= capacity) return 0;
  return static_cast<int>((total - capacity) / 4 + 1);
}

std::vector<uint8_t> buildMacroImage(std::span<const std::vector<MacroAction>> macros) {
  std::vector<size_t> counts;
  for (const auto& steps : macros) {
    if (steps.size() > static_cast<size_t>(kMaxActionLines)) return {};
    counts.push_back(steps.size());
  }
  const size_t total = macroImageSize(counts);
  if (total > kMacroImageMaxSize) return {};

  return packStepImage(macros);
}

std::vector<uint8_t> packStepImage(std::span<const std::vector<MacroAction>> blocks) {
  std::vector<size_t> counts;
  for (const auto& steps : blocks) counts.push_back(steps.size());
  const size_t total = macroImageSize(counts);
  std::vector<uint8_t> image(total, 0);
  image[0] = 0xAA;
  image[1] = 0x55;
  putWord(image, 2, total);
  putWord(image, 4, blocks.size());
  size_t offset = kMacroImageHeaderSize + 2 * blocks.size();
  for (size_t j = 0; j < blocks.size(); ++j) {
    putWord(image, kMacroImageHeaderSize + 2 * j, offset);
    putWord(image, offset, blocks[j].size());
    size_t at = offset + 4;
    for (const MacroAction& step : blocks[j]) {
      image[at++] = step.delayLow;
      image[at++] = step.delayHigh;
      image[at++] = step.kind;
      image[at++] = step.value;
    }
    offset = at;
  }
  return image;
}

MacroImagePlan prepareMacroImage(const MacroStore& store, size_t capacity) {
  MacroImagePlan plan;
  const std::vector<std::string> names = store.listedNames();
  if (names.empty()) return plan;

  // One read of each action file: the counts checked are the counts packed.
  std::vector<std::vector<MacroAction>> macros;
  std::vector<size_t> counts;
  for (const std::string& name : names) {
    macros.push_back(profile::isSafeFileName(name) ? readActions(store.actionFile(name))
                                                   : std::vector<MacroAction>{});
    counts.push_back(macros.back().size());
  }
  plan.total = macroImageSize(counts);
  plan.stepsToRemove = stepsToRemove(plan.total, std::min(capacity, kMacroImageMaxSize));
  if (plan.stepsToRemove > 0) {
    plan.status = MacroImagePlan::Status::tooLarge;
    return plan;
  }
  plan.image = buildMacroImage(macros);
  plan.status = MacroImagePlan::Status::ready;
  return plan;
}

}  // namespace varnacle::macro
