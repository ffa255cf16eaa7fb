#pragma once
// One line per request on stderr: time, client, method, path, status, body size. Session tokens
// in paths are cut to their first characters: a log must not hand out live sessions.
#include <httplib.h>

#include <string>

namespace kzsvc {

std::string RedactPath(const std::string& path);
std::string LogLine(const std::string& server, const httplib::Request& req, const httplib::Response& res);
void LogRequest(const std::string& server, const httplib::Request& req, const httplib::Response& res);

}  // namespace kzsvc
