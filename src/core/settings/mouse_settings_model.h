#pragma once
// The state and operations of the mouse settings page: DPI levels, report rate, sensitivities
// and the desktop pointer settings of one profile. The page binds its controls to this model.
//
// One thread owns a model (the user-interface thread); a status report read elsewhere is handed
// to that thread before ApplyDeviceStatus.
#include <memory>
#include <string_view>

#include "base/thread_owner.h"
#include "settings/device_link.h"
#include "settings/mouse_settings.h"
#include "settings/pointer_settings.h"
#include "settings/profile_key.h"
#include "store/database.h"
#include "store/schema.h"

namespace kz::device {
struct StatusReport;
}

namespace kz::settings {

class MouseSettingsModel {
 public:
  // `pointer` nullptr keeps the pointer settings in memory (the desktop is left alone).
  explicit MouseSettingsModel(store::Database& db, std::shared_ptr<PointerSettings> pointer = nullptr,
                              DeviceLink link = DefaultDeviceLink());

  const MouseSettings& Settings() const { return settings_; }
  // Takes the settings as a whole (brought into range, see Normalized).
  void SetSettings(const MouseSettings& settings) { settings_ = Normalized(settings); }

  // Page operations.
  // The DPI command, a pause, the report command, with their log lines.
  WriteSequence BuildWrite() const;
  // Sends BuildWrite() on the model's own link; false at the first refusal.
  bool WriteToDevice();
  // kLoaded applies the stored desktop settings and reads them back; kNoRow and kFailed change
  // nothing (see LoadResult).
  LoadResult Load(const ProfileKey& key);
  // True only for kLoaded.
  bool LoadFromStore(const ProfileKey& key) { return Load(key) == LoadResult::kLoaded; }
  // Adds the profile row when missing. Then applies the desktop settings. False (nothing written,
  // nothing applied) when the row cannot be written.
  bool SaveToStore(const ProfileKey& key);
  // Factory levels, rate and sensitivities (the switch keeps its state); the desktop steps are
  // read back from the desktop, nothing is applied.
  void ResetToDefaults();
  void ApplyDeviceStatus(const device::StatusReport& report);

  // User actions of the page (levels are indexes 0..3).
  void SelectLevel(int level);
  // False when refused: the active level stays enabled.
  bool SetLevelEnabled(int level, bool enabled);
  bool ToggleLevelEnabled(int level);
  // +1 adds 100, -1 subtracts 100, within 200..8200.
  void StepLevel(int level, int direction);
  // The slider: kept within 200..8200.
  void SetLevelValue(int level, int value);
  // The edit field: a number of 200 or more is taken (stopping at 8200); anything else is
  // ignored (false).
  bool SetLevelValueText(int level, std::string_view text);
  void SetReportRate(int choice);
  void SetSense(int step);
  void SetSensitivityX(int step);
  void SetSensitivityY(int step);
  void SetSensitivitySwitch(bool on) { settings_.sensitivitySwitch = on; }
  void ToggleSensitivitySwitch() { settings_.sensitivitySwitch = !settings_.sensitivitySwitch; }
  void SetDoubleClick(int step);
  void SetScrollByPage(bool byPage) { settings_.scrollByPage = byPage; }
  void SetScrollSpeed(int step);
  void SetPointerSpeed(int step);

  // The DPI a level slider shows for its thumb at x on a track of width w.
  static int DpiOfSliderPosition(int x, int width);

  // Sets the desktop from the page's steps / reads the desktop back into them.
  void ApplyDesktopSettings();
  void ReadDesktopSettings();

 private:
  static bool ValidLevel(int level) { return level >= 0 && level < kDpiLevelCount; }
  DpiLevel& Level(int level) { return settings_.levels[static_cast<size_t>(level)]; }

  store::Database& db_;
  std::shared_ptr<PointerSettings> pointer_;
  DeviceLink link_;
  MouseSettings settings_;
  ThreadOwner owner_;
};

}  // namespace kz::settings
