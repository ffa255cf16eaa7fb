#include "options.h"

#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <limits>

#include "secret_hash.h"

namespace kzsvc {
namespace {

template <typename T>
bool ParseNumber(const std::string& text, T min, T max, T& out) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min || value > max) return false;
  out = value;
  return true;
}

std::string HomeDir() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  const passwd* pw = ::getpwuid(::getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "";
}

}  // namespace

bool ParseListenAddress(const std::string& text, ListenAddress& out) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  std::string host = text.substr(0, colon);
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string::npos) {
    return false;  // an IPv6 address needs its brackets
  }
  int port = 0;
  if (!ParseNumber(text.substr(colon + 1), 0, 65535, port)) return false;
  out = ListenAddress{host, port};
  return true;
}

std::string DefaultDbPath() {
  const char* data = std::getenv("XDG_DATA_HOME");
  // A relative XDG path is to be ignored, as the XDG rules say.
  const std::string base = data && data[0] == '/' ? std::string(data) : HomeDir() + "/.local/share";
  return base + "/kz-service/kz-service.db";
}

std::string UsageText() {
  return "Usage: kz-service [OPTION]...\n"
         "The web service of kzMouse: accounts, sync documents, sign-up and password pages, and\n"
         "optionally the update server.\n"
         "\n"
         "  --db FILE                 database file (default $XDG_DATA_HOME/kz-service/kz-service.db)\n"
         "  --listen HOST:PORT        API and pages (default 127.0.0.1:4777; port 0: any free port)\n"
         "  --updates DIR             also serve the files of DIR as the update server\n"
         "  --update-listen HOST:PORT address of the update server (default 127.0.0.1:4778)\n"
         "  --token-lifetime SECONDS  how long a login stays valid (default 2592000, 30 days)\n"
         "  --login-limit N           attempts a minute per user name and per client address\n"
         "                            (log-in, recovery, sign-up; default 10, 0: no limit)\n"
         "  --hash-iterations N       PBKDF2 rounds for new password hashes (default 200000)\n"
         "  --max-document BYTES      largest sync document taken (default 16777216)\n"
         "  --public-url URL          address announced for the pages (default: as reached)\n"
         "  --threads N               request threads per server (default 16)\n"
         "  --help                    this text\n"
         "\n"
         "Prints \"listening on URL\" (and \"update server on URL\") when ready; one log line per\n"
         "request goes to stderr. SIGTERM or SIGINT stop it (exit code 0).\n";
}

bool ParseOptions(const std::vector<std::string>& args, ServiceOptions& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool hasValue = false;
    if (const std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      hasValue = true;
    }
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    static const char* const kWithValue[] = {"--db",          "--listen",         "--updates",
                                             "--update-listen", "--token-lifetime", "--login-limit",
                                             "--hash-iterations", "--max-document", "--public-url",
                                             "--threads"};
    bool known = false;
    for (const char* n : kWithValue) known = known || name == n;
    if (!known) {
      error = "unknown option: " + args[i];
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    bool ok = true;
    if (name == "--db") {
      ok = !value.empty();
      options.dbPath = value;
    } else if (name == "--listen") {
      ok = ParseListenAddress(value, options.listen);
    } else if (name == "--updates") {
      ok = !value.empty();
      options.updatesDir = value;
    } else if (name == "--update-listen") {
      ok = ParseListenAddress(value, options.updateListen);
    } else if (name == "--token-lifetime") {
      // Up to about a hundred years; beyond that the expiry sum could overflow.
      ok = ParseNumber<std::int64_t>(value, 1, 100LL * 366 * 24 * 3600, options.rules.tokenLifetime);
    } else if (name == "--login-limit") {
      ok = ParseNumber<unsigned>(value, 0, 1000000, options.rules.attemptsPerMinute);
    } else if (name == "--hash-iterations") {
      ok = ParseNumber<unsigned>(value, kMinHashIterations, kMaxHashIterations, options.rules.hashIterations);
    } else if (name == "--max-document") {
      ok = ParseNumber<std::size_t>(value, 1, std::size_t(1) << 30, options.config.maxDocument);
    } else if (name == "--public-url") {
      ok = (value.rfind("http://", 0) == 0 || value.rfind("https://", 0) == 0) && value.back() == '/' &&
           value.find_first_of(" \t\r\n\"<>") == std::string::npos;
      options.config.publicUrl = value;
    } else if (name == "--threads") {
      ok = ParseNumber<unsigned>(value, 1, 1024, options.threads);
    }
    if (!ok) {
      error = "bad value for " + name + ": \"" + value + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace kzsvc
