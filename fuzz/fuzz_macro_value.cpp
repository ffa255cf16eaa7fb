// Stored macro texts may come from another installation or a downloaded document.
#include "macro/macro_event.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace kz::macro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<MacroEvent> events = ParseMacroValue(text);

  // An event needs at least "0,0,0" of text plus the separator before the next one.
  KZ_FUZZ_CHECK(events.size() <= size / 5 + 1);

  // What is saved is read back unchanged, and the saved form is canonical.
  const std::string stored = FormatMacroValue(events);
  const std::vector<MacroEvent> again = ParseMacroValue(stored);
  KZ_FUZZ_CHECK(again == events);
  KZ_FUZZ_CHECK(FormatMacroValue(again) == stored);

  // What the mouse is sent: "8x kk hh ll " per key event, 15 events to a block, no empty block.
  const int keyEvents = KeyEventCount(events);
  const std::vector<std::string> blocks = BuildMacroBlocks(events);
  KZ_FUZZ_CHECK(blocks.size() == static_cast<size_t>((keyEvents + kEventsPerBlock - 1) / kEventsPerBlock));
  size_t inBlocks = 0;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const std::string& block = blocks[i];
    KZ_FUZZ_CHECK(!block.empty() && block.size() % 12 == 0);
    KZ_FUZZ_CHECK(i + 1 == blocks.size() || block.size() == 12u * kEventsPerBlock);
    inBlocks += block.size() / 12;
  }
  KZ_FUZZ_CHECK(inBlocks == static_cast<size_t>(keyEvents));

  for (const MacroEvent& event : events) {
    const std::string eventText = MacroEventText(event);
    KZ_FUZZ_CHECK(event.IsDelayRow() ? eventText.empty() : eventText.size() == 11);
    KZ_FUZZ_CHECK(!MacroEventTypeText(event).empty());
    MacroEventValueText(event);
  }
  return 0;
}
