#include "page_html.h"

#include "messages.h"
#include "text.h"

namespace kzsvc::html {
namespace {

// Fonts named first that carry Chinese, so Chinese and Latin text share one face where they can.
constexpr char kStyle[] = R"(
body { margin: 0; background: #eef1f5; color: #1d2733;
  font-family: "Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei", "Source Han Sans SC",
    "Microsoft YaHei", "PingFang SC", "Noto Sans", "DejaVu Sans", sans-serif; font-size: 16px; line-height: 1.5; }
main { max-width: 460px; margin: 48px auto; background: #fff; border-radius: 10px; padding: 28px 32px 32px;
  box-shadow: 0 2px 12px rgba(20, 40, 70, .12); }
h1 { font-size: 24px; margin: 0 0 4px; }
h1 small { display: block; font-size: 15px; font-weight: normal; color: #5b6878; }
p.lead { color: #5b6878; margin: 8px 0 20px; }
label { display: block; margin: 14px 0 4px; font-weight: bold; }
label span { font-weight: normal; color: #5b6878; }
input[type=text], input[type=password] { box-sizing: border-box; width: 100%; padding: 9px 10px; font: inherit;
  border: 1px solid #b9c3cf; border-radius: 6px; }
input:focus { outline: 2px solid #2f7de1; border-color: #2f7de1; }
p.hint { margin: 4px 0 0; font-size: 13px; color: #6b7785; }
button { margin-top: 22px; width: 100%; padding: 10px; font: inherit; font-weight: bold; color: #fff;
  background: #2f7de1; border: 0; border-radius: 6px; cursor: pointer; }
.error { background: #fdecec; color: #a11a1a; border: 1px solid #f3b9b9; border-radius: 6px; padding: 10px 12px; }
.info { background: #e9f6ec; color: #1d6a33; border: 1px solid #b5dfc0; border-radius: 6px; padding: 10px 12px; }
.code { font-family: "DejaVu Sans Mono", "Noto Sans Mono", monospace; font-size: 22px; letter-spacing: 1px;
  text-align: center; background: #f4f6f9; border: 1px dashed #8a96a5; border-radius: 6px; padding: 12px; }
nav { margin-top: 22px; font-size: 14px; }
a { color: #2f7de1; }
)";

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
         HtmlEscape(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<main>\n" + body +
         "</main>\n</body>\n</html>\n";
}

std::string Notice(const std::string& text, bool refused) {
  if (text.empty()) return {};
  return refused ? "<p class=\"error\" role=\"alert\">" + HtmlEscape(text) + "</p>\n"
                 : "<p class=\"info\">" + HtmlEscape(text) + "</p>\n";
}

// After a refusal the cursor goes to the first blank still to fill, not back to the name.
std::string Focus(const char* attributes, bool focused) {
  return std::string(attributes) + (focused ? " autofocus" : "");
}

bool NameFirst(const FormValues& values) { return values.userName.empty() || values.nameRefused; }

std::string Field(const char* label, const char* english, const char* type, const char* name,
                  const std::string& value, const std::string& extra) {
  return std::string("<label for=\"") + name + "\">" + label + " <span>" + english + "</span></label>\n" +
         "<input type=\"" + type + "\" id=\"" + name + "\" name=\"" + name + "\" value=\"" + HtmlEscape(value) +
         "\" " + extra + ">\n";
}

std::string CodeBox(const std::string& userName, const std::string& code) {
  return "<p>用户名 User name: <strong>" + HtmlEscape(userName) + "</strong></p>\n"
         "<p>恢复码 Recovery code:</p>\n<p class=\"code\" id=\"recovery-code\">" + HtmlEscape(code) + "</p>\n"
         "<p class=\"hint\">请抄下恢复码并妥善保存：忘记密码时需要它，它只显示这一次。"
         "Write this code down and keep it safe: it resets a forgotten password and is shown only this once.</p>\n";
}

}  // namespace

std::string SignUpForm(const FormValues& values, const std::string& notice, bool refused) {
  return Page("注册账号 · Sign up",
              "<h1>注册账号<small>Create an account</small></h1>\n"
              "<p class=\"lead\">注册后即可在 kzMouse 中登录并同步设置。"
              "With an account you can log in to kzMouse and sync your settings.</p>\n" +
                  Notice(notice, refused) +
                  "<form method=\"post\" action=\"register\" accept-charset=\"UTF-8\">\n" +
                  Field("用户名", "User name", "text", "user_name", values.userName,
                        Focus("maxlength=\"30\" autocomplete=\"username\" required", NameFirst(values))) +
                  "<p class=\"hint\">最多 30 个字符，可以使用中文。At most 30 characters; Chinese is fine.</p>\n" +
                  Field("密码", "Password", "password", "password", "",
                        Focus("autocomplete=\"new-password\" required", !NameFirst(values))) +
                  "<p class=\"hint\">至少 6 个字符。At least 6 characters.</p>\n" +
                  Field("确认密码", "Password again", "password", "password2", "",
                        "autocomplete=\"new-password\" required") +
                  "<button type=\"submit\">注册 Sign up</button>\n</form>\n"
                  "<nav><a href=\"forget\">忘记密码？Forgot your password?</a></nav>\n");
}

std::string SignUpDone(const std::string& userName, const std::string& recoveryCode) {
  return Page("注册成功 · Signed up", "<h1>注册成功<small>Account created</small></h1>\n" +
                                          Notice(msg::kSignedUp, false) + CodeBox(userName, recoveryCode) +
                                          "<p>现在可以在 kzMouse 中登录。You can now log in to kzMouse.</p>\n");
}

std::string RecoveryForm(const FormValues& values, const std::string& notice, bool refused) {
  return Page("找回密码 · Password recovery",
              "<h1>找回密码<small>Reset your password</small></h1>\n"
              "<p class=\"lead\">输入注册时得到的恢复码，并设置新密码。"
              "Enter the recovery code you were given at sign-up and choose a new password.</p>\n" +
                  Notice(notice, refused) +
                  "<form method=\"post\" action=\"forget\" accept-charset=\"UTF-8\">\n" +
                  Field("用户名", "User name", "text", "user_name", values.userName,
                        Focus("maxlength=\"30\" autocomplete=\"username\" required", values.userName.empty())) +
                  Field("恢复码", "Recovery code", "text", "recovery_code", values.recoveryCode,
                        Focus("autocomplete=\"off\" spellcheck=\"false\" required",
                              !values.userName.empty() && values.recoveryCode.empty())) +
                  "<p class=\"hint\">注册时显示的 20 位恢复码，不分大小写，横线可省略。"
                  "The 20-character code shown at sign-up; case and dashes do not matter.</p>\n" +
                  Field("新密码", "New password", "password", "password", "",
                        Focus("autocomplete=\"new-password\" required",
                              !values.userName.empty() && !values.recoveryCode.empty())) +
                  "<p class=\"hint\">至少 6 个字符。At least 6 characters.</p>\n" +
                  Field("确认新密码", "New password again", "password", "password2", "",
                        "autocomplete=\"new-password\" required") +
                  "<button type=\"submit\">更改密码 Change password</button>\n</form>\n"
                  "<nav><a href=\"register\">没有账号？注册 No account yet? Sign up</a></nav>\n");
}

std::string RecoveryDone(const std::string& userName, const std::string& recoveryCode) {
  return Page("密码已更改 · Password changed",
              "<h1>密码已更改<small>Password changed</small></h1>\n" + Notice(msg::kPasswordReset, false) +
                  "<p class=\"hint\">旧的恢复码已作废，这是新的恢复码。The old recovery code is used up; this is the new one.</p>\n" +
                  CodeBox(userName, recoveryCode));
}

std::string Index() {
  return Page("kz-service",
              "<h1>kz-service<small>kzMouse 账号与同步服务 · Account and sync service</small></h1>\n"
              "<nav><p><a href=\"register\">注册账号 Sign up</a></p>"
              "<p><a href=\"forget\">找回密码 Reset a forgotten password</a></p></nav>\n");
}

std::string NotFound() {
  return Page("404", "<h1>页面不存在<small>Page not found</small></h1>\n<nav><a href=\"/\">kz-service</a></nav>\n");
}

}  // namespace kzsvc::html
