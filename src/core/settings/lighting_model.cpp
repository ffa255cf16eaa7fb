#include "settings/lighting_model.h"

#include <algorithm>
#include <string>

#include "device/status_report.h"
#include "store/users.h"

namespace kz::settings {
namespace {

std::string Column(int light, const char* field) { return "light" + std::to_string(light + 1) + "_" + field; }

}  // namespace

LightingModel::LightingModel(store::Database& db, DeviceLink link) : db_(db), link_(std::move(link)) {}

void LightingModel::SetLights(const LightSettings& lights) {
  for (int i = 0; i < kLightCount; ++i) lights_[static_cast<size_t>(i)] = Normalized(lights[static_cast<size_t>(i)]);
}

WriteSequence LightingModel::BuildWrite() const {
  owner_.Check("lighting");
  WriteSequence write;
  std::string command = LightCommand(lights_);
  write.Log(" 5.start write light " + command);
  write.Send(command);
  write.Log(" write light ok");
  return write;
}

bool LightingModel::WriteToDevice() { return BuildWrite().Run(link_); }

LoadResult LightingModel::Load(const ProfileKey& key) {
  owner_.Check("lighting");
  store::Recordset rs(db_);
  if (const LoadResult opened = OpenStoredProfileRow(rs, key); opened != LoadResult::kLoaded) return opened;
  const LightSetting factory;
  for (int i = 0; i < kLightCount; ++i) {
    LightSetting& light = lights_[static_cast<size_t>(i)];
    // A row saved only by another page holds NULL here; such columns read as the factory values.
    light.colourType = IntColumn(rs, Column(i, "clrtype")).value_or(factory.colourType) == kFreeColour
                           ? kFreeColour
                           : kPresetColour;
    light.preset = IntColumnIn(rs, Column(i, "preset"), factory.preset, 0, kPresetCount - 1);
    if (light.colourType == kFreeColour)
      light.rgb = static_cast<Rgb>(IntColumn(rs, Column(i, "rgb")).value_or(factory.rgb)) & 0xFFFFFF;
    light.on = IntColumn(rs, Column(i, "on")).value_or(factory.on ? 1 : 0) != 0;
    light.breath = IntColumn(rs, Column(i, "breath")).value_or(factory.breath ? 1 : 0) != 0;
    light.speed = IntColumnIn(rs, Column(i, "speed"), factory.speed, 0, kMaxLightSpeed);
  }
  return LoadResult::kLoaded;
}

bool LightingModel::SaveToStore(const ProfileKey& key) {
  owner_.Check("lighting");
  store::Recordset rs(db_);
  if (!OpenProfileRowForSave(rs, key)) return false;
  for (int i = 0; i < kLightCount; ++i) {
    const LightSetting& light = lights_[static_cast<size_t>(i)];
    rs.SetFieldValue(Column(i, "clrtype"), static_cast<long long>(light.colourType));
    rs.SetFieldValue(Column(i, "preset"), static_cast<long long>(light.preset));
    rs.SetFieldValue(Column(i, "rgb"), static_cast<long long>(light.rgb));
    rs.SetFieldValue(Column(i, "on"), light.on ? 1LL : 0LL);
    rs.SetFieldValue(Column(i, "breath"), light.breath ? 1LL : 0LL);
    rs.SetFieldValue(Column(i, "speed"), static_cast<long long>(light.speed));
  }
  if (rs.Update()) return true;
  rs.CancelUpdate();
  return false;
}

void LightingModel::ResetToDefaults() {
  lights_ = LightSettings{};
  edited_ = 0;
}

void LightingModel::ApplyDeviceStatus(const device::StatusReport& report) {
  owner_.Check("lighting");
  const int breath[kLightCount] = {report.light1Breath, report.light2Breath};
  const int colour[kLightCount] = {report.light1Rgb, report.light2Rgb};
  for (int i = 0; i < kLightCount; ++i) {
    LightSetting& light = lights_[static_cast<size_t>(i)];
    light.breath = breath[i] != 0;
    Rgb rgb = static_cast<Rgb>(colour[i]) & 0xFFFFFF;
    int preset = PresetOfColour(rgb);
    if (preset >= 0) {
      light.colourType = kPresetColour;
      light.preset = preset;
    } else {
      light.colourType = kFreeColour;
      light.rgb = rgb;
    }
    light.speed = std::clamp(report.lightSpeed, 0, kMaxLightSpeed);
  }
}

void LightingModel::SelectLight(int index) {
  if (index >= 0 && index < kLightCount) edited_ = index;
}

void LightingModel::UsePresetColour() { EditedMutable().colourType = kPresetColour; }
void LightingModel::UseFreeColour() { EditedMutable().colourType = kFreeColour; }

void LightingModel::ChoosePreset(int preset) {
  if (preset < 0 || preset >= kPresetCount) return;
  EditedMutable().preset = preset;
  EditedMutable().colourType = kPresetColour;
}

void LightingModel::SetComponent(ColourComponent component, int value) {
  Rgb rgb = EditedMutable().rgb;
  int red = RedOf(rgb), green = GreenOf(rgb), blue = BlueOf(rgb);
  value = std::clamp(value, 0, 255);
  if (component == ColourComponent::Red) red = value;
  if (component == ColourComponent::Green) green = value;
  if (component == ColourComponent::Blue) blue = value;
  EditedMutable().rgb = MakeRgb(red, green, blue);
}

void LightingModel::StepComponent(ColourComponent component, int delta) {
  Rgb rgb = EditedMutable().rgb;
  int current = component == ColourComponent::Red ? RedOf(rgb) : component == ColourComponent::Green ? GreenOf(rgb)
                                                                                                   : BlueOf(rgb);
  SetComponent(component, current + delta);
}

bool LightingModel::SetComponentText(ColourComponent component, std::string_view text) {
  if (text.empty() || text.size() > 3) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > 255) return false;
  SetComponent(component, value);
  return true;
}

void LightingModel::SetFreeColour(Rgb rgb) { EditedMutable().rgb = rgb & 0xFFFFFF; }

void LightingModel::ToggleOn() { EditedMutable().on = !EditedMutable().on; }

void LightingModel::SetSteady() {
  EditedMutable().on = true;
  EditedMutable().breath = false;
}

void LightingModel::SetBreathing() {
  EditedMutable().on = true;
  EditedMutable().breath = true;
}

void LightingModel::SetSpeed(int speed) { lights_[0].speed = std::clamp(speed, 0, kMaxLightSpeed); }

}  // namespace kz::settings
