// The account command of kzmousectl: makes an account on the web service through its sign-up
// page, for tests and demonstrations of log-in and sync without a browser.
#include "cli_commands.h"

#include "cloud/api_request.h"
#include "cloud/http_transfer.h"

#include <csignal>
#include <iostream>
#include <optional>
#include <ostream>
#include <termios.h>
#include <unistd.h>

namespace kz::cli {

std::string ShowableText(const std::string& text);

namespace {

constexpr const char* kUsage =
    "usage: kzmousectl account register USER\n"
    "Makes the account USER on the web service (KZMOUSE_API_BASE, else http://127.0.0.1:4777/):\n"
    "asks the service for its sign-up page (\"api/get_reg_url/\") and fills in its form.\n"
    "The password is asked for twice on the terminal, without echo; when standard input is not a\n"
    "terminal, its first line is the password. On success the recovery code the service gives is\n"
    "printed: it resets a forgotten password on the service's recovery page and is shown only\n"
    "this once.\n"
    "Exit codes: 0 done, 1 failure (the service cannot be reached or answers in an unknown way),\n"
    "2 refused (a bad argument, passwords that differ, or the service refused the name or the\n"
    "password; its reason is shown).";

int Usage(const Invocation& call, const std::string& problem) {
  return Fail(call, kExitUsage, problem + " (see kzmousectl account --help)");
}

std::string Quote(const std::string& text) { return "\"" + ShowableText(text) + "\""; }

std::string Trimmed(const std::string& text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// ---- the password ----

// The password, or an empty text with `problem` set.
std::string ReadPassword(const std::string& user, std::string& problem) {
  std::string password;
  if (!::isatty(STDIN_FILENO)) {
    if (!std::getline(std::cin, password)) password.clear();
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (password.empty()) problem = "no password on standard input";
    return password;
  }
  std::string again;
  const std::string prompt = "password for " + ShowableText(user) + ": ";
  if (!ReadSecretLine(prompt.c_str(), password) || !ReadSecretLine("the same password again: ", again)) {
    problem = "no password given";
    return std::string();
  }
  if (password.empty()) problem = "no password given";
  else if (password != again) problem = "the two passwords differ";
  return problem.empty() ? password : std::string();
}

// ---- the service's page ----

std::string HtmlUnescaped(const std::string& text) {
  static const struct {
    const char* entity;
    char c;
  } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}, {"&#x27;", '\''}};
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& e : kEntities) {
      const std::string entity = e.entity;
      if (text.compare(i, entity.size(), entity) == 0) {
        out += e.c;
        i += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

// The text of the first element whose start tag holds `marker`, tags inside it removed; nothing
// when there is none.
std::optional<std::string> ElementText(const std::string& page, const std::string& marker) {
  size_t at = page.find(marker);
  if (at == std::string::npos) return std::nullopt;
  at = page.find('>', at);
  if (at == std::string::npos) return std::nullopt;
  const size_t end = page.find("</", at);
  if (end == std::string::npos) return std::nullopt;
  std::string text;
  bool inTag = false;
  for (size_t i = at + 1; i < end; ++i) {
    if (page[i] == '<') inTag = true;
    else if (page[i] == '>') inTag = false;
    else if (!inTag) text += page[i];
  }
  return Trimmed(HtmlUnescaped(text));
}

// The form's action "register" is relative to the page it stands on.
std::string FormAction(const std::string& pageUrl) {
  const size_t scheme = pageUrl.find("://");
  const size_t slash = pageUrl.rfind('/');
  if (scheme == std::string::npos || slash == std::string::npos || slash < scheme + 3) return pageUrl + "/register";
  return pageUrl.substr(0, slash + 1) + "register";
}

int Register(const Invocation& call, const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage(call, "account register needs one USER");
  const std::string user = Trimmed(args[0]);
  if (user.empty()) return Usage(call, "the user name is empty");
  std::string problem;
  const std::string password = ReadPassword(user, problem);
  if (password.empty()) return Fail(call, kExitUsage, problem);

  const std::string base = cloud::ApiBase();
  cloud::ApiRequest where("api/get_reg_url/", base);
  if (!where.Perform())
    return Fail(call, kExitFailure, "cannot reach the service at " + ShowableText(base) + ": " +
                                        ShowableText(where.ReplyText()));
  const std::string page = Trimmed(where.ReplyText());
  if (page.rfind("http://", 0) != 0 && page.rfind("https://", 0) != 0)
    return Fail(call, kExitFailure, "the service gave no sign-up address (\"api/get_reg_url/\" answered " +
                                        Quote(page.substr(0, 200)) + ")");

  // The fields of the sign-up form, as a browser sends them: UTF-8, the password twice.
  cloud::ApiRequest form("", FormAction(page));
  form << "user_name" << user << "password" << password << "password2" << password;
  cloud::Transfer transfer;
  if (!form.Perform(&transfer))
    return Fail(call, kExitFailure, "cannot reach the sign-up page " + ShowableText(form.Url()) + ": " +
                                        ShowableText(form.ReplyText()));
  const long status = transfer.HttpStatus();
  const std::optional<std::string> code = ElementText(form.ReplyText(), "id=\"recovery-code\"");
  if (status == 200 && code && !code->empty()) {
    *call.out << "made the account " << Quote(user) << " on " << ShowableText(base) << "\n"
              << "recovery code: " << ShowableText(*code) << "\n"
              << "(write it down: it resets a forgotten password and is not shown again)\n";
    return kExitOk;
  }
  const std::optional<std::string> refusal = ElementText(form.ReplyText(), "class=\"error\"");
  if (status >= 400 && status < 500 && refusal && !refusal->empty())
    return Fail(call, kExitUsage, "the service refused the account " + Quote(user) + ": " + ShowableText(*refusal));
  return Fail(call, kExitFailure, "the sign-up page answered in an unknown way (HTTP status " +
                                      std::to_string(status) + (refusal ? ": " + ShowableText(*refusal) : "") + ")");
}

int RunAccount(const Invocation& call) {
  std::vector<std::string> args = call.args;
  if (args.empty()) return Usage(call, "account needs an action: register");
  const std::string action = args.front();
  args.erase(args.begin());
  if (action == "register") return Register(call, args);
  return Usage(call, "unknown account action " + Quote(action));
}

const bool registered = RegisterCommandWithHelp(
    {"account", "register USER", "make an account on the web service (see account --help)", &RunAccount}, kUsage);

}  // namespace
}  // namespace kz::cli
