#include <gtest/gtest.h>

#include <array>

#include "device/status_report.h"
#include "settings/lighting_model.h"
#include "settings/model_fixture.h"

namespace kz::settings {

void PrintTo(const LightSetting& l, std::ostream* os) {
  *os << "{type " << l.colourType << " preset " << l.preset << " rgb " << std::hex << l.rgb << std::dec << " on "
      << l.on << " breath " << l.breath << " speed " << l.speed << "}";
}

namespace {

TEST(LightCommands, Texts) {
  EXPECT_EQ(LightCommand(LightSettings{}), "03 09 11 00 FF 91 00 FF 91 00 00");

  LightSettings lights;
  lights[0].on = false;
  lights[0].breath = false;
  lights[1] = {7, MakeRgb(1, 2, 3), kPresetColour, true, false, 9};
  lights[0].speed = 3;
  EXPECT_EQ(LightCommand(lights), "03 09 00 00 00 00 FF 00 00 03 03");  // light 1's speed twice

  LightSetting free{0, MakeRgb(12, 34, 56), kFreeColour, true, true, 0};
  EXPECT_EQ(LightColourText(free), "0C 38 22");  // red, blue, green
  lights = {free, LightSetting{}};
  lights[1].breath = false;
  lights[0].speed = 10;
  EXPECT_EQ(LightCommand(lights), "03 09 10 0C 38 22 00 FF 91 0A 0A");
}

TEST(LightCommands, PresetOfColour) {
  EXPECT_EQ(PresetOfColour(MakeRgb(0xFF, 0, 0)), 7);
  EXPECT_EQ(PresetOfColour(MakeRgb(0x00, 0xC7, 0xFF)), 15);
  EXPECT_EQ(PresetOfColour(MakeRgb(0xFF, 0, 1)), -1);
}

std::optional<device::StatusReport> Report(int breath, Rgb light1, Rgb light2, int speed) {
  std::array<unsigned char, 25> raw{};
  raw[0] = 0x03;
  raw[9] = static_cast<unsigned char>(breath);
  for (int i = 0; i < 3; ++i) {
    raw[static_cast<size_t>(10 + i)] = static_cast<unsigned char>(light1 >> (8 * i));
    raw[static_cast<size_t>(13 + i)] = static_cast<unsigned char>(light2 >> (8 * i));
  }
  raw[17] = static_cast<unsigned char>(speed);
  return device::StatusReport::Decode(raw.data(), static_cast<int>(raw.size()));
}

class LightingModelTest : public kztest::ModelFixture {
 protected:
  LightingModel model_{db_, link_.Link()};
};

TEST_F(LightingModelTest, WriteSendsOneCommandAndLogs) {
  ASSERT_TRUE(model_.WriteToDevice());
  EXPECT_EQ(link_.events, std::vector<std::string>{"send 03 09 11 00 FF 91 00 FF 91 00 00"});
  EXPECT_EQ(LogLines(),
            (std::vector<std::string>{" 5.start write light 03 09 11 00 FF 91 00 FF 91 00 00", " write light ok"}));
  link_.refuseFrom = 0;
  LightSettings before = model_.Lights();
  EXPECT_FALSE(model_.WriteToDevice());
  EXPECT_EQ(model_.Lights(), before);
}

TEST_F(LightingModelTest, StoreRoundTripAndPresetKeepsThePagesRgb) {
  ProfileKey key{"CommonUser", 4};
  LightSettings lights;
  lights[0] = {3, MakeRgb(1, 2, 3), kPresetColour, false, false, 6};
  lights[1] = {9, MakeRgb(0x12, 0x34, 0x56), kFreeColour, true, true, 2};
  model_.SetLights(lights);
  EXPECT_FALSE(model_.LoadFromStore(key));
  ASSERT_TRUE(model_.SaveToStore(key));
  ASSERT_TRUE(model_.SaveToStore(key));
  EXPECT_EQ(Main2RowCount(), 1);

  LightingModel other(db_, link_.Link());
  other.SetFreeColour(MakeRgb(0xAA, 0xBB, 0xCC));  // light 1's free colour on the page
  ASSERT_TRUE(other.LoadFromStore(key));
  EXPECT_EQ(other.Light(1), lights[1]);
  LightSetting expected = lights[0];
  expected.rgb = MakeRgb(0xAA, 0xBB, 0xCC);  // preset type: the stored rgb is not taken
  EXPECT_EQ(other.Light(0), expected);
}

TEST_F(LightingModelTest, RowOfAnotherPageOrWithBadValuesLoadsSafely) {
  ASSERT_TRUE(db_.Execute("insert into main2(user_name, profile_id, dpi_1) values('u', 1, 1600)"));
  ASSERT_TRUE(db_.Execute("insert into main2(user_name, profile_id, light1_clrtype, light1_preset, light1_rgb, "
                          "light1_speed, light2_clrtype, light2_preset) values('u', 2, 0, 99, -1, 77, 5, -3)"));
  ASSERT_TRUE(model_.LoadFromStore({"u", 1}));
  EXPECT_EQ(model_.Lights(), LightSettings{});
  ASSERT_TRUE(model_.LoadFromStore({"u", 2}));
  EXPECT_EQ(model_.Light(0).colourType, kFreeColour);
  EXPECT_EQ(model_.Light(0).preset, 15);
  EXPECT_EQ(model_.Light(0).rgb, 0xFFFFFFu);
  EXPECT_EQ(model_.Light(0).speed, 10);
  EXPECT_EQ(model_.Light(1).colourType, kPresetColour);
  EXPECT_EQ(model_.Light(1).preset, 0);
  EXPECT_EQ(LightCommand(model_.Lights()), "03 09 11 FF FF FF 00 FF 91 0A 0A");
}

TEST_F(LightingModelTest, ApplyDeviceStatus) {
  LightSettings lights;
  lights[0].on = true;
  lights[1].on = false;
  model_.SetLights(lights);
  model_.ApplyDeviceStatus(*Report(0x01, kPresetColours[7], MakeRgb(0, 0, 0), 4));
  LightSetting first = lights[0];
  first.breath = false;
  first.preset = 7;
  first.speed = 4;
  EXPECT_EQ(model_.Light(0), first);
  LightSetting second = lights[1];  // stays off; black is no preset
  second.breath = true;
  second.colourType = kFreeColour;
  second.rgb = 0;
  second.speed = 4;
  EXPECT_EQ(model_.Light(1), second);

  model_.ApplyDeviceStatus(*Report(0x10, MakeRgb(1, 2, 3), kPresetColours[15], 200));
  EXPECT_EQ(model_.Light(0).colourType, kFreeColour);
  EXPECT_EQ(model_.Light(0).rgb, MakeRgb(1, 2, 3));
  EXPECT_EQ(model_.Light(0).preset, 7);  // kept
  EXPECT_EQ(model_.Light(1).preset, 15);
  EXPECT_EQ(model_.Speed(), 10);
}

TEST_F(LightingModelTest, UserActionsActOnTheEditedLightButSpeedIsLightOnes) {
  model_.SelectLight(1);
  model_.ChoosePreset(5);
  model_.SetSpeed(7);
  EXPECT_EQ(model_.Light(1).preset, 5);
  EXPECT_EQ(model_.Light(0).speed, 7);
  EXPECT_EQ(model_.Light(1).speed, 0);
  EXPECT_EQ(model_.Light(0).preset, 0);

  model_.UseFreeColour();
  model_.SetComponent(ColourComponent::Red, 254);
  model_.StepComponent(ColourComponent::Red, +1);
  model_.StepComponent(ColourComponent::Red, +1);
  model_.StepComponent(ColourComponent::Blue, +1);
  model_.StepComponent(ColourComponent::Green, -1);  // 0xFF - 1
  EXPECT_EQ(model_.Edited().rgb, MakeRgb(255, 254, 1));
  EXPECT_TRUE(model_.SetComponentText(ColourComponent::Green, "12"));
  for (const char* refused : {"256", "", "x", "-1", "1000"}) EXPECT_FALSE(model_.SetComponentText(ColourComponent::Green, refused));
  EXPECT_EQ(GreenOf(model_.Edited().rgb), 12);
  EXPECT_EQ(model_.Edited().colourType, kFreeColour);

  model_.ToggleOn();
  EXPECT_FALSE(model_.Edited().on);
  model_.SetSteady();
  EXPECT_TRUE(model_.Edited().on);
  EXPECT_FALSE(model_.Edited().breath);
  model_.ToggleOn();
  model_.SetBreathing();
  EXPECT_TRUE(model_.Edited().on && model_.Edited().breath);
  EXPECT_EQ(LightCommand(model_.Lights()), "03 09 11 00 FF 91 FF 01 0C 07 07");

  model_.ResetToDefaults();
  EXPECT_EQ(model_.EditedLight(), 0);
  EXPECT_EQ(model_.Lights(), LightSettings{});
}

}  // namespace
}  // namespace kz::settings
