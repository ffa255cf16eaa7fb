// The device commands of kzmousectl: list, status, send.
#include "cli_commands.h"

#include "base/log.h"
#include "device/channel.h"
#include "device/device_reader.h"
#include "device/hidm.h"
#include "device/presence.h"
#include "device/status_report.h"

#include <json/json.h>

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <ostream>

namespace kz::cli {
namespace {

// The length of the well-formed UTF-8 sequence at text[at] (no overlong forms, surrogates or code
// points past U+10FFFF); 0 when none starts there.
size_t Utf8SequenceLength(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead == 0xE0) length = 3, low = 0xA0;
  else if (lead == 0xED) length = 3, high = 0x9F;
  else if (lead >= 0xE1 && lead <= 0xEF) length = 3;
  else if (lead == 0xF0) length = 4, low = 0x90;
  else if (lead == 0xF4) length = 4, high = 0x8F;
  else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
  else return 0;
  if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  return length;
}

void AppendEscapedByte(std::string& out, unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02X", byte);
  out += text;
}

}  // namespace

// Messages quote what the user typed; a torn or invalid UTF-8 sequence would reach the terminal as
// garbage (or as half of a character cut at a byte position), and a control byte could drive the
// terminal. Those bytes are shown as \xNN, whole characters as they are.
std::string ShowableText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    size_t length = Utf8SequenceLength(text, i);
    if (length == 0 || byte < 0x20 || byte == 0x7F) {
      AppendEscapedByte(out, byte);
      ++i;
      continue;
    }
    out.append(text, i, length);
    i += length;
  }
  return out;
}

