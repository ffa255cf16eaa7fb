#pragma once
// Logging in to the web service: the checks of the login command's two fields, the "api/login/"
// request and what its reply means. Nothing here touches the database or a window, so the login
// runs on any thread and the command-line tool shares it with the window program.
#include <string>

#include "cloud/api_request.h"

namespace kz::cloud {

// A longer name is refused before anything is sent (the service's sign-up takes 30 too).
inline constexpr int kMaxUserNameLength = 30;

namespace text {
inline constexpr const char* kEnterNameOrPassword = "请输入用户名或密码！";
inline constexpr const char* kNameTooLong = "用户名过长，请重新输入！";
inline constexpr const char* kCannotLogIn = "无法登录，请检查网络！";
inline constexpr const char* kNoRegisterLink = "无法获取注册链接，请检查网络！";
inline constexpr const char* kNoForgetLink = "无法打开忘记密码链接，请检查网络！";
}  // namespace text

inline constexpr const char* kLoginPath = "api/login/";
inline constexpr const char* kRegisterUrlPath = "api/get_reg_url/";
inline constexpr const char* kForgetUrlPath = "api/get_forget_url/";

struct LoginFields {
  std::string userName;  // trimmed, UTF-8
  std::string password;  // as typed
};

// Takes the two fields as the user typed them (UTF-8): the name with blanks, tabs and line breaks
// trimmed at both ends, the password untouched. Empty when they may be sent, else the message to
// show: an empty name or password, or a name of more than kMaxUserNameLength characters.
std::string CheckLoginFields(const std::string& nameField, const std::string& passwordField, LoginFields& fields);

// "device" = "pc", "password" = the MD5 hex of the password's bytes in the service's character
// set, "user_name" = the name in that set.
ApiRequest MakeLoginRequest(const LoginFields& fields, const std::string& base = ApiBase());

struct LoginAnswer {
  enum class Kind { kNoConnection, kRefused, kAccepted };
  Kind kind = Kind::kNoConnection;
  // kRefused: the service's message, trimmed (may be empty: then nothing is shown).
  std::string message;
  // kAccepted:
  std::string token;
  long long serverVersion = 0;  // leading integer of "version"; 0 when it holds none
  long long loginTime = 0;      // "login_time"
};

// What a completed (or failed) login transfer means. A success whose token could not travel in a
// request path (empty, or holding anything but letters, digits and - . _ ~) is a refusal with
// kCannotLogIn: such a session could never sync.
LoginAnswer ReadLoginReply(bool transferred, const std::string& replyText);

// Sends the request and reads the reply; blocks for at most about 20 seconds.
LoginAnswer PerformLogin(const LoginFields& fields, Transfer* transfer = nullptr,
                         const std::string& base = ApiBase());

// The page address a "api/get_reg_url/" or "api/get_forget_url/" reply names: the body without
// surrounding blanks, when it is one http:// or https:// address without control characters or
// blanks; empty otherwise (the caller then shows its failure text).
std::string ReadPageAddress(const std::string& replyText);

// Trims blanks, tabs and line breaks at both ends.
std::string TrimBlanks(const std::string& text);
// Characters of a UTF-8 text (a byte that is not part of valid UTF-8 counts as one).
int Utf8Length(const std::string& text);

}  // namespace kz::cloud
