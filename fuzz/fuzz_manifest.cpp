// The update manifest is downloaded from the update server: any bytes.
#include "fuzz_check.h"
#include "update/manifest.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  kz::update::Manifest m = kz::update::ReadManifest(text);
  for (const std::string* value : {&m.ver, &m.path, &m.hardver, &m.hardpath, &m.sha256, &m.hardsha256}) {
    // At most 511 characters of up to 4 bytes each, and always a piece of the input.
    KZ_FUZZ_CHECK(value->size() <= kz::update::kMaxManifestValue * 4);
    KZ_FUZZ_CHECK(value->empty() || text.find(*value) != std::string_view::npos);
    KZ_FUZZ_CHECK(value->find('\n') == std::string::npos);
  }
  return 0;
}
