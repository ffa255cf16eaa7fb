#pragma once
// The update manifest: an INI text whose section "kz" names the software version and archive
// ("ver", "path") and the firmware version and image ("hardver", "hardpath") on offer, and may
// carry the SHA-256 of each download ("sha256", "hardsha256", hexadecimal).
#include <string>
#include <string_view>

namespace kz::update {

// Every value is read as into a 512-character buffer: at most this many characters.
inline constexpr size_t kMaxManifestValue = 511;

struct Manifest {
  std::string ver;
  std::string path;
  std::string hardver;
  std::string hardpath;
  std::string sha256;
  std::string hardsha256;
};

// Reads the "kz" section the way a private-profile reader does: section and key names without
// regard to case, blanks around names and values dropped, one pair of enclosing quotes removed,
// the first occurrence of a key holds, lines starting with ';' or '#' are comments. A missing key
// is an empty text; a value is cut to kMaxManifestValue characters (never inside a UTF-8
// sequence). Any bytes are accepted.
Manifest ReadManifest(std::string_view text);

// The same from a file; false when it cannot be read (the manifest is then all empty).
bool ReadManifestFile(const std::string& path, Manifest& manifest);

}  // namespace kz::update
