#pragma once
// Extraction of a downloaded update archive over minizip. Every file lands directly in the output
// folder (its subfolder path dropped); directory entries make their folders. Nothing is ever
// written outside the output folder: an entry whose name is absolute or holds ".." fails the
// extraction. A file is written to a temporary name beside its target and renamed into place only
// when whole, so a failure half way leaves no half-written file under a final name.
#include <string>

namespace kz::update {

class CUnzipper {
 public:
  // Longest entry name and path taken.
  static constexpr size_t kMaxName = 260;
  // An archive that unpacks to more than this is refused as it goes (a zip bomb would fill the disk).
  static constexpr long long kMaxTotalBytes = 1LL << 30;

  CUnzipper() = default;
  ~CUnzipper();
  CUnzipper(const CUnzipper&) = delete;
  CUnzipper& operator=(const CUnzipper&) = delete;

  // Closes any open archive first. Fails for an empty path or one minizip cannot open as a zip.
  // The default output folder becomes the archive's path without its extension.
  bool OpenArchive(const std::string& path);
  // Every entry in order into `folder` (made with its parents); fails without an open archive,
  // when the folder cannot be made, for an archive without entries, and at the first entry that
  // cannot be extracted (the entries before it stay extracted).
  bool ExtractAll(const std::string& folder);
  // The entry the archive stands at.
  bool ExtractCurrentEntry(const std::string& folder);
  void Close();

  bool IsOpen() const { return archive_ != nullptr; }
  const std::string& DefaultOutputFolder() const { return defaultFolder_; }
  // Why the last operation failed (for the log).
  const std::string& Problem() const { return problem_; }

 private:
  bool Fail(std::string problem);

  void* archive_ = nullptr;  // unzFile
  std::string defaultFolder_;
  std::string problem_;
  long long written_ = 0;
};

// Whether an entry name may be extracted: not empty, not absolute ("/", "\" or a drive letter in
// front) and without a ".." part (parts are split at "/" and "\").
bool IsSafeEntryName(const std::string& name);

// Makes `dir` with its missing parents; an existing folder is success, an existing file failure.
bool CreateFolder(const std::string& dir);

}  // namespace kz::update
