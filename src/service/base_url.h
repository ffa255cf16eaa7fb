#pragma once
// The service's own address as the caller sees it, for the links the API hands out.
#include <httplib.h>

#include <string>

namespace kzsvc {

// `configured` when set; else "http://" + the request's Host header when that is a plain
// host[:port] (a Host with anything else in it is ignored, so it cannot inject into the link);
// else the local address the connection reached. Ends in "/".
std::string BaseUrl(const httplib::Request& req, const std::string& configured);
// "http://host:port/" for a listen address (IPv6 hosts in brackets).
std::string UrlOf(const std::string& host, int port);

}  // namespace kzsvc
