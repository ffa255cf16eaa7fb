#include "keys/key_codes.h"

namespace kz::settings {

// Each line: virtual key, name; the comment gives the position and the device code it stands
// for. Unused positions keep later entries aligned with their device codes. Virtual key 0x0D is
// held twice on purpose: the first (main Enter, 0x28) wins every lookup.
const KeyCodeEntry KeyCodeTable[kKeyCodeCount + 1] = {
    {0x00, ""},  // 0: 0x00
    {0x00, ""},  // 1: 0x01
    {0x00, ""},  // 2: 0x02
    {0x00, ""},  // 3: 0x03
    {0x41, "A"},  // 4: 0x04
    {0x42, "B"},  // 5: 0x05
    {0x43, "C"},  // 6: 0x06
    {0x44, "D"},  // 7: 0x07
    {0x45, "E"},  // 8: 0x08
    {0x46, "F"},  // 9: 0x09
    {0x47, "G"},  // 10: 0x0A
    {0x48, "H"},  // 11: 0x0B
    {0x49, "I"},  // 12: 0x0C
    {0x4A, "J"},  // 13: 0x0D
    {0x4B, "K"},  // 14: 0x0E
    {0x4C, "L"},  // 15: 0x0F
    {0x4D, "M"},  // 16: 0x10
    {0x4E, "N"},  // 17: 0x11
    {0x4F, "O"},  // 18: 0x12
    {0x50, "P"},  // 19: 0x13
    {0x51, "Q"},  // 20: 0x14
    {0x52, "R"},  // 21: 0x15
    {0x53, "S"},  // 22: 0x16
    {0x54, "T"},  // 23: 0x17
    {0x55, "U"},  // 24: 0x18
    {0x56, "V"},  // 25: 0x19
    {0x57, "W"},  // 26: 0x1A
    {0x58, "X"},  // 27: 0x1B
    {0x59, "Y"},  // 28: 0x1C
    {0x5A, "Z"},  // 29: 0x1D
    {0x31, "1"},  // 30: 0x1E
    {0x32, "2"},  // 31: 0x1F
    {0x33, "3"},  // 32: 0x20
    {0x34, "4"},  // 33: 0x21
    {0x35, "5"},  // 34: 0x22
    {0x36, "6"},  // 35: 0x23
    {0x37, "7"},  // 36: 0x24
    {0x38, "8"},  // 37: 0x25
    {0x39, "9"},  // 38: 0x26
    {0x30, "0"},  // 39: 0x27
    {0x0D, "ENTER"},  // 40: 0x28
    {0x1B, "ESC"},  // 41: 0x29
    {0x08, "Backspace"},  // 42: 0x2A
    {0x09, "Tab"},  // 43: 0x2B
    {0x20, "Spacebar"},  // 44: 0x2C
    {0xBD, "- and ("},  // 45: 0x2D
    {0xBB, "= and +"},  // 46: 0x2E
    {0xDB, "[ and {"},  // 47: 0x2F
    {0xDD, "] and }"},  // 48: 0x30
    {0xDC, " and |"},  // 49: 0x31
    {0xC0, " ~ "},  // 50: 0x32
    {0xBA, "; and :"},  // 51: 0x33
    {0xDE, "' and "},  // 52: 0x34
    {0x00, "Grave A"},  // 53: 0x35
    {0xBC, ", and <"},  // 54: 0x36
    {0xBE, ". and >"},  // 55: 0x37
    {0xBF, "/ and ?"},  // 56: 0x38
    {0x14, "Caps Lock"},  // 57: 0x39
    {0x70, "F1"},  // 58: 0x3A
    {0x71, "F2"},  // 59: 0x3B
    {0x72, "F3"},  // 60: 0x3C
    {0x73, "F4"},  // 61: 0x3D
    {0x74, "F5"},  // 62: 0x3E
    {0x75, "F6"},  // 63: 0x3F
    {0x76, "F7"},  // 64: 0x40
    {0x77, "F8"},  // 65: 0x41
    {0x78, "F9"},  // 66: 0x42
    {0x79, "F10"},  // 67: 0x43
    {0x7A, "F11"},  // 68: 0x44
    {0x7B, "F12"},  // 69: 0x45
    {0x2C, "PrintScreen"},  // 70: 0x46
    {0x91, "Scroll Lock"},  // 71: 0x47
    {0x13, "Pause"},  // 72: 0x48
    {0x2D, "Insert"},  // 73: 0x49
    {0x24, "Home"},  // 74: 0x4A
    {0x21, "PageUp"},  // 75: 0x4B
    {0x2E, "Delete Forward"},  // 76: 0x4C
    {0x23, "End"},  // 77: 0x4D
    {0x22, "PageDown"},  // 78: 0x4E
    {0x27, "RightArrow"},  // 79: 0x4F
    {0x25, "LeftArrow"},  // 80: 0x50
    {0x28, "DownArrow"},  // 81: 0x51
    {0x26, "UpArrow"},  // 82: 0x52
    {0x90, "Num Lock"},  // 83: 0x53
    {0x6F, "/"},  // 84: 0x54
    {0x6A, "*"},  // 85: 0x55
    {0x6D, "-"},  // 86: 0x56
    {0x6B, "+"},  // 87: 0x57
    {0x0D, "ENTER"},  // 88: 0x58
    {0x61, "NumPad 1"},  // 89: 0x59
    {0x62, "NumPad 2"},  // 90: 0x5A
    {0x63, "NumPad 3"},  // 91: 0x5B
    {0x64, "NumPad 4"},  // 92: 0x5C
    {0x65, "NumPad 5"},  // 93: 0x5D
    {0x66, "NumPad 6"},  // 94: 0x5E
    {0x67, "NumPad 7"},  // 95: 0x5F
    {0x68, "NumPad 8"},  // 96: 0x60
    {0x69, "NumPad 9"},  // 97: 0x61
    {0x60, "NumPad 0"},  // 98: 0x62
    {0x6E, "NumPad ."},  // 99: 0x63
    {0x00, ""},  // 100: 0x64
    {0x00, ""},  // 101: 0x65
    {0xB4, "Power"},  // 102: 0x66
    {0x00, ""},  // 103: 0x67
    {0x00, ""},  // 104: 0x68
    {0x00, ""},  // 105: 0x69
    {0x00, ""},  // 106: 0x6A
    {0x00, ""},  // 107: 0x6B
    {0x00, ""},  // 108: 0x6C
    {0x00, ""},  // 109: 0x6D
    {0x00, ""},  // 110: 0x6E
    {0x00, ""},  // 111: 0x6F
    {0x00, ""},  // 112: 0x70
    {0x00, ""},  // 113: 0x71
    {0x00, ""},  // 114: 0x72
    {0x00, ""},  // 115: 0x73
    {0x00, ""},  // 116: 0x74
    {0x00, ""},  // 117: 0x75
    {0x00, ""},  // 118: 0x76
    {0x00, ""},  // 119: 0x77
    {0x00, ""},  // 120: 0x78
    {0x00, ""},  // 121: 0x79
    {0x00, ""},  // 122: 0x7A
    {0x00, ""},  // 123: 0x7B
    {0x00, ""},  // 124: 0x7C
    {0x00, ""},  // 125: 0x7D
    {0x00, ""},  // 126: 0x7E
    {0xAD, "Mute"},  // 127: 0x7F
    {0xAF, "Volume Up"},  // 128: 0x80
    {0xAE, "Volume Down"},  // 129: 0x81
    {0x00, ""},  // 130: 0x82
    {0x00, ""},  // 131: 0x83
    {0x00, ""},  // 132: 0x84
    {0x00, ""},  // 133: 0x85
    {0x00, ""},  // 134: 0x86
    {0x00, ""},  // 135: 0x87
    {0x00, ""},  // 136: 0x88
    {0x00, ""},  // 137: 0x89
    {0x00, ""},  // 138: 0x8A
    {0x00, ""},  // 139: 0x8B
    {0x00, ""},  // 140: 0x8C
    {0x00, ""},  // 141: 0x8D
    {0x00, ""},  // 142: 0x8E
    {0x00, ""},  // 143: 0x8F
    {0x00, ""},  // 144: 0x90
    {0x00, ""},  // 145: 0x91
    {0x00, ""},  // 146: 0x92
    {0x00, ""},  // 147: 0x93
    {0x00, ""},  // 148: 0x94
    {0x00, ""},  // 149: 0x95
    {0x00, ""},  // 150: 0x96
    {0x00, ""},  // 151: 0x97
    {0x00, ""},  // 152: 0x98
    {0x00, ""},  // 153: 0x99
    {0x00, ""},  // 154: 0x9A
    {0x00, ""},  // 155: 0x9B
    {0x00, ""},  // 156: 0x9C
    {0x00, ""},  // 157: 0x9D
    {0x00, ""},  // 158: 0x9E
    {0x00, ""},  // 159: 0x9F
    {0x00, ""},  // 160: 0xA0
    {0x00, ""},  // 161: 0xA1
    {0x00, ""},  // 162: 0xA2
    {0x00, ""},  // 163: 0xA3
    {0x00, ""},  // 164: 0xA4
    {0xA2, "LeftControl"},  // 165: 0xE0
    {0xA0, "LeftShift"},  // 166: 0xE1
    {0xA4, "LeftAlt"},  // 167: 0xE2
    {0x5B, "Left WIN"},  // 168: 0xE3
    {0xA3, "RightControl"},  // 169: 0xE4
    {0xA1, "RightShift"},  // 170: 0xE5
    {0xA5, "RightAlt"},  // 171: 0xE6
    {0x5C, "Right WIN"},  // 172: 0xE7
    {-1, ""},  // terminator
};

int DeviceKeyCodeOfPosition(int position) {
  if (position < 0 || position >= kKeyCodeCount) return 0;
  return position < kShiftedKeyPosition ? position : position + kShiftedKeyOffset;
}

namespace {
int PositionOf(int virtualKey) {
  for (int position = 0; KeyCodeTable[position].virtualKey != -1; ++position)
    if (KeyCodeTable[position].virtualKey == virtualKey) return position;
  return -1;
}
}  // namespace

std::string KeyNameOf(int virtualKey) {
  int position = PositionOf(virtualKey);
  return position < 0 ? std::string("unknown key") : std::string(KeyCodeTable[position].name);
}

int DeviceKeyCodeOf(int virtualKey) {
  int position = PositionOf(virtualKey);
  return position < 0 ? 0 : DeviceKeyCodeOfPosition(position);
}

bool IsModifierKey(int virtualKey) {
  switch (virtualKey) {
    case 0x10: case 0x11: case 0x12:  // Shift, Control, Menu (ALT)
    case 0xA0: case 0xA1: case 0xA2: case 0xA3: case 0xA4: case 0xA5:  // their left and right keys
    case 0x5B: case 0x5C: return true;  // left and right WIN
    default: return false;
  }
}

const char* ModifierName(int bit) {
  switch (bit) {
    case kModShift: return "Shift";
    case kModControl: return "Control";
    case kModWin: return "WIN";
    case kModAlt: return "ALT";
    default: return "";
  }
}

const char* ModifierDeviceCodeText(int bit) {
  switch (bit) {
    case kModShift: return "e1";
    case kModControl: return "e0";
    case kModWin: return "e3";
    case kModAlt: return "e2";
    default: return "";
  }
}

std::string ModifierNamesText(int modifiers) {
  std::string text;
  for (int bit : kModifierBits)
    if (modifiers & bit) text += std::string(ModifierName(bit)) + "_";
  return text;
}

std::string KeyCaption(int virtualKey, int modifiers) { return ModifierNamesText(modifiers) + KeyNameOf(virtualKey); }

}  // namespace kz::settings
