#pragma once
// The byte image in which the mouse's fire-key sequences travel to and from it
// (little-endian):
//
//   0   2   AA 55
//   2   2   total size in bytes, header included
//   4   2   number of sequences n
//   6  10   zero
//   16 2·n  offset of each sequence's block from the start of the image
//   …       blocks in sequence order: line count m (2), zero (2), m lines of 4
//           bytes (delayLow, delayHigh, kind, value)
//
// Total size 16 + Σ(6 + 4·m); the mouse holds at most kCursorImageLimit bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "macro/macro_action.h"

namespace varnacle::mouse {

inline constexpr size_t kCursorImageLimit = 3072;
inline constexpr size_t kCursorImageHeaderSize = 16;

// 16 + Σ(6 + 4·m) for the line counts of the sequences.
size_t cursorImageSize(std::span<const size_t> lineCounts);

// The image of these sequences (only the first four fields of each line are
// used), or nothing when it would exceed kCursorImageLimit.
std::optional<std::vector<uint8_t>> buildCursorImage(
    std::span<const std::vector<macro::MacroAction>> sequences);

// The sequences of an image read back from the mouse: nothing when the magic
// is missing or the image is inconsistent (a size, count, offset or line count
// that points outside the bytes read, blocks that do not follow each other
// from the end of the offset table, or a total size other than the blocks'). Each line gets `pressed` = bit 7 of
// `kind` and the label its kind and value name.
std::optional<std::vector<std::vector<macro::MacroAction>>> parseCursorImage(
    std::span<const uint8_t> image);

// The total size word of a 16-byte header read back, or nothing without the magic.
std::optional<size_t> cursorImageSizeFromHeader(std::span<const uint8_t> header);

}  // namespace varnacle::mouse
