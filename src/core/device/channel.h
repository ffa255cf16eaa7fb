#pragma once
// The command channel: command text to bytes, and the process-wide HID connection.
#include <string_view>
#include <vector>

namespace kz::device {

inline constexpr int kMaxCommandBytes = 255;

// Two hexadecimal digits per byte, blanks between bytes optional, either case. The text is walked
// in pairs from the start: a blank is skipped, any other character starts a pair whose characters
// count 0 when they are not hexadecimal digits ("0x10" gives 00 10). A last single character is
// ignored ("03 1" gives 03). At most kMaxCommandBytes bytes. The text is UTF-8; a non-ASCII
// character counts as one (non-hexadecimal) character.
std::vector<unsigned char> CommandTextToBytes(std::string_view text);

// Opens the connection when needed and sends the text's bytes with HIDM_Write. A text that yields
// no byte sends nothing and succeeds. False when the write fails. A connection whose mouse has gone
// (unplugged since it was opened) is replaced by a fresh one before giving up.
bool SendCommandText(std::string_view text);

// The HID connection of the process: opened by the first sender or reader, closed when a reader
// ends (or at exit). OpenConnection returns true when the connection is open afterwards.
bool OpenConnection();
void CloseConnection();
bool IsConnectionOpen();

}  // namespace kz::device
