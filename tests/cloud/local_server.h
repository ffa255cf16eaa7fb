#pragma once
// An HTTP server on a free loopback port for the client's protocol tests, and a listener that
// takes connections but never answers.
#include <httplib.h>

#include <string>
#include <thread>

namespace kztest {

class LocalServer {
 public:
  // Routes are added to server() before Start.
  LocalServer() = default;
  ~LocalServer() { Stop(); }
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  httplib::Server& server() { return server_; }
  // Binds 127.0.0.1 on a port the system picks and serves on a thread; false when it cannot.
  bool Start();
  void Stop();
  // "http://127.0.0.1:PORT/".
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = -1;
};

// A socket that listens on a free loopback port and never accepts: connecting works (the system
// completes it), but nothing is ever read or answered.
class SilentListener {
 public:
  SilentListener();
  ~SilentListener();
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;
  bool ok() const { return port_ > 0; }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

 private:
  int fd_ = -1;
  int port_ = -1;
};

}  // namespace kztest
