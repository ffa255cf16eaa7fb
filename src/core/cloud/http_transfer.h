#pragma once
// The two HTTP transfers of the program on libcurl's easy interface: a form post whose reply
// body comes back as text, and a download appended to a file. Both run on the calling thread;
// each has its own handle and buffers, so any number may run at once on different threads.
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>

namespace kz::cloud {

inline constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)";
// What HttpPostForm answers on a transport failure.
inline constexpr const char* kTransferError = "error";

// Progress of a download: bytes expected (0 while unknown) and bytes received so far.
using ProgressCallback = std::function<void(long long total, long long received)>;

// The handle another thread holds on a running transfer: Cancel ends it within about a second
// (libcurl asks at least once a second, and whenever data moves). A cancelled token stays
// cancelled: every later transfer given it ends at once, which is how a worker thread is stopped
// between calls as well. It also carries the limits of a download and the outcome of the last
// transfer that used it.
class Transfer {
 public:
  Transfer() = default;
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  // Safe from any thread.
  void Cancel() { cancelled_.store(true); }
  bool Cancelled() const { return cancelled_.load(); }

  // A download gives up when no connection is made within `connect` or when no byte arrives for
  // `stall` (defaults 10 s and 30 s); set before the transfer starts.
  void SetDownloadLimits(std::chrono::seconds connect, std::chrono::seconds stall) {
    connectLimit_ = connect;
    stallLimit_ = stall;
  }
  std::chrono::seconds ConnectLimit() const { return connectLimit_; }
  std::chrono::seconds StallLimit() const { return stallLimit_; }

  // The HTTP status of the last transfer's final reply (0 when none came), and libcurl's text
  // of its failure (empty after a completed transfer).
  long HttpStatus() const { return status_.load(); }
  std::string ErrorText() const;

  // Used by the transfers.
  void Finish(long status, std::string errorText);

 private:
  std::atomic<bool> cancelled_{false};
  std::atomic<long> status_{0};
  std::chrono::seconds connectLimit_{10};
  std::chrono::seconds stallLimit_{30};
  mutable std::mutex mutex_;
  std::string errorText_;
};

// Posts `body` (already form-encoded) to `url` with the fixed options of the API: redirects
// followed, 10 s to connect and 10 s in all. The reply body whatever the HTTP status, or
// kTransferError after a transport failure (also when cancelled through `transfer`), which is
// then reported on the standard error stream as "error:" and libcurl's text.
std::string HttpPostForm(const std::string& url, const std::string& body, Transfer* transfer = nullptr);
// The same, keeping the failure text: true with the body in `reply`, or false with libcurl's
// error text in `reply`.
bool HttpPost(const std::string& url, const std::string& body, std::string& reply, Transfer* transfer = nullptr);

// GETs `url` and appends the body to the file at `path` (made 0600 when new; never written
// through a symbolic link), calling `progress` as data arrives. True when the transfer completed,
// whatever the HTTP status: an error page lands in the file too, so callers that need the
// document itself check `transfer`'s HttpStatus. False on a transport failure, a file that
// cannot be written, a stall or a cancel; what arrived before stays in the file.
bool HttpDownloadToFile(const std::string& url, const std::string& path, const ProgressCallback& progress = nullptr,
                        Transfer* transfer = nullptr);

// A download that either gives the whole file or leaves `path` as it was: the body goes to a new
// temporary file beside `path` and replaces it only when the transfer completed with a 2xx
// status. False otherwise (the temporary file is removed; the status is in `transfer`).
bool HttpDownloadReplacing(const std::string& url, const std::string& path, const ProgressCallback& progress = nullptr,
                           Transfer* transfer = nullptr);

}  // namespace kz::cloud
