#pragma once
// Shared helpers of the tests: a temporary folder that removes itself, environment overrides that
// restore themselves, and file reading.
#include <string>
#include <vector>

namespace kztest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // Ends in "/".
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Sets (or with nullptr unsets) an environment variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_ = false;
  std::string old_;
};

// Points XDG_DATA_HOME, XDG_STATE_HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR into one temporary
// folder for the scope, so a test never touches the real home.
class ScopedXdg {
 public:
  ScopedXdg();
  const TempDir& root() const { return root_; }
  std::string dataDir() const { return root_.path() + "data/kzMouse/"; }

 private:
  TempDir root_;
  ScopedEnv data_, state_, config_, runtime_;
};

// Permission bits of a path (of a link itself, not its target); 0 when it does not exist.
unsigned ModeOf(const std::string& path);

// Sets the process's umask for the scope.
class ScopedUmask {
 public:
  explicit ScopedUmask(unsigned mask);
  ~ScopedUmask();
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  unsigned old_;
};

std::string ReadAll(const std::string& path);
std::vector<std::string> ReadLines(const std::string& path);
void WriteAll(const std::string& path, const std::string& content);
// The messages of a diagnostic log file: its lines without the time prefix.
std::vector<std::string> LogMessages(const std::string& path);
// Folder of the build (KZ_BINARY_DIR from CTest, else the current folder), ending in "/".
std::string BinaryDir();
std::string SourceDir();

}  // namespace kztest

namespace kztest {

// A program started by a test; killed (SIGKILL) if still running when the object goes.
class ChildProcess {
 public:
  // Starts argv[0] with argv and the current environment plus `env` ("NAME=value" entries).
  // Standard output and error go to `outputPath` when given.
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
               const std::string& outputPath = "");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  int pid() const { return pid_; }
  // Waits up to `seconds` for the end; returns the exit code, 128+signal, or -1 when still running.
  int Wait(double seconds);
  bool Running();
  void Signal(int signal);

 private:
  int pid_ = -1;
  int status_ = -1;
};

// One run of a program of the build (e.g. "kzmousectl") with these arguments, to its end.
struct ToolRun {
  int code = -1;       // exit code; -1 when it did not exit normally
  std::string output;  // standard output, and standard error too unless `errPath` was given
};
// Standard error goes to `errPath` when given, else it joins the output.
ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& errPath = "");

// Polls `condition` every 20 ms for up to `seconds`; true as soon as it holds.
template <typename F>
bool WaitFor(F condition, double seconds);

}  // namespace kztest

#include <unistd.h>
template <typename F>
bool kztest::WaitFor(F condition, double seconds) {
  for (int i = 0; i < static_cast<int>(seconds * 50); ++i) {
    if (condition()) return true;
    ::usleep(20000);
  }
  return condition();
}
