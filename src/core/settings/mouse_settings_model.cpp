#include "settings/mouse_settings_model.h"

#include <algorithm>
#include <string>

#include "device/status_report.h"
#include "store/users.h"

namespace kz::settings {
namespace {

std::string LevelColumn(int level) { return "dpi_" + std::to_string(level + 1); }
std::string LevelEnabledColumn(int level) { return "dpi_" + std::to_string(level + 1) + "c"; }
int Step(int step) { return std::clamp(step, 0, kMaxStep); }

}  // namespace

MouseSettingsModel::MouseSettingsModel(store::Database& db, std::shared_ptr<PointerSettings> pointer, DeviceLink link)
    : db_(db), pointer_(pointer ? std::move(pointer) : std::make_shared<InMemoryPointerSettings>()), link_(std::move(link)) {}

WriteSequence MouseSettingsModel::BuildWrite() const {
  owner_.Check("mouse settings");
  WriteSequence write;
  std::string dpi = DpiCommand(settings_);
  write.Log(" 1.start write dpi " + dpi);
  write.Send(dpi);
  write.Log(" write dpi ok");
  write.Pause(kCommandPauseMs);
  std::string report = ReportCommand(settings_);
  write.Log(" 2.start write report " + report);
  write.Send(report);
  write.Log(" write report ok");
  return write;
}

bool MouseSettingsModel::WriteToDevice() { return BuildWrite().Run(link_); }

LoadResult MouseSettingsModel::Load(const ProfileKey& key) {
  owner_.Check("mouse settings");
  store::Recordset rs(db_);
  if (const LoadResult opened = OpenStoredProfileRow(rs, key); opened != LoadResult::kLoaded) return opened;
  // Columns another page's save left NULL read as the factory values, not as zeros.
  const MouseSettings factory;
  MouseSettings loaded;
  for (int level = 0; level < kDpiLevelCount; ++level) {
    DpiLevel& target = loaded.levels[static_cast<size_t>(level)];
    const DpiLevel& fallback = factory.levels[static_cast<size_t>(level)];
    target.value = IntColumnIn(rs, LevelColumn(level), fallback.value, kMinDpi, kMaxDpi);
    target.enabled = IntColumn(rs, LevelEnabledColumn(level)).value_or(fallback.enabled ? 1 : 0) != 0;
  }
  loaded.activeLevel = IntColumnIn(rs, "dpi_active", factory.activeLevel, 0, kDpiLevelCount - 1);
  loaded.reportRate = IntColumnIn(rs, "report_rate", factory.reportRate, 0, kReportRateCount - 1);
  loaded.doubleClick = IntColumnIn(rs, "doubleClick", factory.doubleClick, 0, kMaxStep);
  loaded.sense = IntColumnIn(rs, "Sense", factory.sense, 0, kMaxStep);
  loaded.sensitivitySwitch = IntColumn(rs, "sensitivity").value_or(0) != 0;
  loaded.sensitivityX = IntColumnIn(rs, "sensitivity_x", factory.sensitivityX, 0, kMaxStep);
  loaded.sensitivityY = IntColumnIn(rs, "sensitivity_y", factory.sensitivityY, 0, kMaxStep);
  loaded.scrollByPage = IntColumn(rs, "vertical_scroll_page").value_or(0) != 0;
  loaded.scrollSpeed = IntColumnIn(rs, "vertical_scroll_speed", factory.scrollSpeed, 0, kMaxStep);
  loaded.pointerSpeed = IntColumnIn(rs, "mouse_point_speed", factory.pointerSpeed, 0, kMaxStep);
  settings_ = Normalized(loaded);
  ApplyDesktopSettings();
  ReadDesktopSettings();
  return LoadResult::kLoaded;
}

bool MouseSettingsModel::SaveToStore(const ProfileKey& key) {
  owner_.Check("mouse settings");
  store::Recordset rs(db_);
  if (!OpenProfileRowForSave(rs, key)) return false;
  const MouseSettings& s = settings_;
  rs.SetFieldValue("dpi_active", static_cast<long long>(s.activeLevel));
  for (int level = 0; level < kDpiLevelCount; ++level) {
    const DpiLevel& stored = s.levels[static_cast<size_t>(level)];
    rs.SetFieldValue(LevelColumn(level), static_cast<long long>(stored.value));
    rs.SetFieldValue(LevelEnabledColumn(level), stored.enabled ? 1LL : 0LL);
  }
  rs.SetFieldValue("report_rate", static_cast<long long>(s.reportRate));
  rs.SetFieldValue("doubleClick", static_cast<long long>(s.doubleClick));
  rs.SetFieldValue("Sense", static_cast<long long>(s.sense));
  rs.SetFieldValue("sensitivity", s.sensitivitySwitch ? 1LL : 0LL);
  rs.SetFieldValue("sensitivity_x", static_cast<long long>(s.sensitivityX));
  rs.SetFieldValue("sensitivity_y", static_cast<long long>(s.sensitivityY));
  rs.SetFieldValue("vertical_scroll_page", s.scrollByPage ? 1LL : 0LL);
  rs.SetFieldValue("vertical_scroll_speed", static_cast<long long>(s.scrollSpeed));
  rs.SetFieldValue("mouse_point_speed", static_cast<long long>(s.pointerSpeed));
  if (!rs.Update()) {
    rs.CancelUpdate();
    return false;
  }
  ApplyDesktopSettings();
  return true;
}

void MouseSettingsModel::ResetToDefaults() {
  MouseSettings defaults;
  defaults.sensitivitySwitch = settings_.sensitivitySwitch;
  settings_ = defaults;
  ReadDesktopSettings();
}

void MouseSettingsModel::ApplyDeviceStatus(const device::StatusReport& report) {
  owner_.Check("mouse settings");
  MouseSettings next = settings_;
  bool anyLevel = false;
  for (int level = 0; level < kDpiLevelCount; ++level) {
    int units = report.dpi[static_cast<size_t>(level)];
    DpiLevel& target = next.levels[static_cast<size_t>(level)];
    target.enabled = units != 0;
    if (units != 0) {
      target.value = std::clamp(units * kDpiUnit, kMinDpi, kMaxDpi);
      anyLevel = true;
    }
  }
  // A report without a single level names no usable DPI state; the page keeps its levels.
  if (anyLevel) {
    int position = report.activeDpiLevel;
    int level = LevelAtPosition(next, position);
    if (level < 0) {
      // A position past the enabled levels falls back to the first one. A position that names no
      // level at all keeps the current level while it is still enabled.
      bool namesNoLevel = position < 1 || position > kDpiLevelCount;
      bool keep = namesNoLevel && next.levels[static_cast<size_t>(next.activeLevel)].enabled;
      level = keep ? next.activeLevel : LevelAtPosition(next, 1);
    }
    next.activeLevel = level;
    settings_.levels = next.levels;
    settings_.activeLevel = next.activeLevel;
  }
  int rate = ReportRateOfCode(report.reportRateCode);
  if (rate >= 0) settings_.reportRate = rate;
  settings_.sense = SensitivityStepOf(report.sense);
  settings_.sensitivityX = SensitivityStepOf(report.sensitivityX);
  settings_.sensitivityY = SensitivityStepOf(report.sensitivityY);
  settings_.sensitivitySwitch = report.sensitivitySwitch != 0;
}

void MouseSettingsModel::SelectLevel(int level) {
  if (!ValidLevel(level)) return;
  settings_.activeLevel = level;
  Level(level).enabled = true;
}

bool MouseSettingsModel::SetLevelEnabled(int level, bool enabled) {
  if (!ValidLevel(level)) return false;
  if (!enabled && level == settings_.activeLevel) return false;
  Level(level).enabled = enabled;
  return true;
}

bool MouseSettingsModel::ToggleLevelEnabled(int level) {
  return ValidLevel(level) && SetLevelEnabled(level, !Level(level).enabled);
}

void MouseSettingsModel::StepLevel(int level, int direction) {
  if (!ValidLevel(level) || direction == 0) return;
  SetLevelValue(level, Level(level).value + (direction > 0 ? kDpiButtonStep : -kDpiButtonStep));
}

void MouseSettingsModel::SetLevelValue(int level, int value) {
  if (ValidLevel(level)) Level(level).value = std::clamp(value, kMinDpi, kMaxDpi);
}

bool MouseSettingsModel::SetLevelValueText(int level, std::string_view text) {
  if (!ValidLevel(level)) return false;
  size_t begin = text.find_first_not_of(' ');
  size_t end = text.find_last_not_of(' ');
  if (begin == std::string_view::npos) return false;
  long long value = 0;
  for (char c : text.substr(begin, end - begin + 1)) {
    if (c < '0' || c > '9') return false;
    value = std::min<long long>(value * 10 + (c - '0'), 1000000);
  }
  if (value < kMinDpi) return false;
  Level(level).value = static_cast<int>(std::min<long long>(value, kMaxDpi));
  return true;
}

void MouseSettingsModel::SetReportRate(int choice) {
  if (choice >= 0 && choice < kReportRateCount) settings_.reportRate = choice;
}
void MouseSettingsModel::SetSense(int step) { settings_.sense = Step(step); }
void MouseSettingsModel::SetSensitivityX(int step) { settings_.sensitivityX = Step(step); }
void MouseSettingsModel::SetSensitivityY(int step) { settings_.sensitivityY = Step(step); }
void MouseSettingsModel::SetDoubleClick(int step) { settings_.doubleClick = Step(step); }
void MouseSettingsModel::SetScrollSpeed(int step) { settings_.scrollSpeed = Step(step); }
void MouseSettingsModel::SetPointerSpeed(int step) { settings_.pointerSpeed = Step(step); }

int MouseSettingsModel::DpiOfSliderPosition(int x, int width) {
  if (width <= 0) return kMinDpi;
  long long value = kMinDpi + (static_cast<long long>(kMaxDpi - kMinDpi) * std::clamp(x, 0, width)) / width;
  return static_cast<int>(value);
}

void MouseSettingsModel::ApplyDesktopSettings() {
  pointer_->SetDoubleClickTime(DoubleClickTimeOfStep(settings_.doubleClick));
  pointer_->SetWheelScrollLines(WheelScrollLinesOf(settings_.scrollByPage, settings_.scrollSpeed));
  pointer_->SetMouseSpeed(MouseSpeedOfStep(settings_.pointerSpeed));
}

void MouseSettingsModel::ReadDesktopSettings() {
  settings_.doubleClick = DoubleClickStepOfTime(pointer_->DoubleClickTime());
  ScrollFromWheelLines(pointer_->WheelScrollLines(), settings_.scrollByPage, settings_.scrollSpeed);
  settings_.pointerSpeed = PointerStepOfSpeed(pointer_->MouseSpeed());
}

}  // namespace kz::settings
