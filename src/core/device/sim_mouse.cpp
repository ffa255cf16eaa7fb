#include "device/sim_mouse.h"

#include "base/log.h"
#include "base/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace kz::device {
namespace {

constexpr const char* kStateHeader = "kzmouse-sim-state 1";
constexpr int kVersionAddress = 0xFDFF;

std::string HexUpper(const unsigned char* bytes, size_t count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(count * 3);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 0x0F];
  }
  return text;
}

std::string HexUpper(const std::vector<unsigned char>& bytes) { return HexUpper(bytes.data(), bytes.size()); }

// Reads blank-separated two-digit hex bytes; false on anything else.
bool ParseHexBytes(std::istringstream& in, std::vector<unsigned char>& out) {
  std::string word;
  while (in >> word) {
    if (word.size() != 2) return false;
    char* end = nullptr;
    long value = std::strtol(word.c_str(), &end, 16);
    if (*end != '\0' || value < 0 || value > 255) return false;
    out.push_back(static_cast<unsigned char>(value));
  }
  return true;
}

// The trace is the simulator's own file: owner-only like the state, never written through a link
// at its path, and never a FIFO or device that would hold every command up. Returns why the file
// was refused ("" when the line went in, or was merely lost to a failure that may pass).
std::string AppendLineToFile(const std::string& path, const std::string& line) {
  std::string why;
  int fd = paths::OpenOwnFile(path, O_WRONLY | O_CREAT | O_APPEND, 0600, &why);
  if (fd < 0) return paths::MayReplaceOwnFile(path, &why) ? std::string() : why;
  std::string data = line + "\n";
  ssize_t ignored = ::write(fd, data.data(), data.size());  // one write keeps the line whole
  (void)ignored;
  ::close(fd);
  return {};
}

}  // namespace

std::string SimMouseState::Serialize() const {
  std::string text = std::string(kStateHeader) + "\n";
  unsigned char dpiLine[] = {static_cast<unsigned char>(dpiCount), static_cast<unsigned char>(dpiActive),
                             dpi[0], dpi[1], dpi[2], dpi[3]};
  text += "dpi " + HexUpper(dpiLine, sizeof dpiLine) + "\n";
  unsigned char reportLine[] = {static_cast<unsigned char>(reportRateCode), static_cast<unsigned char>(sense),
                                static_cast<unsigned char>(sensitivityX), static_cast<unsigned char>(sensitivityY),
                                static_cast<unsigned char>(sensitivitySwitch)};
  text += "report " + HexUpper(reportLine, sizeof reportLine) + "\n";
  unsigned char lightLine[] = {static_cast<unsigned char>(lightBreath), light1[0], light1[1], light1[2],
                               light2[0], light2[1], light2[2], static_cast<unsigned char>(lightSpeed)};
  text += "light " + HexUpper(lightLine, sizeof lightLine) + "\n";
  text += "buttons " + HexUpper(buttonMap.data(), buttonMap.size()) + "\n";
  for (const auto& [button, blocks] : macros)
    for (const auto& block : blocks) text += "macro " + HexUpper(block) + "\n";
  unsigned char firmwareByte = static_cast<unsigned char>(firmware);
  text += "firmware " + HexUpper(&firmwareByte, 1) + "\n";
  return text;
}

bool SimMouseState::Parse(const std::string& text, SimMouseState& out) {
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != kStateHeader) return false;
  SimMouseState s;
  s.macros.clear();
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    std::istringstream in(line);
    std::string key;
    in >> key;
    std::vector<unsigned char> b;
    if (!ParseHexBytes(in, b)) return false;
    if (key == "dpi" && b.size() == 6) {
      s.dpiCount = b[0];
      s.dpiActive = b[1];
      std::copy(b.begin() + 2, b.end(), s.dpi.begin());
    } else if (key == "report" && b.size() == 5) {
      s.reportRateCode = b[0];
      s.sense = b[1];
      s.sensitivityX = b[2];
      s.sensitivityY = b[3];
      s.sensitivitySwitch = b[4];
    } else if (key == "light" && b.size() == 8) {
      s.lightBreath = b[0];
      std::copy(b.begin() + 1, b.begin() + 4, s.light1.begin());
      std::copy(b.begin() + 4, b.begin() + 7, s.light2.begin());
      s.lightSpeed = b[7];
    } else if (key == "buttons" && b.size() == 11) {
      std::copy(b.begin(), b.end(), s.buttonMap.begin());
    } else if (key == "macro" && !b.empty()) {
      auto& blocks = s.macros[b[0]];
      if (blocks.size() >= 4) return false;
      blocks.push_back(b);
    } else if (key == "firmware" && b.size() == 1) {
      s.firmware = b[0];
    } else {
      return false;
    }
  }
  out = s;
  return true;
}

