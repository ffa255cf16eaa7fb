#include <gtest/gtest.h>

#include "keys/key_codes.h"

namespace kz::settings {
namespace {

TEST(KeyCodes, TableHasItsShapeAndTerminator) {
  EXPECT_EQ(KeyCodeTable[kKeyCodeCount].virtualKey, -1);
  for (int position = 0; position < kKeyCodeCount; ++position) {
    ASSERT_NE(KeyCodeTable[position].virtualKey, -1) << position;
    ASSERT_NE(KeyCodeTable[position].name, nullptr) << position;
  }
  EXPECT_EQ(DeviceKeyCodeOfPosition(0), 0x00);
  EXPECT_EQ(DeviceKeyCodeOfPosition(164), 0xA4);
  EXPECT_EQ(DeviceKeyCodeOfPosition(165), 0xE0);
  EXPECT_EQ(DeviceKeyCodeOfPosition(172), 0xE7);
}

struct KeyCase {
  int virtualKey;
  int deviceCode;
  const char* name;
};

TEST(KeyCodes, LookupsFollowFirstMatch) {
  const KeyCase cases[] = {
      {0x41, 0x04, "A"},          {0x5A, 0x1D, "Z"},
      {0x31, 0x1E, "1"},          {0x30, 0x27, "0"},
      {0x0D, 0x28, "ENTER"},  // held twice; the main Enter wins, never 0x58
      {0x1B, 0x29, "ESC"},        {0xBD, 0x2D, "- and ("},
      {0xDC, 0x31, " and |"},     {0xC0, 0x32, " ~ "},  // the grave key; 0x35 is never produced
      {0xDE, 0x34, "' and "},     {0x14, 0x39, "Caps Lock"},
      {0x7B, 0x45, "F12"},        {0x2E, 0x4C, "Delete Forward"},
      {0x6E, 0x63, "NumPad ."},   {0x60, 0x62, "NumPad 0"},
      {0xB4, 0x66, "Power"},      {0xAD, 0x7F, "Mute"},
      {0xAE, 0x81, "Volume Down"}, {0xA2, 0xE0, "LeftControl"},
      {0x5B, 0xE3, "Left WIN"},   {0x5C, 0xE7, "Right WIN"},
      {0, 0, ""},  // virtual key 0 hits the unused first position
      {0x12, 0, "unknown key"},   {0x5D, 0, "unknown key"},
      {-1, 0, "unknown key"},     {0x1000, 0, "unknown key"},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(DeviceKeyCodeOf(c.virtualKey), c.deviceCode) << std::hex << c.virtualKey;
    EXPECT_EQ(KeyNameOf(c.virtualKey), c.name) << std::hex << c.virtualKey;
  }
}

TEST(KeyCodes, EveryKeyedPositionRoundTripsExceptTheSecondEnter) {
  for (int position = 1; position < kKeyCodeCount; ++position) {
    int vk = KeyCodeTable[position].virtualKey;
    if (vk == 0 || position == 88) continue;
    EXPECT_EQ(DeviceKeyCodeOf(vk), DeviceKeyCodeOfPosition(position)) << position;
  }
}

TEST(KeyCodes, ModifierTexts) {
  EXPECT_EQ(ModifierNamesText(0), "");
  EXPECT_EQ(ModifierNamesText(15), "Shift_Control_WIN_ALT_");
  EXPECT_EQ(ModifierNamesText(9), "Shift_ALT_");
  EXPECT_EQ(ModifierNamesText(16 | 4), "WIN_");
  EXPECT_EQ(KeyCaption(0x41, 2), "Control_A");
  EXPECT_EQ(KeyCaption(0x43, 0), "C");
  EXPECT_STREQ(ModifierDeviceCodeText(kModShift), "e1");
  EXPECT_STREQ(ModifierDeviceCodeText(kModControl), "e0");
  EXPECT_STREQ(ModifierDeviceCodeText(kModWin), "e3");
  EXPECT_STREQ(ModifierDeviceCodeText(kModAlt), "e2");
}

}  // namespace
}  // namespace kz::settings
