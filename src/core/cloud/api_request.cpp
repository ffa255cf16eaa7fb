#include "cloud/api_request.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <ostream>

#include "cloud/text_codec.h"

namespace kz::cloud {
namespace {

std::atomic<std::ostream*> replyEcho{nullptr};
std::mutex echoMutex;

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

std::string ApiBase() {
  const char* value = std::getenv("KZMOUSE_API_BASE");
  std::string base = value ? value : "";
  if (!StartsWith(base, "http://") && !StartsWith(base, "https://")) return kDefaultApiBase;
  if (base.back() != '/') base += '/';
  return base;
}

void SetReplyEcho(std::ostream* stream) { replyEcho.store(stream); }

ApiRequest::ApiRequest(std::string path, std::string base) : base_(std::move(base)), path_(std::move(path)) {}

ApiRequest& ApiRequest::Add(std::string text) {
  // A flag rather than an empty pending name, so that an empty text can be a name too (the
  // caller's pairs stay in step).
  if (!namePending_) {
    pendingName_ = std::move(text);
    namePending_ = true;
  } else {
    parameters_[pendingName_] = std::move(text);
    pendingName_.clear();
    namePending_ = false;
  }
  return *this;
}

std::string ApiRequest::Body() const {
  std::string body;
  for (const auto& [name, value] : parameters_) {
    body += name;
    body += '=';
    body += PercentEncode(value);
    body += '&';
  }
  return body;
}

bool ApiRequest::Perform(Transfer* transfer) {
  std::string reply;
  const bool completed = HttpPost(Url(), Body(), reply, transfer);
  if (!completed) {
    reply_ = std::move(reply);
    return false;
  }
  // A server body that is exactly "error" cannot be told from the transport's failure answer;
  // the reply text is then the transfer's failure text, which is empty.
  if (reply == kTransferError) {
    reply_.clear();
    return false;
  }
  reply_ = std::move(reply);
  if (std::ostream* echo = replyEcho.load()) {
    std::lock_guard lock(echoMutex);
    *echo << reply_ << std::endl;
  }
  return true;
}

}  // namespace kz::cloud
