#pragma once
// The byte image in which all saved macros of a device travel to it
// (little-endian):
//
//   0   2   AA 55
//   2   2   total length in bytes
//   4   2   number of macros N
//   6  10   zero
//   16 2·N  offset of each macro's record from the start of the image
//   …       records in list order: step count M (2), zero (2), M steps of 4 bytes
//           (delayLow, delayHigh, kind, value)
//
// Total length 16 + 6·N + 4·(M0 + … + MN−1).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "macro/macro_action.h"

namespace varnacle::macro {

class MacroStore;

inline constexpr size_t kMacroImageHeaderSize = 16;
// The length word is 16 bits: no image is longer.
inline constexpr size_t kMacroImageMaxSize = 0xFFFF;

// 16 + 6·N + 4·ΣM for the step counts of N macros.
size_t macroImageSize(std::span<const size_t> stepCounts);

// The step image layout the macro table and the fire-key table share: magic
// AA 55, total length, block count, the blocks' offsets, then per block its
// step count, two zero bytes and four bytes per step (delay low, delay high,
// kind, value). All words 16-bit little-endian. No size check: callers
// check their own limit with macroImageSize first.
std::vector<uint8_t> packStepImage(std::span<const std::vector<MacroAction>> blocks);

// 0 when `total` fits `capacity`, else the number of steps the user must
// remove, as the message tells it: (total − capacity) / 4 + 1.
int stepsToRemove(size_t total, size_t capacity);

// The image of these macros (pressed and label are not sent). At most 65535
// steps per macro and a total of at most kMacroImageMaxSize; larger inputs
// give an empty image.
std::vector<uint8_t> buildMacroImage(std::span<const std::vector<MacroAction>> macros);

struct MacroImagePlan {
  enum class Status {
    noMacros,  // nothing to send; the assignments still go
    tooLarge,  // show the size message with `stepsToRemove`; nothing is sent
    ready,     // send `image`
  };
  Status status = Status::noMacros;
  size_t total = 0;
  int stepsToRemove = 0;
  std::vector<uint8_t> image;
};

// Reads the saved list and action files of the store's device (not the
// editor's rows), checks the size against `capacity` (byte 6 of the device
// information block × 128) and builds the image. A step line that does not
// parse is sent as an all-zero step, so the record keeps its stored count.
MacroImagePlan prepareMacroImage(const MacroStore& store, size_t capacity);

}  // namespace varnacle::macro
