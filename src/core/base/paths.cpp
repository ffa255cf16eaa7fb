#include "base/paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kz::paths {
namespace {

std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

// Services started without a login (systemd units, cron, sudo -i with a scrubbed environment) may
// have no HOME; the password database still knows the user's home. A shared fallback such as /tmp
// would let other users plant the database or the lock, and a relative one would depend on where
// the program happened to start, so without either there is no home.
std::string Home() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return WithSlash(home);
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  int error;
  while ((error = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
         buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  if (error != 0 || found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') return std::string();
  return WithSlash(found->pw_dir);
}

// An XDG variable counts only when it holds an absolute path, as the base-directory rules say.
std::string XdgDir(const char* variable, const char* fallbackBelowHome) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return WithSlash(value);
  std::string home = Home();
  return home.empty() ? std::string() : home + fallbackBelowHome;
}

std::string Below(const std::string& base, const char* name) { return base.empty() ? base : base + name; }

std::string TooLong(const std::string& path, const std::string& detail) {
  return "path too long: " + path + " (" + detail + ")";
}

}  // namespace

std::string DataDir() { return Below(XdgDir("XDG_DATA_HOME", ".local/share/"), "kzMouse/"); }
std::string StateDir() { return Below(XdgDir("XDG_STATE_HOME", ".local/state/"), "kzMouse/"); }
std::string ConfigHome() { return XdgDir("XDG_CONFIG_HOME", ".config/"); }

std::string NoHomeText() {
  return "no home folder: HOME is not set and user " + std::to_string(::geteuid()) +
         " has no home in the password database; set HOME or the XDG_*_HOME folders";
}

// The lock must be found in the same place by every start. A runtime folder that is missing, not
// this user's, or open to others is one that something else may still make, take or fix (the window
// system makes a missing one on first use), so only one that already is exactly as the
// base-directory rules want counts; everything else falls back to the data folder, which the
// program makes and keeps 0700 itself.
std::string RuntimeDir() {
  const char* value = std::getenv("XDG_RUNTIME_DIR");
  struct stat st{};
  if (value && value[0] == '/' && ::lstat(value, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
      (st.st_mode & 07777) == 0700 && ::faccessat(AT_FDCWD, value, W_OK | X_OK, AT_EACCESS) == 0)
    return WithSlash(value);
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

std::string PathProblem(const std::string& path) {
  // The system's own limits, so that the message comes before any folder is half made rather than
  // as the database's "unable to open database file" afterwards.
  if (path.size() >= PATH_MAX)
    return TooLong(path, std::to_string(path.size()) + " bytes, at most " + std::to_string(PATH_MAX - 1));
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end - start > NAME_MAX)
      return TooLong(path, "a name of " + std::to_string(end - start) + " bytes, at most " + std::to_string(NAME_MAX));
    start = end + 1;
  }
  return {};
}

bool MakeDirs(const std::string& dir, unsigned mode, std::string* problem) {
  auto fail = [&](std::string text) {
    if (problem) *problem = std::move(text);
    return false;
  };
  if (dir.empty()) return fail("no folder named");
  if (std::string tooLong = PathProblem(dir); !tooLong.empty()) return fail(tooLong);
  std::string partial;
  std::stringstream parts(dir);
  std::string piece;
  if (dir[0] == '/') partial = "/";
  while (std::getline(parts, piece, '/')) {
    if (piece.empty()) continue;
    partial += piece;
    if (::mkdir(partial.c_str(), mode) != 0 && errno != EEXIST) {
      int error = errno;
      if (error == ENAMETOOLONG) return fail(TooLong(dir, std::strerror(error)));
      return fail("cannot make the folder " + partial + ": " + std::strerror(error));
    }
    partial += '/';
  }
  struct stat st{};
  if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  return fail(dir + " is not a folder");
}

bool MakeOwnDir(const std::string& dir, std::string* problem) {
  if (!MakeDirs(dir, 0700, problem)) return false;
  // mkdir leaves an existing folder as it is: one made by an older version, by hand or under a
  // loose umask would keep the database, the log and the lock readable by others.
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  struct stat st{};
  // Only a folder of this user is changed: running as root with someone else's HOME must not
  // take that user's folder away from them.
  if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) != 0) ::fchmod(fd, 0700);
  ::close(fd);
  return true;
}

bool FileExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

// What stands at `path` when it is not a regular file ("" when nothing or a regular file does).
std::string NotAFile(const std::string& path) {
  struct stat st{};
  if (::lstat(path.c_str(), &st) != 0) return {};
  if (S_ISLNK(st.st_mode)) return "is a symbolic link";
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  return {};
}

bool ReadAllFrom(int fd, std::string& content) {
  std::string text;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  content = std::move(text);
  return true;
}

// The part of opening shared by ReadFile and OpenOwnFile: O_NONBLOCK so that a FIFO without a
// writer (or a device) never holds the caller up, then anything but a regular file is refused.
int OpenRegular(const std::string& path, int flags, unsigned mode, std::string* why) {
  if (why) why->clear();
  int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, static_cast<mode_t>(mode));
  if (fd < 0) {
    int error = errno;
    if (why) {
      *why = NotAFile(path);
      if (why->empty() && !(error == ENOENT && !(flags & O_CREAT)))
        *why = std::string("cannot be opened: ") + std::strerror(error);
    }
    errno = error;
    return -1;
  }
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    if (why) *why = "is not a regular file";
    errno = EINVAL;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace

int OpenOwnFile(const std::string& path, int flags, unsigned mode, std::string* why) {
  return OpenRegular(path, flags | O_NOFOLLOW, mode, why);
}

bool ReadOwnFile(const std::string& path, std::string& content, std::string* why) {
  int fd = OpenOwnFile(path, O_RDONLY, 0600, why);
  if (fd < 0) return false;
  bool ok = ReadAllFrom(fd, content);
  if (!ok && why) *why = std::string("cannot be read: ") + std::strerror(errno);
  ::close(fd);
  return ok;
}

bool MayReplaceOwnFile(const std::string& path, std::string* why) {
  std::string problem = NotAFile(path);
  if (why) *why = problem;
  return problem.empty();
}

bool ReadFile(const std::string& path, std::string& content) {
  int fd = OpenRegular(path, O_RDONLY, 0, nullptr);
  if (fd < 0) return false;
  bool ok = ReadAllFrom(fd, content);
  ::close(fd);
  return ok;
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
  // rename follows no link on either side: the temporary name is the file mkostemp made (O_EXCL,
  // so never a planted link), and a link standing at `path` is itself replaced, its target untouched.
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
