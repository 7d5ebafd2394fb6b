#include "device/report_descriptor.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace varnacle::device {

namespace {

// Item types and tags of short items.
enum : uint8_t { kTypeMain = 0, kTypeGlobal = 1, kTypeLocal = 2 };
enum : uint8_t {
  kMainInput = 0x8,
  kMainOutput = 0x9,
  kMainCollection = 0xA,
  kMainFeature = 0xB,
  kMainEndCollection = 0xC,
};
enum : uint8_t {
  kGlobalUsagePage = 0x0,
  kGlobalLogicalMin = 0x1,
  kGlobalLogicalMax = 0x2,
  kGlobalPhysicalMin = 0x3,
  kGlobalPhysicalMax = 0x4,
  kGlobalReportSize = 0x7,
  kGlobalReportId = 0x8,
  kGlobalReportCount = 0x9,
  kGlobalPush = 0xA,
  kGlobalPop = 0xB,
};
enum : uint8_t { kLocalUsage = 0x0, kLocalUsageMin = 0x1, kLocalUsageMax = 0x2 };
constexpr uint8_t kLongItemPrefix = 0xFE;

// Data flags of input, output and feature items.
constexpr uint32_t kFlagConstant = 0x1;
constexpr uint32_t kFlagVariable = 0x2;

constexpr uint32_t kMaxReportBits = kMaxReportBytes * 8;

struct Globals {
  uint16_t usagePage = 0;
  int64_t logicalMin = 0;
  uint32_t logicalMaxUnsigned = 0;
  int64_t logicalMaxSigned = 0;
  int64_t physicalMin = 0;
  uint32_t physicalMaxUnsigned = 0;
  int64_t physicalMaxSigned = 0;
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint8_t reportId = 0;

