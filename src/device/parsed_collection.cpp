#include "device/parsed_collection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace varnacle::device {

namespace {

// Reads `size` bits (at most 32) starting at bit `position` of `report`,
// least significant bit first; nothing when the bits lie outside the report.
std::optional<uint32_t> readBits(std::span<const uint8_t> report, uint64_t position,
                                 uint32_t size) {
  if (size == 0 || size > 32) return std::nullopt;
  if (position + size > uint64_t(report.size()) * 8) return std::nullopt;
  uint32_t value = 0;
  for (uint32_t i = 0; i < size; ++i) {
    const uint64_t bit = position + i;
    if (report[bit / 8] & (1u << (bit % 8))) value |= 1u << i;
  }
  return value;
}

int64_t signExtend(uint32_t value, uint32_t size) {
  if (size == 0 || size >= 32) return int32_t(value);
  const uint32_t sign = 1u << (size - 1);
  return int64_t(value ^ sign) - int64_t(sign);
}

// Byte 0 of a report buffer holds the report id; fields start at byte 1.
constexpr uint64_t kFieldBase = 8;

// The pressed usages of one button capability, in field order.
DecodeStatus pressedUsages(const ButtonCap& cap, std::span<const uint8_t> report,
                           std::vector<uint16_t>& out) {
  if (cap.isArray) {
    for (uint32_t e = 0; e < cap.count; ++e) {
      const auto raw =
          readBits(report, kFieldBase + cap.bitOffset + uint64_t(e) * cap.bitSize, cap.bitSize);
      if (!raw)
        return cap.bitSize > 32 ? DecodeStatus::valueTooLarge : DecodeStatus::invalidReportLength;
      const int64_t index = cap.logicalMin < 0 ? signExtend(*raw, cap.bitSize) : int64_t(*raw);
      const int64_t span = int64_t(cap.usageMax) - cap.usageMin;
      if (index < cap.logicalMin || index > cap.logicalMax) continue;
      if (index < cap.arrayIndexMin || index > cap.arrayIndexMin + span) continue;
      const auto usage = uint16_t(cap.usageMin + (index - cap.arrayIndexMin));
      if (usage != 0) out.push_back(usage);
    }
    return DecodeStatus::success;
  }
  for (uint32_t bit = 0; bit < cap.count; ++bit) {
    const auto set = readBits(report, kFieldBase + cap.bitOffset + bit, 1);
    if (!set) return DecodeStatus::invalidReportLength;
    const auto usage = uint16_t(std::min<uint32_t>(cap.usageMin + bit, cap.usageMax));
    if (*set && usage != 0) out.push_back(usage);
  }
  return DecodeStatus::success;
}

// The value scaled from the logical to the physical range.
DecodeStatus scaledValue(const ValueCap& cap, uint32_t raw, int32_t& scaled) {
  int64_t physicalMin = cap.physicalMin;
  int64_t physicalMax = cap.physicalMax;
  if (physicalMin == 0 && physicalMax == 0) {
    physicalMin = cap.logicalMin;
    physicalMax = cap.logicalMax;
  }
  if (cap.logicalMin >= cap.logicalMax || physicalMin >= physicalMax)
    return DecodeStatus::badLogicalPhysical;
  const int64_t value = cap.isSigned() ? signExtend(raw, cap.bitSize) : int64_t(raw);
  if (value < cap.logicalMin || value > cap.logicalMax) return DecodeStatus::valueOutOfRange;
  // Ranges reach 2^33 when a descriptor mixes signed and unsigned 32-bit
  // bounds; their product then leaves 64 bits, so such ranges scale in
  // floating point and the usual ones exactly.
  const int64_t offset = value - cap.logicalMin;
  const int64_t logicalRange = cap.logicalMax - cap.logicalMin;
  const int64_t physicalRange = physicalMax - physicalMin;
  constexpr int64_t kExact = int64_t(1) << 31;
  const int64_t result = logicalRange < kExact && physicalRange < kExact
                             ? physicalMin + offset * physicalRange / logicalRange
                             : physicalMin + std::llround(double(offset) / double(logicalRange) *
                                                          double(physicalRange));
  scaled = int32_t(std::clamp<int64_t>(result, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
  return DecodeStatus::success;
}

}  // namespace

std::optional<ParsedCollection> ParsedCollection::fromDescriptor(
    std::span<const uint8_t> descriptor, int collectionNumber) {
  auto parsed = parseReportDescriptor(descriptor);
  if (!parsed.descriptor || collectionNumber < 1 ||
      std::size_t(collectionNumber) > parsed.descriptor->collections.size())
    return std::nullopt;
  ParsedCollection result;
  result.numbered_ = parsed.descriptor->numberedReports;
  result.collection_ =
      std::move(parsed.descriptor->collections[std::size_t(collectionNumber) - 1]);
  result.capabilities_.usage = result.collection_.usage;
  result.capabilities_.usagePage = result.collection_.usagePage;
  result.capabilities_.inputReportLength = result.collection_.inputReportLength;
  result.capabilities_.outputReportLength = result.collection_.outputReportLength;
  result.capabilities_.featureReportLength = result.collection_.featureReportLength;
  if (!result.buildDescriptors()) return std::nullopt;
  return result;
}

bool ParsedCollection::buildDescriptors() {
  const auto& top = collection_;
  // How many usages of a page one input report can carry at most.
  std::map<uint16_t, std::size_t> pageCapacity;
  for (const auto& cap : top.buttonCaps)
    if (cap.kind == ReportKind::input) pageCapacity[cap.usagePage] += cap.count;
  std::size_t listEntries = 0;
  uint16_t* buttonCounts[] = {&capabilities_.numberInputButtonCaps,
                              &capabilities_.numberOutputButtonCaps,
                              &capabilities_.numberFeatureButtonCaps};
  uint16_t* valueCounts[] = {&capabilities_.numberInputValueCaps,
                             &capabilities_.numberOutputValueCaps,
                             &capabilities_.numberFeatureValueCaps};
  for (std::size_t i = 0; i < top.buttonCaps.size(); ++i) {
    const auto& cap = top.buttonCaps[i];
    const auto k = std::size_t(cap.kind);
    ++*buttonCounts[k];
    ReportDataDescriptor d;
    d.isButton = true;
    d.usagePage = cap.usagePage;
    d.reportId = cap.reportId;
    d.usageMin = cap.usageMin;
    d.usageMax = cap.usageMax;
    if (cap.kind == ReportKind::input) {
      const std::size_t capacity = pageCapacity[cap.usagePage];
      listEntries += capacity;
      if (listEntries > kMaxUsageListEntries) return false;
      d.usageList.assign(capacity, 0);
      inputCapIndex_.push_back(i);
    }
    descriptors_[k].push_back(std::move(d));
  }
  for (std::size_t i = 0; i < top.valueCaps.size(); ++i) {
    const auto& cap = top.valueCaps[i];
    const auto k = std::size_t(cap.kind);
    ++*valueCounts[k];
    ReportDataDescriptor d;
    d.usagePage = cap.usagePage;
    d.reportId = cap.reportId;
    d.usage = cap.usage;
    if (cap.kind == ReportKind::input) inputCapIndex_.push_back(i);
    descriptors_[k].push_back(std::move(d));
  }
  return true;
}

bool ParsedCollection::decodeInputReport(std::span<const uint8_t> report,
                                         std::vector<ReportDataDescriptor>& list) const {
  if (report.empty() || list.size() != inputCapIndex_.size()) return false;
  const auto& top = collection_;
  const uint8_t reportId = report[0];
  // The pressed usages of one page in this report, gathered once per page.
  struct Pressed {
    DecodeStatus status = DecodeStatus::success;
    std::vector<uint16_t> usages;
  };
  std::map<uint16_t, Pressed> pressedByPage;
  const auto pressedOf = [&](uint16_t page) -> const Pressed& {
    auto [it, fresh] = pressedByPage.try_emplace(page);
    if (fresh) {
      for (const auto& cap : top.buttonCaps) {
        if (cap.kind != ReportKind::input || cap.reportId != reportId || cap.usagePage != page)
          continue;
        it->second.status = pressedUsages(cap, report, it->second.usages);
        if (it->second.status != DecodeStatus::success) break;
      }
    }
    return it->second;
  };

  for (std::size_t i = 0; i < list.size(); ++i) {
    auto& d = list[i];
    if (d.reportId != reportId) continue;
    d.isDataSet = true;
    if (d.isButton) {
      // Every pressed usage of the page, then those in the descriptor's range.
      const Pressed& pressed = pressedOf(d.usagePage);
      d.status = pressed.status;
      std::fill(d.usageList.begin(), d.usageList.end(), uint16_t(0));
      if (d.status != DecodeStatus::success) continue;
      std::size_t n = 0;
      for (const uint16_t usage : pressed.usages)
        if (usage >= d.usageMin && usage <= d.usageMax && n < d.usageList.size())
          d.usageList[n++] = usage;
      continue;
    }
    const auto& cap = top.valueCaps[inputCapIndex_[i]];
    const auto raw = readBits(report, kFieldBase + cap.bitOffset, cap.bitSize);
    if (!raw) {
      d.status = cap.bitSize > 32 ? DecodeStatus::valueTooLarge : DecodeStatus::invalidReportLength;
      return false;
    }
    d.rawValue = *raw;
    d.scaledValue = 0;
    d.status = scaledValue(cap, *raw, d.scaledValue);
  }
  return std::none_of(pressedByPage.begin(), pressedByPage.end(), [](const auto& entry) {
    return entry.second.status != DecodeStatus::success;
  });
}

}  // namespace varnacle::device
