#include "app/handoff.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "base/notify.h"
#include "base/paths.h"

extern char** environ;

namespace kz::app {

bool IsUserAdmin() { return ::geteuid() == 0; }

void RelaunchElevated(const std::string& parameters) {
  if (IsUserAdmin()) return;
  std::string self = paths::ExecutablePath();
  if (self.empty()) return;
  std::vector<std::string> args{"pkexec", self};
  std::istringstream words(parameters);
  for (std::string word; words >> word;) args.push_back(word);
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "pkexec", nullptr, nullptr, argv.data(), environ) != 0) return;
  // pkexec tells a refused or impossible raise by 126 / 127; anything else means the raised copy ran.
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && (WEXITSTATUS(status) == 126 || WEXITSTATUS(status) == 127)) return;
  std::_Exit(1);
}

int StartUpdater(const std::string& programDir) {
  std::string path = programDir + kUpdaterName;
  char* argv[] = {path.data(), nullptr};
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);  // it outlives us
  pid_t pid = 0;
  int rc = posix_spawn(&pid, path.c_str(), nullptr, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    char text[128];
    std::snprintf(text, sizeof text, "无法启动更新程序，错误码：%d", rc);
    ShowMessage(text);
    return 0;
  }
  return pid;
}

bool ReplacePendingUpdater(const std::string& programDir) {
  const std::string oldPath = programDir + kUpdaterName;
  const std::string newPath = programDir + kNewUpdaterName;
  if (!paths::FileExists(newPath)) return false;
  if (!IsUserAdmin() && ::access(programDir.c_str(), W_OK) != 0) {
    RelaunchElevated("");
    return false;
  }
  if (!paths::CopyFileOver(newPath, oldPath)) return false;
  ::unlink(newPath.c_str());
  StartUpdater(programDir);
  return true;
}

void HandOverToUpdater(const std::string& programDir) {
  if (IsUserAdmin() || ::access(programDir.c_str(), W_OK) == 0)
    StartUpdater(programDir);
  else
    RelaunchElevated("update");
  std::_Exit(1);
}

}  // namespace kz::app
