#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace kztest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kztest-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    had_ = true;
    old_ = old;
  }
  if (value)
    ::setenv(name, value, 1);
  else
    ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    ::setenv(name_.c_str(), old_.c_str(), 1);
  else
    ::unsetenv(name_.c_str());
}

namespace {
std::string MakeSub(const TempDir& root, const char* name) {
  std::string dir = root.path() + name;
  ::mkdir(dir.c_str(), 0700);
  return dir;
}
}  // namespace

ScopedXdg::ScopedXdg()
    : data_("XDG_DATA_HOME", MakeSub(root_, "data").c_str()),
      state_("XDG_STATE_HOME", MakeSub(root_, "state").c_str()),
      config_("XDG_CONFIG_HOME", MakeSub(root_, "config").c_str()),
      runtime_("XDG_RUNTIME_DIR", MakeSub(root_, "run").c_str()) {}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> LogMessages(const std::string& path) {
  std::vector<std::string> messages;
  for (const std::string& line : ReadLines(path)) {
    size_t at = line.find("]INFO: ");
    messages.push_back(at == std::string::npos ? line : line.substr(at + 7));
  }
  return messages;
}

void WriteAll(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

namespace {
std::string DirFromEnv(const char* name) {
  const char* value = std::getenv(name);
  std::string dir = value && *value ? value : std::filesystem::current_path().string();
  if (dir.back() != '/') dir += '/';
  return dir;
}
}  // namespace

std::string BinaryDir() { return DirFromEnv("KZ_BINARY_DIR"); }
std::string SourceDir() { return DirFromEnv("KZ_SOURCE_DIR"); }

}  // namespace kztest

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace kztest {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                           const std::string& outputPath) {
  std::vector<std::string> envCopy;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    bool overridden = false;
    for (const auto& extra : env)
      if (entry.substr(0, entry.find('=') + 1) == extra.substr(0, extra.find('=') + 1)) overridden = true;
    if (!overridden) envCopy.push_back(entry);
  }
  for (const auto& extra : env)
    if (extra.back() != '=') envCopy.push_back(extra);  // "NAME=" removes NAME
  std::vector<char*> args, envp;
  std::vector<std::string> argvCopy = argv;
  for (auto& a : argvCopy) args.push_back(a.data());
  args.push_back(nullptr);
  for (auto& e : envCopy) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!outputPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  }
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data()) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
  if (Running()) {
    ::kill(pid_, SIGKILL);
    Wait(5);
  }
}

int ChildProcess::Wait(double seconds) {
  if (pid_ <= 0) return -1;
  if (status_ >= 0) return status_;
  for (int i = 0; i <= static_cast<int>(seconds * 100); ++i) {
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return status_;
    }
    if (r < 0) return -1;
    ::usleep(10000);
  }
  return -1;
}

bool ChildProcess::Running() { return pid_ > 0 && Wait(0) < 0; }

void ChildProcess::Signal(int signal) {
  if (Running()) ::kill(pid_, signal);
}

}  // namespace kztest

#include <sys/wait.h>

namespace kztest {
namespace {

std::string ShellQuoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& errPath) {
  std::string command = ShellQuoted(BinaryDir() + program);
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  command += errPath.empty() ? std::string(" 2>&1") : " 2>" + ShellQuoted(errPath);
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  int status = ::pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace kztest

#include <sys/stat.h>

namespace kztest {

unsigned ModeOf(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

ScopedUmask::ScopedUmask(unsigned mask) : old_(::umask(static_cast<mode_t>(mask))) {}
ScopedUmask::~ScopedUmask() { ::umask(static_cast<mode_t>(old_)); }

}  // namespace kztest
