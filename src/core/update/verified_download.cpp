#include "update/downloader.h"

#include <openssl/evp.h>

#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "base/log.h"

namespace kz::update {
namespace {

bool SameHex(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

std::string FileSha256(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return {};
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  bool ok = context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) == 1;
  unsigned char block[65536];
  for (ssize_t got; ok && (got = ::read(fd, block, sizeof block)) != 0;) {
    if (got < 0) {
      ok = false;
      break;
    }
    ok = EVP_DigestUpdate(context.get(), block, static_cast<size_t>(got)) == 1;
  }
  ::close(fd);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!ok || EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return {};
  std::string hex;
  char pair[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

bool DownloadVerified(Downloader& downloader, const std::string& url, const std::string& path,
                      const std::string& sha256Hex, const Progress& progress, const std::atomic<bool>& cancel) {
  ::unlink(path.c_str());
  const std::string part = path + ".part";
  ::unlink(part.c_str());
  DownloadResult result = downloader.Download(url, part, progress, cancel);
  if (!result.Ok() || cancel.load()) {
    if (result.transferred) Log("download of %s answered HTTP %d", url.c_str(), result.httpStatus);
    ::unlink(part.c_str());
    return false;
  }
  if (!sha256Hex.empty()) {
    std::string actual = FileSha256(part);
    if (!SameHex(actual, sha256Hex)) {
      Log("download of %s does not match its SHA-256 (%s, expected %s)", url.c_str(), actual.c_str(),
          sha256Hex.c_str());
      ::unlink(part.c_str());
      return false;
    }
  }
  if (::rename(part.c_str(), path.c_str()) != 0) {
    ::unlink(part.c_str());
    return false;
  }
  return true;
}

}  // namespace kz::update
