#include <gtest/gtest.h>

#include "macro/macro_event.h"

namespace kz::macro {
namespace {

std::vector<MacroEvent> KeyEvents(int count) {
  std::vector<MacroEvent> events;
  for (int i = 0; i < count; ++i) events.push_back({0x41 + i % 26, (i + 1) % 2, 0});
  return events;
}

TEST(MacroValue, FormatAndParseRoundTrip) {
  std::vector<MacroEvent> events{{65, 1, 120}, {0, 0, 120}, {65, 0, 0}};
  EXPECT_EQ(FormatMacroValue(events), "65,1,120;0,0,120;65,0,0;");
  EXPECT_EQ(ParseMacroValue(FormatMacroValue(events)), events);
  EXPECT_EQ(FormatMacroValue({}), "");
  EXPECT_TRUE(ParseMacroValue("").empty());
  std::vector<MacroEvent> extremes{{2147483647, 1, -2147483647 - 1}, {-5, 0, 0}};
  EXPECT_EQ(ParseMacroValue(FormatMacroValue(extremes)), extremes);
}

TEST(MacroValue, ParseSkipsMalformedPieces) {
  struct Case {
    const char* text;
    std::vector<MacroEvent> events;
  };
  const Case cases[] = {
      {"65,1,120", {{65, 1, 120}}},  // no final semicolon
      {";;65,1,120;;", {{65, 1, 120}}},
      {"65,1;66,1,5;", {{66, 1, 5}}},  // a field missing
      {"65,1,;66,0,5;", {{66, 0, 5}}},
      {"a,b,c;66,0,5;", {{66, 0, 5}}},  // no digits at all
      {" 65, +1 ,-3x;", {{65, 1, -3}}},  // atoi-like: blanks, sign, stops at a non-digit
      {"65,1,2,99;", {{65, 1, 2}}},  // extra fields ignored
      {"99999999999,1,0;", {{2147483647, 1, 0}}},  // saturates
      {",,,;\n;\xff\xfe", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseMacroValue(c.text), c.events) << c.text;
}

TEST(MacroDevice, EventTexts) {
  EXPECT_EQ(MacroEventText({0x41, 1, 0}), "81 04 00 08");  // no pause recorded: 8 ms
  EXPECT_EQ(MacroEventText({0x41, 0, 300}), "82 04 01 2C");
  EXPECT_EQ(MacroEventText({0xA2, 1, 70000}), "81 E0 11 70");  // only 16 bits of the delay
  EXPECT_EQ(MacroEventText({0x12, 1, 5}), "81 00 00 05");  // a key the mouse has no code for
  EXPECT_EQ(MacroEventText({0x41, 1, -20}), "81 04 00 08");
  EXPECT_EQ(MacroEventText({0, 0, 500}), "");
  EXPECT_EQ(MacroEventText({-3, 1, 500}), "");
}

TEST(MacroDevice, BlocksOfFifteenKeyEvents) {
  EXPECT_TRUE(BuildMacroBlocks({}).empty());
  EXPECT_TRUE(BuildMacroBlocks({{0, 0, 100}, {0, 0, 200}}).empty());

  std::vector<MacroEvent> events{{0x43, 1, 0}, {0, 0, 40}, {0x43, 0, 40}};
  EXPECT_EQ(BuildMacroBlocks(events), std::vector<std::string>{"81 06 00 08 82 06 00 28 "});

  std::vector<std::string> blocks = BuildMacroBlocks(KeyEvents(16));
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].size(), 15u * 12);
  EXPECT_EQ(blocks[1], "82 13 00 08 ");  // the sixteenth event: P released

  blocks = BuildMacroBlocks(KeyEvents(60));
  ASSERT_EQ(blocks.size(), 4u);
  for (const std::string& block : blocks) EXPECT_EQ(block.size(), 15u * 12);
  EXPECT_EQ(KeyEventCount(KeyEvents(60)), 60);
}

TEST(MacroDisplay, ListTexts) {
  EXPECT_EQ(MacroEventTypeText({0, 0, 120}), "Delay");
  EXPECT_EQ(MacroEventValueText({0, 0, 120}), "120ms");
  EXPECT_EQ(MacroEventTypeText({0x41, 1, 0}), "Down");
  EXPECT_EQ(MacroEventTypeText({0x41, 0, 0}), "Up");
  EXPECT_EQ(MacroEventValueText({0x0D, 1, 0}), "ENTER");
  EXPECT_EQ(MacroEventValueText({0x12, 1, 0}), "unknown key");
}

}  // namespace
}  // namespace kz::macro
