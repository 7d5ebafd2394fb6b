#pragma once
// The bullets of a fire-key sequence. Bullet b (0–29) owns lines 6b … 6b+5 of
// the sequence file; the editor shows and changes only the last three:
//
//   6b … 6b+2   carried unchanged
//   6b+3        the pause: delayLow/delayHigh in 10 ms units, other fields kept
//   6b+4        horizontal move: kind 4 (bit 7 = left), value = distance
//   6b+5        vertical move:   kind 5 (bit 7 = up),   value = distance
//
// Pure functions for the mouse page; no files, no controls.
#include <array>
#include <span>
#include <string>
#include <vector>

#include "macro/macro_action.h"

namespace varnacle::mouse {

inline constexpr int kBulletCount = 30;
inline constexpr int kLinesPerBullet = 6;
inline constexpr int kSequenceLines = kBulletCount * kLinesPerBullet;
inline constexpr int kMaxPauseMs = 65535;
inline constexpr int kMaxMoveDistance = 255;

// Values typed above their limit become the limit (negative ones 0).
int clampPauseMs(int ms);
int clampDistance(int distance);

// The pause of a line in milliseconds, as shown: units × 10.
int pauseMs(const macro::MacroAction& line);

// `line` with the pause `ms` (clamped): delayLow = (ms / 10) mod 256,
// delayHigh = ms / 2560. 1234 ms → 123 units; 65535 ms → 153 and 25.
macro::MacroAction withPause(macro::MacroAction line, int ms);

// The move lines: no pause, kind 4/5 with bit 7 for left/up, the distance
// (clamped), pressed 1 for left/up, the direction's label.
macro::MacroAction horizontalMove(int distance, bool left);
macro::MacroAction verticalMove(int distance, bool up);

struct Bullet {
  int pauseMs = 0;
  int x = 0;
  bool left = false;
  int y = 0;
  bool up = false;
  bool operator==(const Bullet&) const = default;
};

// The bullet as the editor shows it. Of lines 6b+4 and 6b+5, a line of kind 4
// gives x, one of kind 5 gives y; other, missing or unparsable lines are skipped.
Bullet loadBullet(std::span<const std::string> lines, int bullet);

// Writes the bullet into the lines (values clamped): line 6b+3 gets the pause
// and keeps its other fields, 6b+4 and 6b+5 are rewritten whole. A sequence
// shorter than 6b+6 lines is first filled with all-zero steps.
void saveBullet(std::vector<std::string>& lines, int bullet, const Bullet& value);

// A place on the pointer's path, in mouse counts: x grows to the right, y
// downwards, the pointer starts at 0,0.
struct PathPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PathPoint&) const = default;
};

// Where the pointer stands before the first bullet and after each of the
// thirty: the sum of every move line (kind 4 or 5, left and up negative) of
// the bullets so far, whichever of their six lines holds it. Missing or
// unparsable lines move nothing.
std::array<PathPoint, kBulletCount + 1> bulletPath(std::span<const std::string> lines);

}  // namespace varnacle::mouse
