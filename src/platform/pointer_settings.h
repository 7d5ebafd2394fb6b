#pragma once
// The system's pointer speed and wheel scroll lines: two settings that belong
// to the desktop, not to the mouse. The mouse page stores them in the mouse's
// record and hands them to an applier.
//
// Applying may block (a settings call, on Linux a helper process), so callers
// run it on a worker thread. Any thread.
#include <algorithm>
#include <functional>

namespace varnacle::platform {

inline constexpr int kPointerSpeedMin = 1;
inline constexpr int kPointerSpeedMax = 20;
inline constexpr int kWheelLinesMin = 1;
inline constexpr int kWheelLinesMax = 10;

constexpr int clampPointerSpeed(int speed) {
  return std::clamp(speed, kPointerSpeedMin, kPointerSpeedMax);
}
constexpr int clampWheelLines(int lines) {
  return std::clamp(lines, kWheelLinesMin, kWheelLinesMax);
}

// Sets the system pointer speed (1 slowest .. 10 default .. 20 fastest;
// clamped). Windows: the system parameter, saved to the user profile. Linux:
// the GNOME mouse speed through `gsettings` when it is on PATH, else nothing.
void applyPointerSpeed(int speed);
// Sets the lines one wheel notch scrolls (clamped to 1..10) and tells the
// running programs. Windows: the system parameter plus a settings-change
// broadcast. Linux: the desktops keep no such setting; a debug line says so.
void applyWheelLines(int lines);

// What the pages call; tests put recorders here instead of the system.
struct PointerApplier {
  std::function<void(int)> pointerSpeed = applyPointerSpeed;
  std::function<void(int)> wheelLines = applyWheelLines;
};

}  // namespace varnacle::platform