namespace {

using device::StatusReport;

constexpr auto kStatusTimeout = std::chrono::seconds(3);

std::string Hex2(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

std::string JsonText(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "  ";
  return Json::writeString(builder, value);
}

int RejectExtraArgs(const Invocation& call, const std::vector<std::string>& args, const char* usage) {
  return Fail(call, kExitUsage,
              "unexpected argument \"" + ShowableText(args.front()) + "\"; usage: kzmousectl " + usage);
}

int NoMouse(const Invocation& call) {
  return Fail(call, kExitNoMouse,
              call.simulate ? "the simulated mouse is unplugged"
                            : "no mouse present (USB 7616:530A); is it plugged in?");
}

int RunList(const Invocation& call) {
  std::vector<std::string> args = call.args;
  bool json = TakeFlag(args, "--json");
  if (!args.empty()) return RejectExtraArgs(call, args, "list [--json]");
  std::vector<std::string> mice = device::PresentMouseIdentifiers();
  if (json) {
    Json::Value list(Json::arrayValue);
    for (const auto& id : mice) list.append(id);
    *call.out << JsonText(list) << "\n";
  } else {
    for (const auto& id : mice) *call.out << id << "\n";
  }
  return mice.empty() ? NoMouse(call) : kExitOk;
}

// Starts a reader (which sends "03F9") and takes the first status report it delivers.
std::optional<StatusReport> QueryStatus() {
  std::mutex mutex;
  std::condition_variable changed;
  std::optional<StatusReport> report;
  bool ended = false;
  device::DeviceReader reader(
      [&](const StatusReport& r) {
        std::lock_guard lock(mutex);
        if (!report) report = r;
        changed.notify_all();
      },
      [&] {
        std::lock_guard lock(mutex);
        ended = true;
        changed.notify_all();
      });
  if (!reader.Start()) return std::nullopt;
  {
    std::unique_lock lock(mutex);
    changed.wait_for(lock, kStatusTimeout, [&] { return report.has_value() || ended; });
  }
  reader.Stop();
  reader.Join();
  std::lock_guard lock(mutex);
  return report;
}

Json::Value LightJson(int breath, int rgb) {
  Json::Value light;
  light["breath"] = breath;
  light["red"] = rgb & 0xFF;
  light["green"] = (rgb >> 8) & 0xFF;
  light["blue"] = (rgb >> 16) & 0xFF;
  light["rgb"] = rgb;
  return light;
}

Json::Value StatusJson(const StatusReport& r) {
  Json::Value v;
  v["firmware"] = r.FirmwareText();
  v["activeDpiLevel"] = r.activeDpiLevel;
  Json::Value dpi(Json::arrayValue), raw(Json::arrayValue);
  for (int level = 1; level <= 4; ++level) {
    dpi.append(r.DpiOfLevel(level));
    raw.append(r.dpi[static_cast<size_t>(level - 1)]);
  }
  v["dpi"] = dpi;
  v["dpiRaw"] = raw;
  v["reportRateCode"] = r.reportRateCode;
  v["sense"] = r.sense;
  v["sensitivityX"] = r.sensitivityX;
  v["sensitivityY"] = r.sensitivityY;
  v["sensitivitySwitch"] = r.sensitivitySwitch;
  v["light1"] = LightJson(r.light1Breath, r.light1Rgb);
  v["light2"] = LightJson(r.light2Breath, r.light2Rgb);
  v["lightSpeed"] = r.lightSpeed;
  v["clickFlags"] = r.clickFlags;
  v["movement"] = r.movement;
  v["bytes"] = HexDumpLower(r.bytes.data(), StatusReport::kLength);
  return v;
}

std::string LightText(int breath, int rgb) {
  return std::string(breath ? "breathing" : "steady") + ", red " + Hex2(rgb) + " green " + Hex2(rgb >> 8) +
         " blue " + Hex2(rgb >> 16);
}

void PrintStatus(std::ostream& out, const StatusReport& r) {
  out << "firmware            " << r.FirmwareText() << "\n"
      << "active DPI level    " << r.activeDpiLevel << "\n"
      << "DPI levels          ";
  for (int level = 1; level <= 4; ++level) {
    int dpi = r.DpiOfLevel(level);
    out << (dpi ? std::to_string(dpi) : std::string("off")) << (level < 4 ? " " : "\n");
  }
  out << "report rate code    " << Hex2(r.reportRateCode) << "\n"
      << "sense x y           " << Hex2(r.sense) << " " << Hex2(r.sensitivityX) << " " << Hex2(r.sensitivityY) << "\n"
      << "sensitivity switch  " << r.sensitivitySwitch << "\n"
      << "light 1             " << LightText(r.light1Breath, r.light1Rgb) << "\n"
      << "light 2             " << LightText(r.light2Breath, r.light2Rgb) << "\n"
      << "light speed         " << r.lightSpeed << "\n"
      << "click flags         " << Hex2(r.clickFlags) << "\n"
      << "movement            " << r.movement << "\n"
      << "bytes               " << HexDumpLower(r.bytes.data(), StatusReport::kLength) << "\n";
}

int RunStatus(const Invocation& call) {
  std::vector<std::string> args = call.args;
  bool json = TakeFlag(args, "--json");
  if (!args.empty()) return RejectExtraArgs(call, args, "status [--json]");
  if (!device::IsMousePresent()) return NoMouse(call);
  if (!device::OpenConnection())
    return Fail(call, kExitNoMouse, "cannot open the mouse: " + LastHidErrorText());
  std::optional<StatusReport> report = QueryStatus();
  if (!report) return Fail(call, kExitNoReport, "the mouse sent no status report");
  if (json) *call.out << JsonText(StatusJson(*report)) << "\n";
  else PrintStatus(*call.out, *report);
  return kExitOk;
}

// The channel reads any character that is not a hex digit as 0 and drops a lone last digit; typed
// by hand, either is a mistake, so the tool refuses such a text instead of sending other bytes.
std::string CheckCommandText(const std::string& text) {
  size_t digits = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == ' ') {
      if (digits % 2 != 0) return "a byte needs two hex digits (at position " + std::to_string(i + 1) + ")";
      continue;
    }
    if (!std::isxdigit(static_cast<unsigned char>(c))) {
      // The whole character, not its first byte; a torn one is shown with all of its bytes.
      size_t length = Utf8SequenceLength(text, i);
      if (length == 0)
        for (length = 1; length < 4 && i + length < text.size() &&
                         (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80;)
          ++length;
      return "\"" + ShowableText(text.substr(i, length)) + "\" is not a hex digit (at position " +
             std::to_string(i + 1) + ")";
    }
    ++digits;
  }
  if (digits % 2 != 0) return "a byte needs two hex digits (the last one has one)";
  if (digits == 0) return "no bytes in the command text";
  if (digits / 2 > static_cast<size_t>(device::kOutputReportLength))
    return "the command has " + std::to_string(digits / 2) + " bytes, at most " +
           std::to_string(device::kOutputReportLength) + " fit one report";
  return {};
}

int RunSend(const Invocation& call) {
  if (call.args.size() != 1) return Fail(call, kExitUsage, "usage: kzmousectl send TEXT (for example \"03 10 04 01 20 40 80 A4\")");
  const std::string& text = call.args.front();
  if (std::string problem = CheckCommandText(text); !problem.empty())
    return Fail(call, kExitUsage, "bad command text: " + problem);
  if (!device::IsMousePresent()) return NoMouse(call);
  if (!device::SendCommandText(text))
    return Fail(call, kExitWriteFailed, "the mouse did not take the command: " + LastHidErrorText());
  std::vector<unsigned char> bytes = device::CommandTextToBytes(text);
  std::string sent = HexDumpLower(bytes.data(), static_cast<int>(bytes.size()));
  if (!sent.empty()) sent.pop_back();
  *call.out << "sent " << sent << "\n";
  return kExitOk;
}

const bool registered = RegisterCommand({"list", "[--json]", "list the present mice", &RunList}) &&
                        RegisterCommand({"status", "[--json]", "ask the mouse for its state and show it", &RunStatus}) &&
                        RegisterCommand({"send", "TEXT", "send one command text (hex bytes, e.g. \"03 10 04 01 20 40 80 A4\")", &RunSend});

}  // namespace
}  // namespace kz::cli
