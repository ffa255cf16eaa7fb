#include "macro/macro_event.h"

#include <climits>
#include <cstdio>
#include <optional>

#include "keys/key_codes.h"

namespace kz::macro {

std::string FormatMacroValue(const std::vector<MacroEvent>& events) {
  std::string text;
  char record[48];
  for (const MacroEvent& event : events) {
    std::snprintf(record, sizeof record, "%d,%d,%d;", event.key, event.down, event.delay);
    text += record;
  }
  return text;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// atoi-like, but a field without any digit is no number at all.
std::optional<int> ReadNumber(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && IsBlank(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  if (i >= field.size() || field[i] < '0' || field[i] > '9') return std::nullopt;
  long long value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = value * 10 + (field[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

std::vector<MacroEvent> ParseMacroValue(std::string_view text) {
  std::vector<MacroEvent> events;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view piece = text.substr(start, end - start);
    start = end + 1;

    std::optional<int> numbers[3];
    size_t fieldStart = 0;
    int count = 0;
    while (count < 3 && fieldStart <= piece.size()) {
      size_t comma = piece.find(',', fieldStart);
      if (comma == std::string_view::npos) comma = piece.size();
      numbers[count++] = ReadNumber(piece.substr(fieldStart, comma - fieldStart));
      fieldStart = comma + 1;
    }
    if (count == 3 && numbers[0] && numbers[1] && numbers[2]) events.push_back({*numbers[0], *numbers[1], *numbers[2]});
  }
  return events;
}

std::string MacroEventText(const MacroEvent& event) {
  if (event.IsDelayRow()) return std::string();
  // A negative pause cannot be meant; it would otherwise go out as 65 seconds.
  int delay = event.delay <= 0 ? 8 : event.delay;
  char text[24];
  std::snprintf(text, sizeof text, "%s %02X %02X %02X", event.down != 0 ? "81" : "82",
                settings::DeviceKeyCodeOf(event.key), (delay >> 8) & 0xFF, delay & 0xFF);
  return text;
}

std::vector<std::string> BuildMacroBlocks(const std::vector<MacroEvent>& events) {
  std::vector<std::string> blocks;
  std::string block;
  int inBlock = 0;
  for (const MacroEvent& event : events) {
    if (event.IsDelayRow()) continue;
    block += MacroEventText(event) + " ";
    if (++inBlock == kEventsPerBlock) {
      blocks.push_back(std::move(block));
      block.clear();
      inBlock = 0;
    }
  }
  if (!block.empty()) blocks.push_back(std::move(block));
  return blocks;
}

int KeyEventCount(const std::vector<MacroEvent>& events) {
  int count = 0;
  for (const MacroEvent& event : events)
    if (!event.IsDelayRow()) ++count;
  return count;
}

std::string MacroEventTypeText(const MacroEvent& event) {
  if (event.IsDelayRow()) return "Delay";
  return event.down != 0 ? "Down" : "Up";
}

std::string MacroEventValueText(const MacroEvent& event) {
  if (event.IsDelayRow()) return std::to_string(event.delay) + "ms";
  return settings::KeyNameOf(event.key);
}

}  // namespace kz::macro