  // A maximum is signed only when its minimum is negative: many devices write
  // 255 in one byte (0xFF) and mean 255.
  int64_t logicalMax() const { return logicalMin < 0 ? logicalMaxSigned : logicalMaxUnsigned; }
  int64_t physicalMax() const { return physicalMin < 0 ? physicalMaxSigned : physicalMaxUnsigned; }
};

// A usage or usage range as written in the local items; the page is resolved
// at the main item unless the item gave a 32-bit usage.
struct LocalUsage {
  uint32_t first = 0;
  uint32_t last = 0;
  bool explicitPage = false;
};

struct ResolvedUsage {
  uint16_t page = 0;
  uint16_t first = 0;
  uint16_t last = 0;
  uint32_t length() const { return uint32_t(last) - first + 1; }
};

class Parser {
 public:
  explicit Parser(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  ParseResult run() {
    ParseResult result;
    if (bytes_.empty()) {
      result.error = "empty report descriptor";
      return result;
    }
    std::size_t pos = 0;
    while (pos < bytes_.size()) {
      itemOffset_ = pos;
      const uint8_t prefix = bytes_[pos];
      if (prefix == kLongItemPrefix) {
        // Long items carry no meaning for us; skip them whole.
        if (bytes_.size() - pos < 3) return fail("truncated long item");
        const std::size_t dataSize = bytes_[pos + 1];
        if (bytes_.size() - pos - 3 < dataSize) return fail("truncated long item");
        pos += 3 + dataSize;
        continue;
      }
      static constexpr std::array<std::size_t, 4> kDataSizes = {0, 1, 2, 4};
      const std::size_t size = kDataSizes[prefix & 0x3];
      if (bytes_.size() - pos - 1 < size) return fail("truncated item");
      uint32_t data = 0;
      for (std::size_t i = 0; i < size; ++i) data |= uint32_t(bytes_[pos + 1 + i]) << (8 * i);
      pos += 1 + size;
      const uint8_t type = (prefix >> 2) & 0x3;
      const uint8_t tag = prefix >> 4;
      bool ok = true;
      switch (type) {
        case kTypeMain:
          ok = mainItem(tag, data);
          break;
        case kTypeGlobal:
          ok = globalItem(tag, data, size);
          break;
        case kTypeLocal:
          ok = localItem(tag, data, size);
          break;
        default:
          break;  // reserved item type: no meaning, skipped
      }
      if (!ok) return fail(error_);
    }
    itemOffset_ = bytes_.size();
    if (depth_ != 0) return fail("collection not closed at the end");
    if (descriptor_.collections.empty()) return fail("no top-level collection");
    result.descriptor = std::move(descriptor_);
    return result;
  }

 private:
  ParseResult fail(const std::string& why) {
    ParseResult result;
    char where[48];
    std::snprintf(where, sizeof where, "byte %zu: ", itemOffset_);
    result.error = where + why;
    return result;
  }

  bool error(std::string why) {
    error_ = std::move(why);
    return false;
  }

  bool globalItem(uint8_t tag, uint32_t data, std::size_t size) {
    const int64_t sdata = signExtend(data, size);
    switch (tag) {
      case kGlobalUsagePage:
        globals_.usagePage = uint16_t(data);
        break;
      case kGlobalLogicalMin:
        globals_.logicalMin = sdata;
        break;
      case kGlobalLogicalMax:
        globals_.logicalMaxUnsigned = data;
        globals_.logicalMaxSigned = sdata;
        break;
      case kGlobalPhysicalMin:
        globals_.physicalMin = sdata;
        break;
      case kGlobalPhysicalMax:
        globals_.physicalMaxUnsigned = data;
        globals_.physicalMaxSigned = sdata;
        break;
      case kGlobalReportSize:
        if (data > kMaxReportSizeBits) return error("report size too large");
        globals_.reportSize = data;
        break;
      case kGlobalReportId:
        if (data == 0 || data > 0xFF) return error("report id out of range");
        globals_.reportId = uint8_t(data);
        descriptor_.numberedReports = true;
        break;
      case kGlobalReportCount:
        if (data > kMaxReportBits) return error("report count too large");
        globals_.reportCount = data;
        break;
      case kGlobalPush:
        if (stack_.size() >= kMaxGlobalStackDepth) return error("global stack too deep");
        stack_.push_back(globals_);
        break;
      case kGlobalPop:
        if (stack_.empty()) return error("pop without push");
        globals_ = stack_.back();
        stack_.pop_back();
        break;
      default:
        break;  // units and exponents do not matter here
    }
    return true;
  }

  bool localItem(uint8_t tag, uint32_t data, std::size_t size) {
    const bool explicitPage = size == 4;
    switch (tag) {
      case kLocalUsage:
        return addUsage({data, data, explicitPage});
      case kLocalUsageMin:
        pendingMin_ = LocalUsage{data, data, explicitPage};
        return completeRange();
      case kLocalUsageMax:
        pendingMax_ = LocalUsage{data, data, explicitPage};
        return completeRange();
      default:
        return true;  // designators, strings, delimiters
    }
  }

  bool completeRange() {
    if (!pendingMin_ || !pendingMax_) return true;
    LocalUsage range{pendingMin_->first, pendingMax_->first, pendingMin_->explicitPage};
    if (range.explicitPage) {
      // A 16-bit maximum belongs to the minimum's page.
      range.last = (range.first & 0xFFFF0000u) | (range.last & 0xFFFFu);
    }
    pendingMin_.reset();
    pendingMax_.reset();
    if ((range.last & 0xFFFF) < (range.first & 0xFFFF))
      return error("usage maximum below usage minimum");
    return addUsage(range);
  }

  bool addUsage(const LocalUsage& usage) {
    if (usages_.size() >= kMaxUsagesPerMainItem) return error("too many usages");
    usages_.push_back(usage);
    return true;
  }

  std::vector<ResolvedUsage> resolvedUsages() const {
    std::vector<ResolvedUsage> out;
    out.reserve(usages_.size());
    for (const auto& u : usages_) {
      const uint16_t page = u.explicitPage ? uint16_t(u.first >> 16) : globals_.usagePage;
      out.push_back({page, uint16_t(u.first), uint16_t(u.last)});
    }
    return out;
  }

  void clearLocals() {
    usages_.clear();
    pendingMin_.reset();
    pendingMax_.reset();
  }

  bool mainItem(uint8_t tag, uint32_t data) {
    bool ok = true;
    switch (tag) {
      case kMainInput:
        ok = field(ReportKind::input, data);
        break;
      case kMainOutput:
        ok = field(ReportKind::output, data);
        break;
      case kMainFeature:
        ok = field(ReportKind::feature, data);
        break;
      case kMainCollection:
        ok = openCollection();
        break;
      case kMainEndCollection:
        if (depth_ == 0) return error("end collection without collection");
        if (--depth_ == 0) finishCollection();
        break;
      default:
        break;  // reserved main item: no fields
    }
    clearLocals();
    return ok;
  }

  bool openCollection() {
    if (depth_ >= kMaxCollectionDepth) return error("collections nested too deep");
    if (depth_ == 0) {
      TopLevelCollection top;
      const auto usages = resolvedUsages();
      top.usagePage = usages.empty() ? globals_.usagePage : usages.front().page;
      top.usage = usages.empty() ? 0 : usages.front().first;
      descriptor_.collections.push_back(std::move(top));
    }
    ++depth_;
    return true;
  }

  bool field(ReportKind kind, uint32_t flags) {
    if (depth_ == 0) return error("main item outside a collection");
    const std::size_t k = std::size_t(kind);
    const uint8_t id = globals_.reportId;
    const uint32_t offset = reportBits_[k][id];
    const uint64_t bits = uint64_t(globals_.reportSize) * globals_.reportCount;
    if (offset + bits > kMaxReportBits) return error("report too long");
    reportBits_[k][id] = offset + uint32_t(bits);
    auto& top = descriptor_.collections.back();
    used_.push_back({kind, id});
    if ((flags & kFlagConstant) || bits == 0) return true;

    const auto usages = resolvedUsages();
    if (!(flags & kFlagVariable)) return arrayField(top, kind, offset, usages);
    if (globals_.reportSize == 1) return variableButtons(top, kind, offset, usages);
    return variableValues(top, kind, offset, usages);
  }

  bool capacityLeft(std::size_t more) {
    if (capabilities_ + more > kMaxCapabilities) return error("too many capabilities");
    capabilities_ += more;
    return true;
  }

  bool arrayField(TopLevelCollection& top, ReportKind kind, uint32_t offset,
                  const std::vector<ResolvedUsage>& usages) {
    if (!capacityLeft(usages.size())) return false;
    int64_t index = globals_.logicalMin;
    for (const auto& u : usages) {
      ButtonCap cap = buttonCap(kind);
      cap.usagePage = u.page;
      cap.usageMin = u.first;
      cap.usageMax = u.last;
      cap.isArray = true;
      cap.bitOffset = offset;
      cap.bitSize = uint16_t(globals_.reportSize);
      cap.count = globals_.reportCount;
      cap.arrayIndexMin = index;
      index += u.length();
      top.buttonCaps.push_back(cap);
    }
    return true;
  }

  // Walks the elements of the current field in runs: element i takes the i-th
  // usage of the list, elements past its end repeat its last usage. Calls
  // visit(firstSlot, page, firstUsage, slots, repeated) for each run; a run
  // that is not repeated has consecutive usages.
  template <typename Visit>
  void forEachRun(const std::vector<ResolvedUsage>& usages, Visit visit) const {
    const uint32_t count = globals_.reportCount;
    uint32_t slot = 0;
    for (const auto& u : usages) {
      const uint32_t n = std::min(u.length(), count - slot);
      visit(slot, u.page, u.first, n, false);
      slot += n;
      if (slot == count) return;
    }
    const uint16_t page = usages.empty() ? globals_.usagePage : usages.back().page;
    const uint16_t usage = usages.empty() ? 0 : usages.back().last;
    visit(slot, page, usage, count - slot, true);
  }

  ButtonCap buttonCap(ReportKind kind) const {
    ButtonCap cap;
    cap.kind = kind;
    cap.reportId = globals_.reportId;
    cap.logicalMin = globals_.logicalMin;
    cap.logicalMax = globals_.logicalMax();
    return cap;
  }

  bool variableButtons(TopLevelCollection& top, ReportKind kind, uint32_t offset,
                       const std::vector<ResolvedUsage>& usages) {
    std::vector<ButtonCap> caps;
    forEachRun(usages,
               [&](uint32_t slot, uint16_t page, uint16_t usage, uint32_t n, bool repeated) {
                 if (!caps.empty()) {
                   auto& run = caps.back();
                   const bool plain = run.count == uint32_t(run.usageMax) - run.usageMin + 1;
                   if (!repeated && plain && run.usagePage == page && run.usageMax != 0xFFFF &&
                       usage == run.usageMax + 1) {
                     run.usageMax = uint16_t(usage + n - 1);
                     run.count += n;
                     return;
                   }
                   if (repeated && run.usagePage == page && run.usageMax == usage) {
                     run.count += n;
                     return;
                   }
                 }
                 ButtonCap cap = buttonCap(kind);
                 cap.usagePage = page;
                 cap.usageMin = usage;
                 cap.usageMax = repeated ? usage : uint16_t(usage + n - 1);
                 cap.bitOffset = offset + slot;
                 cap.count = n;
                 caps.push_back(cap);
               });
    if (!capacityLeft(caps.size())) return false;
    top.buttonCaps.insert(top.buttonCaps.end(), caps.begin(), caps.end());
    return true;
  }

  bool variableValues(TopLevelCollection& top, ReportKind kind, uint32_t offset,
                      const std::vector<ResolvedUsage>& usages) {
    std::vector<ValueCap> caps;
    bool overflow = false;
    const auto add = [&](uint32_t slot, uint16_t page, uint16_t usage, uint32_t count) {
      ValueCap cap;
      cap.kind = kind;
      cap.reportId = globals_.reportId;
      cap.usagePage = page;
      cap.usage = usage;
      cap.bitOffset = offset + slot * globals_.reportSize;
      cap.bitSize = uint16_t(globals_.reportSize);
      cap.count = count;
      cap.logicalMin = globals_.logicalMin;
      cap.logicalMax = globals_.logicalMax();
      cap.physicalMin = globals_.physicalMin;
      cap.physicalMax = globals_.physicalMax();
      caps.push_back(cap);
    };
    forEachRun(usages, [&](uint32_t slot, uint16_t page, uint16_t usage, uint32_t n,
                           bool repeated) {
      if (overflow || n == 0) return;
      if (repeated) {
        auto* last = caps.empty() ? nullptr : &caps.back();
        if (last && last->usage == usage && last->usagePage == page &&
            last->bitOffset + last->count * last->bitSize == offset + slot * globals_.reportSize) {
          last->count += n;
        } else {
          add(slot, page, usage, n);
        }
        return;
      }
      // One capability per usage: bounded before anything is allocated.
      if (capabilities_ + caps.size() + n > kMaxCapabilities) {
        overflow = true;
        return;
      }
      for (uint32_t i = 0; i < n; ++i) add(slot + i, page, uint16_t(usage + i), 1);
    });
    if (overflow || !capacityLeft(caps.size())) return error("too many capabilities");
    top.valueCaps.insert(top.valueCaps.end(), caps.begin(), caps.end());
    return true;
  }

  // Report ids and lengths of the top-level collection just closed, from the
  // fields it holds; then its reports start empty for the next collection.
  void finishCollection() {
    auto& top = descriptor_.collections.back();
    for (const auto& use : used_) {
      if (!top.ownsReportId(use.id))
        top.reportIds.insert(std::upper_bound(top.reportIds.begin(), top.reportIds.end(), use.id),
                             use.id);
      const uint32_t bytes = (reportBits_[std::size_t(use.kind)][use.id] + 7) / 8 + 1;
      uint16_t& length = use.kind == ReportKind::input    ? top.inputReportLength
                         : use.kind == ReportKind::output ? top.outputReportLength
                                                          : top.featureReportLength;
      length = std::max<uint16_t>(length, uint16_t(bytes));
    }
    for (const auto& use : used_) reportBits_[std::size_t(use.kind)][use.id] = 0;
    used_.clear();
  }

  static int64_t signExtend(uint32_t data, std::size_t size) {
    switch (size) {
      case 1:
        return int8_t(data);
      case 2:
        return int16_t(data);
      case 4:
        return int32_t(data);
      default:
        return 0;
    }
  }

  // A report of the open top-level collection that holds a field.
  struct Use {
    ReportKind kind;
    uint8_t id;
  };

  std::span<const uint8_t> bytes_;
  std::size_t itemOffset_ = 0;
  std::string error_;
  ReportDescriptor descriptor_;
  Globals globals_;
  std::vector<Globals> stack_;
  std::vector<LocalUsage> usages_;
  std::optional<LocalUsage> pendingMin_;
  std::optional<LocalUsage> pendingMax_;
  std::size_t depth_ = 0;
  std::size_t capabilities_ = 0;
  // Bits so far of each report of the open top-level collection, by kind and id.
  std::array<std::array<uint32_t, 256>, kReportKindCount> reportBits_{};
  std::vector<Use> used_;
};

}  // namespace

uint16_t TopLevelCollection::reportLength(ReportKind kind) const {
  switch (kind) {
    case ReportKind::input:
      return inputReportLength;
    case ReportKind::output:
      return outputReportLength;
    case ReportKind::feature:
      return featureReportLength;
  }
  return 0;
}

bool TopLevelCollection::ownsReportId(uint8_t id) const {
  return std::binary_search(reportIds.begin(), reportIds.end(), id);
}

ParseResult parseReportDescriptor(std::span<const uint8_t> bytes) {
  return Parser(bytes).run();
}

}  // namespace varnacle::device
