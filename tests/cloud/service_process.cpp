#include "service_process.h"

#include <unistd.h>

#include "cloud/api_reply.h"
#include "cloud/api_request.h"
#include "cloud/text_codec.h"

namespace kztest {

std::string ServiceProcess::Binary() {
  const std::string path = BinaryDir() + "kz-service";
  return ::access(path.c_str(), X_OK) == 0 ? path : std::string();
}

ServiceProcess::ServiceProcess(const std::string& dir, const std::vector<std::string>& extra) : log_(dir + "service.log") {
  const std::string binary = Binary();
  if (binary.empty()) return;
  std::vector<std::string> argv{binary, "--listen", "127.0.0.1:0", "--db", dir + "service.db", "--hash-iterations",
                                "1000"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  process_ = std::make_unique<ChildProcess>(argv, std::vector<std::string>{}, log_);
  const std::string marker = "listening on ";
  WaitFor(
      [&] {
        const std::string text = ReadAll(log_);
        const size_t at = text.find(marker);
        const size_t end = at == std::string::npos ? at : text.find('\n', at);
        if (end == std::string::npos) return !process_->Running();
        base_ = text.substr(at + marker.size(), end - at - marker.size());
        return true;
      },
      20);
}

std::string ServiceProcess::Log() const { return ReadAll(log_); }

bool SignUp(const std::string& base, const std::string& user, const std::string& password) {
  kz::cloud::ApiRequest form("register", base);
  form << "user_name" << user << "password" << password << "password2" << password;
  kz::cloud::Transfer transfer;
  return form.Perform(&transfer) && transfer.HttpStatus() == 200;
}

std::string LogIn(const std::string& base, const std::string& user, const std::string& password) {
  using namespace kz::cloud;
  ApiRequest request("api/login/", base);
  request << "user_name" << Utf8ToAnsi(user) << "password" << Md5Hex(Utf8ToAnsi(password)) << "device" << "pc";
  if (!request.Perform()) return std::string();
  ApiReply reply(request.ReplyText());
  return reply.Success() ? reply.TextMember("token") : std::string();
}

}  // namespace kztest
