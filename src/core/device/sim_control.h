#pragma once
// Driving the simulated mouse of a running program from outside it: with KZMOUSE_SIM_CONTROL=PATH
// the program reads command lines from the FIFO at PATH (made 0600 when missing) on a thread of
// its own and hands each to its simulated mouse; `kzmousectl sim ...` writes them there.
//
// Commands, one per line:
//   click left|right|middle [N]   N clicks (default 1). A report's flag stands for 24 clicks (the
//                                 program counts 24 per set flag), so N clicks go out as
//                                 ceil(N / 24) reports carrying that flag.
//   scroll up|down [N]            N wheel turns (default 1), one report each (24 wheel counts).
//   move COUNTS                   movement counts, in reports of at most 65535 counts each.
//   unplug / plug                 as the in-process Unplug and Plug.
// N and COUNTS are 1 to 10000000. A line that is not a command is logged and skipped.
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace kz::device {

class SimulatedMouse;

inline constexpr const char* kSimControlVariable = "KZMOUSE_SIM_CONTROL";
inline constexpr long long kSimMaxCount = 10000000;
inline constexpr int kSimMaxLine = 256;

struct SimCommand {
  enum class Verb { kClick, kScroll, kMove, kUnplug, kPlug };
  Verb verb = Verb::kClick;
  unsigned char flags = 0;  // click and scroll: the StatusReport flag
  long long count = 1;      // clicks, turns or movement counts
  bool operator==(const SimCommand&) const = default;
};

// One command line (blanks around words are allowed); nothing, with `problem`, for anything else.
std::optional<SimCommand> ParseSimCommand(const std::string& line, std::string& problem);
// Makes the mouse do it: each report's worth of activity is one call of Click, Scroll or Move.
void ApplySimCommand(SimulatedMouse& mouse, const SimCommand& command);

// The reading side, in the program that owns the mouse.
class SimControl {
 public:
  SimControl(std::shared_ptr<SimulatedMouse> mouse, std::string path);
  ~SimControl();  // stops and joins
  SimControl(const SimControl&) = delete;
  SimControl& operator=(const SimControl&) = delete;

  // Makes the FIFO when nothing is at the path, opens it and starts the thread. False with
  // Problem() when the path holds something else (a file, a link, a folder) or cannot be made.
  bool Start();
  const std::string& Problem() const { return problem_; }
  void Stop();

  // The program's control from the environment (nullptr without KZMOUSE_SIM_CONTROL); a problem
  // is told on the error stream and in the log, and the program runs on without control.
  static std::unique_ptr<SimControl> FromEnvironment(std::shared_ptr<SimulatedMouse> mouse);

 private:
  void Run();

  std::shared_ptr<SimulatedMouse> mouse_;
  std::string path_;
  std::string problem_;
  int fifo_ = -1;
  int wake_ = -1;  // eventfd: Stop wakes the thread's poll
  std::thread thread_;
};

// The writing side: one command line into the FIFO at `path`. Refuses anything at the path that
// is not a FIFO, and a FIFO that nobody reads (opened without blocking); false with `problem`.
bool SendSimCommand(const std::string& path, const std::string& line, std::string& problem);

}  // namespace kz::device
