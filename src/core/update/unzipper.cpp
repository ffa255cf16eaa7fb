#include "update/unzipper.h"

#include <minizip/unzip.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/log.h"

namespace kz::update {
namespace {

constexpr unsigned long kDosDirectoryBit = 0x10;
constexpr size_t kBlock = 2048;

bool IsDirectory(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string BaseName(const std::string& name) {
  size_t cut = name.find_last_of("/\\");
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t wrote = ::write(fd, data, size);
    if (wrote < 0 && errno == EINTR) continue;
    // A write that does not take the whole block is a failure (the disk is full).
    if (wrote <= 0) return false;
    data += wrote;
    size -= static_cast<size_t>(wrote);
  }
  return true;
}

// The entry's MS-DOS time, read as local time.
timespec EntryTime(const unz_file_info64& info) {
  std::tm when{};
  when.tm_sec = static_cast<int>(info.tmu_date.tm_sec);
  when.tm_min = static_cast<int>(info.tmu_date.tm_min);
  when.tm_hour = static_cast<int>(info.tmu_date.tm_hour);
  when.tm_mday = static_cast<int>(info.tmu_date.tm_mday);
  when.tm_mon = static_cast<int>(info.tmu_date.tm_mon);
  when.tm_year = static_cast<int>(info.tmu_date.tm_year) - 1900;
  when.tm_isdst = -1;
  timespec time{};
  time.tv_sec = std::mktime(&when);
  if (time.tv_sec == static_cast<time_t>(-1)) time.tv_nsec = UTIME_OMIT;
  return time;
}

// Programs travel in the archive with their execute bits when it was made on a Unix system; the
// bits that would let others write or raise rights are dropped.
mode_t EntryMode(const unz_file_info64& info) {
  const bool unixMade = (info.version >> 8) == 3;
  mode_t mode = unixMade ? static_cast<mode_t>((info.external_fa >> 16) & 0777) : 0;
  return mode == 0 ? 0644 : (mode & 0755) | 0600;
}

}  // namespace

bool IsSafeEntryName(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  if (name.size() >= 2 && name[1] == ':') return false;
  size_t start = 0;
  for (;;) {
    size_t end = name.find_first_of("/\\", start);
    std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part == "..") return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

bool CreateFolder(const std::string& dir) {
  if (dir.empty()) return false;
  struct stat st{};
  if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  std::string trimmed = dir;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  size_t cut = trimmed.rfind('/');
  if (cut != std::string::npos && cut > 0 && !CreateFolder(trimmed.substr(0, cut))) return false;
  return ::mkdir(trimmed.c_str(), 0755) == 0 || (errno == EEXIST && IsDirectory(trimmed));
}

CUnzipper::~CUnzipper() { Close(); }

bool CUnzipper::Fail(std::string problem) {
  problem_ = std::move(problem);
  return false;
}

void CUnzipper::Close() {
  if (archive_) unzClose(static_cast<unzFile>(archive_));
  archive_ = nullptr;
}

bool CUnzipper::OpenArchive(const std::string& path) {
  Close();
  problem_.clear();
  if (path.empty()) return Fail("no archive named");
  std::string full = path;
  if (full.front() != '/') {
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) return Fail("the working folder is unknown");
    full = std::string(cwd) + "/" + path;
  }
  archive_ = unzOpen64(full.c_str());
  if (!archive_) return Fail("not a zip archive: " + full);
  size_t slash = full.rfind('/');
  size_t dot = full.rfind('.');
  defaultFolder_ = dot != std::string::npos && dot > slash + 1 ? full.substr(0, dot) : full;
  written_ = 0;
  return true;
}

bool CUnzipper::ExtractAll(const std::string& folder) {
  if (!archive_) return Fail("no archive is open");
  if (!CreateFolder(folder)) return Fail("the folder " + folder + " cannot be made");
  unzFile zip = static_cast<unzFile>(archive_);
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(zip, &global) != UNZ_OK || global.number_entry == 0) return Fail("the archive has no entries");
  if (unzGoToFirstFile(zip) != UNZ_OK) return Fail("the archive's first entry cannot be read");
  written_ = 0;
  for (;;) {
    if (!ExtractCurrentEntry(folder)) return false;
    int next = unzGoToNextFile(zip);
    if (next == UNZ_END_OF_LIST_OF_FILE) return true;
    if (next != UNZ_OK) return Fail("the archive's next entry cannot be read");
  }
}

bool CUnzipper::ExtractCurrentEntry(const std::string& folder) {
  if (!archive_) return Fail("no archive is open");
  unzFile zip = static_cast<unzFile>(archive_);
  unz_file_info64 info{};
  char nameBuffer[kMaxName + 2] = {};
  if (unzGetCurrentFileInfo64(zip, &info, nameBuffer, sizeof nameBuffer, nullptr, 0, nullptr, 0) != UNZ_OK)
    return Fail("an entry of the archive cannot be read");
  if (info.size_filename > kMaxName) return Fail("an entry's name is too long");
  std::string name(nameBuffer);
  if (!IsSafeEntryName(name)) return Fail("the entry \"" + name + "\" would land outside the folder");

  const bool unixMade = (info.version >> 8) == 3;
  const bool directory = (info.external_fa & kDosDirectoryBit) != 0 || name.back() == '/' || name.back() == '\\' ||
                         (unixMade && S_ISDIR(static_cast<mode_t>(info.external_fa >> 16)));
  if (directory) {
    std::string dir = folder + "/" + name;
    for (char& c : dir)
      if (c == '\\') c = '/';
    if (!CreateFolder(dir)) return Fail("the folder " + dir + " cannot be made");
    return true;
  }

  const std::string base = BaseName(name);
  if (base.empty() || base == ".") return Fail("the entry \"" + name + "\" names no file");
  const std::string target = folder + "/" + base;
  if (IsDirectory(target)) return Fail(target + " is a folder");
  if (!CreateFolder(folder)) return Fail("the folder " + folder + " cannot be made");
  if (unzOpenCurrentFile(zip) != UNZ_OK) return Fail("the entry \"" + name + "\" cannot be opened");

  std::string temporary = folder + "/.kz-unzip-XXXXXX";
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    unzCloseCurrentFile(zip);
    return Fail("no file can be made in " + folder);
  }
  bool ok = true;
  std::vector<char> block(kBlock);
  for (;;) {
    int got = unzReadCurrentFile(zip, block.data(), static_cast<unsigned>(block.size()));
    if (got == 0) break;
    if (got < 0) {
      ok = Fail("the entry \"" + name + "\" is damaged");
      break;
    }
    written_ += got;
    if (written_ > kMaxTotalBytes) {
      ok = Fail("the archive unpacks to more than it may");
      break;
    }
    if (!WriteAll(fd, block.data(), static_cast<size_t>(got))) {
      ok = Fail("writing " + target + " failed");
      break;
    }
  }
  // The checksum is only known once the entry was read whole.
  if (unzCloseCurrentFile(zip) != UNZ_OK && ok) ok = Fail("the entry \"" + name + "\" is damaged");
  if (ok && ::fchmod(fd, EntryMode(info)) != 0) ok = Fail("the mode of " + target + " cannot be set");
  if (ok) {
    timespec times[2] = {{0, UTIME_OMIT}, EntryTime(info)};
    ::futimens(fd, times);
  }
  if (::close(fd) != 0 && ok) ok = Fail("writing " + target + " failed");
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) ok = Fail(target + " cannot be put in place");
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

}  // namespace kz::update
