#include "settings/light_settings.h"

#include <algorithm>
#include <cstdio>

namespace kz::settings {

Rgb ShownColour(const LightSetting& light) {
  return light.colourType == kPresetColour ? kPresetColours[std::clamp(light.preset, 0, kPresetCount - 1)]
                                           : (light.rgb & 0xFFFFFF);
}

int PresetOfColour(Rgb rgb) {
  for (int preset = 0; preset < kPresetCount; ++preset)
    if (kPresetColours[preset] == rgb) return preset;
  return -1;
}

std::string LightColourText(const LightSetting& light) {
  if (!light.on) return "00 00 00";
  Rgb colour = ShownColour(light);
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X", RedOf(colour), BlueOf(colour), GreenOf(colour));
  return text;
}

std::string LightCommand(const LightSettings& lights) {
  char text[64];
  int speed = std::clamp(lights[0].speed, 0, kMaxLightSpeed);
  std::snprintf(text, sizeof text, "03 09 %d%d %s %s %02X %02X", lights[0].breath ? 1 : 0, lights[1].breath ? 1 : 0,
                LightColourText(lights[0]).c_str(), LightColourText(lights[1]).c_str(), speed, speed);
  return text;
}

LightSetting Normalized(LightSetting light) {
  light.preset = std::clamp(light.preset, 0, kPresetCount - 1);
  light.rgb &= 0xFFFFFF;
  light.colourType = light.colourType == kFreeColour ? kFreeColour : kPresetColour;
  light.speed = std::clamp(light.speed, 0, kMaxLightSpeed);
  return light;
}

}  // namespace kz::settings
