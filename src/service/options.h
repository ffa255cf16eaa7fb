#pragma once
// The command line of kz-service.
#include <cstdint>
#include <string>
#include <vector>

#include "accounts.h"
#include "service_config.h"

namespace kzsvc {

struct ListenAddress {
  std::string host;
  int port = 0;  // 0: any free port
};

struct ServiceOptions {
  std::string dbPath;  // empty: the default under $XDG_DATA_HOME/kz-service/
  ListenAddress listen{"127.0.0.1", 4777};
  std::string updatesDir;  // empty: no update server
  ListenAddress updateListen{"127.0.0.1", 4778};
  unsigned threads = 16;
  AccountRules rules;
  ServiceConfig config;
  bool help = false;
};

// "HOST:PORT" or "[V6HOST]:PORT", port 0 to 65535.
bool ParseListenAddress(const std::string& text, ListenAddress& out);
// false with `error` set for anything it does not take; the caller prints it and exits with 2.
bool ParseOptions(const std::vector<std::string>& args, ServiceOptions& options, std::string& error);
std::string UsageText();
// $XDG_DATA_HOME/kz-service/kz-service.db, falling back to ~/.local/share as usual.
std::string DefaultDbPath();

}  // namespace kzsvc
