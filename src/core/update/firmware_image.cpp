#include "update/firmware_image.h"

#include <cctype>
#include <cstdio>
#include <memory>

#include "device/hidm.h"
#include "update/update_texts.h"

namespace kz::update {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Why a line that is not skipped cannot be sent; empty when it is a good record.
std::string LineProblem(std::string_view line) {
  // The record type ("S1") is not examined; everything after it is sent as hex digits.
  for (char c : line.substr(2))
    if (HexValue(c) < 0) return "holds a character that is not a hexadecimal digit";
  if (line.size() % 2 != 0) return "has an odd number of digits";
  const int count = HexValue(line[2]) * 16 + HexValue(line[3]);
  if (count < 3) return "has a count below 3";
  if (static_cast<size_t>(count) != (line.size() - 4) / 2) return "has a count that does not match its length";
  // 03 58 03, the length, the address and the data must go out as one report; a longer one would
  // be refused by the channel and leave a gap in the firmware.
  if (6 + (count - 3) > device::kOutputReportLength) return "is too long for one report to the mouse";
  return {};
}

}  // namespace

std::string RecordCommand(std::string_view line) {
  std::string_view body = line.substr(2, line.size() - 4);
  int count = HexValue(body[0]) * 16 + HexValue(body[1]);
  char length[16];
  std::snprintf(length, sizeof length, "%02X", count - 3);
  std::string command = "035803";
  command += std::string(length).substr(0, 2);
  command += body.substr(2);
  return command;
}

FirmwareImage CheckFirmwareImage(std::string_view text) {
  FirmwareImage image;
  size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    if (line.size() <= 4) continue;
    if (std::string problem = LineProblem(line); !problem.empty()) {
      image.problem = "line " + std::to_string(lineNumber) + " " + problem;
      image.records.clear();
      return image;
    }
    image.records.push_back(RecordCommand(line));
  }
  if (image.records.empty()) {
    image.problem = "the image holds no record";
    return image;
  }
  image.ok = true;
  return image;
}

device::WriteSequence BuildFlashSequence(const std::vector<std::string>& records, const FlashReport& report) {
  device::WriteSequence sequence;
  sequence.Log(text::kFlashStartLog);
  sequence.Send("035802");
  sequence.Log("035802");
  for (const char* block : kFirmwareBlocks) {
    std::string command = std::string("03580401") + block;
    sequence.SendIgnoringRefusal(command);
    sequence.Log(command);
  }
  const long long total = static_cast<long long>(records.size());
  const long long step = total / 100 > 0 ? total / 100 : 1;
  if (report.progress) sequence.Call([progress = report.progress, total] { progress(0, total); });
  for (long long i = 0; i < total; ++i) {
    const std::string& command = records[static_cast<size_t>(i)];
    sequence.SendIgnoringRefusal(command);
    sequence.Log(command);
    if (report.progress && ((i + 1) % step == 0 || i + 1 == total))
      sequence.Call([progress = report.progress, done = i + 1, total] { progress(done, total); });
  }
  sequence.SendIgnoringRefusal("035801");
  sequence.Log("035801");
  if (report.status) sequence.Call([status = report.status] { status(text::kFlashFinished); });
  for (int i = 0; i < 5; ++i) {
    sequence.Log(text::kFlashQueryLog);
    sequence.SendIgnoringRefusal("03F9");
  }
  return sequence;
}

}  // namespace kz::update
