#pragma once
// The settings of the mouse settings page (DPI levels, report rate, sensitivities and the three
// desktop pointer settings) and the two commands that carry the device part to the mouse.
#include <array>
#include <string>

namespace kz::settings {

inline constexpr int kDpiLevelCount = 4;
inline constexpr int kMinDpi = 200;
inline constexpr int kMaxDpi = 8200;
inline constexpr int kDpiButtonStep = 100;  // the plus and minus buttons
inline constexpr int kDpiUnit = 50;         // the mouse counts DPI in units of 50
inline constexpr int kReportRateCount = 4;
inline constexpr int kReportRateCodes[kReportRateCount] = {0x07, 0x03, 0x01, 0x00};
inline constexpr int kMaxStep = 10;           // every 11-step slider runs 0..10
inline constexpr int kNeutralSensitivity = 5;
// Sign-and-magnitude bytes of the sensitivity steps 0..10 (5 is neutral).
inline constexpr int kSensitivityBytes[kMaxStep + 1] = {0x85, 0x84, 0x83, 0x82, 0x81, 0x00,
                                                       0x01, 0x02, 0x03, 0x04, 0x05};

struct DpiLevel {
  bool enabled = true;
  int value = 1600;  // 200..8200
  bool operator==(const DpiLevel&) const = default;
};

struct MouseSettings {
  std::array<DpiLevel, kDpiLevelCount> levels{{{true, 1600}, {true, 3200}, {true, 6400}, {true, 8200}}};
  int activeLevel = 0;  // index 0..3; that level is always enabled
  int reportRate = 3;   // choice 0..3
  int sense = kNeutralSensitivity;
  int sensitivityX = kNeutralSensitivity;
  int sensitivityY = kNeutralSensitivity;
  bool sensitivitySwitch = false;
  // Desktop pointer settings, as steps 0..10.
  int doubleClick = 5;
  bool scrollByPage = false;
  int scrollSpeed = 4;
  int pointerSpeed = 4;

  bool operator==(const MouseSettings&) const = default;
};

int EnabledLevelCount(const MouseSettings& settings);
// 1-based position of the active level among the enabled levels.
int ActiveLevelPosition(const MouseSettings& settings);
// Index of the enabled level at a 1-based position, or -1.
int LevelAtPosition(const MouseSettings& settings, int position);

int SensitivityDeviceByte(int step);
// The step whose byte equals `deviceByte`; 0 when none does.
int SensitivityStepOf(int deviceByte);
// The report-rate choice of a device code; -1 when none has it.
int ReportRateOfCode(int code);

// "03 10 <count> <active position> <level 1..4> ": each level as DPI / 50 in hexadecimal, or 00
// when disabled; each level field is followed by a blank. The factory state gives
// "03 10 04 01 20 40 80 A4 ".
std::string DpiCommand(const MouseSettings& settings);
// "03 12 00 <rate code> 10 01 01 <sense> <x> <y> <switch>".
std::string ReportCommand(const MouseSettings& settings);

// Keeps every field in its range and the active level enabled (settings from a stored row or
// another program are not trusted to).
MouseSettings Normalized(MouseSettings settings);

}  // namespace kz::settings
