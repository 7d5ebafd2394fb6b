#include "device/report_descriptor.h"

#include "device/collection_count.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace varnacle::device {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// Recorded descriptors kept in the repository: always there.
const fs::path kInRepository = VARNACLE_RECORDED_DESCRIPTORS;
// The larger recorded set beside the repository: absent from a plain clone.
// CI sets VARNACLE_REQUIRE_TESTDATA so that a missing set fails there instead.
const fs::path kBeside = fs::path(VARNACLE_TESTDATA) / "hid-descriptors";

Bytes readFile(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(stream), {});
}

std::vector<fs::path> descriptorsIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".bin") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

struct RecordedSet {
  const char* name;
  fs::path folder;
  std::size_t atLeast;  // files the set holds, to catch an incomplete copy
  bool optional;        // may be absent: the tests on it skip
};

void PrintTo(const RecordedSet& set, std::ostream* os) {
  *os << set.name;
}

// The tests that walk every descriptor of a recorded set.
class RecordedDescriptors : public testing::TestWithParam<RecordedSet> {
 protected:
  void SetUp() override {
    const auto& set = GetParam();
    if (!fs::is_directory(set.folder)) {
      if (set.optional && !std::getenv("VARNACLE_REQUIRE_TESTDATA"))
        GTEST_SKIP() << "recorded descriptors not found at " << set.folder
                     << " (a plain clone has only those in " << kInRepository << ")";
      FAIL() << "recorded descriptors missing: " << set.folder;
    }
    files_ = descriptorsIn(set.folder);
    ASSERT_GE(files_.size(), set.atLeast) << "recorded descriptors incomplete in " << set.folder;
  }

  std::vector<fs::path> files_;
};

INSTANTIATE_TEST_SUITE_P(ReportDescriptor, RecordedDescriptors,
                         testing::Values(RecordedSet{"InRepository", kInRepository, 5, false},
                                         RecordedSet{"BesideTheRepository", kBeside, 300, true}),
                         [](const testing::TestParamInfo<RecordedSet>& info) {
                           return std::string(info.param.name);
                         });

struct Shape {
  uint16_t usagePage, usage, input, output, feature;
};

void expectShapes(const ReportDescriptor& d, const std::vector<Shape>& shapes) {
  ASSERT_EQ(d.collections.size(), shapes.size());
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    SCOPED_TRACE("collection " + std::to_string(i + 1));
    const auto& c = d.collections[i];
    EXPECT_EQ(c.usagePage, shapes[i].usagePage);
    EXPECT_EQ(c.usage, shapes[i].usage);
    EXPECT_EQ(c.inputReportLength, shapes[i].input);
    EXPECT_EQ(c.outputReportLength, shapes[i].output);
    EXPECT_EQ(c.featureReportLength, shapes[i].feature);
  }
}

// A three-button mouse: buttons 1..3 as bits, 5 bits padding, X and Y signed
// bytes, a wheel byte; unnumbered reports.
const Bytes kMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
    0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x05, 0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09,
    0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06, 0xC0, 0xC0,
};

