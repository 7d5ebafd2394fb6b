#include "mouse/fire_key_bullets.h"

#include <algorithm>

namespace varnacle::mouse {

using macro::MacroAction;
using macro::MacroStepKind;

int clampPauseMs(int ms) {
  return std::clamp(ms, 0, kMaxPauseMs);
}
int clampDistance(int distance) {
  return std::clamp(distance, 0, kMaxMoveDistance);
}

int pauseMs(const MacroAction& line) {
  return line.pauseUnits() * 10;
}

MacroAction withPause(MacroAction line, int ms) {
  ms = clampPauseMs(ms);
  line.delayLow = static_cast<uint8_t>((ms / 10) % 256);
  line.delayHigh = static_cast<uint8_t>(ms / 2560);
  return line;
}

namespace {

MacroAction move(MacroStepKind kind, int distance, bool flag) {
  MacroAction line;
  line.kind = static_cast<uint8_t>(static_cast<uint8_t>(kind) | (flag ? macro::kPressFlag : 0));
  line.value = static_cast<uint8_t>(clampDistance(distance));
  line.pressed = flag ? 1 : 0;
  line.label = std::string(macro::labelForStep(line.kind, line.value));
  return line;
}

std::optional<MacroAction> lineAt(std::span<const std::string> lines, size_t index) {
  if (index >= lines.size()) return std::nullopt;
  return macro::parseMacroAction(lines[index]);
}

}  // namespace

MacroAction horizontalMove(int distance, bool left) {
  return move(MacroStepKind::MoveHorizontal, distance, left);
}

MacroAction verticalMove(int distance, bool up) {
  return move(MacroStepKind::MoveVertical, distance, up);
}

Bullet loadBullet(std::span<const std::string> lines, int bullet) {
  Bullet result;
  if (bullet < 0 || bullet >= kBulletCount) return result;
  const size_t first = static_cast<size_t>(bullet) * kLinesPerBullet;
  if (const auto pause = lineAt(lines, first + 3)) result.pauseMs = pauseMs(*pause);
  for (size_t index : {first + 4, first + 5}) {
    const auto line = lineAt(lines, index);
    if (!line) continue;
    if (line->stepKind() == static_cast<uint8_t>(MacroStepKind::MoveHorizontal)) {
      result.x = line->value;
      result.left = line->flag();
    } else if (line->stepKind() == static_cast<uint8_t>(MacroStepKind::MoveVertical)) {
      result.y = line->value;
      result.up = line->flag();
    }
  }
  return result;
}

void saveBullet(std::vector<std::string>& lines, int bullet, const Bullet& value) {
  if (bullet < 0 || bullet >= kBulletCount) return;
  const size_t first = static_cast<size_t>(bullet) * kLinesPerBullet;
  if (lines.size() < first + kLinesPerBullet) {
    lines.resize(first + kLinesPerBullet, macro::formatMacroAction(MacroAction{}));
  }
  const MacroAction pause = lineAt(lines, first + 3).value_or(MacroAction{});
  lines[first + 3] = macro::formatMacroAction(withPause(pause, value.pauseMs));
  lines[first + 4] = macro::formatMacroAction(horizontalMove(value.x, value.left));
  lines[first + 5] = macro::formatMacroAction(verticalMove(value.y, value.up));
}

std::array<PathPoint, kBulletCount + 1> bulletPath(std::span<const std::string> lines) {
  std::array<PathPoint, kBulletCount + 1> path{};
  PathPoint at;
  for (int bullet = 0; bullet < kBulletCount; ++bullet) {
    const size_t first = static_cast<size_t>(bullet) * kLinesPerBullet;
    for (size_t index = first; index < first + kLinesPerBullet; ++index) {
      const auto line = lineAt(lines, index);
      if (!line) continue;
      const int step = line->flag() ? -line->value : line->value;
      if (line->stepKind() == static_cast<uint8_t>(MacroStepKind::MoveHorizontal)) at.x += step;
      if (line->stepKind() == static_cast<uint8_t>(MacroStepKind::MoveVertical)) at.y += step;
    }
    path[static_cast<size_t>(bullet) + 1] = at;
  }
  return path;
}

}  // namespace varnacle::mouse
