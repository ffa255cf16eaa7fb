#include "account_pages.h"

#include "page_html.h"
#include "text.h"

namespace kzsvc {
namespace {

void Html(httplib::Response& res, int status, const std::string& page) {
  res.status = status;
  // The pages show recovery codes and take passwords: never cached, never framed, no scripts.
  res.set_header("Cache-Control", "no-store");
  res.set_header("X-Frame-Options", "DENY");
  res.set_header("X-Content-Type-Options", "nosniff");
  res.set_header("Content-Security-Policy",
                 "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'; frame-ancestors 'none'");
  res.set_header("Referrer-Policy", "no-referrer");
  res.set_content(page, "text/html; charset=utf-8");
}

std::string Field(const httplib::Request& req, const char* name) {
  return req.has_param(name) ? req.get_param_value(name) : std::string();
}

// The HTTP status of a refused form: the page says why, the status lets scripts tell.
int StatusOf(const Answer& answer) {
  switch (answer.refusal) {
    case Refusal::None: return 200;
    case Refusal::NameTaken: return 409;
    case Refusal::TooManyAttempts: return 429;
    case Refusal::WrongCredentials: return 403;
    case Refusal::ServerFault: return 500;
    default: return 400;
  }
}

}  // namespace

void AddAccountPages(httplib::Server& server, Accounts& accounts) {
  server.Get("/", [](const httplib::Request&, httplib::Response& res) { Html(res, 200, html::Index()); });

  server.Get("/register", [](const httplib::Request&, httplib::Response& res) {
    Html(res, 200, html::SignUpForm({}, "", false));
  });
  server.Post("/register", [&accounts](const httplib::Request& req, httplib::Response& res) {
    const std::string name = Field(req, "user_name");
    std::string code;
    const Answer answer =
        accounts.SignUp(name, Field(req, "password"), Field(req, "password2"), req.remote_addr, code);
    if (!answer.ok()) {
      const bool aboutName = answer.refusal == Refusal::NameTaken || UserNameProblem(TrimWhite(name)) != "";
      return Html(res, StatusOf(answer), html::SignUpForm({name, "", aboutName}, answer.message, true));
    }
    Html(res, 200, html::SignUpDone(TrimWhite(name), code));
  });

  server.Get("/forget", [](const httplib::Request&, httplib::Response& res) {
    Html(res, 200, html::RecoveryForm({}, "", false));
  });
  server.Post("/forget", [&accounts](const httplib::Request& req, httplib::Response& res) {
    const std::string name = Field(req, "user_name");
    const std::string code = Field(req, "recovery_code");
    std::string fresh;
    const Answer answer =
        accounts.Recover(name, code, Field(req, "password"), Field(req, "password2"), req.remote_addr, fresh);
    // A wrong code is not put back into the form: the user types it again, looking at the paper.
    if (!answer.ok()) {
      const bool keepCode = answer.refusal != Refusal::WrongCredentials;
      return Html(res, StatusOf(answer), html::RecoveryForm({name, keepCode ? code : ""}, answer.message, true));
    }
    Html(res, 200, html::RecoveryDone(TrimWhite(name), fresh));
  });
}

}  // namespace kzsvc
