#include "device/sim_control.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/log.h"
#include "device/sim_mouse.h"
#include "device/status_report.h"

namespace kz::device {
namespace {

constexpr int kClicksPerFlag = 24;
constexpr int kMaxMovePerReport = 0xFFFF;

bool ParseCount(const std::string& word, long long& count) {
  if (word.empty() || word.size() > 9) return false;
  for (char c : word)
    if (c < '0' || c > '9') return false;
  count = std::strtoll(word.c_str(), nullptr, 10);
  return count >= 1 && count <= kSimMaxCount;
}

std::string WhatIsAt(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return "is a symbolic link";
  if (S_ISDIR(st.st_mode)) return "is a folder";
  return "is not a FIFO";
}

}  // namespace

std::optional<SimCommand> ParseSimCommand(const std::string& line, std::string& problem) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  problem.clear();
  SimCommand command;
  const std::string verb = words.empty() ? std::string() : words[0];
  auto counted = [&](size_t at) {
    if (words.size() <= at) return true;
    if (words.size() > at + 1 || !ParseCount(words[at], command.count)) {
      problem = "the count must be a number from 1 to " + std::to_string(kSimMaxCount);
      return false;
    }
    return true;
  };
  if (verb == "click" && words.size() >= 2) {
    command.verb = SimCommand::Verb::kClick;
    if (words[1] == "left") command.flags = StatusReport::kClickLeft;
    else if (words[1] == "right") command.flags = StatusReport::kClickRight;
    else if (words[1] == "middle") command.flags = StatusReport::kClickMiddle;
    else {
      problem = "click takes left, right or middle";
      return std::nullopt;
    }
    if (!counted(2)) return std::nullopt;
    return command;
  }
  if (verb == "scroll" && words.size() >= 2) {
    command.verb = SimCommand::Verb::kScroll;
    if (words[1] == "up") command.flags = StatusReport::kWheelUp;
    else if (words[1] == "down") command.flags = StatusReport::kWheelDown;
    else {
      problem = "scroll takes up or down";
      return std::nullopt;
    }
    if (!counted(2)) return std::nullopt;
    return command;
  }
  if (verb == "move" && words.size() == 2) {
    command.verb = SimCommand::Verb::kMove;
    if (!counted(1)) return std::nullopt;
    return command;
  }
  if ((verb == "unplug" || verb == "plug") && words.size() == 1) {
    command.verb = verb == "plug" ? SimCommand::Verb::kPlug : SimCommand::Verb::kUnplug;
    command.count = 1;
    return command;
  }
  problem = "not a command: expected click left|right|middle [N], scroll up|down [N], move COUNTS, unplug or plug";
  return std::nullopt;
}

void ApplySimCommand(SimulatedMouse& mouse, const SimCommand& command) {
  switch (command.verb) {
    case SimCommand::Verb::kClick:
      for (long long i = 0; i < (command.count + kClicksPerFlag - 1) / kClicksPerFlag; ++i) mouse.Click(command.flags);
      break;
    case SimCommand::Verb::kScroll:
      for (long long i = 0; i < command.count; ++i) mouse.Click(command.flags);
      break;
    case SimCommand::Verb::kMove:
      for (long long left = command.count; left > 0; left -= kMaxMovePerReport)
        mouse.Move(static_cast<int>(left < kMaxMovePerReport ? left : kMaxMovePerReport));
      break;
    case SimCommand::Verb::kUnplug:
      mouse.Unplug();
      break;
    case SimCommand::Verb::kPlug:
      mouse.Plug();
      break;
  }
}

SimControl::SimControl(std::shared_ptr<SimulatedMouse> mouse, std::string path)
    : mouse_(std::move(mouse)), path_(std::move(path)) {}

SimControl::~SimControl() { Stop(); }

