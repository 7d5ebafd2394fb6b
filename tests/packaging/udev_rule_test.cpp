// The udev rule that opens the devices' hidraw nodes to the user at the seat:
// every line is well-formed udev syntax, and it names exactly the devices the
// program talks to.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device/session_connect.h"

namespace {

struct Pair {
  std::string key;  // with its {attribute}, e.g. ATTRS{idVendor}
  std::string op;   // == != = += -= :=
  std::string value;
};

// Splits one rule line into its comma-separated KEY OP "VALUE" pairs, as udev
// reads them. An empty result with `error` set means the line is malformed.
std::vector<Pair> parseRule(const std::string& line, std::string& error) {
  std::vector<Pair> pairs;
  size_t i = 0;
  auto skipSpace = [&] {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  };
  while (true) {
    skipSpace();
    Pair pair;
    while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '_'))
      pair.key += line[i++];
    if (pair.key.empty()) return error = "a key is expected at column " + std::to_string(i), pairs;
    if (i < line.size() && line[i] == '{') {
      const size_t close = line.find('}', i);
      if (close == std::string::npos || close == i + 1) return error = "bad {attribute}", pairs;
      pair.key += line.substr(i, close - i + 1);
      i = close + 1;
    }
    skipSpace();
    for (const char* op : {"==", "!=", "+=", "-=", ":=", "="}) {
      if (line.compare(i, std::char_traits<char>::length(op), op) == 0) {
        pair.op = op;
        i += pair.op.size();
        break;
      }
    }
    if (pair.op.empty()) return error = "an operator is expected after " + pair.key, pairs;
    skipSpace();
    if (i >= line.size() || line[i] != '"') return error = "a quoted value is expected", pairs;
    const size_t close = line.find('"', i + 1);
    if (close == std::string::npos) return error = "the value is not closed", pairs;
    pair.value = line.substr(i + 1, close - i - 1);
    i = close + 1;
    pairs.push_back(pair);
    skipSpace();
    if (i == line.size()) return pairs;
    if (line[i] != ',') return error = "a comma is expected at column " + std::to_string(i), pairs;
    ++i;
  }
}

// What a udev key may do: compare (== !=), assign (= += -= :=) or either.
enum class KeyUse { Match, Assign, Either };

std::optional<KeyUse> keyUse(const std::string& key) {
  static const std::map<std::string, KeyUse, std::less<>> kKeys = {
      {"ACTION", KeyUse::Match},   {"DEVPATH", KeyUse::Match},   {"KERNEL", KeyUse::Match},
      {"KERNELS", KeyUse::Match},  {"SUBSYSTEM", KeyUse::Match}, {"SUBSYSTEMS", KeyUse::Match},
      {"DRIVER", KeyUse::Match},   {"DRIVERS", KeyUse::Match},   {"ATTRS", KeyUse::Match},
      {"ATTR", KeyUse::Either},    {"ENV", KeyUse::Either},      {"TAG", KeyUse::Either},
      {"SYMLINK", KeyUse::Either}, {"MODE", KeyUse::Assign},     {"GROUP", KeyUse::Assign},
      {"OWNER", KeyUse::Assign},   {"RUN", KeyUse::Assign},      {"OPTIONS", KeyUse::Assign},
  };
  const std::string name = key.substr(0, key.find('{'));
  const bool hasAttribute = name.size() != key.size();
  const auto it = kKeys.find(name);
  if (it == kKeys.end()) return std::nullopt;
  // Only these keys take an {attribute}, and ATTR, ATTRS and ENV need one.
  const bool takesAttribute = name == "ATTR" || name == "ATTRS" || name == "ENV" || name == "RUN";
  if (hasAttribute && !takesAttribute) return std::nullopt;
  if (!hasAttribute && name != "RUN" && takesAttribute) return std::nullopt;
  return it->second;
}

bool allowed(KeyUse use, const std::string& op) {
  const bool match = op == "==" || op == "!=";
  return use == KeyUse::Either || (use == KeyUse::Match) == match;
}

std::string hex4(uint16_t id) {
  char text[5];
  std::snprintf(text, sizeof text, "%04x", id);
  return text;
}

TEST(UdevRule, ParserRejectsWhatUdevRejects) {
  std::string error;
  EXPECT_EQ(parseRule(R"(SUBSYSTEM=="hidraw", TAG+="uaccess")", error).size(), 2u);
  for (const char* bad :
       {R"(SUBSYSTEM=="hidraw" TAG+="uaccess")", R"(SUBSYSTEM=hidraw)", R"(SUBSYSTEM=="hidraw)",
        R"(ATTRS{}=="x")", R"(=="x")", R"(SUBSYSTEM~"hidraw")"}) {
    error.clear();
    parseRule(bad, error);
    EXPECT_FALSE(error.empty()) << bad;
  }
  EXPECT_FALSE(keyUse("ATTRS"));
  EXPECT_FALSE(keyUse("SUBSYSTEM{x}"));
  EXPECT_FALSE(keyUse("IDVENDOR"));
  EXPECT_FALSE(allowed(*keyUse("ATTRS{idVendor}"), "="));
  EXPECT_FALSE(allowed(*keyUse("MODE"), "=="));
  EXPECT_TRUE(allowed(*keyUse("TAG"), "+="));
}

TEST(UdevRule, OpensExactlyTheProgramsDevicesToTheSeatUser) {
  std::ifstream in(VARNACLE_UDEV_RULE);
  ASSERT_TRUE(in) << VARNACLE_UDEV_RULE;
  std::set<std::string> expected;
  for (const auto& identity : varnacle::device::kSessionIdentities)
    expected.insert(hex4(identity.vendorId) + ":" + hex4(identity.productId));

  std::set<std::string> opened;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (line.empty() || line.front() == '#') continue;
    ASSERT_NE(line.back(), '\\') << "line " << number << ": continued lines are not used";
    std::string error;
    const std::vector<Pair> pairs = parseRule(line, error);
    ASSERT_TRUE(error.empty()) << "line " << number << ": " << error;
    std::string subsystem, vendor, product;
    bool uaccess = false;
    for (const Pair& p : pairs) {
      const std::optional<KeyUse> use = keyUse(p.key);
      ASSERT_TRUE(use) << "line " << number << ": unknown key " << p.key;
      EXPECT_TRUE(allowed(*use, p.op)) << "line " << number << ": " << p.key << p.op;
      if (p.key == "SUBSYSTEM") subsystem = p.value;
      if (p.key == "ATTRS{idVendor}") vendor = p.value;
      if (p.key == "ATTRS{idProduct}") product = p.value;
      if (p.key == "TAG" && p.op == "+=" && p.value == "uaccess") uaccess = true;
    }
    EXPECT_EQ(subsystem, "hidraw") << "line " << number;
    EXPECT_TRUE(uaccess) << "line " << number;
    // sysfs spells the ids in lower-case hex, and udev compares exactly.
    EXPECT_EQ(vendor.size(), 4u) << "line " << number;
    EXPECT_EQ(product.size(), 4u) << "line " << number;
    opened.insert(vendor + ":" + product);
  }
  EXPECT_EQ(opened, expected);
}

}  // namespace
