#include "update/install.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/log.h"
#include "update/unzipper.h"

namespace kz::update {
namespace {

std::string Join(const std::string& dir, const std::string& name) {
  return !dir.empty() && dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool CopyOneFile(const std::string& from, const std::string& to, mode_t mode) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (in < 0) return false;
  const std::string dir = to.substr(0, to.rfind('/'));
  std::string temporary = Join(dir, ".kz-update-XXXXXX");
  int out = ::mkstemp(temporary.data());
  if (out < 0) {
    ::close(in);
    return false;
  }
  bool ok = true;
  char block[65536];
  for (;;) {
    ssize_t got = ::read(in, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    for (ssize_t at = 0; ok && at < got;) {
      ssize_t wrote = ::write(out, block + at, static_cast<size_t>(got - at));
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) ok = false;
      else at += wrote;
    }
    if (!ok) break;
  }
  ::close(in);
  ok = ok && ::fchmod(out, (mode & 0755) | 0600) == 0 && ::fsync(out) == 0;
  ok = ::close(out) == 0 && ok;
  ok = ok && ::rename(temporary.c_str(), to.c_str()) == 0;
  if (!ok) {
    Log("update: %s could not be copied to %s", from.c_str(), to.c_str());
    ::unlink(temporary.c_str());
  }
  return ok;
}

void CopyTree(const std::string& source, const std::string& target, InstallResult& result) {
  if (!CreateFolder(target)) {
    Log("update: the folder %s cannot be made", target.c_str());
    ++result.failed;
    return;
  }
  DIR* dir = ::opendir(source.c_str());
  if (!dir) {
    ++result.failed;
    return;
  }
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string from = Join(source, name), to = Join(target, name);
    struct stat st{};
    if (::lstat(from.c_str(), &st) != 0) {
      ++result.failed;
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      CopyTree(from, to, result);
    } else if (S_ISREG(st.st_mode)) {
      if (CopyOneFile(from, to, st.st_mode)) ++result.copied;
      else ++result.failed;
    }
  }
  ::closedir(dir);
}

}  // namespace

InstallResult CopyUpdateFolder(const std::string& source, const std::string& target) {
  InstallResult result;
  struct stat st{};
  if (source.empty() || ::lstat(source.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return result;
  CopyTree(source, target, result);
  return result;
}

bool DeleteFolder(const std::string& path) {
  struct stat st{};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return ::unlink(path.c_str()) == 0;
  if (DIR* dir = ::opendir(path.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      DeleteFolder(Join(path, name));
    }
    ::closedir(dir);
  }
  return ::rmdir(path.c_str()) == 0;
}

bool InstallUpdate(const std::string& source, const std::string& target) {
  InstallResult result = CopyUpdateFolder(source, target);
  Log("update: %d files copied into %s, %d failed", result.copied, target.c_str(), result.failed);
  if (result.failed > 0) return false;
  DeleteFolder(source);
  return true;
}

}  // namespace kz::update
