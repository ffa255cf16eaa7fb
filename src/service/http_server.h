#pragma once
// An httplib server set up the way both of the service's servers run: a request thread pool of a
// given size, short keep-alive, bounded bodies and read times, one log line per request, and a
// listen queue deep enough for many clients connecting at once.
#include <httplib.h>

#include <atomic>
#include <string>
#include <thread>

#include "options.h"

namespace kzsvc {

class HttpServer : public httplib::Server {
 public:
  HttpServer(std::string logName, unsigned threads, std::size_t maxBody);
  ~HttpServer() override;

  // Binds the address (port 0: a free one); the bound port, or -1.
  int Bind(const ListenAddress& address);
  // Serves on a thread of its own until Stop().
  void Start();
  void Stop();

 private:
  std::string logName_;
  std::thread thread_;
  std::atomic<bool> finished_{false};
};

}  // namespace kzsvc
