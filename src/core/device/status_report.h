#pragma once
// The status report: the mouse's answer to "03F9", input report 0x03 of 25 bytes.
#include <array>
#include <optional>
#include <string>

namespace kz::device {

struct StatusReport {
  static constexpr int kLength = 25;
  static constexpr unsigned char kClickLeft = 0x01, kClickRight = 0x02, kClickMiddle = 0x04,
                                 kWheelUp = 0x08, kWheelDown = 0x10;

  int activeDpiLevel = 0;                 // byte 3: position among the enabled levels, from 1
  std::array<unsigned char, 4> dpi{};     // bytes 4-7: levels 1-4 in units of 50 DPI, 0 = disabled
  int reportRateCode = 0;                 // byte 8: 7, 3, 1 or 0
  int light1Breath = 0;                   // byte 9, high four bits
  int light2Breath = 0;                   // byte 9, low four bits
  int light1Rgb = 0;                      // bytes 10-12: red + 256 * green + 65536 * blue
  int light2Rgb = 0;                      // bytes 13-15, the same way
  int clickFlags = 0;                     // byte 16: kClick* / kWheel* bits
  int lightSpeed = 0;                     // byte 17, both lights
  int sense = 0;                          // byte 18: device byte of the general sensitivity
  int sensitivityX = 0;                   // byte 19
  int sensitivityY = 0;                   // byte 20
  int sensitivitySwitch = 0;              // byte 21
  int firmware = 0;                       // byte 22: major in the high, minor in the low four bits
  int movement = 0;                       // bytes 23 (high) and 24 (low)
  std::array<unsigned char, kLength> bytes{};  // the report as received

  // A report of at least kLength bytes whose byte 0 is 0x03; nullopt otherwise (a shorter report
  // would leave fields undefined, so it is not taken).
  static std::optional<StatusReport> Decode(const unsigned char* bytes, int count);

  // "%d.%d" of the two halves of byte 22 ("1.2" for 0x12).
  std::string FirmwareText() const;
  // DPI of level 1..4 (byte * 50), 0 when disabled or out of range.
  int DpiOfLevel(int level) const;
};

}  // namespace kz::device
