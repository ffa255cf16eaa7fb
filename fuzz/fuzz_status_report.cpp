// Status reports arrive from the device: any length, any bytes.
#include "device/status_report.h"
#include "fuzz_check.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

using kz::device::StatusReport;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int count = size > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
  std::optional<StatusReport> report = StatusReport::Decode(data, count);

  const bool acceptable = count >= StatusReport::kLength && data[0] == 0x03;
  KZ_FUZZ_CHECK(report.has_value() == acceptable);
  if (!report) return 0;

  // Only the first kLength bytes are read; whatever follows is no part of the report.
  KZ_FUZZ_CHECK(std::memcmp(report->bytes.data(), data, StatusReport::kLength) == 0);
  KZ_FUZZ_CHECK(report->movement == data[23] * 256 + data[24]);

  const std::string firmware = report->FirmwareText();
  KZ_FUZZ_CHECK(firmware == std::to_string(data[22] >> 4) + "." + std::to_string(data[22] & 0x0F));

  for (int level = 0; level <= 5; ++level) {
    const int dpi = report->DpiOfLevel(level);
    KZ_FUZZ_CHECK(level >= 1 && level <= 4 ? dpi == data[3 + level] * 50 : dpi == 0);
  }
  return 0;
}
