#include "base/log.h"

#include "base/paths.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace kz {
namespace {

constexpr size_t kLineCapacity = 4096;  // bytes of one formatted line including its terminator

struct LogConfig {
  std::mutex mutex;
  std::string path;  // empty: default
  long long maxBytes = 8LL * 1024 * 1024;
  std::string preparedDir;  // the default folder once made and tightened
};

LogConfig& Config() {
  static LogConfig config;
  return config;
}

std::string TimePrefix() {
  char stamp[32] = "";
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr || std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local) == 0)
    stamp[0] = '\0';
  return std::string("[") + stamp + "]INFO: ";
}

// With the cap, a file past it is rotated to "<path>.1". When that rename cannot happen (a folder
// or someone else's file at "<path>.1", a read-only folder) the file is emptied instead, so the log
// stays bounded whatever stands beside it.
void KeepBounded(int& fd, const std::string& path, long long maxBytes) {
  struct stat st{};
  if (maxBytes <= 0 || ::fstat(fd, &st) != 0 || st.st_size < maxBytes) return;
  if (std::rename(path.c_str(), (path + ".1").c_str()) == 0) {
    ::close(fd);
    fd = paths::OpenOwnFile(path, O_WRONLY | O_CREAT | O_APPEND, 0600);
    return;
  }
  if (::ftruncate(fd, 0) != 0) {
    ::close(fd);
    fd = -1;
  }
}

void AppendLine(const std::string& line) {
  auto& config = Config();
  std::lock_guard lock(config.mutex);
  std::string path = config.path.empty() ? log::DefaultPath() : config.path;
  if (path.empty()) return;
  std::string dir = paths::DirName(path);
  // The state folder is made (and tightened) once per process, not for every line.
  if (config.path.empty() && config.preparedDir != dir) {
    paths::MakeOwnDir(dir);
    config.preparedDir = dir;
  }
  // A link at the path is not written through and a FIFO or device is never waited on: such a line
  // is dropped like any other that cannot be written.
  int fd = paths::OpenOwnFile(path, O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (fd < 0 && errno == ENOENT && config.path.empty()) {
    paths::MakeOwnDir(dir);  // the folder went away while the program ran
    fd = paths::OpenOwnFile(path, O_WRONLY | O_CREAT | O_APPEND, 0600);
  }
  if (fd >= 0) KeepBounded(fd, path, config.maxBytes);
  if (fd < 0) return;  // a line that cannot be written is dropped
  std::string data = line + "\n";
  // One write with O_APPEND keeps the line whole even against other processes.
  ssize_t ignored = ::write(fd, data.data(), data.size());
  (void)ignored;
  ::close(fd);
}

}  // namespace

void Log(const char* format, ...) {
  char message[kLineCapacity];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  std::string line = log::FormatLine(message);
  if (line.size() > kLineCapacity - 1) line.resize(kLineCapacity - 1);
  AppendLine(line);
}

std::string HexDumpLower(const unsigned char* bytes, int count) {
  std::string text;
  text.reserve(static_cast<size_t>(count > 0 ? count : 0) * 3);
  char piece[4];
  for (int i = 0; i < count; ++i) {
    std::snprintf(piece, sizeof piece, "%02x ", bytes[i]);
    text += piece;
  }
  return text;
}

namespace log {

std::string DefaultPath() {
  std::string dir = paths::StateDir();
  return dir.empty() ? std::string() : dir + "kz_log.txt";
}

void SetPath(const std::string& path) {
  std::lock_guard lock(Config().mutex);
  Config().path = path;
}

std::string Path() {
  std::lock_guard lock(Config().mutex);
  return Config().path.empty() ? DefaultPath() : Config().path;
}

void SetMaxBytes(long long bytes) {
  std::lock_guard lock(Config().mutex);
  Config().maxBytes = bytes;
}

std::string FormatLine(const char* message) { return TimePrefix() + message; }

}  // namespace log
}  // namespace kz