TEST(ReportDescriptor, RecordedDevicesGiveTheLengthsTheirHostsSee) {
  struct Case {
    const char* file;
    std::vector<Shape> shapes;
  };
  const std::vector<Case> cases = {
      // Boot keyboard, unnumbered: 8 bytes in, LED byte out, each plus the id byte.
      {"keyboard-boot-unnumbered.bin", {{0x0001, 0x0006, 9, 2, 0}}},
      // Game controller with one numbered report of each kind.
      {"gamepad-one-report-of-each-kind.bin", {{0x0001, 0x0004, 49, 49, 49}}},
      // Keyboard with two consumer collections, one owning a feature report.
      {"keyboard-two-consumer-collections.bin",
       {{0x0001, 0x0006, 9, 2, 0}, {0x000C, 0x0001, 2, 0, 0}, {0x000C, 0x0001, 2, 0, 4}}},
      // Six collections, nested ones inside two of them.
      {"keyboard-six-collections.bin",
       {{0x0001, 0x0006, 9, 2, 0},
        {0x000C, 0x0001, 4, 0, 0},
        {0x000C, 0x0001, 2, 0, 0},
        {0x0001, 0x0080, 2, 0, 0},
        {0x000C, 0x0001, 2, 0, 0},
        {0x000C, 0x0001, 2, 0, 0}}},
      // Three vendor collections that all use report id 0xAC for 7, 2 and 6 bytes.
      {"tablet-three-vendor-collections.bin",
       {{0xFFFF, 0x0001, 8, 0, 0}, {0xFFFF, 0x0001, 3, 0, 0}, {0xFFFF, 0x0001, 7, 0, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const auto bytes = readFile(kInRepository / c.file);
    ASSERT_FALSE(bytes.empty()) << "missing recorded descriptor";
    const auto result = parseReportDescriptor(bytes);
    ASSERT_TRUE(result.descriptor) << result.error;
    expectShapes(*result.descriptor, c.shapes);
  }
}

TEST_P(RecordedDescriptors, EachParsesWithItsFieldsInsideItsReports) {
  for (const auto& file : files_) {
    SCOPED_TRACE(file.filename().string());
    const auto bytes = readFile(file);
    const auto result = parseReportDescriptor(bytes);
    if (bytes.empty()) {
      EXPECT_FALSE(result.descriptor);
      EXPECT_FALSE(result.error.empty());
      continue;
    }
    ASSERT_TRUE(result.descriptor) << result.error;
    for (const auto& c : result.descriptor->collections) {
      if (!result.descriptor->numberedReports && !c.reportIds.empty()) {
        EXPECT_EQ(c.reportIds, std::vector<uint8_t>{0});
      }
      const auto inside = [&](ReportKind kind, uint8_t id, uint64_t endBit) {
        EXPECT_TRUE(c.ownsReportId(id));
        EXPECT_LE((endBit + 7) / 8 + 1, c.reportLength(kind));
      };
      for (const auto& b : c.buttonCaps)
        inside(b.kind, b.reportId, b.bitOffset + uint64_t(b.bitSize) * b.count);
      for (const auto& v : c.valueCaps)
        inside(v.kind, v.reportId, v.bitOffset + uint64_t(v.bitSize) * v.count);
    }
  }
}

TEST_P(RecordedDescriptors, EveryPrefixOfEachParsesOrFailsCleanly) {
  for (const auto& file : files_) {
    const auto bytes = readFile(file);
    const auto whole = parseReportDescriptor(bytes);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
      const auto result = parseReportDescriptor(std::span(bytes).first(n));
      // Either a descriptor or a reason, never both and never neither.
      ASSERT_NE(result.descriptor.has_value(), !result.error.empty()) << file << " prefix " << n;
      if (!result.descriptor) continue;
      // A prefix that parses ends between top-level collections: it holds the
      // first collections of the whole, with their usages.
      ASSERT_TRUE(whole.descriptor);
      const auto& some = result.descriptor->collections;
      const auto& all = whole.descriptor->collections;
      ASSERT_LE(some.size(), all.size()) << file << " prefix " << n;
      for (std::size_t i = 0; i < some.size(); ++i) {
        EXPECT_EQ(some[i].usagePage, all[i].usagePage) << file << " prefix " << n;
        EXPECT_EQ(some[i].usage, all[i].usage) << file << " prefix " << n;
      }
    }
  }
}

TEST(ReportDescriptor, MouseFieldsHaveTheirBitOffsetsRangesAndSign) {
  const auto result = parseReportDescriptor(kMouse);
  ASSERT_TRUE(result.descriptor) << result.error;
  expectShapes(*result.descriptor, {{0x0001, 0x0002, 5, 0, 0}});
  const auto& c = result.descriptor->collections[0];
  EXPECT_FALSE(result.descriptor->numberedReports);
  EXPECT_EQ(c.reportIds, std::vector<uint8_t>{0});
  ASSERT_EQ(c.buttonCaps.size(), 1u);
  EXPECT_EQ(c.buttonCaps[0].usagePage, 0x0009);
  EXPECT_EQ(c.buttonCaps[0].usageMin, 1);
  EXPECT_EQ(c.buttonCaps[0].usageMax, 3);
  EXPECT_EQ(c.buttonCaps[0].bitOffset, 0u);
  EXPECT_EQ(c.buttonCaps[0].count, 3);
  EXPECT_FALSE(c.buttonCaps[0].isArray);
  ASSERT_EQ(c.valueCaps.size(), 3u);
  const uint16_t usages[] = {0x30, 0x31, 0x38};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(c.valueCaps[i].usage, usages[i]);
    EXPECT_EQ(c.valueCaps[i].bitOffset, 8 + 8 * i);
    EXPECT_EQ(c.valueCaps[i].bitSize, 8);
    EXPECT_EQ(c.valueCaps[i].logicalMin, -127);
    EXPECT_EQ(c.valueCaps[i].logicalMax, 127);
    EXPECT_TRUE(c.valueCaps[i].isSigned());
  }
}

TEST(ReportDescriptor, GlobalStateLocalUsagesAndLongItems) {
  // Push keeps page 0xFF00 and size 8; a 32-bit usage names its own page; a
  // long item in the middle is skipped; Pop restores page and size, and the
  // maximum 0xFF in one byte reads as 255 because the minimum is not negative.
  const Bytes bytes = {
      0x06, 0x00, 0xFF,                                // usage page 0xFF00
      0x0B, 0x01, 0x00, 0x0C, 0x00,                    // usage 0x000C:0001 (32-bit)
      0xA1, 0x01,                                      // collection
      0x85, 0x07, 0x75, 0x08, 0x15, 0x00,              // report id 7, size 8, logical min 0
      0x25, 0xFF,                                      // logical max 0xFF
      0xA4,                                            // push
      0x05, 0x09, 0x75, 0x01,                          // page 9, size 1
      0xFE, 0x02, 0x10, 0xAA, 0xBB,                    // long item, 2 data bytes
      0x19, 0x01, 0x29, 0x04, 0x95, 0x04, 0x81, 0x02,  // buttons 1..4
      0xB4,                                            // pop
      0x09, 0x20, 0x95, 0x02, 0x81, 0x02,              // two values 0xFF00:0020
      0xC0,
  };
  const auto result = parseReportDescriptor(bytes);
  ASSERT_TRUE(result.descriptor) << result.error;
  const auto& c = result.descriptor->collections[0];
  EXPECT_EQ(c.usagePage, 0x000C);
  EXPECT_EQ(c.usage, 0x0001);
  EXPECT_EQ(c.reportIds, std::vector<uint8_t>{7});
  EXPECT_EQ(c.inputReportLength, 1 + 3);  // 4 bits + 16 bits -> 3 bytes
  ASSERT_EQ(c.buttonCaps.size(), 1u);
  EXPECT_EQ(c.buttonCaps[0].usagePage, 0x0009);
  EXPECT_EQ(c.buttonCaps[0].usageMax, 4);
  ASSERT_EQ(c.valueCaps.size(), 1u);  // one usage for both elements
  EXPECT_EQ(c.valueCaps[0].usagePage, 0xFF00);
  EXPECT_EQ(c.valueCaps[0].count, 2);
  EXPECT_EQ(c.valueCaps[0].bitOffset, 4u);
  EXPECT_EQ(c.valueCaps[0].bitSize, 8);
  EXPECT_EQ(c.valueCaps[0].logicalMax, 255);
}

TEST(ReportDescriptor, CollectionsSharingAReportIdEachCountTheirOwnFields) {
  // Both collections use input report 1: the first holds 8 buttons and a
  // 16-bit value, the second one 8-bit value and a 4-bit feature field of the
  // same id; the second's fields start at the first data byte.
  const Bytes bytes = {
      0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,              // collection 0x0001:0002
      0x85, 0x01,                                      // report id 1
      0x05, 0x09, 0x19, 0x01, 0x29, 0x08,              // buttons 1..8
      0x75, 0x01, 0x95, 0x08, 0x81, 0x02,              //   8 x 1 bit
      0x05, 0x01, 0x09, 0x30, 0x75, 0x10, 0x95, 0x01,  // X, 16 bits
      0x81, 0x02, 0xC0,                                //
      0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,        // collection 0xFF00:0001
      0x09, 0x02, 0x75, 0x08, 0x81, 0x02,              // 8-bit value of report 1
      0x09, 0x03, 0x75, 0x04, 0xB1, 0x02,              // 4-bit feature of report 1
      0xC0,
  };
  const auto result = parseReportDescriptor(bytes);
  ASSERT_TRUE(result.descriptor) << result.error;
  expectShapes(*result.descriptor, {{0x0001, 0x0002, 4, 0, 0}, {0xFF00, 0x0001, 2, 0, 2}});
  const auto& first = result.descriptor->collections[0];
  const auto& second = result.descriptor->collections[1];
  EXPECT_EQ(first.reportIds, std::vector<uint8_t>{1});
  EXPECT_EQ(second.reportIds, std::vector<uint8_t>{1});
  ASSERT_EQ(first.valueCaps.size(), 1u);
  EXPECT_EQ(first.valueCaps[0].bitOffset, 8u);
  ASSERT_EQ(second.valueCaps.size(), 2u);
  EXPECT_EQ(second.valueCaps[0].kind, ReportKind::input);
  EXPECT_EQ(second.valueCaps[0].bitOffset, 0u);
  EXPECT_EQ(second.valueCaps[1].kind, ReportKind::feature);
  EXPECT_EQ(second.valueCaps[1].bitOffset, 0u);
}

TEST(ReportDescriptor, PopRestoresEveryGlobalItemTheReportIdIncluded) {
  // Inside one collection: Push under report 1, fields of report 2 with other
  // globals, Pop: the next field continues report 1 with report 1's globals.
  // Across collections: Push under report 1 in the first, report 3 in
  // between, Pop in the second: its field opens report 1 of the second.
  const Bytes bytes = {
      0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,  // collection 0xFF00:0001
      0x85, 0x01, 0x75, 0x08, 0x95, 0x01,        // report id 1, 1 x 8 bits
      0x15, 0x00, 0x25, 0x64,                    // logical 0..100
      0x35, 0x00, 0x45, 0x0A,                    // physical 0..10
      0x09, 0x10, 0x81, 0x02,                    // 0xFF00:0010 in report 1, bits 0..7
      0xA4,                                      // push
      0x85, 0x02, 0x05, 0x01, 0x75, 0x10,        // report id 2, page 1, 16 bits
      0x95, 0x02, 0x15, 0x81, 0x25, 0x7F,        // 2 elements, logical -127..127
      0x35, 0x81, 0x45, 0x7F,                    // physical -127..127
      0x09, 0x30, 0x09, 0x31, 0x81, 0x02,        // X and Y in report 2
      0xB4,                                      // pop
      0x09, 0x11, 0x81, 0x02,                    // 0xFF00:0011 in report 1, bits 8..15
      0xA4, 0x85, 0x03,                          // push, report id 3
      0x09, 0x12, 0x81, 0x02,                    // 0xFF00:0012 in report 3
      0xC0,                                      //
      0x09, 0x02, 0xA1, 0x01,                    // collection 0xFF00:0002 (page of report 3)
      0xB4,                                      // pop: report 1 again
      0x09, 0x13, 0x81, 0x02,                    // 0xFF00:0013 in report 1 of this collection
      0xC0,
  };
  const auto result = parseReportDescriptor(bytes);
  ASSERT_TRUE(result.descriptor) << result.error;
  expectShapes(*result.descriptor, {{0xFF00, 0x0001, 5, 0, 0}, {0xFF00, 0x0002, 2, 0, 0}});
  const auto& first = result.descriptor->collections[0];
  EXPECT_EQ(first.reportIds, (std::vector<uint8_t>{1, 2, 3}));
  ASSERT_EQ(first.valueCaps.size(), 5u);
  const auto& popped = first.valueCaps[3];
  EXPECT_EQ(popped.usage, 0x11);
  EXPECT_EQ(popped.reportId, 1);
  EXPECT_EQ(popped.usagePage, 0xFF00);
  EXPECT_EQ(popped.bitOffset, 8u);
  EXPECT_EQ(popped.bitSize, 8);
  EXPECT_EQ(popped.count, 1u);
  EXPECT_EQ(popped.logicalMin, 0);
  EXPECT_EQ(popped.logicalMax, 100);
  EXPECT_EQ(popped.physicalMin, 0);
  EXPECT_EQ(popped.physicalMax, 10);
  EXPECT_EQ(first.valueCaps[4].reportId, 3);
  EXPECT_EQ(first.valueCaps[4].bitOffset, 0u);

  const auto& second = result.descriptor->collections[1];
  EXPECT_EQ(second.reportIds, std::vector<uint8_t>{1});
  ASSERT_EQ(second.valueCaps.size(), 1u);
  EXPECT_EQ(second.valueCaps[0].usage, 0x13);
  EXPECT_EQ(second.valueCaps[0].reportId, 1);
  EXPECT_EQ(second.valueCaps[0].bitOffset, 0u);
  EXPECT_EQ(second.valueCaps[0].logicalMax, 100);
}

TEST(ReportDescriptor, ArrayUsageRangesMapIndicesInOrder) {
  // Array of two 8-bit indices, logical 1..6: indices 1..3 select usages
  // 0x10..0x12, 4..6 select 0x40..0x42.
  const Bytes bytes = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x01, 0x25, 0x06, 0x19, 0x10, 0x29,
                       0x12, 0x19, 0x40, 0x29, 0x42, 0x75, 0x08, 0x95, 0x02, 0x81, 0x00, 0xC0};
  const auto result = parseReportDescriptor(bytes);
  ASSERT_TRUE(result.descriptor) << result.error;
  const auto& caps = result.descriptor->collections[0].buttonCaps;
  ASSERT_EQ(caps.size(), 2u);
  EXPECT_TRUE(caps[0].isArray && caps[1].isArray);
  EXPECT_EQ(caps[0].arrayIndexMin, 1);
  EXPECT_EQ(caps[1].arrayIndexMin, 4);
  EXPECT_EQ(caps[1].usageMin, 0x40);
  EXPECT_EQ(caps[0].count, 2);
  EXPECT_EQ(caps[0].bitSize, 8);
}

