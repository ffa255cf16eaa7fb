// Device identifiers and arrival paths come from the system's device list.
#include "device/presence.h"
#include "fuzz_check.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace kz::device;

namespace {

bool IsWholeToken(std::string_view identifier, const std::string& token, std::string_view prefix) {
  if (token.empty()) return true;
  if (token.compare(0, prefix.size(), prefix) != 0) return false;
  if (token.find_first_of("\\#&") != std::string::npos) return false;
  return identifier.find(token) != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const IdentifierTokens tokens = PickIdentifierTokens(input);
  KZ_FUZZ_CHECK(IsWholeToken(input, tokens.vendor, "VID_"));
  KZ_FUZZ_CHECK(IsWholeToken(input, tokens.product, "PID_"));
  KZ_FUZZ_CHECK(IsMouseIdentifier(input) == (tokens.vendor == "VID_7616" && tokens.product == "PID_530A"));

  const std::string identifier = ArrivalPathToIdentifier(input);
  KZ_FUZZ_CHECK(identifier.size() <= size);
  for (char c : identifier) {
    KZ_FUZZ_CHECK(c != '#');
    KZ_FUZZ_CHECK(!std::islower(static_cast<unsigned char>(c)));
  }
  // Made an identifier once, a text has no prefix left to drop and no "#" left to cut at.
  const std::string twice = ArrivalPathToIdentifier(identifier);
  KZ_FUZZ_CHECK(twice == identifier || identifier.compare(0, 4, "\\\\?\\") == 0);
  IsMouseIdentifier(identifier);
  return 0;
}
