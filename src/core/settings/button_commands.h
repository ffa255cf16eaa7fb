#pragma once
// The assignment of the mouse's eleven buttons and the commands that carry it: the button map,
// one macro command per block of a macro, and the key-combination command.
#include <array>
#include <string>

#include "keys/key_codes.h"

namespace kz::settings {

inline constexpr int kButtonCount = 11;
// A macro is sent in at most this many blocks (sub-commands 14 to 17); anything more would be
// framed as a different sub-command.
inline constexpr int kMaxMacroBlocks = 4;

struct ButtonDefault {
  const char* caption;
  const char* code;  // the firmware function code, two hexadecimal digits
};
// Factory functions of buttons 1..11 (index 0..10).
extern const ButtonDefault kButtonDefaults[kButtonCount];

struct ButtonSlot {
  int key = 0;            // virtual-key code; 0 = none
  int modifiers = 0;      // ModifierFlags
  std::string macro;      // macro_guid; "" = none
  bool operator==(const ButtonSlot&) const = default;

  bool HasMacro() const { return !macro.empty(); }
  // A key counts only when the mouse has a code for it; a key without one (from an old or
  // foreign row) leaves the button on its factory function.
  bool HasKey() const;
  bool HasKeyCombination() const { return !HasMacro() && HasKey() && (modifiers & kModifierMask) != 0; }
};

using ButtonSlots = std::array<ButtonSlot, kButtonCount>;

// Buttons are numbered 1..11 on the page; macro commands use the firmware's numbering, which
// exchanges 5 (forward) and 6 (back).
int FirmwareButtonNumber(int pageNumber);

// "FF" for a macro or a key with modifiers, the key's device code for a plain key, else the
// factory code. `pageNumber` 1..11.
std::string FunctionCode(const ButtonSlot& slot, int pageNumber);

// "03 11 00 " and each button's function code followed by a blank.
std::string ButtonMapCommand(const ButtonSlots& slots);

// The plays byte of a macro command: plays - 1 in hexadecimal, plays kept within 1..255.
std::string PlaysField(int plays);

// "03 <14 + blockIndex, decimal> <firmware button> <plays field> <block>"; the block already
// ends with a blank. `blockIndex` from 0.
std::string ButtonMacroCommand(int blockIndex, int pageNumber, int plays, const std::string& block);

// The one command of a key with modifiers: the modifiers pressed in the order Shift, Control,
// WIN, ALT, then the key, then the same releases, each without delay, and a closing byte 58.
std::string KeyComboMacro(const ButtonSlot& slot, int pageNumber);

}  // namespace kz::settings