TEST(ReportDescriptor, MalformedAndHostileDescriptorsAreErrors) {
  struct Case {
    const char* why;
    Bytes bytes;
  };
  Bytes pushTooDeep = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};
  pushTooDeep.insert(pushTooDeep.end(), kMaxGlobalStackDepth + 1, 0xA4);
  pushTooDeep.push_back(0xC0);
  Bytes nestedTooDeep;
  for (std::size_t i = 0; i <= kMaxCollectionDepth; ++i)
    nestedTooDeep.insert(nestedTooDeep.end(), {0xA1, 0x00});
  nestedTooDeep.insert(nestedTooDeep.end(), kMaxCollectionDepth + 1, 0xC0);
  Bytes manyUsages = {0xA1, 0x01};
  for (std::size_t i = 0; i <= kMaxUsagesPerMainItem; ++i)
    manyUsages.insert(manyUsages.end(), {0x09, 0x01});
  manyUsages.insert(manyUsages.end(), {0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0});
  // 8192 two-bit values with usages of their own, three times over.
  Bytes manyCaps = {0xA1, 0x01, 0x75, 0x02, 0x96, 0x00, 0x20};
  for (int i = 0; i < 3; ++i)
    manyCaps.insert(manyCaps.end(), {0x19, 0x01, 0x2A, 0xFF, 0xFF, 0x81, 0x02});
  manyCaps.push_back(0xC0);

  const std::vector<Case> cases = {
      {"empty", {}},
      {"truncated short item", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x26, 0xFF}},
      {"truncated long item", {0xA1, 0x01, 0xFE, 0x10, 0x00, 0x01, 0xC0}},
      {"end without collection", {0x05, 0x01, 0xC0}},
      {"collection not closed", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01}},
      {"no collection", {0x05, 0x01, 0x09, 0x02}},
      {"field outside a collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
      {"pop without push", {0xA1, 0x01, 0xB4, 0xC0}},
      {"push too deep", pushTooDeep},
      {"nested too deep", nestedTooDeep},
      {"report id 0", {0xA1, 0x01, 0x85, 0x00, 0xC0}},
      {"report size above 256", {0xA1, 0x01, 0x76, 0x01, 0x01, 0xC0}},
      {"report count of four billion", {0xA1, 0x01, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0xC0}},
      // 65535 elements of 256 bits: 2 MiB for one report.
      {"report too long", {0xA1, 0x01, 0x76, 0x00, 0x01, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0xC0}},
      {"usage maximum below minimum",
       {0xA1, 0x01, 0x19, 0x05, 0x29, 0x01, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02, 0xC0}},
      {"too many usages", manyUsages},
      {"too many capabilities", manyCaps},
  };
  for (const auto& c : cases) {
    const auto result = parseReportDescriptor(c.bytes);
    EXPECT_FALSE(result.descriptor) << c.why;
    EXPECT_FALSE(result.error.empty()) << c.why;
  }
}

