// Command texts come from profiles and macro texts that may have been written elsewhere.
#include "device/channel.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// For plain ASCII every character is one byte, so the pair walk can be done on the bytes directly;
// the channel's own walk over code points must agree with it.
std::vector<unsigned char> AsciiWalk(std::string_view text) {
  std::vector<unsigned char> bytes;
  size_t i = 0;
  while (i + 1 < text.size() && bytes.size() < static_cast<size_t>(kz::device::kMaxCommandBytes)) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    bytes.push_back(static_cast<unsigned char>(Hex(text[i]) * 16 + Hex(text[i + 1])));
    i += 2;
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<unsigned char> bytes = kz::device::CommandTextToBytes(text);

  KZ_FUZZ_CHECK(bytes.size() <= static_cast<size_t>(kz::device::kMaxCommandBytes));
  // Every byte takes two characters, and a character takes at least one byte of text.
  KZ_FUZZ_CHECK(bytes.size() <= size / 2);

  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) KZ_FUZZ_CHECK(bytes == AsciiWalk(text));
  return 0;
}