SimulatedMouse::SimulatedMouse() = default;

SimulatedMouse::SimulatedMouse(std::string statePath, std::string tracePath)
    : statePath_(std::move(statePath)), tracePath_(std::move(tracePath)) {
  if (!tracePath_.empty()) {
    std::string why;
    if (!paths::MayReplaceOwnFile(tracePath_, &why)) {
      traceProblem_ = "trace file " + tracePath_ + " " + why + "; it is left as it is and nothing is traced";
      Log("simulated mouse: %s", traceProblem_.c_str());
    }
  }
  if (statePath_.empty()) return;
  std::string text, why;
  if (!paths::ReadOwnFile(statePath_, text, &why)) {
    if (why.empty()) return;  // no file yet: factory state
    // A link or a special file is not ours to read, move or replace: it stays, and so do saves.
    stateProblem_ = "state file " + statePath_ + " " + why + "; factory state used, the file is left as it is";
    Log("simulated mouse: %s", stateProblem_.c_str());
    return;
  }
  if (SimMouseState::Parse(text, state_)) return;
  // A file we cannot read is kept aside rather than overwritten by the next save.
  std::string aside = statePath_ + ".bad";
  if (std::rename(statePath_.c_str(), aside.c_str()) != 0) aside.clear();
  stateProblem_ = "state file " + statePath_ + " is not a simulator state; factory state used" +
                  (aside.empty() ? "" : ", the file was moved to " + aside);
  Log("simulated mouse: %s", stateProblem_.c_str());
}

std::shared_ptr<SimulatedMouse> SimulatedMouse::FromEnvironment() {
  const char* state = std::getenv("KZMOUSE_SIM_STATE");
  const char* trace = std::getenv("KZMOUSE_SIM_TRACE");
  auto mouse = std::make_shared<SimulatedMouse>(state ? state : "", trace ? trace : "");
  // The window program has no other place to say it before the user wonders where the state went.
  for (const std::string& problem : {mouse->StateProblem(), mouse->TraceProblem()})
    if (!problem.empty())
      std::fprintf(stderr, "%s: warning: simulated mouse: %s\n", program_invocation_short_name, problem.c_str());
  return mouse;
}

SimulatedMouse::~SimulatedMouse() = default;

int SimulatedMouse::Open(unsigned short vendorId, unsigned short productId, std::string& error) {
  std::lock_guard lock(mutex_);
  if (vendorId != 0x7616 || productId != 0x530A || !plugged_) {
    error = "simulated mouse not plugged in";
    return kHidErrNoDevice;
  }
  if (!open_) {
    open_ = true;
    pending_.clear();
  }
  return 0;
}

void SimulatedMouse::Close() {
  std::lock_guard lock(mutex_);
  open_ = false;
  pending_.clear();
  ++closeEpoch_;
  readable_.notify_all();
}

int SimulatedMouse::Write(const unsigned char* bytes, int count, std::string& error) {
  std::unique_lock lock(mutex_);
  if (int refused = CheckWriteArguments(bytes, count, error)) return refused;
  if (!plugged_) {
    error = "simulated mouse unplugged";
    return kHidErrNoDevice;
  }
  if (!open_) {
    error = "simulated mouse not opened";
    return kHidErrNotOpen;
  }
  if (bytes[0] != kReportId) {
    error = "the simulated mouse has only report 0x03";
    return kHidErrReportId;
  }
  if (refuseWrites_) {
    error = "simulated mouse refuses writes";
    return kHidErrRefused;
  }
  std::string line = HexUpper(bytes, static_cast<size_t>(count));
  trace_.push_back(line);
  if (trace_.size() > kTraceLimit) trace_.pop_front();
  if (!tracePath_.empty() && traceProblem_.empty()) {
    traceProblem_ = AppendLineToFile(tracePath_, line);
    if (!traceProblem_.empty()) {
      traceProblem_ = "trace file " + tracePath_ + " " + traceProblem_ + "; nothing more is traced";
      Log("simulated mouse: %s", traceProblem_.c_str());
    }
  }
  ApplyCommand(bytes, count);
  return count;
}

int SimulatedMouse::Read(unsigned char* buffer, int capacity, std::string& error) {
  std::unique_lock lock(mutex_);
  const unsigned long closeEpoch = closeEpoch_, unplugEpoch = unplugEpoch_;
  readable_.wait(lock, [&] {
    return failReads_ || unplugEpoch_ != unplugEpoch || closeEpoch_ != closeEpoch || !open_ ||
           !pending_.empty();
  });
  if (unplugEpoch_ != unplugEpoch || !plugged_) {
    error = "device disconnected";
    return kHidErrRead;
  }
  if (failReads_) {
    error = "simulated read failure";
    return kHidErrRead;
  }
  if (closeEpoch_ != closeEpoch || !open_) return 0;
  std::vector<unsigned char> report = std::move(pending_.front());
  pending_.pop_front();
  int n = std::min(capacity, static_cast<int>(report.size()));
  std::copy(report.begin(), report.begin() + n, buffer);
  return n;
}

