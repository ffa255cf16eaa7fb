#include "service_fixture.h"

#include <openssl/evp.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <regex>
#include <sstream>

namespace kztest {

std::string ClientBody(const std::map<std::string, std::string>& fields) {
  std::string body;
  for (const auto& [name, value] : fields) {
    body += name + "=";
    for (unsigned char c : value) {
      if (std::isalnum(c) && c < 0x80) {
        body += static_cast<char>(c);
      } else if (c == '~' || c == '!' || c == '*' || c == '(' || c == ')' || c == '\'') {
        body += static_cast<char>(c);
      } else {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02x", c);
        body += hex;
      }
    }
    body += "&";
  }
  return body;
}

RunningService::RunningService(std::vector<std::string> extraArgs, const TempDir* folder) {
  if (!folder) {
    ownFolder_ = std::make_unique<TempDir>();
    folder = ownFolder_.get();
  }
  dbPath_ = *folder / "service.db";
  // A service restarted on the same folder writes a log of its own, so its port is not read
  // from the one before.
  static std::atomic<int> runs{0};
  outputPath_ = *folder / ("output-" + std::to_string(++runs) + ".log");
  std::vector<std::string> argv{BinaryDir() + "kz-service", "--db", dbPath_, "--listen", "127.0.0.1:0",
                                "--hash-iterations", "1000"};
  argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
  process_ = std::make_unique<ChildProcess>(argv, std::vector<std::string>{}, outputPath_);
  const std::regex api(R"(listening on http://127\.0\.0\.1:([0-9]+)/)");
  const std::regex update(R"(update server on http://127\.0\.0\.1:([0-9]+)/)");
  const bool wantsUpdates = std::find(extraArgs.begin(), extraArgs.end(), "--updates") != extraArgs.end();
  WaitFor(
      [&] {
        const std::string out = ReadAll(outputPath_);
        std::smatch m;
        if (std::regex_search(out, m, api)) port_ = std::stoi(m[1]);
        if (std::regex_search(out, m, update)) updatePort_ = std::stoi(m[1]);
        return (port_ > 0 && (!wantsUpdates || updatePort_ > 0)) || !process_->Running();
      },
      20);
}

RunningService::~RunningService() {
  if (process_ && process_->Running()) {
    process_->Signal(SIGTERM);
    process_->Wait(10);
  }
}

std::string RunningService::base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

std::string RunningService::output() const { return ReadAll(outputPath_); }

std::string RunningService::CallText(const std::string& path, const std::map<std::string, std::string>& fields) {
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(30, 0);
  auto res = client.Post(("/" + path).c_str(), ClientBody(fields), "application/x-www-form-urlencoded");
  return res ? res->body : std::string();
}

Json::Value RunningService::Call(const std::string& path, const std::map<std::string, std::string>& fields) {
  return ParseJson(CallText(path, fields));
}

PageReply RunningService::PostForm(const std::string& path, const httplib::Params& fields) {
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(30, 0);
  auto res = client.Post(path.c_str(), fields);
  return res ? PageReply{res->status, res->body} : PageReply{};
}

PageReply RunningService::Get(const std::string& path, int port) {
  httplib::Client client("127.0.0.1", port ? port : port_);
  auto res = client.Get(path.c_str());
  return res ? PageReply{res->status, res->body} : PageReply{};
}

std::string RunningService::SignUp(const std::string& name, const std::string& password) {
  return RecoveryCodeOf(PostForm("/register", {{"user_name", name}, {"password", password}, {"password2", password}}).body);
}

std::string RunningService::Login(const std::string& name, const std::string& password) {
  const Json::Value reply = Call("api/login/", {{"device", "pc"}, {"password", Md5HexOf(password)}, {"user_name", name}});
  return reply.isObject() && reply["result"] == 100 ? reply["token"].asString() : std::string();
}

std::string RecoveryCodeOf(const std::string& page) {
  std::smatch m;
  static const std::regex code(R"re(id="recovery-code">([^<]*)<)re");
  return std::regex_search(page, m, code) ? std::string(m[1]) : std::string();
}

std::string ErrorOf(const std::string& page) {
  std::smatch m;
  static const std::regex error(R"re(<p class="error" role="alert">([^<]*)</p>)re");
  if (!std::regex_search(page, m, error)) return {};
  std::string text = m[1];
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}}) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }
  return text;
}

std::string Md5HexOf(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
  std::string hex;
  for (unsigned i = 0; i < length; ++i) {
    char b[3];
    std::snprintf(b, sizeof b, "%02x", digest[i]);
    hex += b;
  }
  return hex;
}

Json::Value ParseJson(const std::string& text) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return Json::Value();
  return root;
}

}  // namespace kztest
