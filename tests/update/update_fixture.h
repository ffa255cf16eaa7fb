#pragma once
// Helpers of the update tests: zip archives made on the spot, a downloader that serves a table
// of URLs, and firmware image lines.
#include <minizip/zip.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "support/test_support.h"
#include "update/downloader.h"

namespace kztest {

struct ZipEntry {
  std::string name;
  std::string data;
  bool directory = false;
  unsigned unixMode = 0;  // 0: made as on a system without Unix modes
};

// Writes the entries as a zip archive at `path`; false when minizip refused.
inline bool MakeZip(const std::string& path, const std::vector<ZipEntry>& entries) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return false;
  bool ok = true;
  for (const ZipEntry& entry : entries) {
    zip_fileinfo info{};
    info.tmz_date = {0, 0, 12, 15, 5, 2024};  // 2024-06-15 12:00:00
    info.external_fa = entry.directory ? 0x10 : 0;
    if (entry.unixMode) info.external_fa |= static_cast<uLong>(entry.unixMode) << 16;
    // "Made by" Unix (3) when a mode is given, so the reader takes the mode bits.
    const uLong versionMadeBy = entry.unixMode ? (3u << 8) | 20 : 20;
    ok = ok && zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                       Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                       nullptr, 0, versionMadeBy, 0, 0) == ZIP_OK;
    if (ok && !entry.data.empty())
      ok = zipWriteInFileInZip(zip, entry.data.data(), static_cast<unsigned>(entry.data.size())) == ZIP_OK;
    ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
  }
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

// WriteAll with the missing parent folders made first.
inline void Put(const std::string& path, const std::string& content) {
  for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
    ::mkdir(path.substr(0, at).c_str(), 0700);
  WriteAll(path, content);
}

inline bool Exists(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0;
}

// Serves url -> (status, body); anything else gets no reply. Counts the requests per URL.
class FakeDownloader : public kz::update::Downloader {
 public:
  struct Reply {
    int status = 200;
    std::string body;
  };
  void Serve(const std::string& url, std::string body, int status = 200) {
    std::lock_guard lock(mutex_);
    replies_[url] = {status, std::move(body)};
  }
  int Requests(const std::string& url) const {
    std::lock_guard lock(mutex_);
    auto found = requests_.find(url);
    return found == requests_.end() ? 0 : found->second;
  }
  kz::update::DownloadResult Download(const std::string& url, const std::string& path,
                                      const kz::update::Progress& progress, const std::atomic<bool>& cancel) override {
    Reply reply;
    {
      std::lock_guard lock(mutex_);
      ++requests_[url];
      auto found = replies_.find(url);
      if (found == replies_.end() || cancel.load()) return {};
      reply = found->second;
    }
    // Like the HTTP client, the body lands in the file whatever the status.
    WriteAll(path, reply.body);
    if (progress) progress(static_cast<long long>(reply.body.size()), static_cast<long long>(reply.body.size()));
    return {true, reply.status};
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, Reply> replies_;
  std::map<std::string, int> requests_;
};

// A data record line: "S1", the count, the address, the data and a checksum "00".
inline std::string RecordLine(const std::string& address, const std::string& data) {
  char count[8];
  std::snprintf(count, sizeof count, "%02X", static_cast<unsigned>(data.size() / 2 + 3));
  return "S1" + std::string(count) + address + data + "00";
}

}  // namespace kztest
