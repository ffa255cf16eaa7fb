#pragma once
// The state and operations of the lighting page: both lights of one profile and which of them
// the page is editing. User actions act on the light being edited; the one speed control is
// always light 1's, which the command sends for both lights.
//
// One thread owns a model (the user-interface thread); a status report read elsewhere is handed
// to that thread before ApplyDeviceStatus.
#include <string_view>

#include "base/thread_owner.h"
#include "settings/device_link.h"
#include "settings/light_settings.h"
#include "settings/profile_key.h"
#include "store/database.h"
#include "store/schema.h"

namespace kz::device {
struct StatusReport;
}

namespace kz::settings {

enum class ColourComponent { Red, Green, Blue };

class LightingModel {
 public:
  explicit LightingModel(store::Database& db, DeviceLink link = DefaultDeviceLink());

  const LightSettings& Lights() const { return lights_; }
  const LightSetting& Light(int index) const { return lights_[static_cast<size_t>(index)]; }
  void SetLights(const LightSettings& lights);
  // 0 for light 1, 1 for light 2.
  int EditedLight() const { return edited_; }
  const LightSetting& Edited() const { return lights_[static_cast<size_t>(edited_)]; }

  // Page operations.
  // The light command with its log lines.
  WriteSequence BuildWrite() const;
  bool WriteToDevice();
  // kNoRow and kFailed change nothing (see LoadResult). A light stored with a preset colour keeps
  // the page's free colour: the stored rgb is only taken for a free colour.
  LoadResult Load(const ProfileKey& key);
  // True only for kLoaded.
  bool LoadFromStore(const ProfileKey& key) { return Load(key) == LoadResult::kLoaded; }
  // Adds the profile row when missing.
  bool SaveToStore(const ProfileKey& key);
  // Both lights preset 0, on, breathing, speed 0, free colour yellow; light 1 is edited.
  void ResetToDefaults();
  // Breath, colour and speed from the mouse; on flags stay as they are.
  void ApplyDeviceStatus(const device::StatusReport& report);

  // User actions.
  void SelectLight(int index);
  void UsePresetColour();
  void UseFreeColour();
  void ChoosePreset(int preset);
  // The free colour only; the colour type stays.
  void StepComponent(ColourComponent component, int delta);
  void SetComponent(ColourComponent component, int value);
  // An edit field: a whole number 0..255 is taken, anything else leaves the component (false).
  bool SetComponentText(ColourComponent component, std::string_view text);
  // The colour strip: the picked colour becomes the free colour.
  void SetFreeColour(Rgb rgb);
  void ToggleOn();
  void SetSteady();
  void SetBreathing();
  // The speed slider always sets light 1's speed, whichever light is edited.
  void SetSpeed(int speed);
  int Speed() const { return lights_[0].speed; }

 private:
  LightSetting& EditedMutable() { return lights_[static_cast<size_t>(edited_)]; }

  store::Database& db_;
  DeviceLink link_;
  LightSettings lights_;
  int edited_ = 0;
  ThreadOwner owner_;
};

}  // namespace kz::settings
