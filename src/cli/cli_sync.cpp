// The sync commands of kzmousectl: the current user's whole data set as the sync document the
// window program uploads, written to a file or read back from one, so that it can be backed up
// and restored without a web account.
#include "cli_commands.h"
#include "cli_store.h"

#include "base/paths.h"
#include "cloud/sync_document.h"
#include "store/database.h"

#include <cerrno>
#include <cstring>
#include <ostream>
#include <sys/stat.h>

namespace kz::cli {
namespace {

constexpr const char* kUsage =
    "usage: kzmousectl sync export [FILE]\n"
    "       kzmousectl sync import FILE [--any-user]\n"
    "The sync document is the current user's whole data set as the JSON text the window program\n"
    "uploads: the user's kz_user row (without the password), the five profiles, the macro sets,\n"
    "the macros and the honors, every value as a text.\n"
    "export writes it to FILE (made with mode 0600 and replaced whole, never left half-written)\n"
    "or, without FILE, to standard output.\n"
    "import replaces the current user's rows with those of FILE, all of them or, when anything in\n"
    "it is refused, none: the rows stay as they were. It takes what export wrote and a document\n"
    "downloaded from the service, which names its user in \"kz_user\" \"user_name\"; a document\n"
    "of another user is refused unless --any-user is given. The local password stays as it is.\n"
    "The current user is the one the window program last ran as (CommonUser at first).\n"
    "Exit codes: 0 done, 1 failure (no database to export, a file or the database cannot be read\n"
    "or written), 2 refused (a bad argument, a file that is not a sync document, a document of\n"
    "another user; nothing was changed).";

// Far above any real document (the service takes 16 MiB); a bigger file is no sync document.
constexpr off_t kMaxDocumentBytes = 64 * 1024 * 1024;

int Usage(const Invocation& call, const std::string& problem) {
  return Fail(call, kExitUsage, problem + " (see kzmousectl sync --help)");
}

std::string Quote(const std::string& text) { return "\"" + ShowableText(text) + "\""; }

int Export(const Invocation& call, const std::vector<std::string>& args) {
  if (args.size() > 1) return Usage(call, "sync export takes at most one FILE");
  QueueDispatcher dispatcher;
  std::unique_ptr<app::Services> services = MakeToolServices(dispatcher);
  // Exporting makes no database: without one there is nothing to back up.
  if (!ToolStoreExists(*services))
    return Fail(call, kExitFailure, "no database in " + ShowableText(services->values.dataDir) + ": nothing to export");
  if (!OpenToolStore(call, *services)) return kExitFailure;
  const std::string user = services->session.UserName();
  std::string text, problem;
  if (!cloud::BuildSyncDocumentText(services->db, user, text, &problem))
    return Fail(call, kExitFailure, "cannot read the rows of " + Quote(user) + ": " + problem);
  if (args.empty()) {
    *call.out << text << std::flush;
    return call.out->good() ? kExitOk : Fail(call, kExitFailure, "cannot write to standard output");
  }
  const std::string& path = args[0];
  std::string why;
  if (!paths::MayReplaceOwnFile(path, &why)) return Fail(call, kExitFailure, Quote(path) + " " + why);
  if (!paths::WriteFileAtomic(path, text, 0600))
    return Fail(call, kExitFailure, "cannot write " + Quote(path) + ": " + std::strerror(errno));
  *call.out << "exported the data of " << Quote(user) << " to " << Quote(path) << "\n";
  return kExitOk;
}

int Count(const Json::Value& document, const char* key) {
  const Json::Value& rows = document[key];
  return rows.isArray() ? static_cast<int>(rows.size()) : 0;
}

int Import(const Invocation& call, std::vector<std::string> args) {
  const bool anyUser = TakeFlag(args, "--any-user");
  if (args.size() != 1) return Usage(call, "sync import needs one FILE");
  const std::string& path = args[0];
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return Fail(call, kExitFailure, "cannot read " + Quote(path) + ": " + std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return Fail(call, kExitFailure, "cannot read " + Quote(path) + ": not a regular file");
  if (st.st_size > kMaxDocumentBytes)
    return Fail(call, kExitUsage, Quote(path) + " is not a sync document: it is larger than any can be");
  std::string text;
  if (!paths::ReadFile(path, text))
    return Fail(call, kExitFailure, "cannot read " + Quote(path) + ": " + std::strerror(errno));
  Json::Value document;
  std::string problem;
  if (!cloud::ParseSyncDocument(text, document, &problem))
    return Fail(call, kExitUsage, Quote(path) + " is " + problem);
  if (!document.isMember(cloud::kDocumentUser) || !document[cloud::kDocumentUser].isObject())
    return Fail(call, kExitUsage, Quote(path) + " is not a sync document: it has no kz_user object");

  QueueDispatcher dispatcher;
  std::unique_ptr<app::Services> services = MakeToolServices(dispatcher);
  if (!OpenToolStore(call, *services)) return kExitFailure;
  const std::string user = services->session.UserName();
  const std::string named = cloud::DocumentUserName(document);
  if (!named.empty() && named != user && !anyUser)
    return Fail(call, kExitUsage,
                Quote(path) + " holds the data of " + Quote(named) + ", but the current user is " + Quote(user) +
                    " (--any-user imports it as " + Quote(user) + "'s)");
  if (!cloud::ApplySyncDocumentTo(services->db, document, user, &problem))
    return Fail(call, kExitUsage, "nothing was imported: " + ShowableText(problem));
  *call.out << "imported " << Quote(path) << " as the data of " << Quote(user) << ": " << Count(document, "main")
            << " profiles, " << Count(document, "macro_set") << " macro sets, "
            << Count(document, "macro_set_detail") << " macros, " << Count(document, "kz_honor") << " honors\n";
  return kExitOk;
}

int RunSync(const Invocation& call) {
  std::vector<std::string> args = call.args;
  if (args.empty()) return Usage(call, "sync needs an action: export or import");
  const std::string action = args.front();
  args.erase(args.begin());
  if (action == "export") return Export(call, args);
  if (action == "import") return Import(call, args);
  return Usage(call, "unknown sync action " + Quote(action));
}

const bool registered = RegisterCommandWithHelp(
    {"sync", "export [FILE]|import FILE", "back up or restore the current user's data (see sync --help)", &RunSync},
    kUsage);

}  // namespace
}  // namespace kz::cli
