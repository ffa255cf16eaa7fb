#include "request_log.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace kzsvc {
namespace {

constexpr std::size_t kTokenShown = 6;

// Control characters of a path would forge log lines; they are written as \xNN.
std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

std::string RedactPath(const std::string& path) {
  for (const char* prefix : {"/api/set/", "/api/get_version/", "/api/get/"}) {
    const std::string p(prefix);
    if (path.compare(0, p.size(), p) != 0) continue;
    const std::string rest = path.substr(p.size());
    if (rest.size() <= kTokenShown) return path;
    return p + rest.substr(0, kTokenShown) + "...";
  }
  return path;
}

std::string LogLine(const std::string& server, const httplib::Request& req, const httplib::Response& res) {
  char when[32];
  const std::time_t now = std::time(nullptr);
  std::tm utc {};
  gmtime_r(&now, &utc);
  std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(when) + " " + server + " " + req.remote_addr + " " + Printable(req.method) + " " +
         Printable(RedactPath(req.path)) + " " + std::to_string(res.status) + " " + std::to_string(res.body.empty() ? res.content_length_ : res.body.size());
}

void LogRequest(const std::string& server, const httplib::Request& req, const httplib::Response& res) {
  static std::mutex mutex;
  const std::string line = LogLine(server, req, res) + "\n";
  std::lock_guard<std::mutex> lock(mutex);
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace kzsvc
