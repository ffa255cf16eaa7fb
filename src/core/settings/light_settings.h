#pragma once
// The two lights of the mouse and the command that sets them.
#include <array>
#include <cstdint>
#include <string>

namespace kz::settings {

inline constexpr int kLightCount = 2;
inline constexpr int kPresetCount = 16;
inline constexpr int kMaxLightSpeed = 10;

// A colour as the page keeps it: red in the low byte, green in the middle, blue in the high byte.
using Rgb = std::uint32_t;
inline constexpr Rgb MakeRgb(int red, int green, int blue) {
  return static_cast<Rgb>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
inline constexpr int RedOf(Rgb rgb) { return static_cast<int>(rgb & 0xFF); }
inline constexpr int GreenOf(Rgb rgb) { return static_cast<int>((rgb >> 8) & 0xFF); }
inline constexpr int BlueOf(Rgb rgb) { return static_cast<int>((rgb >> 16) & 0xFF); }

inline constexpr Rgb kPresetColours[kPresetCount] = {
    MakeRgb(0x00, 0x91, 0xFF), MakeRgb(0x00, 0x71, 0xFF), MakeRgb(0x25, 0x00, 0xFF), MakeRgb(0x5A, 0x19, 0xE6),
    MakeRgb(0x82, 0x19, 0xE6), MakeRgb(0xC8, 0x19, 0xE6), MakeRgb(0xFF, 0x00, 0x82), MakeRgb(0xFF, 0x00, 0x00),
    MakeRgb(0xFF, 0x7D, 0x00), MakeRgb(0xFF, 0xFF, 0x00), MakeRgb(0xC8, 0xFF, 0x00), MakeRgb(0x28, 0xFF, 0x00),
    MakeRgb(0x19, 0xA5, 0x2D), MakeRgb(0x14, 0xEB, 0x96), MakeRgb(0x0F, 0xE6, 0xE6), MakeRgb(0x00, 0xC7, 0xFF),
};

enum ColourType : int { kFreeColour = 0, kPresetColour = 1 };

struct LightSetting {
  int preset = 0;                      // 0..15
  Rgb rgb = MakeRgb(0xFF, 0xFF, 0x00);  // the free colour
  int colourType = kPresetColour;
  bool on = true;
  bool breath = true;  // false = steady
  int speed = 0;       // 0..10
  bool operator==(const LightSetting&) const = default;
};

using LightSettings = std::array<LightSetting, kLightCount>;

// The colour the light shows: its preset's or its free colour.
Rgb ShownColour(const LightSetting& light);
// Index of the first preset of exactly this colour, or -1.
int PresetOfColour(Rgb rgb);

// "%02X %02X %02X" of red, BLUE, green (the mouse's order); "00 00 00" when the light is off.
std::string LightColourText(const LightSetting& light);
// "03 09 <breath 1><breath 2> <colour 1> <colour 2> <speed> <speed>", the speed being light 1's
// for both lights. The factory state gives "03 09 11 00 FF 91 00 FF 91 00 00".
std::string LightCommand(const LightSettings& lights);

// Every field within its range.
LightSetting Normalized(LightSetting light);

}  // namespace kz::settings
