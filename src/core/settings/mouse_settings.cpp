#include "settings/mouse_settings.h"

#include <algorithm>
#include <cstdio>

namespace kz::settings {

int EnabledLevelCount(const MouseSettings& settings) {
  return static_cast<int>(std::count_if(settings.levels.begin(), settings.levels.end(),
                                        [](const DpiLevel& level) { return level.enabled; }));
}

int ActiveLevelPosition(const MouseSettings& settings) {
  int position = 0;
  for (int i = 0; i <= settings.activeLevel && i < kDpiLevelCount; ++i)
    if (settings.levels[static_cast<size_t>(i)].enabled) ++position;
  return position;
}

int LevelAtPosition(const MouseSettings& settings, int position) {
  for (int i = 0; i < kDpiLevelCount; ++i)
    if (settings.levels[static_cast<size_t>(i)].enabled && --position == 0) return i;
  return -1;
}

int SensitivityDeviceByte(int step) { return kSensitivityBytes[std::clamp(step, 0, kMaxStep)]; }

int SensitivityStepOf(int deviceByte) {
  for (int step = 0; step <= kMaxStep; ++step)
    if (kSensitivityBytes[step] == deviceByte) return step;
  return 0;
}

int ReportRateOfCode(int code) {
  for (int choice = 0; choice < kReportRateCount; ++choice)
    if (kReportRateCodes[choice] == code) return choice;
  return -1;
}

std::string DpiCommand(const MouseSettings& settings) {
  char text[64];
  int length = std::snprintf(text, sizeof text, "03 10 %02d %02d ", EnabledLevelCount(settings),
                             ActiveLevelPosition(settings));
  for (const DpiLevel& level : settings.levels) {
    int units = level.enabled ? std::clamp(level.value, kMinDpi, kMaxDpi) / kDpiUnit : 0;
    length += std::snprintf(text + length, sizeof text - static_cast<size_t>(length), "%02X ", units);
  }
  return text;
}

std::string ReportCommand(const MouseSettings& settings) {
  char text[64];
  std::snprintf(text, sizeof text, "03 12 00 %02X 10 01 01 %02X %02X %02X %02X",
                kReportRateCodes[std::clamp(settings.reportRate, 0, kReportRateCount - 1)],
                SensitivityDeviceByte(settings.sense), SensitivityDeviceByte(settings.sensitivityX),
                SensitivityDeviceByte(settings.sensitivityY), settings.sensitivitySwitch ? 1 : 0);
  return text;
}

MouseSettings Normalized(MouseSettings settings) {
  for (DpiLevel& level : settings.levels) level.value = std::clamp(level.value, kMinDpi, kMaxDpi);
  settings.activeLevel = std::clamp(settings.activeLevel, 0, kDpiLevelCount - 1);
  settings.levels[static_cast<size_t>(settings.activeLevel)].enabled = true;
  settings.reportRate = std::clamp(settings.reportRate, 0, kReportRateCount - 1);
  for (int* step : {&settings.sense, &settings.sensitivityX, &settings.sensitivityY, &settings.doubleClick,
                    &settings.scrollSpeed, &settings.pointerSpeed})
    *step = std::clamp(*step, 0, kMaxStep);
  return settings;
}

}  // namespace kz::settings
