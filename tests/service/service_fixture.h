#pragma once
// A real kz-service started by a test on a free loopback port in the test's own folder, and
// the calls the client makes to it, encoded the way the client encodes them.
#include <httplib.h>
#include <json/json.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kztest {

// The form body of an API call as the client writes it: pairs in name order, values
// percent-encoded with lower-case digits (only letters, digits and ~!*()' stay), "&" after each.
std::string ClientBody(const std::map<std::string, std::string>& fields);

struct PageReply {
  int status = 0;
  std::string body;
};

class RunningService {
 public:
  // `extraArgs` go after the defaults (database in the folder, 127.0.0.1:0, cheap hashing);
  // `folder` keeps the database across a restart when given.
  explicit RunningService(std::vector<std::string> extraArgs = {}, const TempDir* folder = nullptr);
  ~RunningService();

  bool ready() const { return port_ > 0; }
  int port() const { return port_; }
  int updatePort() const { return updatePort_; }
  // "http://127.0.0.1:PORT/": what the client's base address is.
  std::string base() const;
  std::string output() const;  // stdout and stderr so far
  ChildProcess& process() { return *process_; }
  const std::string& dbPath() const { return dbPath_; }

  // One API call with the client's body; the reply body as text ("" when the transfer failed).
  std::string CallText(const std::string& path, const std::map<std::string, std::string>& fields);
  // The same, parsed; a null value when the reply is not JSON.
  Json::Value Call(const std::string& path, const std::map<std::string, std::string>& fields);
  // A form post from the pages (a browser's body).
  PageReply PostForm(const std::string& path, const httplib::Params& fields);
  PageReply Get(const std::string& path, int port = 0);

  // Through the sign-up page; the recovery code it shows ("" when refused).
  std::string SignUp(const std::string& name, const std::string& password);
  // The token of a successful log-in ("" when refused).
  std::string Login(const std::string& name, const std::string& password);

 private:
  std::unique_ptr<TempDir> ownFolder_;
  std::string dbPath_;
  std::string outputPath_;
  std::unique_ptr<ChildProcess> process_;
  int port_ = -1;
  int updatePort_ = -1;
};

// The recovery code shown by a page, or "".
std::string RecoveryCodeOf(const std::string& page);
// The refusal shown by a page, unescaped as the page shows it, or "".
std::string ErrorOf(const std::string& page);
std::string Md5HexOf(const std::string& text);
Json::Value ParseJson(const std::string& text);

}  // namespace kztest
