#include "factory_defaults.h"

#include <string>

#include "keyboard/keyboard_config.h"
#include "macro/action_file.h"
#include "macro/macro_action.h"
#include "mouse/fire_key_bullets.h"
#include "profile/paths.h"
#include "profile/profile_file.h"
#include "profile/profile_registry.h"

namespace varnacle::tools {

namespace {

using profile::profileListInfo;
using profile::ProfileListKind;

struct KeyRecord {
  uint8_t type, p1, p2;
};

// Mouse buttons 0–6 as a mouse leaves the factory: left, middle, right,
// forward, back, DPI loop, and the seventh button without a function.
constexpr std::array<KeyRecord, 7> kMouseButtons = {{
    {0x10, 0x01, 0x00},
    {0x10, 0x04, 0x00},
    {0x10, 0x02, 0x00},
    {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00},
    {0x13, 0x03, 0x00},
    {0x05, 0x05, 0x05},
}};

// DPI stages as slider positions: position v means 200 + 100·v DPI below 49
// and 200 + 200·(v − 24) from 49 on.
constexpr uint8_t dpiPosition(int dpi) {
  return static_cast<uint8_t>(dpi <= 5000 ? (dpi - 200) / 100 : (dpi - 200) / 200 + 24);
}
constexpr std::array<uint8_t, 6> kDpiStages = {dpiPosition(400),  dpiPosition(800),
                                               dpiPosition(1600), dpiPosition(3200),
                                               dpiPosition(4800), dpiPosition(6400)};

struct Lighting {
  uint8_t mode, brightness, speed, direction, sevenColour, red, green, blue;
};

// Colour wave, full brightness, middle speed, all colours.
constexpr Lighting kMouseLighting = {0, 14, 7, 1, 1, 0xFF, 0x00, 0x00};
constexpr Lighting kKeyboardLighting = {0, 14, 7, 1, 1, 0xFF, 0x00, 0x00};
constexpr Lighting kMousePadLighting = {0, 14, 7, 1, 1, 0x00, 0xF6, 0xFF};

constexpr uint8_t kDpiColour[3] = {0x00, 0x8A, 0xFF};
constexpr uint8_t kReportRateItem = 3;  // the highest rate of the report-rate list
constexpr uint8_t kActiveDpiStage = 1;
constexpr uint8_t kLiftHeight = 1;
constexpr uint8_t kPointerSpeed = 10;  // the system's own default
constexpr uint8_t kWheelLines = 3;

// The keyboard's five custom colour tables, each one colour on every key.
constexpr std::array<std::array<uint8_t, 3>, 5> kCustomTableColours = {{
    {0xFF, 0x00, 0x00},
    {0x00, 0xF6, 0xFF},
    {0x6C, 0xFF, 0x00},
    {0x7E, 0x00, 0xFF},
    {0xFF, 0xFF, 0xFF},
}};
constexpr uint8_t kCustomPaintColour[3] = {0xFF, 0xFF, 0xFF};

// One fire-key pattern per sequence: the time between bullets and the pull
// that holds the aim, growing linearly from the first bullet to the last.
struct GunPattern {
  int intervalMs;
  int firstDown, lastDown;  // vertical pull per bullet
  int drift;                // sideways pull per bullet
  bool driftLeft;
};
constexpr std::array<GunPattern, 4> kGunPatterns = {{
    {100, 3, 3, 0, false},
    {80, 2, 6, 1, true},
    {120, 4, 8, 0, false},
    {60, 1, 4, 1, false},
}};
constexpr int kTriggerHoldUnits = 2;  // 20 ms between press and release

void putLighting(std::vector<uint8_t>& record, const Lighting& l) {
  const uint8_t bytes[8] = {l.mode,        l.brightness, l.speed, l.direction,
                            l.sevenColour, l.red,        l.green, l.blue};
  std::copy(std::begin(bytes), std::end(bytes), record.begin() + 1);
}

void putRecords(std::vector<uint8_t>& table, std::span<const KeyRecord> records) {
  for (size_t k = 0; k < records.size(); ++k) {
    table[3 * k] = records[k].type;
    table[3 * k + 1] = records[k].p1;
    table[3 * k + 2] = records[k].p2;
  }
}

std::vector<uint8_t> payload(ProfileListKind kind) {
  return std::vector<uint8_t>(profileListInfo(kind).payloadSize, 0);
}

std::vector<uint8_t> mouseLighting() {
  std::vector<uint8_t> record = payload(ProfileListKind::mouseLighting);
  putLighting(record, kMouseLighting);
  std::copy(std::begin(kDpiColour), std::end(kDpiColour), record.begin() + 11);
  record[14] = kReportRateItem;
  std::copy(kDpiStages.begin(), kDpiStages.begin() + 4, record.begin() + 15);
  record[19] = kActiveDpiStage;
  record[20] = kDpiStages[4];
  record[21] = kDpiStages[5];
  record[22] = kLiftHeight;
  record[23] = kPointerSpeed;
  record[24] = kWheelLines;
  return record;
}

std::vector<uint8_t> mousePadLighting() {
  std::vector<uint8_t> record = payload(ProfileListKind::mousePadLighting);
  putLighting(record, kMousePadLighting);
  return record;
}

std::vector<uint8_t> keyboardLighting() {
  std::vector<uint8_t> block = payload(ProfileListKind::keyboardLighting);
  putLighting(block, kKeyboardLighting);
  block[64] = 0;  // custom table 0
  std::copy(std::begin(kCustomPaintColour), std::end(kCustomPaintColour), block.begin() + 65);
  for (size_t t = 0; t < kCustomTableColours.size(); ++t) {
    for (size_t led = 0; led < 126; ++led) {
      std::copy(kCustomTableColours[t].begin(), kCustomTableColours[t].end(),
                block.begin() + 68 + 378 * t + 3 * led);
    }
  }
  return block;
}

// The keys of a keyboard that has a key for every position of the picture,
// in device order: the table the key page starts from before any keyboard
// is read.
std::vector<uint8_t> keyboardKeys() {
  std::vector<uint8_t> table = payload(ProfileListKind::keyboardKeys);
  std::copy(keyboard::kInitialKeyboardKeys.begin(), keyboard::kInitialKeyboardKeys.end(),
            table.begin());
  return table;
}

std::vector<uint8_t> keyTable(ProfileListKind kind, std::span<const KeyRecord> records) {
  std::vector<uint8_t> table = payload(kind);
  putRecords(table, records);
  return table;
}

// A bullet: press and release the left button, a placeholder step, then the
// three lines the editor shows: the pause to the next bullet and the pull.
std::vector<std::string> sequenceLines(const GunPattern& gun) {
  using macro::MacroAction;
  std::vector<std::string> lines;
  for (int b = 0; b < mouse::kBulletCount; ++b) {
    const MacroAction press{kTriggerHoldUnits, 0, 0x81, 0x01, 1, "mouse_key_left"};
    const MacroAction release{0, 0, 0x01, 0x01, 0, "mouse_key_left"};
    const int down = gun.firstDown + (gun.lastDown - gun.firstDown) * b / (mouse::kBulletCount - 1);
    std::vector<std::string> bullet = {
        macro::formatMacroAction(press),
        macro::formatMacroAction(release),
        macro::formatMacroAction(mouse::horizontalMove(0, false)),
        macro::formatMacroAction(mouse::withPause(mouse::verticalMove(0, false), gun.intervalMs)),
        macro::formatMacroAction(mouse::horizontalMove(gun.drift, gun.driftLeft)),
        macro::formatMacroAction(mouse::verticalMove(down, false)),
    };
    lines.insert(lines.end(), bullet.begin(), bullet.end());
  }
  return lines;
}

bool writeProfile(const std::filesystem::path& folder, ProfileListKind kind,
                  const std::vector<uint8_t>& bytes) {
  return profile::WriteProfileFile(profile::fileIn(folder, profileListInfo(kind).defaultFile),
                                   bytes);
}

}  // namespace

bool writeFactoryDefaults(const std::filesystem::path& folder) {
  bool ok = writeProfile(folder, ProfileListKind::keyboardLighting, keyboardLighting());
  ok = writeProfile(folder, ProfileListKind::keyboardKeys, keyboardKeys()) && ok;
  ok = writeProfile(folder, ProfileListKind::mouseLighting, mouseLighting()) && ok;
  ok = writeProfile(folder, ProfileListKind::mouseKeys,
                    keyTable(ProfileListKind::mouseKeys, kMouseButtons)) &&
       ok;
  ok = writeProfile(folder, ProfileListKind::mousePadLighting, mousePadLighting()) && ok;
  for (size_t g = 0; g < kGunPatterns.size(); ++g) {
    const std::string name = std::string("name_").append(std::to_string(g + 1)).append(".cur");
    ok = macro::replaceActionFile(profile::fileIn(folder, name), sequenceLines(kGunPatterns[g])) &&
         ok;
  }
  return ok;
}

}  // namespace varnacle::tools
