#include "cloud/http_transfer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include <curl/curl.h>

#include "base/paths.h"

namespace kz::cloud {

std::string Transfer::ErrorText() const {
  std::lock_guard lock(mutex_);
  return errorText_;
}

void Transfer::Finish(long status, std::string errorText) {
  status_.store(status);
  std::lock_guard lock(mutex_);
  errorText_ = std::move(errorText);
}

namespace {

constexpr const char* kCancelledText = "the transfer was cancelled";
// A server that sends the client round in circles ends the transfer instead of holding it for ever.
constexpr long kMaxRedirects = 20;

// libcurl's global set-up is not safe to race with the first handles of other threads.
void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyHandle {
  EasyHandle() : handle(curl_easy_init()) {}
  ~EasyHandle() {
    if (handle) curl_easy_cleanup(handle);
  }
  EasyHandle(const EasyHandle&) = delete;
  EasyHandle& operator=(const EasyHandle&) = delete;
  CURL* handle;
};

size_t AppendToText(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

struct ProgressContext {
  Transfer* transfer = nullptr;
  const ProgressCallback* progress = nullptr;
};

int OnProgress(void* data, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
  auto* context = static_cast<ProgressContext*>(data);
  if (context->transfer && context->transfer->Cancelled()) return 1;  // aborts with CURLE_ABORTED_BY_CALLBACK
  if (context->progress && *context->progress) (*context->progress)(dltotal, dlnow);
  return 0;
}

// Options both transfers share. Only http and https are spoken, also after a redirect: a reply
// must not send the client to a local file or another protocol.
void CommonOptions(CURL* curl, char* errorBuffer, const std::string& url) {
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HEADER, 0L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  // Time-outs by signal would reach whichever thread the signal lands on.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

// The certificate of an https address is checked: a transfer that accepted any certificate
// would hand the token and the user's data to whoever answers.
void TlsOptions(CURL* curl) {
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
}

void WatchProgress(CURL* curl, ProgressContext& context) {
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &context);
}

long ResponseCode(CURL* curl) {
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  return status;
}

std::string FailureText(CURLcode code, const char* errorBuffer, const Transfer* transfer) {
  if (code == CURLE_ABORTED_BY_CALLBACK && transfer && transfer->Cancelled()) return kCancelledText;
  return errorBuffer[0] ? std::string(errorBuffer) : std::string(curl_easy_strerror(code));
}

void ReportFailure(const std::string& text) { std::cerr << "error:" << text << std::endl; }

// Where a download's chunks go: opened at the first chunk, or a descriptor given up front.
struct FileSink {
  std::string path;
  int fd = -1;
  bool ownsFd = true;
  std::string problem;

  ~FileSink() {
    if (fd >= 0 && ownsFd) ::close(fd);
  }
  bool Write(const char* data, size_t size) {
    if (fd < 0) {
      std::string why;
      fd = paths::OpenOwnFile(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600, &why);
      if (fd < 0) {
        problem = path + " " + (why.empty() ? "cannot be opened" : why);
        return false;
      }
    }
    while (size > 0) {
      ssize_t n = ::write(fd, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        problem = path + " cannot be written: " + std::strerror(errno);
        return false;
      }
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }
};

// A chunk that cannot be stored fails the transfer: a download that lost data is no success.
size_t WriteToSink(char* data, size_t size, size_t count, void* target) {
  auto* sink = static_cast<FileSink*>(target);
  return sink->Write(data, size * count) ? size * count : 0;
}

bool Download(const std::string& url, FileSink& sink, const ProgressCallback& progress, Transfer* transfer) {
  GlobalInit();
  char errorBuffer[CURL_ERROR_SIZE];
  errorBuffer[0] = '\0';
  if (transfer && transfer->Cancelled()) {
    transfer->Finish(0, kCancelledText);
    return false;
  }
  EasyHandle easy;
  if (!easy.handle) {
    if (transfer) transfer->Finish(0, "cannot make a transfer handle");
    return false;
  }
  CURL* curl = easy.handle;
  CommonOptions(curl, errorBuffer, url);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToSink);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  ProgressContext context{transfer, &progress};
  if (progress || transfer) WatchProgress(curl, context);
  TlsOptions(curl);
  // No total limit (an archive may take long on a slow line), but a dead server or line ends the
  // download instead of holding its thread for ever.
  const long connect = transfer ? static_cast<long>(transfer->ConnectLimit().count()) : 10L;
  const long stall = transfer ? static_cast<long>(transfer->StallLimit().count()) : 30L;
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connect);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stall);
  const CURLcode code = curl_easy_perform(curl);
  const long status = ResponseCode(curl);
  if (code == CURLE_OK) {
    if (transfer) transfer->Finish(status, std::string());
    return true;
  }
  std::string text = code == CURLE_WRITE_ERROR && !sink.problem.empty() ? sink.problem
                                                                           : FailureText(code, errorBuffer, transfer);
  if (transfer) transfer->Finish(status, text);
  return false;
}

}  // namespace

bool HttpPost(const std::string& url, const std::string& body, std::string& reply, Transfer* transfer) {
  GlobalInit();
  std::string buffer;
  char errorBuffer[CURL_ERROR_SIZE];
  errorBuffer[0] = '\0';
  if (transfer && transfer->Cancelled()) {
    transfer->Finish(0, kCancelledText);
    reply = kCancelledText;
    ReportFailure(reply);
    return false;
  }
  EasyHandle easy;
  if (!easy.handle) {
    reply = "cannot make a transfer handle";
    if (transfer) transfer->Finish(0, reply);
    ReportFailure(reply);
    return false;
  }
  CURL* curl = easy.handle;
  CommonOptions(curl, errorBuffer, url);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendToText);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &buffer);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  // The size is given, so a body holding a zero byte goes whole.
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  TlsOptions(curl);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
  ProgressContext context{transfer, nullptr};
  if (transfer) WatchProgress(curl, context);
  const CURLcode code = curl_easy_perform(curl);
  const long status = ResponseCode(curl);
  if (code == CURLE_OK) {
    if (transfer) transfer->Finish(status, std::string());
    reply = std::move(buffer);
    return true;
  }
  reply = FailureText(code, errorBuffer, transfer);
  if (transfer) transfer->Finish(status, reply);
  ReportFailure(reply);
  return false;
}

std::string HttpPostForm(const std::string& url, const std::string& body, Transfer* transfer) {
  std::string reply;
  return HttpPost(url, body, reply, transfer) ? reply : std::string(kTransferError);
}

bool HttpDownloadToFile(const std::string& url, const std::string& path, const ProgressCallback& progress,
                        Transfer* transfer) {
  FileSink sink;
  sink.path = path;
  return Download(url, sink, progress, transfer);
}

bool HttpDownloadReplacing(const std::string& url, const std::string& path, const ProgressCallback& progress,
                           Transfer* transfer) {
  std::string temp = path + ".part-XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    if (transfer) transfer->Finish(0, "cannot make a file beside " + path + ": " + std::strerror(errno));
    return false;
  }
  ::fchmod(fd, 0600);
  bool ok;
  long status = 0;
  {
    FileSink sink;
    sink.path = temp;
    sink.fd = fd;
    sink.ownsFd = false;
    Transfer own;
    Transfer* used = transfer ? transfer : &own;
    ok = Download(url, sink, progress, used);
    status = used->HttpStatus();
    if (ok && (status < 200 || status > 299)) {
      ok = false;
      used->Finish(status, "the server answered with HTTP status " + std::to_string(status));
    }
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    if (transfer) transfer->Finish(status, "cannot put the download in place as " + path + ": " + std::strerror(errno));
  }
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace kz::cloud
