#include "device/status_report.h"

#include <cstdio>

namespace kz::device {

std::optional<StatusReport> StatusReport::Decode(const unsigned char* bytes, int count) {
  if (bytes == nullptr || count < kLength || bytes[0] != 0x03) return std::nullopt;
  StatusReport r;
  for (int i = 0; i < kLength; ++i) r.bytes[static_cast<size_t>(i)] = bytes[i];
  r.activeDpiLevel = bytes[3];
  for (int i = 0; i < 4; ++i) r.dpi[static_cast<size_t>(i)] = bytes[4 + i];
  r.reportRateCode = bytes[8];
  r.light1Breath = bytes[9] >> 4;
  r.light2Breath = bytes[9] & 0x0F;
  r.light1Rgb = bytes[10] + 256 * bytes[11] + 65536 * bytes[12];
  r.light2Rgb = bytes[13] + 256 * bytes[14] + 65536 * bytes[15];
  r.clickFlags = bytes[16];
  r.lightSpeed = bytes[17];
  r.sense = bytes[18];
  r.sensitivityX = bytes[19];
  r.sensitivityY = bytes[20];
  r.sensitivitySwitch = bytes[21];
  r.firmware = bytes[22];
  r.movement = bytes[23] * 256 + bytes[24];
  return r;
}

std::string StatusReport::FirmwareText() const {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d", (firmware >> 4) & 0x0F, firmware & 0x0F);
  return text;
}

int StatusReport::DpiOfLevel(int level) const {
  if (level < 1 || level > 4) return 0;
  return dpi[static_cast<size_t>(level - 1)] * 50;
}

}  // namespace kz::device
