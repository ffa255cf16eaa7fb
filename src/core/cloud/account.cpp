#include "cloud/account.h"

#include "app/services.h"
#include "base/constants.h"
#include "base/log.h"
#include "cloud/sync_api.h"
#include "profile/profile_session.h"
#include "store/users.h"

namespace kz::cloud {

Account::Account(SyncEngine& engine, LocalDateOf dateOf) : engine_(engine), dateOf_(std::move(dateOf)) {}

void Account::EndBusy() {
  if (engine_.Host().busy) engine_.Host().busy(false);
}

Account::LoginStart Account::Login(const std::string& nameField, const std::string& passwordField,
                                   std::function<void(bool loggedIn)> done) {
  if (loginRunning_ || engine_.ShutDown()) return LoginStart::kIgnored;
  LoginFields fields;
  const std::string problem = CheckLoginFields(nameField, passwordField, fields);
  const AccountHost& host = engine_.Host();
  if (!problem.empty()) {
    if (host.message) host.message(problem);
    return LoginStart::kRefused;
  }
  loginRunning_ = true;
  if (host.busy) host.busy(true);
  engine_.RunWorker([this, fields, done = std::move(done)](Transfer& transfer) { LoginWork(fields, transfer, done); });
  return LoginStart::kStarted;
}

void Account::LoginWork(const LoginFields& fields, Transfer& transfer, std::function<void(bool)> done) {
  const LoginAnswer answer = PerformLogin(fields, &transfer, engine_.Options().apiBase);
  app::Services& services = engine_.Services();
  const AccountHost& host = engine_.Host();
  bool needDownload = false;
  bool loggedIn = false;
  long long serverVersion = 0;
  // Every path ends on the owning thread with the wait cursor gone, then the message.
  auto finish = [&](bool shown) {
    loginRunning_ = false;
    if (done) done(shown);
  };
  if (!engine_.Owner().Call([&] {
        EndBusy();
        if (answer.kind == LoginAnswer::Kind::kNoConnection) {
          if (host.message) host.message(text::kCannotLogIn);
          finish(false);
          return;
        }
        if (answer.kind == LoginAnswer::Kind::kRefused) {
          if (!answer.message.empty() && host.message) host.message(answer.message);
          finish(false);
          return;
        }
        services.session.Update([&](SessionValues& v) {
          v.token = answer.token;
          v.userName = fields.userName;
        });
        services.db.Execute("update kz_global set last_user=?", {fields.userName});
        // Post-login: the local rows against the service's version.
        store::CurrentUser user;
        if (!store::LoadCurrentUser(services.db, fields.password, user))
          Log("login: cannot load the user: %s", services.db.GetLastErrorString().c_str());
        services.session.Update([&](SessionValues& v) { v.syncLast = user.syncLast; });
        services.Profiles().SetActiveProfile(user.activeProfile);
        serverVersion = answer.serverVersion;
        needDownload = user.syncLast < serverVersion;
        if (!needDownload) {
          loggedIn = FinishPostLogin(fields, answer.loginTime);
          finish(loggedIn);
        }
      }))
    return;
  if (!needDownload) return;
  if (!engine_.DownloadStep(fields.userName, answer.token, transfer)) {
    engine_.Owner().Call([&] { finish(false); });
    return;
  }
  engine_.Owner().Call([&] {
    if (services.session.Snapshot().token != answer.token) {
      finish(false);
      return;
    }
    engine_.RefreshAfterDownload();
    services.db.Execute("update kz_user set user_pwd=?, sync_last=? where user_name=?",
                        {fields.password, serverVersion, fields.userName});
    services.session.Update([&](SessionValues& v) { v.syncLast = serverVersion; });
    loggedIn = FinishPostLogin(fields, answer.loginTime);
    finish(loggedIn);
  });
}

bool Account::FinishPostLogin(const LoginFields& fields, long long loginTime) {
  app::Services& services = engine_.Services();
  const AccountHost& host = engine_.Host();
  // The password the service has just taken is the one the automatic login needs, whatever the
  // versions were (a password changed on the service would otherwise stay stale here).
  services.db.Execute("update kz_user set user_pwd=? where user_name=?", {fields.password, fields.userName});
  // The pages showed the previous user's rows; saving those now would put them into this user's.
  profile::ProfileSession& profiles = services.Profiles();
  profiles.SelectProfile(profiles.ActiveProfile());
  if (host.pagesReloaded) host.pagesReloaded(profiles.ActiveProfile());

  const SigninResult signin = RecordSignin(services.db, fields.userName, loginTime, dateOf_);
  if (signin.kind == SigninResult::Kind::kFailed) {
    Log("login: sign-in bookkeeping failed: %s", services.db.GetLastErrorString().c_str());
    services.session.Update([](SessionValues& v) { v.token.clear(); });
    if (host.showLoginPage) host.showLoginPage();
    return false;
  }
  if (host.showLoggedInPage) host.showLoggedInPage(fields.userName, signin.values.myScore, signin.values.myLevel);
  if (signin.kind == SigninResult::Kind::kDone && host.honorCheck) host.honorCheck();
  return true;
}

void Account::LogOut() {
  engine_.Services().session.Update([](SessionValues& v) { v.token.clear(); });
  if (engine_.Host().showLoginPage) engine_.Host().showLoginPage();
}

bool Account::StoredLogin(std::string& userName, std::string& password) {
  app::Services& services = engine_.Services();
  userName = services.session.UserName();
  password.clear();
  if (userName == kLocalUserName) return false;
  store::Recordset row(services.db);
  if (row.Open("select * from kz_user where user_name=?", {userName}) && row.GetRecordCount() > 0) {
    row.MoveFirst();
    row.GetFieldValue("user_pwd", password);
  }
  return true;
}

void Account::OpenServicePage(const char* path, const char* failText) {
  if (pageRunning_ || engine_.ShutDown()) return;
  pageRunning_ = true;
  const AccountHost& host = engine_.Host();
  if (host.busy) host.busy(true);
  const std::string pathText = path;
  const std::string fail = failText;
  engine_.RunWorker([this, pathText, fail](Transfer& transfer) {
    ApiRequest request(pathText, engine_.Options().apiBase);
    const bool transferred = request.Perform(&transfer);
    const std::string address = transferred ? ReadPageAddress(request.ReplyText()) : std::string();
    engine_.Owner().Call([&] {
      pageRunning_ = false;
      EndBusy();
      const AccountHost& host = engine_.Host();
      if (address.empty()) {
        if (host.message) host.message(fail);
      } else if (host.openAddress) {
        host.openAddress(address);
      }
    });
  });
}

}  // namespace kz::cloud