TEST(ReportDescriptor, ErrorsNameTheOffendingByte) {
  const Bytes bytes = {0x05, 0x01, 0xA1, 0x01, 0xB4, 0xC0};
  const auto result = parseReportDescriptor(bytes);
  ASSERT_FALSE(result.descriptor);
  EXPECT_EQ(result.error, "byte 4: pop without push");
}

// The remembered count answers what the parser answers, for descriptors it
// remembers, for ones it has let go of, and for ones the host cannot use.
TEST(TopLevelCollectionCount, AgreesWithTheParserWhateverItStillRemembers) {
  std::vector<Bytes> descriptors;
  for (const auto& file : descriptorsIn(kInRepository)) {
    const Bytes bytes = readFile(file);
    descriptors.push_back(bytes);
    // The same descriptor cut short: usually unusable, sometimes fewer collections.
    descriptors.emplace_back(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
  }
  descriptors.push_back({0xA1, 0x01});  // a collection that never ends
  ASSERT_GT(descriptors.size(), 8u) << "more than it remembers";
  for (int round = 0; round < 3; ++round)
    for (const Bytes& d : descriptors) {
      const auto parsed = parseReportDescriptor(d);
      const std::optional<std::size_t> expected =
          parsed.descriptor ? std::optional(parsed.descriptor->collections.size()) : std::nullopt;
      EXPECT_EQ(topLevelCollectionCount(d), expected) << "round " << round << ", " << d.size() << " bytes";
    }
  EXPECT_EQ(topLevelCollectionCount(Bytes{0xA1, 0x01}), std::nullopt);
}

}  // namespace
}  // namespace varnacle::device
