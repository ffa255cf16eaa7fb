#pragma once
// One call of the web API: form fields posted to the API base address plus a path.
#include <iosfwd>
#include <map>
#include <string>

#include "cloud/http_transfer.h"

namespace kz::cloud {

// The compiled-in base address: the kz-service of this machine.
inline constexpr const char* kDefaultApiBase = "http://127.0.0.1:4777/";

// The web API base address: KZMOUSE_API_BASE when it holds an http:// or https:// address, else
// the compiled-in one; always ending in "/", as paths are appended to it directly.
std::string ApiBase();

// Where the reply text of each completed call is echoed, followed by a line end (a diagnostic
// aid); nullptr, the default, echoes nothing, since replies hold session tokens and the user's
// whole data set, and a desktop program's standard output ends up in the system journal.
// Safe from any thread; the stream itself must stay alive while calls run.
void SetReplyEcho(std::ostream* stream);

class ApiRequest {
 public:
  // `path` is appended to `base` unchanged (a token put in it is not encoded).
  explicit ApiRequest(std::string path, std::string base = ApiBase());

  // Texts alternate between parameter names and values: a text becomes the pending name, the next
  // one its value (a name given again gets the new value). Names and values are byte texts in
  // the service's character set (Utf8ToAnsi).
  ApiRequest& Add(std::string text);
  ApiRequest& operator<<(std::string text) { return Add(std::move(text)); }

  // name=PercentEncode(value)& for each parameter in ascending byte order of the names; empty
  // without parameters.
  std::string Body() const;
  std::string Url() const { return base_ + path_; }
  const std::map<std::string, std::string>& Parameters() const { return parameters_; }

  // Posts the body. True when the transfer completed (whatever its HTTP status) and the reply is
  // not the literal text "error"; then ReplyText is the reply body. False on a transport failure
  // (or a cancel through `transfer`); then ReplyText is the failure text (empty for a body of
  // "error", which is no transport failure).
  bool Perform(Transfer* transfer = nullptr);
  const std::string& ReplyText() const { return reply_; }

 private:
  std::string base_;
  std::string path_;
  std::map<std::string, std::string> parameters_;
  std::string pendingName_;
  bool namePending_ = false;
  std::string reply_;
};

}  // namespace kz::cloud
