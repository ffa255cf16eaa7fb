#pragma once
// The desktop's pointer settings that the mouse settings page changes for the whole session:
// double-click time, wheel lines per notch (or a page) and pointer speed. The values use the
// units the page's steps were designed for: milliseconds, lines (-1 = one page per notch), and a
// speed of 1..20 with 10 as the usual middle.
#include <memory>

namespace kz::settings {

inline constexpr int kWheelPageScroll = -1;
inline constexpr int kMinPointerSpeed = 1;
inline constexpr int kMaxPointerSpeed = 20;

class PointerSettings {
 public:
  virtual ~PointerSettings() = default;
  virtual int DoubleClickTime() = 0;
  virtual int WheelScrollLines() = 0;
  virtual int MouseSpeed() = 0;
  // False when the value could not be applied.
  virtual bool SetDoubleClickTime(int milliseconds) = 0;
  virtual bool SetWheelScrollLines(int lines) = 0;
  virtual bool SetMouseSpeed(int speed) = 0;
};

// Keeps the values in memory only (tests, and a fallback of last resort).
class InMemoryPointerSettings : public PointerSettings {
 public:
  int DoubleClickTime() override { return doubleClick_; }
  int WheelScrollLines() override { return wheelLines_; }
  int MouseSpeed() override { return speed_; }
  bool SetDoubleClickTime(int milliseconds) override;
  bool SetWheelScrollLines(int lines) override;
  bool SetMouseSpeed(int speed) override;

 private:
  int doubleClick_ = 500;
  int wheelLines_ = 3;
  int speed_ = 10;
};

// Step mappings of the page's 11-step sliders.
int DoubleClickTimeOfStep(int step);      // 900 - 70 x step
int DoubleClickStepOfTime(int milliseconds);  // exact match, else 0
int WheelScrollLinesOf(bool byPage, int step);  // -1, or step + 1
// Page scrolling turns `byPage` on and leaves `step`; a line count turns it off and sets step to
// lines - 1 (kept within 0..10).
void ScrollFromWheelLines(int lines, bool& byPage, int& step);
int MouseSpeedOfStep(int step);           // 2 x step, but 1 for step 0
int PointerStepOfSpeed(int speed);        // speed / 2, kept within 0..10

}  // namespace kz::settings
