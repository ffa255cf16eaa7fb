#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/firmware_flash.h"
#include "update/firmware_image.h"
#include "update_fixture.h"

namespace {

using kz::update::CheckFirmwareImage;

const std::string kData = "00112233445566778899AABBCCDDEEFF";

std::vector<std::string> Blocks() {
  std::vector<std::string> blocks;
  for (const char* block : kz::update::kFirmwareBlocks) blocks.push_back(std::string("03580401") + block);
  return blocks;
}

struct Recorder {
  std::vector<std::string> sent;
  std::vector<std::string> status;
  std::vector<std::pair<long long, long long>> progress;
  // Refuses the commands with these texts.
  std::vector<std::string> refuse;

  kz::device::DeviceLink Link() {
    return {[this](std::string_view text) {
              sent.emplace_back(text);
              for (const std::string& r : refuse)
                if (r == text) return false;
              return true;
            },
            [](int) {}};
  }
  kz::update::FlashReport Report() {
    kz::update::FlashReport report;
    report.status = [this](const std::string& line) { status.push_back(line); };
    report.progress = [this](long long done, long long total) { progress.emplace_back(done, total); };
    return report;
  }
  // FlashFirmware on a writer that sends at once; -1 when it refused the file, else the result.
  int Flash(const std::string& path) {
    kz::device::DirectWriter writer(Link());
    int result = -1;
    if (!kz::update::FlashFirmware(path, writer, Report(), [&](bool ok) { result = ok; })) return -1;
    return result;
  }
};

}  // namespace

TEST(FirmwareImage, TheExampleRecordIsSentWithTheDataLength) {
  // "S1", count 13, address 0000, 16 data bytes, checksum: 03 58 03 10 00 00 and the data.
  auto image = CheckFirmwareImage("S1130000" + kData + "5A\n");
  ASSERT_TRUE(image.ok) << image.problem;
  ASSERT_EQ(image.records.size(), 1u);
  EXPECT_EQ(image.records[0], "035803100000" + kData);
}

TEST(FirmwareImage, CrLfLinesAndShortLinesAreHandledAsTheMouseNeeds) {
  const std::string record = kztest::RecordLine("E800", "0102");
  auto lf = CheckFirmwareImage("S9\n" + record + "\nABCD\n" + record);
  auto crlf = CheckFirmwareImage("S9\r\n" + record + "\r\nABCD\r\n" + record + "\r\n");
  ASSERT_TRUE(lf.ok) << lf.problem;
  ASSERT_TRUE(crlf.ok) << crlf.problem;
  EXPECT_EQ(lf.records, crlf.records);
  EXPECT_EQ(lf.records, (std::vector<std::string>{"03580302E8000102", "03580302E8000102"}));
}

TEST(FirmwareImage, BadImagesAreRefusedWhole) {
  const std::string good = kztest::RecordLine("0000", kData);
  const struct {
    std::string text;
    const char* why;
  } cases[] = {
      {"", "empty"},
      {"S9\nABCD\n\r\n\n", "only short lines"},
      {good + "\nS1130", "a 5-character line"},
      {good + "\nS10300GG00", "not hexadecimal"},
      {good + "\nS1130000" + kData + "5", "odd length"},
      {good + "\nS1140000" + kData + "5A", "count larger than the line"},
      {good + "\nS102000000", "count below 3"},
      {good + "\n" + kztest::RecordLine("0000", std::string(59 * 2, 'A')), "too long for one report"},
      {"S1 130000" + kData + "5A", "a blank inside"},
  };
  for (const auto& c : cases) {
    auto image = CheckFirmwareImage(c.text);
    EXPECT_FALSE(image.ok) << c.why;
    EXPECT_TRUE(image.records.empty()) << c.why;
    EXPECT_FALSE(image.problem.empty()) << c.why;
  }
  // The longest record that fits one report: 6 command bytes and 58 data bytes.
  EXPECT_TRUE(CheckFirmwareImage(kztest::RecordLine("0000", std::string(58 * 2, 'A'))).ok);
}

