#include "device/status_report.h"

#include <gtest/gtest.h>

#include <vector>

namespace kz::device {
namespace {

TEST(StatusReport, DecodesEveryField) {
  const unsigned char bytes[25] = {0x03, 0xF9, 0x00, 0x02, 0x10, 0x00, 0x40, 0x00, 0x03, 0x10, 0x12, 0x34,
                                   0x56, 0xFF, 0x00, 0x80, 0x19, 0x0A, 0x85, 0x05, 0x00, 0x01, 0x12, 0x01, 0x02};
  auto r = StatusReport::Decode(bytes, 25);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->activeDpiLevel, 2);
  EXPECT_EQ(r->dpi, (std::array<unsigned char, 4>{0x10, 0x00, 0x40, 0x00}));
  EXPECT_EQ(r->DpiOfLevel(1), 800);
  EXPECT_EQ(r->DpiOfLevel(2), 0);
  EXPECT_EQ(r->DpiOfLevel(3), 3200);
  EXPECT_EQ(r->DpiOfLevel(5), 0);
  EXPECT_EQ(r->reportRateCode, 3);
  EXPECT_EQ(r->light1Breath, 1);
  EXPECT_EQ(r->light2Breath, 0);
  EXPECT_EQ(r->light1Rgb, 0x12 + 256 * 0x34 + 65536 * 0x56);
  EXPECT_EQ(r->light2Rgb, 0xFF + 256 * 0x00 + 65536 * 0x80);
  EXPECT_EQ(r->clickFlags, StatusReport::kClickLeft | StatusReport::kWheelUp | StatusReport::kWheelDown);
  EXPECT_EQ(r->lightSpeed, 10);
  EXPECT_EQ(r->sense, 0x85);
  EXPECT_EQ(r->sensitivityX, 0x05);
  EXPECT_EQ(r->sensitivityY, 0x00);
  EXPECT_EQ(r->sensitivitySwitch, 1);
  EXPECT_EQ(r->firmware, 0x12);
  EXPECT_EQ(r->FirmwareText(), "1.2");
  EXPECT_EQ(r->movement, 0x0102);
  EXPECT_EQ(r->bytes[24], 0x02);
}

TEST(StatusReport, FirmwareTextOfBothHalves) {
  unsigned char bytes[25] = {0x03};
  for (auto [value, text] : {std::pair{0x03, "0.3"}, {0xA0, "10.0"}, {0xFF, "15.15"}}) {
    bytes[22] = static_cast<unsigned char>(value);
    EXPECT_EQ(StatusReport::Decode(bytes, 25)->FirmwareText(), text);
  }
}

TEST(StatusReport, RefusesWhatIsNotAStatusReport) {
  std::vector<unsigned char> bytes(64, 0);
  bytes[0] = 0x03;
  EXPECT_TRUE(StatusReport::Decode(bytes.data(), 64).has_value());  // a longer report is fine
  EXPECT_FALSE(StatusReport::Decode(bytes.data(), 24).has_value());  // fields 23, 24 would be missing
  EXPECT_FALSE(StatusReport::Decode(nullptr, 25).has_value());
  bytes[0] = 0x04;
  EXPECT_FALSE(StatusReport::Decode(bytes.data(), 25).has_value());
}

}  // namespace
}  // namespace kz::device
