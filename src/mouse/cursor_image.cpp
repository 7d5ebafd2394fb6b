#include "mouse/cursor_image.h"

#include "macro/macro_image.h"

namespace varnacle::mouse {

namespace {

size_t word(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<size_t>(bytes[at]) | (static_cast<size_t>(bytes[at + 1]) << 8);
}

bool hasMagic(std::span<const uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 0xAA && bytes[1] == 0x55;
}

}  // namespace

size_t cursorImageSize(std::span<const size_t> lineCounts) {
  return macro::macroImageSize(lineCounts);
}

std::optional<std::vector<uint8_t>> buildCursorImage(
    std::span<const std::vector<macro::MacroAction>> sequences) {
  std::vector<size_t> counts;
  for (const auto& lines : sequences) counts.push_back(lines.size());
  if (cursorImageSize(counts) > kCursorImageLimit) return std::nullopt;
  return macro::packStepImage(sequences);
}

std::optional<size_t> cursorImageSizeFromHeader(std::span<const uint8_t> header) {
  if (header.size() < 4 || !hasMagic(header)) return std::nullopt;
  return word(header, 2);
}

std::optional<std::vector<std::vector<macro::MacroAction>>> parseCursorImage(
    std::span<const uint8_t> image) {
  if (image.size() < kCursorImageHeaderSize || !hasMagic(image)) return std::nullopt;
  const size_t total = word(image, 2);
  if (total < kCursorImageHeaderSize || total > image.size()) return std::nullopt;
  const std::span<const uint8_t> bytes = image.first(total);
  const size_t count = word(bytes, 4);
  if (kCursorImageHeaderSize + 2 * count > total) return std::nullopt;

  // The blocks follow each other without gaps or overlaps from the end of the
  // offset table, and the last one ends where the stated size does.
  std::vector<std::vector<macro::MacroAction>> sequences;
  size_t expected = kCursorImageHeaderSize + 2 * count;
  for (size_t i = 0; i < count; ++i) {
    const size_t block = word(bytes, kCursorImageHeaderSize + 2 * i);
    if (block != expected || block + 4 > total) return std::nullopt;
    const size_t lines = word(bytes, block);
    if (block + 4 + 4 * lines > total) return std::nullopt;
    expected = block + 4 + 4 * lines;
    std::vector<macro::MacroAction> sequence;
    sequence.reserve(lines);
    for (size_t j = 0; j < lines; ++j) {
      const uint8_t* p = bytes.data() + block + 4 + 4 * j;
      macro::MacroAction line;
      line.delayLow = p[0];
      line.delayHigh = p[1];
      line.kind = p[2];
      line.value = p[3];
      line.pressed = line.flag() ? 1 : 0;
      line.label = std::string(macro::labelForStep(line.kind, line.value));
      sequence.push_back(std::move(line));
    }
    sequences.push_back(std::move(sequence));
  }
  if (expected != total) return std::nullopt;
  return sequences;
}

}  // namespace varnacle::mouse
