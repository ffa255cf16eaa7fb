#include "base_url.h"

#include <regex>

namespace kzsvc {

std::string UrlOf(const std::string& host, int port) {
  const bool v6 = host.find(':') != std::string::npos;
  return "http://" + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
}

std::string BaseUrl(const httplib::Request& req, const std::string& configured) {
  if (!configured.empty()) return configured;
  static const std::regex kPlainHost(R"(([A-Za-z0-9.\-]{1,253}|\[[0-9A-Fa-f:.]{2,45}\])(:[0-9]{1,5})?)");
  const std::string host = req.get_header_value("Host");
  if (std::regex_match(host, kPlainHost)) return "http://" + host + "/";
  return UrlOf(req.local_addr, req.local_port);
}

}  // namespace kzsvc
