#include "base/paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kz::paths {
namespace {

std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

std::string Home() {
  const char* home = std::getenv("HOME");
  return home && *home ? WithSlash(home) : std::string("/tmp/");
}

// An XDG variable counts only when it holds an absolute path, as the base-directory rules say.
std::string XdgDir(const char* variable, const char* fallbackBelowHome) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return WithSlash(value);
  return Home() + fallbackBelowHome;
}

}  // namespace

std::string DataDir() { return XdgDir("XDG_DATA_HOME", ".local/share/") + "kzMouse/"; }
std::string StateDir() { return XdgDir("XDG_STATE_HOME", ".local/state/") + "kzMouse/"; }
std::string ConfigHome() { return XdgDir("XDG_CONFIG_HOME", ".config/"); }

std::string RuntimeDir() {
  const char* value = std::getenv("XDG_RUNTIME_DIR");
  struct stat st{};
  if (value && value[0] == '/' && ::stat(value, &st) == 0 && S_ISDIR(st.st_mode)) return WithSlash(value);
  return DataDir();
}

std::string ExecutablePath() {
  char buffer[PATH_MAX + 1];
  ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(n));
}

std::string ProgramDir() { return WithSlash(DirName(ExecutablePath())); }

std::string DirName(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool MakeDirs(const std::string& dir, unsigned mode) {
  if (dir.empty()) return false;
  std::string partial;
  std::stringstream parts(dir);
  std::string piece;
  if (dir[0] == '/') partial = "/";
  while (std::getline(parts, piece, '/')) {
    if (piece.empty()) continue;
    partial += piece;
    if (::mkdir(partial.c_str(), mode) != 0 && errno != EEXIST) return false;
    partial += '/';
  }
  struct stat st{};
  return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream out;
  out << in.rdbuf();
  content = out.str();
  return !in.bad();
}

bool WriteFileAtomic(const std::string& path, const std::string& content, unsigned mode) {
  // A name of our own making (mkstemp opens it with O_EXCL): a fixed temporary name could be a
  // symlink planted by someone else, which open and rename would follow, and two writers of the
  // same file would truncate each other's half-written copy.
  std::string temp = path + ".XXXXXX";
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // The exact bits asked for, whatever the umask; the descriptor stays writable even for 0444.
  bool ok = ::fchmod(fd, static_cast<mode_t>(mode)) == 0;
  const char* data = content.data();
  size_t left = content.size();
  while (ok && left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  // Flushed before the rename, so a crash leaves the old file or the whole new one, never a short one.
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool CopyFileOver(const std::string& from, const std::string& to) {
  struct stat st{};
  if (::stat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::string content;
  if (!ReadFile(from, content)) return false;
  return WriteFileAtomic(to, content, st.st_mode & 07777);
}

}  // namespace kz::paths
