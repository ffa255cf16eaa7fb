#pragma once
// One recorded macro step and the three forms a macro takes: the stored text of
// macro_set_detail2.macro_value, the rows of the editing list, and the key events the mouse plays.
#include <string>
#include <string_view>
#include <vector>

namespace kz::macro {

struct MacroEvent {
  int key = 0;    // virtual-key code; not above 0 marks a delay row
  int down = 0;   // 1 pressed, 0 released; 0 in a delay row
  int delay = 0;  // milliseconds of pause after this event

  bool IsDelayRow() const { return key <= 0; }
  bool operator==(const MacroEvent&) const = default;
};

// Recording stops at this many key rows; the mouse holds no more (four blocks of 15).
inline constexpr int kMaxMacroKeyEvents = 60;
inline constexpr int kEventsPerBlock = 15;

// "%d,%d,%d;" per event, delay rows included; "" for an empty macro.
std::string FormatMacroValue(const std::vector<MacroEvent>& events);

// Reads a stored text. The text may come from another installation or a downloaded document,
// so pieces that are not three numbers (empty pieces, a missing field, letters) are skipped
// rather than read as zeros; each number is read like atoi (blanks, sign, stops at the first
// non-digit) and saturates at the int range.
std::vector<MacroEvent> ParseMacroValue(std::string_view text);

// "81 kk hh ll" for a press, "82 kk hh ll" for a release: device key code, then the delay as a
// big-endian 16-bit value (a delay of 0 is sent as 8 ms, higher bits are dropped). "" for a
// delay row.
std::string MacroEventText(const MacroEvent& event);

// The key events' texts, each followed by one blank, 15 to a block; delay rows skipped, no
// empty block.
std::vector<std::string> BuildMacroBlocks(const std::vector<MacroEvent>& events);

// Key rows of a macro (delay rows are not counted).
int KeyEventCount(const std::vector<MacroEvent>& events);

// The editing list's two columns: "Delay" / "Down" / "Up", and "%dms" or the key's name.
std::string MacroEventTypeText(const MacroEvent& event);
std::string MacroEventValueText(const MacroEvent& event);

}  // namespace kz::macro
