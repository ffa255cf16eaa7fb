#pragma once
// The diagnostic log: one appended line per call, "[%Y-%m-%d %H:%M:%S]INFO: " + message.
// Safe to call from any thread; a line is written with one append so lines never interleave.
#include <string>

namespace kz {

// printf-style; the prefix is joined in front of the caller's text, the arguments apply to it only.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The lower-case hexadecimal dump used for received reports: "%02x " per byte.
std::string HexDumpLower(const unsigned char* bytes, int count);

namespace log {
// Where lines go. Defaults to $XDG_STATE_HOME/kzMouse/kz_log.txt (~/.local/state/...).
std::string DefaultPath();
// Overrides the path (tests); an empty text returns to the default.
void SetPath(const std::string& path);
std::string Path();
// The file is rotated to "<path>.1" once it passes this size; 0 turns the cap off.
void SetMaxBytes(long long bytes);
// Builds a line exactly as Log writes it (without the trailing line feed), for tests.
std::string FormatLine(const char* message);
}  // namespace log
}  // namespace kz