std::vector<std::string> SimulatedMouse::PresentIdentifiers() {
  std::lock_guard lock(mutex_);
  if (!plugged_) return {};
  return {kIdentifier};
}

void SimulatedMouse::ApplyCommand(const unsigned char* b, int n) {
  bool changed = false;
  if (n < 2) return;
  switch (b[1]) {
    case 0x10:
      if (n >= 8) {
        state_.dpiCount = b[2];
        state_.dpiActive = b[3];
        std::copy(b + 4, b + 8, state_.dpi.begin());
        changed = true;
      }
      break;
    case 0x12:
      if (n >= 11 && b[2] == 0x00) {
        state_.reportRateCode = b[3];
        state_.sense = b[7];
        state_.sensitivityX = b[8];
        state_.sensitivityY = b[9];
        state_.sensitivitySwitch = b[10];
        changed = true;
      }
      break;
    case 0x09:
      if (n >= 10) {
        // The command carries red, blue, green; the mouse keeps red, green, blue.
        state_.lightBreath = b[2];
        state_.light1 = {b[3], b[5], b[4]};
        state_.light2 = {b[6], b[8], b[7]};
        state_.lightSpeed = b[9];
        changed = true;
      }
      break;
    case 0x11:
      if (n >= 14 && b[2] == 0x00) {
        std::copy(b + 3, b + 14, state_.buttonMap.begin());
        changed = true;
      }
      break;
    case 0x14: case 0x15: case 0x16: case 0x17:
      if (n >= 4) {
        size_t index = static_cast<size_t>(b[1] - 0x14);
        if (index == 0) {
          state_.macros[b[2]] = {std::vector<unsigned char>(b + 2, b + n)};  // starts the macro anew
          changed = true;
          break;
        }
        // A later block only continues a macro whose earlier blocks are all there. The mouse
        // plays the blocks one after another, so one after a gap (or with no first block to say
        // how often to play) would be a fragment nobody wrote; like any malformed command it is
        // dropped, and the previous macro stays as it was. Keeping it would also need empty
        // blocks in front of it, which the state file cannot hold.
        auto found = state_.macros.find(b[2]);
        if (found == state_.macros.end() || found->second.size() < index) break;
        auto& blocks = found->second;
        if (blocks.size() == index) blocks.emplace_back();
        blocks[index].assign(b + 2, b + n);
        changed = true;
      }
      break;
    case 0x58:
      if (n >= 3 && b[2] == 0x02) {
        flashing_ = true;
        flashRecords_ = 0;
        flashedVersion_ = -1;
      } else if (n >= 6 && b[2] == 0x03 && flashing_) {
        ++flashRecords_;
        int length = b[3], address = b[4] * 256 + b[5];
        int offset = kVersionAddress - address;
        if (offset >= 0 && offset < length && 6 + offset < n) flashedVersion_ = b[6 + offset];
      } else if (n >= 3 && b[2] == 0x01 && flashing_) {
        flashing_ = false;
        if (flashedVersion_ >= 0) {
          state_.firmware = flashedVersion_;
          changed = true;
        }
      }
      break;
    case 0xF9:
      pending_.push_back(StatusReportLocked());
      clickFlags_ = 0;
      movement_ = 0;
      readable_.notify_all();
      break;
    default:
      break;
  }
  if (changed) SaveStateLocked();
}

void SimulatedMouse::SaveStateLocked() const {
  if (statePath_.empty()) return;
  paths::MakeDirs(paths::DirName(statePath_), 0700);
  // The rename of the atomic write would replace a link or a FIFO standing at the path; such a
  // thing was put there by someone on purpose, so the state is not saved rather than it removed.
  // (One planted between this look and the rename is replaced, never written through.)
  if (!paths::MayReplaceOwnFile(statePath_) || !paths::WriteFileAtomic(statePath_, state_.Serialize(), 0600))
    Log("simulated mouse: cannot write state file %s", statePath_.c_str());
}