bool SimControl::Start() {
  if (thread_.joinable()) return true;
  struct stat st {};
  if (::lstat(path_.c_str(), &st) != 0) {
    if (errno != ENOENT || ::mkfifo(path_.c_str(), 0600) != 0) {
      problem_ = "cannot make the control FIFO " + path_ + ": " + std::strerror(errno);
      return false;
    }
  } else if (!S_ISFIFO(st.st_mode)) {
    problem_ = "control path " + path_ + " " + WhatIsAt(st) + "; the simulated mouse takes no commands from it";
    return false;
  }
  // Read and write: the FIFO then never reports an end when a writer closes, and the open does
  // not wait for a writer.
  fifo_ = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fifo_ < 0 || ::fstat(fifo_, &st) != 0 || !S_ISFIFO(st.st_mode) || st.st_uid != ::geteuid()) {
    problem_ = "cannot open the control FIFO " + path_ + (fifo_ < 0 ? std::string(": ") + std::strerror(errno)
                                                                    : std::string(": not a FIFO of this user"));
    if (fifo_ >= 0) ::close(fifo_);
    fifo_ = -1;
    return false;
  }
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) {
    problem_ = std::string("cannot start the control thread: ") + std::strerror(errno);
    ::close(fifo_);
    fifo_ = -1;
    return false;
  }
  thread_ = std::thread(&SimControl::Run, this);
  return true;
}

void SimControl::Stop() {
  if (thread_.joinable()) {
    std::uint64_t one = 1;
    ssize_t ignored = ::write(wake_, &one, sizeof one);
    (void)ignored;
    thread_.join();
  }
  if (fifo_ >= 0) ::close(fifo_);
  if (wake_ >= 0) ::close(wake_);
  fifo_ = wake_ = -1;
}

void SimControl::Run() {
  std::string line;
  bool overlong = false;
  char buffer[512];
  for (;;) {
    pollfd fds[2] = {{fifo_, POLLIN, 0}, {wake_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      Log("simulated mouse control: poll failed: %s", std::strerror(errno));
      return;
    }
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    ssize_t n = ::read(fifo_, buffer, sizeof buffer);
    if (n <= 0) continue;
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] != '\n') {
        // A line without end is cut off rather than let grow without bound.
        if (line.size() < static_cast<size_t>(kSimMaxLine)) line += buffer[i];
        else overlong = true;
        continue;
      }
      std::string problem;
      if (overlong) Log("simulated mouse control: a line longer than %d bytes is skipped", kSimMaxLine);
      else if (auto command = ParseSimCommand(line, problem)) ApplySimCommand(*mouse_, *command);
      else if (!line.empty()) Log("simulated mouse control: %s", problem.c_str());
      line.clear();
      overlong = false;
    }
  }
}

std::unique_ptr<SimControl> SimControl::FromEnvironment(std::shared_ptr<SimulatedMouse> mouse) {
  const char* path = std::getenv(kSimControlVariable);
  if (path == nullptr || *path == '\0' || !mouse) return nullptr;
  auto control = std::make_unique<SimControl>(std::move(mouse), path);
  if (!control->Start()) {
    std::fprintf(stderr, "%s: warning: simulated mouse: %s\n", program_invocation_short_name,
                 control->Problem().c_str());
    Log("simulated mouse: %s", control->Problem().c_str());
    return nullptr;
  }
  return control;
}

bool SendSimCommand(const std::string& path, const std::string& line, std::string& problem) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    problem = "no control FIFO at " + path + " (start kzMouse --simulate with " + kSimControlVariable + "=" + path + ")";
    return false;
  }
  if (!S_ISFIFO(st.st_mode)) {
    problem = "control path " + path + " " + WhatIsAt(st);
    return false;
  }
  int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    problem = errno == ENXIO ? "nobody reads the control FIFO " + path + " (is kzMouse --simulate running with " +
                                   kSimControlVariable + "=" + path + "?)"
                             : "cannot open the control FIFO " + path + ": " + std::strerror(errno);
    return false;
  }
  const std::string data = line + "\n";  // below PIPE_BUF: written whole or not at all
  ssize_t written = ::write(fd, data.data(), data.size());
  const int error = errno;
  ::close(fd);
  if (written != static_cast<ssize_t>(data.size())) {
    problem = "cannot write to the control FIFO " + path + ": " +
              (written < 0 ? std::strerror(error) : std::string("short write"));
    return false;
  }
  return true;
}

}  // namespace kz::device
