#include "settings/pointer_settings.h"

#include <algorithm>
#include <mutex>

#include "base/paths.h"
#include "settings/desktop_pointer_settings.h"
#include "settings/mouse_settings.h"

namespace kz::settings {

bool InMemoryPointerSettings::SetDoubleClickTime(int milliseconds) {
  if (milliseconds <= 0) return false;
  doubleClick_ = milliseconds;
  return true;
}

bool InMemoryPointerSettings::SetWheelScrollLines(int lines) {
  if (lines != kWheelPageScroll && lines <= 0) return false;
  wheelLines_ = lines;
  return true;
}

bool InMemoryPointerSettings::SetMouseSpeed(int speed) {
  if (speed < kMinPointerSpeed || speed > kMaxPointerSpeed) return false;
  speed_ = speed;
  return true;
}

int DoubleClickTimeOfStep(int step) { return 900 - 70 * std::clamp(step, 0, kMaxStep); }

int DoubleClickStepOfTime(int milliseconds) {
  for (int step = 0; step <= kMaxStep; ++step)
    if (DoubleClickTimeOfStep(step) == milliseconds) return step;
  return 0;
}

int WheelScrollLinesOf(bool byPage, int step) { return byPage ? kWheelPageScroll : std::clamp(step, 0, kMaxStep) + 1; }

void ScrollFromWheelLines(int lines, bool& byPage, int& step) {
  if (lines == kWheelPageScroll) {
    byPage = true;
    return;
  }
  byPage = false;
  step = std::clamp(lines - 1, 0, kMaxStep);
}

int MouseSpeedOfStep(int step) {
  step = std::clamp(step, 0, kMaxStep);
  return step == 0 ? 1 : 2 * step;
}

int PointerStepOfSpeed(int speed) { return std::clamp(speed / 2, 0, kMaxStep); }

}  // namespace kz::settings
