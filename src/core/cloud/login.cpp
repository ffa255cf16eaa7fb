#include "cloud/login.h"

#include "cloud/api_reply.h"
#include "cloud/text_codec.h"

namespace kz::cloud {
namespace {

constexpr const char* kBlanks = " \t\r\n\v\f";

bool TokenFitsPath(const std::string& token) {
  if (token.empty()) return false;
  for (unsigned char c : token) {
    const bool fits = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
                      c == '.' || c == '_' || c == '~';
    if (!fits) return false;
  }
  return true;
}

}  // namespace

std::string TrimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

int Utf8Length(const std::string& text) {
  int count = 0;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) valid = (static_cast<unsigned char>(text[i + k]) >> 6) == 0x2;
    i += valid ? length : 1;
    ++count;
  }
  return count;
}

std::string CheckLoginFields(const std::string& nameField, const std::string& passwordField, LoginFields& fields) {
  fields.userName = TrimBlanks(nameField);
  fields.password = passwordField;
  if (fields.userName.empty() || fields.password.empty()) return text::kEnterNameOrPassword;
  if (Utf8Length(fields.userName) > kMaxUserNameLength) return text::kNameTooLong;
  return std::string();
}

ApiRequest MakeLoginRequest(const LoginFields& fields, const std::string& base) {
  ApiRequest request(kLoginPath, base);
  request << "user_name" << Utf8ToAnsi(fields.userName) << "password" << Md5Hex(Utf8ToAnsi(fields.password))
          << "device" << "pc";
  return request;
}

LoginAnswer ReadLoginReply(bool transferred, const std::string& replyText) {
  LoginAnswer answer;
  if (!transferred) return answer;
  const ApiReply reply(replyText);
  if (!reply.Success()) {
    answer.kind = LoginAnswer::Kind::kRefused;
    answer.message = TrimBlanks(reply.Message());
    return answer;
  }
  answer.token = reply.TextMember("token");
  if (!TokenFitsPath(answer.token)) {
    answer.kind = LoginAnswer::Kind::kRefused;
    answer.message = text::kCannotLogIn;
    answer.token.clear();
    return answer;
  }
  answer.kind = LoginAnswer::Kind::kAccepted;
  answer.serverVersion = LeadingInteger(reply.TextMember("version"));
  answer.loginTime = reply.IntegerMember("login_time");
  return answer;
}

LoginAnswer PerformLogin(const LoginFields& fields, Transfer* transfer, const std::string& base) {
  ApiRequest request = MakeLoginRequest(fields, base);
  const bool transferred = request.Perform(transfer);
  return ReadLoginReply(transferred, request.ReplyText());
}

std::string ReadPageAddress(const std::string& replyText) {
  const std::string address = TrimBlanks(replyText);
  if (address.rfind("http://", 0) != 0 && address.rfind("https://", 0) != 0) return std::string();
  for (unsigned char c : address)
    if (c <= 0x20 || c == 0x7F) return std::string();
  return address;
}

}  // namespace kz::cloud