std::vector<unsigned char> SimulatedMouse::StatusReportLocked() const {
  std::vector<unsigned char> r(kInputReportLength, 0);
  r[0] = kReportId;
  r[1] = 0xF9;
  r[3] = static_cast<unsigned char>(state_.dpiActive);
  std::copy(state_.dpi.begin(), state_.dpi.end(), r.begin() + 4);
  r[8] = static_cast<unsigned char>(state_.reportRateCode);
  r[9] = static_cast<unsigned char>(state_.lightBreath);
  std::copy(state_.light1.begin(), state_.light1.end(), r.begin() + 10);
  std::copy(state_.light2.begin(), state_.light2.end(), r.begin() + 13);
  r[16] = static_cast<unsigned char>(clickFlags_);
  r[17] = static_cast<unsigned char>(state_.lightSpeed);
  r[18] = static_cast<unsigned char>(state_.sense);
  r[19] = static_cast<unsigned char>(state_.sensitivityX);
  r[20] = static_cast<unsigned char>(state_.sensitivityY);
  r[21] = static_cast<unsigned char>(state_.sensitivitySwitch);
  r[22] = static_cast<unsigned char>(state_.firmware);
  r[23] = static_cast<unsigned char>(movement_ >> 8);
  r[24] = static_cast<unsigned char>(movement_ & 0xFF);
  return r;
}

std::vector<unsigned char> SimulatedMouse::StatusReport() const {
  std::lock_guard lock(mutex_);
  return StatusReportLocked();
}

std::string SimulatedMouse::StateProblem() const {
  std::lock_guard lock(mutex_);
  return stateProblem_;
}

std::string SimulatedMouse::TraceProblem() const {
  std::lock_guard lock(mutex_);
  return traceProblem_;
}

SimMouseState SimulatedMouse::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void SimulatedMouse::SetState(const SimMouseState& state) {
  std::lock_guard lock(mutex_);
  state_ = state;
  SaveStateLocked();
}

void SimulatedMouse::ResetToFactory() { SetState(SimMouseState{}); }

void SimulatedMouse::ReportActivityLocked() {
  // The mouse sends its status report by itself when something happened; with nobody connected the
  // activity waits for the next report.
  if (!open_) return;
  pending_.push_back(StatusReportLocked());
  clickFlags_ = 0;
  movement_ = 0;
  readable_.notify_all();
}

void SimulatedMouse::Click(unsigned char flags) {
  std::lock_guard lock(mutex_);
  clickFlags_ |= flags & 0x1F;
  ReportActivityLocked();
}

void SimulatedMouse::Scroll(bool up) { Click(up ? 0x08 : 0x10); }

void SimulatedMouse::Move(int counts) {
  std::lock_guard lock(mutex_);
  movement_ = std::clamp(movement_ + std::max(counts, 0), 0, 0xFFFF);
  ReportActivityLocked();
}

void SimulatedMouse::PushReport(std::vector<unsigned char> report) {
  std::lock_guard lock(mutex_);
  if (!open_ || report.empty()) return;
  pending_.push_back(std::move(report));
  readable_.notify_all();
}

void SimulatedMouse::Unplug() {
  std::lock_guard lock(mutex_);
  plugged_ = false;
  open_ = false;
  flashing_ = false;
  pending_.clear();
  ++unplugEpoch_;
  readable_.notify_all();
}

void SimulatedMouse::Plug() {
  std::vector<std::function<void()>> observers;
  {
    std::lock_guard lock(mutex_);
    plugged_ = true;
    for (const auto& [id, observer] : plugObservers_) observers.push_back(observer);
  }
  for (const auto& observer : observers) observer();
}

bool SimulatedMouse::IsPlugged() const {
  std::lock_guard lock(mutex_);
  return plugged_;
}

void SimulatedMouse::SetRefuseWrites(bool refuse) {
  std::lock_guard lock(mutex_);
  refuseWrites_ = refuse;
}

void SimulatedMouse::SetFailReads(bool fail) {
  std::lock_guard lock(mutex_);
  failReads_ = fail;
  readable_.notify_all();
}

bool SimulatedMouse::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

std::vector<std::string> SimulatedMouse::Trace() const {
  std::lock_guard lock(mutex_);
  return {trace_.begin(), trace_.end()};
}

void SimulatedMouse::ClearTrace() {
  std::lock_guard lock(mutex_);
  trace_.clear();
}

std::array<unsigned char, 11> SimulatedMouse::ButtonMap() const {
  std::lock_guard lock(mutex_);
  return state_.buttonMap;
}

std::map<int, std::vector<std::vector<unsigned char>>> SimulatedMouse::MacroBlocks() const {
  std::lock_guard lock(mutex_);
  return state_.macros;
}

std::string SimulatedMouse::FirmwareText() const {
  std::lock_guard lock(mutex_);
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d", (state_.firmware >> 4) & 0x0F, state_.firmware & 0x0F);
  return text;
}

int SimulatedMouse::FirmwareRecordCount() const {
  std::lock_guard lock(mutex_);
  return flashRecords_;
}

int SimulatedMouse::AddPlugObserver(std::function<void()> observer) {
  std::lock_guard lock(mutex_);
  int id = nextObserverId_++;
  plugObservers_[id] = std::move(observer);
  return id;
}

void SimulatedMouse::RemovePlugObserver(int id) {
  std::lock_guard lock(mutex_);
  plugObservers_.erase(id);
}

}  // namespace kz::device