TEST(FlashFirmware, SendsTheWholeSequenceInOrder) {
  kztest::TempDir dir;
  const std::string a = kztest::RecordLine("E800", "0102"), b = kztest::RecordLine("E802", "0304");
  kztest::WriteAll(dir / "fw.bin", a + "\r\nABCD\r\n" + b + "\r\n");
  Recorder recorder;
  EXPECT_EQ(recorder.Flash(dir / "fw.bin"), 1);
  std::vector<std::string> expected{"035802"};
  for (const std::string& block : Blocks()) expected.push_back(block);
  expected.insert(expected.end(), {"03580302E8000102", "03580302E8020304", "035801", "03F9", "03F9", "03F9", "03F9", "03F9"});
  EXPECT_EQ(recorder.sent, expected);
  EXPECT_EQ(recorder.status, std::vector<std::string>{"固件更新完毕！"});
  ASSERT_FALSE(recorder.progress.empty());
  EXPECT_EQ(recorder.progress.front(), std::make_pair(0LL, 2LL));
  EXPECT_EQ(recorder.progress.back(), std::make_pair(2LL, 2LL));
}

TEST(FlashFirmware, LogLinesSurroundTheCommandsAsTheMouseTraceIsRead) {
  auto sequence = kz::update::BuildFlashSequence({"03580302E8000102"}, {});
  std::vector<std::string> logs;
  for (const auto& step : sequence.Steps())
    if (step.kind == kz::device::WriteStep::Kind::Log) logs.push_back(step.text);
  std::vector<std::string> expected{"开始读取bin文件，写035802", "035802"};
  for (const std::string& block : Blocks()) expected.push_back(block);
  expected.insert(expected.end(), {"03580302E8000102", "035801"});
  for (int i = 0; i < 5; ++i) expected.push_back("固件更新完毕 send 03f9");
  EXPECT_EQ(logs, expected);
  // The start line comes before the start command, each other command's line after it.
  EXPECT_EQ(sequence.Steps()[0].kind, kz::device::WriteStep::Kind::Log);
  EXPECT_EQ(sequence.Steps()[1].text, "035802");
  EXPECT_FALSE(sequence.Steps()[1].refusalIgnored);
}

TEST(FlashFirmware, RefusedImagesSendNothing) {
  kztest::TempDir dir;
  kztest::WriteAll(dir / "empty.bin", "");
  kztest::WriteAll(dir / "short.bin", "S9\r\nABCD\r\n");
  kztest::WriteAll(dir / "bad.bin", kztest::RecordLine("0000", kData) + "\n<html>404 Not Found</html>\n");
  ::mkdir((dir / "folder.bin").c_str(), 0700);
  for (const char* name : {"empty.bin", "short.bin", "bad.bin", "missing.bin", "folder.bin"}) {
    Recorder recorder;
    EXPECT_EQ(recorder.Flash(dir / name), -1) << name;
    EXPECT_TRUE(recorder.sent.empty()) << name;
    EXPECT_EQ(recorder.status, std::vector<std::string>{"无法打开固件更新包！"}) << name;
  }
}

TEST(FlashFirmware, ARefusedStartStopsEverythingALaterRefusalDoesNot) {
  kztest::TempDir dir;
  kztest::WriteAll(dir / "fw.bin", kztest::RecordLine("E800", "0102") + "\n" + kztest::RecordLine("E802", "0304"));
  Recorder unplugged;
  unplugged.refuse = {"035802"};
  EXPECT_EQ(unplugged.Flash(dir / "fw.bin"), 0);
  EXPECT_EQ(unplugged.sent, std::vector<std::string>{"035802"});
  EXPECT_EQ(unplugged.status, std::vector<std::string>{"更新失败，设备可能未接入电脑!"});

  Recorder lossy;
  lossy.refuse = {"03580302E8000102", "03580401F000", "035801"};
  EXPECT_EQ(lossy.Flash(dir / "fw.bin"), 1);
  EXPECT_EQ(lossy.sent.size(), 1u + 11 + 2 + 1 + 5);
  EXPECT_EQ(lossy.sent.back(), "03F9");
  EXPECT_EQ(lossy.status, std::vector<std::string>{"固件更新完毕！"});
}
