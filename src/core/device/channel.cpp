#include "device/channel.h"

#include "base/constants.h"
#include "device/hidm.h"

#include <mutex>
#include <string>

namespace kz::device {
namespace {

int HexValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  return 0;
}

// One character per code point, so that a non-ASCII character takes one place in a pair just as it
// does in a wide text. Bytes that do not form UTF-8 count one character each.
std::u32string Characters(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    bool whole = extra >= 0 && i + extra < text.size();
    for (int k = 1; whole && k <= extra; ++k)
      whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (!whole) extra = 0;
    // The value of a non-ASCII character never matters (it is not a digit nor a blank).
    out.push_back(extra == 0 && lead < 0x80 ? static_cast<char32_t>(lead) : U'\uFFFD');
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

// Serialises opening and closing so that the flag always tells the truth.
std::mutex& ConnectionMutex() {
  static auto* mutex = new std::mutex;  // never destroyed, like the library state
  return *mutex;
}

}  // namespace

std::vector<unsigned char> CommandTextToBytes(std::string_view text) {
  std::u32string chars = Characters(text);
  std::vector<unsigned char> bytes;
  bytes.reserve(chars.size() / 2 + 1);
  size_t i = 0;
  while (i + 1 < chars.size() && bytes.size() < static_cast<size_t>(kMaxCommandBytes)) {
    if (chars[i] == U' ') {
      ++i;
      continue;
    }
    bytes.push_back(static_cast<unsigned char>(HexValue(chars[i]) * 16 + HexValue(chars[i + 1])));
    i += 2;
  }
  return bytes;
}

bool OpenConnection() {
  std::lock_guard lock(ConnectionMutex());
  if (HidmIsOpen()) return true;
  // The flag is the library's own state: it is set only when the open succeeded, so a mouse that
  // was missing at the first attempt is opened by the next send once it is there.
  return HIDM_Init(kMouseVendorId, kMouseProductId) == 0;
}

void CloseConnection() {
  std::lock_guard lock(ConnectionMutex());
  HIDM_Uninit();
}

bool IsConnectionOpen() { return HidmIsOpen(); }

bool SendCommandText(std::string_view text) {
  std::vector<unsigned char> bytes = CommandTextToBytes(text);
  OpenConnection();
  if (bytes.empty()) return true;
  const int count = static_cast<int>(bytes.size());
  int result = HIDM_Write(bytes.data(), count);
  if (result == kHidErrNoDevice || result == kHidErrNotOpen) {
    // The connection outlived its mouse (unplugged, maybe plugged in again, with no reader running
    // to notice). The command never reached a mouse, so it goes once more over a fresh connection;
    // a write the mouse itself refused is not repeated.
    CloseConnection();
    if (OpenConnection()) result = HIDM_Write(bytes.data(), count);
  }
  return result >= 0;
}

}  // namespace kz::device
