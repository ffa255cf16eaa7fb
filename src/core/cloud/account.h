#pragma once
// The account of the window program (and of kzmousectl login): the login command, the post-login
// step, log-out, the automatic login's stored password, and the service's sign-up and password
// pages. The login request and a download it needs run on a worker of the sync engine; the
// database steps and the page actions come back to the owning thread, and a second login while one
// is under way is ignored.
#include <functional>
#include <string>

#include "cloud/login.h"
#include "cloud/signin_days.h"
#include "cloud/sync_engine.h"

namespace kz::cloud {

class Account {
 public:
  // `engine` outlives this object; its host is the one the account talks to.
  explicit Account(SyncEngine& engine, LocalDateOf dateOf = LocalCalendarDate);

  enum class LoginStart { kStarted, kIgnored, kRefused };
  // Owning thread: the login command on the two fields as typed. kRefused after the fields'
  // message was shown, kIgnored while a login is under way. `done` (optional) gets whether the
  // logged-in page was shown, once everything is over.
  LoginStart Login(const std::string& nameField, const std::string& passwordField,
                   std::function<void(bool loggedIn)> done = {});
  bool LoginRunning() const { return loginRunning_; }
  // A login or a page request has not answered yet (the host was told busy(true)).
  bool Busy() const { return loginRunning_ || pageRunning_; }

  // Owning thread: empties the token and shows the login page; nothing is sent.
  void LogOut();

  // Owning thread: the user and stored password the automatic login fills in; false for the local
  // user (no automatic login).
  bool StoredLogin(std::string& userName, std::string& password);

  // Owning thread: asks the service for a page address ("api/get_reg_url/" or
  // "api/get_forget_url/") off this thread and opens it; `failText` when it cannot be had.
  void OpenServicePage(const char* path, const char* failText);

  SyncEngine& Engine() { return engine_; }

 private:
  void LoginWork(const LoginFields& fields, Transfer& transfer, std::function<void(bool)> done);
  // The steps of the post-login that follow the version comparison.
  bool FinishPostLogin(const LoginFields& fields, long long loginTime);
  void EndBusy();

  SyncEngine& engine_;
  const LocalDateOf dateOf_;
  bool loginRunning_ = false;
  bool pageRunning_ = false;
};

}  // namespace kz::cloud
