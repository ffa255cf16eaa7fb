// Key events to virtual-key codes: the physical key where the window system names it, Qt's key
// otherwise. Every code must be one the key table knows, or the key would be lost on the way to
// the mouse.
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include "gui/keys/virtual_keys.h"
#include "keys/key_codes.h"

namespace {

using kzgui::VirtualKeyOf;
using kzgui::VirtualKeyOfQtKey;
using kzgui::VirtualKeyOfScanCode;

TEST(VirtualKeys, PhysicalKeysKeepLeftRightAndNumberPadApart) {
  struct Case {
    quint32 evdev;
    int virtualKey;
    const char* name;
  };
  const Case cases[] = {
      {KEY_A, 0x41, "A"},          {KEY_Z, 0x5A, "Z"},           {KEY_1, 0x31, "1"},
      {KEY_0, 0x30, "0"},          {KEY_ENTER, 0x0D, "ENTER"},   {KEY_KPENTER, 0x0D, "ENTER"},
      {KEY_LEFTSHIFT, 0xA0, "LeftShift"}, {KEY_RIGHTSHIFT, 0xA1, "RightShift"},
      {KEY_LEFTCTRL, 0xA2, "LeftControl"}, {KEY_RIGHTCTRL, 0xA3, "RightControl"},
      {KEY_LEFTALT, 0xA4, "LeftAlt"}, {KEY_RIGHTALT, 0xA5, "RightAlt"},
      {KEY_LEFTMETA, 0x5B, "Left WIN"}, {KEY_RIGHTMETA, 0x5C, "Right WIN"},
      {KEY_KP1, 0x61, "NumPad 1"}, {KEY_KP0, 0x60, "NumPad 0"}, {KEY_KPDOT, 0x6E, "NumPad ."},
      {KEY_KPSLASH, 0x6F, "/"},    {KEY_F1, 0x70, "F1"},         {KEY_F12, 0x7B, "F12"},
      {KEY_SPACE, 0x20, "Spacebar"}, {KEY_GRAVE, 0xC0, " ~ "},   {KEY_CAPSLOCK, 0x14, "Caps Lock"},
      {KEY_UP, 0x26, "UpArrow"},   {KEY_DELETE, 0x2E, "Delete Forward"}, {KEY_VOLUMEUP, 0xAF, "Volume Up"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int virtualKey = VirtualKeyOfScanCode(c.evdev + 8);
    EXPECT_EQ(virtualKey, c.virtualKey);
    EXPECT_EQ(kz::settings::KeyNameOf(virtualKey), c.name);
    EXPECT_NE(kz::settings::DeviceKeyCodeOf(virtualKey), 0);
  }
  EXPECT_EQ(VirtualKeyOfScanCode(0), 0) << "no scan code";
  EXPECT_EQ(VirtualKeyOfScanCode(8 + 0x2FF), 0) << "a key the program does not know";
}

TEST(VirtualKeys, QtKeysStandInWithoutAScanCode) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    int virtualKey;
  };
  const Case cases[] = {
      {Qt::Key_A, Qt::NoModifier, 0x41},        {Qt::Key_A, Qt::ShiftModifier, 0x41},
      {Qt::Key_Exclam, Qt::ShiftModifier, 0x31}, {Qt::Key_5, Qt::NoModifier, 0x35},
      {Qt::Key_5, Qt::KeypadModifier, 0x65},    {Qt::Key_Enter, Qt::KeypadModifier, 0x0D},
      {Qt::Key_Shift, Qt::ShiftModifier, 0xA0}, {Qt::Key_Control, Qt::ControlModifier, 0xA2},
      {Qt::Key_F24, Qt::NoModifier, 0x87},      {Qt::Key_Question, Qt::ShiftModifier, 0xBF},
      {Qt::Key_Launch0, Qt::NoModifier, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(VirtualKeyOfQtKey(c.key, c.modifiers), c.virtualKey) << std::hex << c.key;

  QKeyEvent synthesised(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(VirtualKeyOf(synthesised), 0x43);
  // The physical key wins over what the layout made of it (a French A key gives Q here).
  QKeyEvent physical(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, KEY_A + 8, 0, 0);
  EXPECT_EQ(VirtualKeyOf(physical), 0x41);
}

}  // namespace
