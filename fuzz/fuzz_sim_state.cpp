// The simulated mouse's state file lives on disk between runs and may be edited or damaged.
#include "device/sim_mouse.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>

using kz::device::SimMouseState;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  // A state unlike the factory one, so that a refused text visibly leaves it alone.
  SimMouseState sentinel;
  sentinel.dpiCount = 2;
  sentinel.firmware = 0x42;
  sentinel.macros[7] = {{7, 1, 0x81, 0x04, 0x00, 0x08}};

  SimMouseState parsed = sentinel;
  if (!SimMouseState::Parse(text, parsed)) {
    KZ_FUZZ_CHECK(parsed == sentinel);
    return 0;
  }

  // Saved and loaded again gives the same state, and saving is canonical.
  const std::string saved = parsed.Serialize();
  SimMouseState reloaded = sentinel;
  KZ_FUZZ_CHECK(SimMouseState::Parse(saved, reloaded));
  KZ_FUZZ_CHECK(reloaded == parsed);
  KZ_FUZZ_CHECK(reloaded.Serialize() == saved);

  // The mouse holds four macro blocks per button, never an empty one.
  for (const auto& [button, blocks] : parsed.macros) {
    KZ_FUZZ_CHECK(blocks.size() >= 1 && blocks.size() <= 4);
    for (const auto& block : blocks) KZ_FUZZ_CHECK(!block.empty() && block[0] == button);
  }
  return 0;
}
