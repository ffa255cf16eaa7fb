// The log-in commands of kzmousectl: log in as the window program does (the stored password, the
// download of a newer copy, the sign-in bookkeeping), log out, and the sync actions that need a
// session: status, upload, download. The session's token is kept between runs of the tool in a
// file of the data folder (0600), as the tool has no running window to hold it.
#include "cli_commands.h"
#include "cli_store.h"

#include "app/services.h"
#include "base/constants.h"
#include "base/paths.h"
#include "cloud/account.h"
#include "cloud/sync_api.h"
#include "cloud/sync_document.h"
#include "profile/profile_session.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <ostream>
#include <termios.h>
#include <unistd.h>

namespace kz::cli {
namespace {

constexpr const char* kLoginHelp =
    "usage: kzmousectl login USER\n"
    "Logs USER in on the web service (KZMOUSE_API_BASE, else http://127.0.0.1:4777/) the way the\n"
    "window program does: the password is asked for on the terminal without echo (when standard\n"
    "input is not a terminal, its first line is the password), the service's copy of the data is\n"
    "downloaded and applied when it is newer than the local one, the password is stored for the\n"
    "automatic login, and the sign-in of the day is counted. Prints the score and the level.\n"
    "USER becomes the current user of kzMouse and of the other commands.\n"
    "Exit codes: 0 logged in, 1 the service cannot be reached or the download failed, 2 refused\n"
    "(an empty or too long name, an empty password, or the service refused; its reason is shown).";

constexpr const char* kLogoutHelp =
    "usage: kzmousectl logout\n"
    "Forgets the session of the tool (nothing is sent to the service). The stored password stays,\n"
    "as it does in the window program, whose next start logs in again automatically.";

constexpr const char* kSessionFile = "kzmousectl_session";

std::string Quote(const std::string& text) { return "\"" + ShowableText(text) + "\""; }

// ---- the session of the tool ----

struct ToolSession {
  std::string userName;
  std::string token;
};

std::string SessionPath(const app::Services& services) { return services.values.dataDir + kSessionFile; }

// The session of `userName`, when the file holds one for that user.
bool ReadSession(const app::Services& services, const std::string& userName, ToolSession& session) {
  std::string content;
  if (!paths::ReadOwnFile(SessionPath(services), content)) return false;
  const size_t end = content.find('\n');
  if (end == std::string::npos) return false;
  session.userName = content.substr(0, end);
  session.token = content.substr(end + 1);
  if (!session.token.empty() && session.token.back() == '\n') session.token.pop_back();
  return session.userName == userName && !session.token.empty() &&
         session.token.find_first_of("\n\r/") == std::string::npos;
}

bool WriteSession(const app::Services& services, const ToolSession& session) {
  return paths::WriteFileAtomic(SessionPath(services), session.userName + "\n" + session.token + "\n", 0600);
}

void ForgetSession(const app::Services& services) { std::remove(SessionPath(services).c_str()); }

// ---- the password ----

bool ReadPassword(const std::string& user, std::string& password) {
  if (!::isatty(STDIN_FILENO)) {
    if (!std::getline(std::cin, password)) return false;
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return true;
  }
  return ReadSecretLine(("password for " + ShowableText(user) + ": ").c_str(), password);
}

// ---- login, logout ----

int RunLogin(const Invocation& call) {
  if (call.args.size() != 1) return Fail(call, kExitUsage, "login needs one USER (see kzmousectl login --help)");
  const std::string& nameField = call.args[0];
  // The name is checked before the password is asked for.
  cloud::LoginFields fields;
  std::string problem = cloud::CheckLoginFields(nameField, "-", fields);
  if (!problem.empty()) return Fail(call, kExitUsage, problem);
  std::string password;
  if (!ReadPassword(fields.userName, password) || password.empty())
    return Fail(call, kExitUsage, cloud::text::kEnterNameOrPassword);

  QueueDispatcher dispatcher;
  std::unique_ptr<app::Services> services = MakeToolServices(dispatcher);
  if (!OpenToolStore(call, *services)) return kExitFailure;
  Event uploadQuit{Event::Reset::Manual}, uploadRequest{Event::Reset::Manual}, userAction{Event::Reset::Auto},
      pollQuit{Event::Reset::Manual};
  std::vector<std::string> messages;
  long long score = 0, level = 0;
  cloud::AccountHost host;
  host.message = [&](const std::string& text) { messages.push_back(text); };
  host.showLoggedInPage = [&](const std::string&, long long s, long long l) {
    score = s;
    level = l;
  };
  cloud::SyncEngine engine(*services, {uploadQuit, uploadRequest, userAction, pollQuit}, host);
  cloud::Account account(engine);
  bool finished = false, loggedIn = false;
  if (account.Login(nameField, password, [&](bool shown) {
        finished = true;
        loggedIn = shown;
      }) != cloud::Account::LoginStart::kStarted)
    return Fail(call, kExitUsage, messages.empty() ? "login refused" : messages.front());
  dispatcher.RunUntil([&] { return finished; }, std::chrono::seconds(120));
  for (const std::string& text : messages) *call.err << "kzmousectl: " << text << "\n";
  if (!loggedIn && messages.empty()) return Fail(call, kExitFailure, "the service refused the login without a reason");
  if (!loggedIn) {
    const bool unreachable = !messages.empty() && (messages.front() == cloud::text::kCannotLogIn ||
                                                   messages.front() == cloud::text::kSyncFailedQuit);
    return unreachable ? kExitFailure : kExitUsage;
  }
  const SessionValues values = services->session.Snapshot();
  if (!WriteSession(*services, {values.userName, values.token}))
    *call.err << "kzmousectl: warning: cannot keep the session in " << Quote(SessionPath(*services)) << ": "
              << std::strerror(errno) << "\n";
  *call.out << "logged in as " << Quote(values.userName) << ": 积分：" << score << " 等级：" << level << "\n";
  return kExitOk;
}

int RunLogout(const Invocation& call) {
  if (!call.args.empty()) return Fail(call, kExitUsage, "logout takes no arguments");
  QueueDispatcher dispatcher;
  std::unique_ptr<app::Services> services = MakeToolServices(dispatcher);
  if (!ToolStoreExists(*services) || !paths::FileExists(SessionPath(*services))) {
    *call.out << "nobody is logged in\n";
    return kExitOk;
  }
  ForgetSession(*services);
  *call.out << "logged out\n";
  return kExitOk;
}

// ---- sync status, upload, download ----

struct Logged {
  std::unique_ptr<app::Services> services;
  ToolSession session;
  bool held = false;
};

// The store and the current user's session; false after telling why.
bool OpenLogged(const Invocation& call, QueueDispatcher& dispatcher, Logged& logged) {
  logged.services = MakeToolServices(dispatcher);
  if (!OpenToolStore(call, *logged.services)) return false;
  const std::string user = logged.services->session.UserName();
  logged.held = user != kLocalUserName && ReadSession(*logged.services, user, logged.session);
  return true;
}

long long LocalVersion(app::Services& services) {
  long long version = 0;
  store::Recordset row(services.db);
  if (row.Open("select * from kz_user where user_name=?", {services.session.UserName()}) && row.GetRecordCount() > 0) {
    row.MoveFirst();
    row.GetFieldValue("sync_last", version);
  }
  return version;
}

int Refused(const Invocation& call, Logged& logged) {
  ForgetSession(*logged.services);
  return Fail(call, kExitFailure, cloud::text::kSyncFailed);
}

int NotLoggedIn(const Invocation& call, const std::string& user) {
  return Fail(call, kExitUsage, Quote(user) + " is not logged in (kzmousectl login USER)");
}

int RunStatus(const Invocation& call) {
  if (!call.args.empty()) return Fail(call, kExitUsage, "sync status takes no arguments");
  QueueDispatcher dispatcher;
  Logged logged;
  if (!OpenLogged(call, dispatcher, logged)) return kExitFailure;
  const std::string user = logged.services->session.UserName();
  *call.out << "user: " << ShowableText(user) << "\n"
            << "token: " << (logged.held ? "held" : "none") << "\n"
            << "local version: " << LocalVersion(*logged.services) << "\n";
  if (!logged.held) {
    *call.out << "service version: unknown (not logged in)\n";
    return kExitOk;
  }
  const cloud::VersionAnswer answer = cloud::GetServiceVersion(user, logged.session.token);
  if (answer.outcome == cloud::CallOutcome::kOk) *call.out << "service version: " << answer.version << "\n";
  else if (answer.outcome == cloud::CallOutcome::kRefused) *call.out << "service version: unknown (token refused)\n";
  else *call.out << "service version: unknown (the service cannot be reached)\n";
  return kExitOk;
}

int RunUpload(const Invocation& call) {
  if (!call.args.empty()) return Fail(call, kExitUsage, "sync upload takes no arguments");
  QueueDispatcher dispatcher;
  Logged logged;
  if (!OpenLogged(call, dispatcher, logged)) return kExitFailure;
  app::Services& services = *logged.services;
  const std::string user = services.session.UserName();
  if (!logged.held) return NotLoggedIn(call, user);
  std::string document, problem;
  if (!cloud::BuildSyncDocumentText(services.db, user, document, &problem))
    return Fail(call, kExitFailure, "cannot read the rows of " + Quote(user) + ": " + ShowableText(problem));
  const cloud::UploadAnswer answer = cloud::PostDocument(user, logged.session.token, document);
  if (answer.outcome == cloud::CallOutcome::kNoConnection)
    return Fail(call, kExitFailure, "the service cannot be reached");
  if (answer.outcome == cloud::CallOutcome::kRefused) return Refused(call, logged);
  if (!cloud::StoreSyncVersion(services.db, user, answer.version))
    return Fail(call, kExitFailure, "uploaded, but the version cannot be stored: " + services.db.GetLastErrorString());
  *call.out << "uploaded the data of " << Quote(user) << ": version " << answer.version << "\n";
  return kExitOk;
}

int RunDownload(const Invocation& call) {
  if (!call.args.empty()) return Fail(call, kExitUsage, "sync download takes no arguments");
  QueueDispatcher dispatcher;
  Logged logged;
  if (!OpenLogged(call, dispatcher, logged)) return kExitFailure;
  app::Services& services = *logged.services;
  const std::string user = services.session.UserName();
  if (!logged.held) return NotLoggedIn(call, user);
  const cloud::VersionAnswer version = cloud::GetServiceVersion(user, logged.session.token);
  if (version.outcome == cloud::CallOutcome::kNoConnection)
    return Fail(call, kExitFailure, "the service cannot be reached");
  if (version.outcome == cloud::CallOutcome::kRefused) return Refused(call, logged);
  const cloud::DownloadAnswer answer = cloud::GetDocument(user, logged.session.token);
  if (answer.outcome == cloud::CallOutcome::kNoConnection)
    return Fail(call, kExitFailure, "the service cannot be reached");
  // The token was just taken for the version, so a refusal here is of the copy (none stored yet).
  if (answer.outcome == cloud::CallOutcome::kRefused)
    return Fail(call, kExitFailure, "nothing downloaded: " + ShowableText(answer.message));
  profile::ProfileSession& profiles = services.Profiles();
  int active = profiles.ActiveProfile();
  std::string problem;
  if (!cloud::ApplyDownloadedDocument(services.db, answer.document, user, active, &problem))
    return Fail(call, kExitFailure, "nothing was applied: " + ShowableText(problem));
  cloud::StoreSyncVersion(services.db, user, version.version);
  profiles.SetActiveProfile(active);
  profiles.SelectProfile(active);
  bool written = false;
  profiles.WriteAll([&](bool ok) { written = ok; });
  *call.out << "downloaded the data of " << Quote(user) << ": version " << version.version << ", profile " << active
            << (written ? ", written to the mouse" : ", not written to the mouse (no mouse took it)") << "\n";
  return kExitOk;
}

const bool registered =
    RegisterCommandWithHelp({"login", "USER", "log in on the web service (see login --help)", &RunLogin}, kLoginHelp) &&
    RegisterCommandWithHelp({"logout", "", "forget the tool's session", &RunLogout}, kLogoutHelp) &&
    RegisterAction("sync", {"status", "", "the current user, whether a token is held, local and service versions",
                            &RunStatus}) &&
    RegisterAction("sync", {"upload", "", "send the current user's data to the service now", &RunUpload}) &&
    RegisterAction("sync", {"download", "", "take the service's copy of the data and write it to the mouse",
                            &RunDownload});

}  // namespace
}  // namespace kz::cli
