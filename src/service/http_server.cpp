#include "http_server.h"

#include <sys/socket.h>

#include <cstdio>

#include "request_log.h"

namespace kzsvc {
namespace {

// The library's own queue is 5 deep; 200 clients polling at once would overflow it and wait for
// SYN retries. Linux takes a second listen() on a listening socket as a new queue length.
constexpr int kListenBacklog = 512;

}  // namespace

HttpServer::HttpServer(std::string logName, unsigned threads, std::size_t maxBody) : logName_(std::move(logName)) {
  new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  // The library's default adds SO_REUSEPORT, which would let a second process bind the same
  // port and take part of the traffic; only SO_REUSEADDR (a quick restart) is wanted.
  set_socket_options([](socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  // A client that opens a connection and goes quiet holds a thread: kept short.
  set_keep_alive_timeout(2);
  set_keep_alive_max_count(100);
  set_read_timeout(10, 0);
  set_write_timeout(10, 0);
  set_payload_max_length(maxBody);
  set_logger([this](const httplib::Request& req, const httplib::Response& res) { LogRequest(logName_, req, res); });
  set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
    try {
      if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kz-service: request failed: %s\n", e.what());
    } catch (...) {
      std::fprintf(stderr, "kz-service: request failed\n");
    }
    res.status = 500;
    res.set_content("Internal Server Error\n", "text/plain; charset=utf-8");
  });
}

HttpServer::~HttpServer() { Stop(); }

int HttpServer::Bind(const ListenAddress& address) {
  int port = address.port;
  if (port == 0) {
    port = bind_to_any_port(address.host);
    if (port <= 0) return -1;
  } else if (!bind_to_port(address.host, port)) {
    return -1;
  }
  ::listen(svr_sock_, kListenBacklog);
  return port;
}

void HttpServer::Start() {
  thread_ = std::thread([this] {
    listen_after_bind();
    finished_ = true;
  });
}

void HttpServer::Stop() {
  if (!thread_.joinable()) return;
  // stop() does nothing before the thread has started listening, so that is waited for first.
  while (!is_running() && !finished_) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  if (!finished_) stop();
  thread_.join();
}

}  // namespace kzsvc
