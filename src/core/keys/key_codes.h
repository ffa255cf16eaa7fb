#pragma once
// The one table that ties a keyboard key's three forms together: the virtual-key code the key
// capture reports, the one-byte key code the mouse firmware expects (the key's usage on the HID
// keyboard page) and the English name the pages show.
#include <string>

namespace kz::settings {

struct KeyCodeEntry {
  int virtualKey;    // -1 only in the terminator
  const char* name;  // never null; "" for positions the firmware does not use
};

// 173 entries in device-code order, then the terminator {-1, ""}.
inline constexpr int kKeyCodeCount = 173;
extern const KeyCodeEntry KeyCodeTable[kKeyCodeCount + 1];

// Positions from this one on map to device codes shifted by 59 (0xE0..0xE7, the modifier keys).
inline constexpr int kShiftedKeyPosition = 165;
inline constexpr int kShiftedKeyOffset = 59;

// Device key code of a table position, or 0 for a position outside the table.
int DeviceKeyCodeOfPosition(int position);

// Name of the first entry holding `virtualKey`; "unknown key" when none does. Virtual key 0 hits
// the unused first position and so names as the empty text.
std::string KeyNameOf(int virtualKey);
// Device code of the first entry holding `virtualKey`; 0 (no key) when none does.
int DeviceKeyCodeOf(int virtualKey);

// Modifier bits stored with a single-key assignment, tested in this order everywhere.
enum ModifierFlag : int { kModShift = 1, kModControl = 2, kModWin = 4, kModAlt = 8 };
inline constexpr int kModifierMask = 15;
inline constexpr int kModifierBits[4] = {kModShift, kModControl, kModWin, kModAlt};

// Whether `virtualKey` is a Shift, Control, WIN or ALT key (either side, or the generic code).
bool IsModifierKey(int virtualKey);

// "Shift", "Control", "WIN", "ALT" for one bit; "" for anything else.
const char* ModifierName(int bit);
// The modifier's device code as written in combination commands: "e1", "e0", "e3", "e2" (lower
// case on purpose; the channel reads either case). "" for anything else.
const char* ModifierDeviceCodeText(int bit);

// For each set bit in the order 1, 2, 4, 8 the modifier's name and "_": 15 gives
// "Shift_Control_WIN_ALT_", 0 gives "".
std::string ModifierNamesText(int modifiers);
// What a button shows for a key with modifiers: "Control_A".
std::string KeyCaption(int virtualKey, int modifiers);

}  // namespace kz::settings
