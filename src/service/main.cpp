// kz-service: the web service kzMouse talks to. See UsageText() in options.cpp.
#include <pthread.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <json/json.h>

#include "account_pages.h"
#include "api_routes.h"
#include "base_url.h"
#include "http_server.h"
#include "messages.h"
#include "options.h"
#include "page_html.h"
#include "store.h"
#include "update_files.h"

namespace {

// Creates the missing folders of `dir` (mode 0700); existing ones are left as they are.
bool MakeFolders(const std::string& dir, std::string& error) {
  for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
    if (pos != dir.size() && dir[pos] != '/') continue;
    const std::string part = dir.substr(0, pos);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      error = "cannot create " + part + ": " + std::strerror(errno);
      return false;
    }
  }
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = dir + " is not a folder";
    return false;
  }
  return true;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "kz-service: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  kzsvc::ServiceOptions options;
  std::string error;
  if (!kzsvc::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "kz-service: %s\nTry \"kz-service --help\".\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(kzsvc::UsageText().c_str(), stdout);
    return 0;
  }

  const bool defaultDb = options.dbPath.empty();
  const std::string dbPath = defaultDb ? kzsvc::DefaultDbPath() : options.dbPath;
  if (!MakeFolders(ParentOf(dbPath), error)) return Fail(error);
  // The default folder is the service's own: tightened when found wider.
  if (defaultDb) ::chmod(ParentOf(dbPath).c_str(), 0700);

  // The signals are taken by sigwait() below, so every thread started from here on has them
  // blocked and none is interrupted in the middle of a write.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  kzsvc::Store store;
  if (!store.Open(dbPath, error)) return Fail(error);
  kzsvc::Accounts accounts(store, options.rules);

  // Percent-encoding can triple a document on the wire.
  const std::size_t maxBody = options.config.maxDocument * 3 + 64 * 1024;
  kzsvc::HttpServer api("api", options.threads, maxBody);
  kzsvc::AddApiRoutes(api, accounts, store, options.config);
  kzsvc::AddAccountPages(api, accounts);
  api.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
    if (!res.body.empty()) return;
    if (req.path.rfind("/api/", 0) == 0) {
      Json::Value envelope(Json::objectValue);
      const bool tooLarge = res.status == 413;
      const bool upload = req.path.rfind("/api/set/", 0) == 0;
      envelope["result"] = static_cast<int>(tooLarge && upload ? kzsvc::Refusal::BadDocument : kzsvc::Refusal::BadInput);
      envelope["message"] = !tooLarge ? "HTTP " + std::to_string(res.status)
                            : upload  ? kzsvc::msg::kDocumentTooLarge
                                      : kzsvc::msg::kRequestTooLarge;
      Json::StreamWriterBuilder builder;
      builder["indentation"] = "";
      res.set_content(Json::writeString(builder, envelope), "application/json; charset=utf-8");
    } else if (res.status == 404) {
      res.set_content(kzsvc::html::NotFound(), "text/html; charset=utf-8");
    }
  });
  const int apiPort = api.Bind(options.listen);
  if (apiPort < 0) {
    return Fail("cannot listen on " + options.listen.host + ":" + std::to_string(options.listen.port));
  }

  std::unique_ptr<kzsvc::UpdateFiles> files;
  std::unique_ptr<kzsvc::HttpServer> updates;
  int updatePort = -1;
  if (!options.updatesDir.empty()) {
    files = std::make_unique<kzsvc::UpdateFiles>(options.updatesDir);
    if (!files->valid()) return Fail("--updates: " + options.updatesDir + " is not a folder that can be served");
    // Requests to it carry no body.
    updates = std::make_unique<kzsvc::HttpServer>("update", options.threads, 64 * 1024);
    files->AddRoutes(*updates);
    updatePort = updates->Bind(options.updateListen);
    if (updatePort < 0) {
      return Fail("cannot listen on " + options.updateListen.host + ":" + std::to_string(options.updateListen.port));
    }
  }

  api.Start();
  if (updates) updates->Start();
  std::printf("listening on %s\n", kzsvc::UrlOf(options.listen.host, apiPort).c_str());
  if (updates) {
    std::printf("update server on %s (%s)\n", kzsvc::UrlOf(options.updateListen.host, updatePort).c_str(),
                files->root().c_str());
  }
  std::fflush(stdout);
  std::fprintf(stderr, "kz-service: database %s\n", dbPath.c_str());

  int signal = 0;
  while (sigwait(&stopSignals, &signal) != 0) {
  }
  std::fprintf(stderr, "kz-service: stopping (%s)\n", signal == SIGTERM ? "SIGTERM" : "SIGINT");
  // Requests under way finish first; every stored document was committed when it was answered.
  if (updates) updates->Stop();
  api.Stop();
  return 0;
}
