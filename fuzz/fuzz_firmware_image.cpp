// Firmware images come from a file the user picks or from a download: any bytes. A good image's
// records must be exactly the commands the mouse can take; a refused one sends nothing.
#include "device/hidm.h"
#include "fuzz_check.h"
#include "update/firmware_image.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  kz::update::FirmwareImage image = kz::update::CheckFirmwareImage(text);
  KZ_FUZZ_CHECK(image.ok == !image.records.empty());
  KZ_FUZZ_CHECK(image.ok == image.problem.empty());
  for (const std::string& record : image.records) {
    KZ_FUZZ_CHECK(record.rfind("035803", 0) == 0);
    KZ_FUZZ_CHECK(record.size() % 2 == 0 && record.size() >= 10);
    KZ_FUZZ_CHECK(record.size() / 2 <= static_cast<size_t>(kz::device::kOutputReportLength));
    for (char c : record) KZ_FUZZ_CHECK(std::isxdigit(static_cast<unsigned char>(c)));
    // The length byte is the number of data bytes after the address.
    const int length = std::stoi(record.substr(6, 2), nullptr, 16);
    KZ_FUZZ_CHECK(static_cast<size_t>(length) == (record.size() - 12) / 2);
  }
  if (image.ok) {
    auto sequence = kz::update::BuildFlashSequence(image.records, {});
    KZ_FUZZ_CHECK(sequence.Commands().size() == 1 + 11 + image.records.size() + 1 + 5);
  }
  return 0;
}
