#pragma once
// How the update flows fetch a file: one interface, so tests give a fake and the program gives
// the HTTP client's download. A transfer reports its bytes as it goes and stops when the flag is
// raised.
#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace kz::update {

// Bytes done and the whole size (0 while unknown).
using Progress = std::function<void(long long done, long long total)>;

struct DownloadResult {
  bool transferred = false;  // the reply arrived whole and was written
  int httpStatus = 0;        // 0 when no reply came
  bool Ok() const { return transferred && httpStatus >= 200 && httpStatus < 300; }
};

class Downloader {
 public:
  virtual ~Downloader() = default;
  // Writes the reply body of a GET of `url` into `path` (made or replaced).
  virtual DownloadResult Download(const std::string& url, const std::string& path, const Progress& progress,
                                  const std::atomic<bool>& cancel) = 0;
};

// The program's downloader: the HTTP client of the cloud folder.
std::unique_ptr<Downloader> MakeHttpDownloader();

// Downloads `url` into `path` so that only a whole, successful, matching download ever stands
// under that name: the body goes to a temporary file beside it, a reply other than 2xx or a body
// whose SHA-256 differs from `sha256Hex` (when that is not empty; compared without regard to
// case) is deleted, and only then is the file renamed into place. Whatever stood at `path` before
// is removed first. True when `path` holds the download.
bool DownloadVerified(Downloader& downloader, const std::string& url, const std::string& path,
                      const std::string& sha256Hex, const Progress& progress, const std::atomic<bool>& cancel);

// The lower-case hex SHA-256 of a file's bytes; empty when it cannot be read.
std::string FileSha256(const std::string& path);

}  // namespace kz::update
