#pragma once
// A firmware image: text lines laid out like S1 records (type, count, address, data, checksum).
// The image is checked whole before anything goes to the mouse, because a flash that stops half
// way can leave the mouse unusable.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "device/write_sequence.h"

namespace kz::update {

// The eleven blocks erased before the records are written, in sending order.
inline constexpr const char* kFirmwareBlocks[] = {"E800", "EA00", "EC00", "EE00", "F000", "F200",
                                                  "F400", "F600", "F800", "FA00", "FC00"};

struct FirmwareImage {
  bool ok = false;
  std::string problem;               // why the image was refused (for the log and the tool)
  std::vector<std::string> records;  // each record's command text, "035803" + length + address + data
};

// Lines end with LF (a CR before it, or several, are dropped); a line of 4 characters or fewer is
// skipped. Every other line must be of even length and, after its two type characters (not
// examined), hexadecimal digits whose count field (characters 3 and 4) is at least 3 and equals
// the number of bytes after it; then its command is "035803", the
// count less 3 as "%02X", and the address and data (the type and checksum are not sent). A line of
// 5 characters has no whole count and is refused, as is a record whose command does not fit one
// report to the mouse (64 bytes) and an image without any record.
FirmwareImage CheckFirmwareImage(std::string_view text);

// The record's command text of one line already known to be good: "S113 0000..." without blanks
// gives "035803100000..." (count 0x13 - 3 = 0x10).
std::string RecordCommand(std::string_view line);

struct FlashReport {
  // Status lines for the user, on the sending thread.
  std::function<void(const std::string& line)> status;
  // Records sent of the total, on the sending thread (about a hundred calls per image).
  std::function<void(long long done, long long total)> progress;
};

// The whole update as one write sequence, so nothing else reaches the mouse between its commands:
// the log line "开始读取bin文件，写035802", "035802" (its refusal ends the sequence: nothing else
// is sent), the log "035802", the eleven block commands, one command per record, "035801", the
// status line "固件更新完毕！" and five times the log "固件更新完毕 send 03f9" with "03F9". A refusal
// after the start command is passed over. Each command is logged after it was sent.
device::WriteSequence BuildFlashSequence(const std::vector<std::string>& records, const FlashReport& report);

}  // namespace kz::update
