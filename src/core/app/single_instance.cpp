#include "app/single_instance.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "base/paths.h"

namespace kz::app {
namespace {

constexpr const char* kShowRequest = "show\n";

bool SocketAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size());
  return true;
}

int gTerminationPipe[2] = {-1, -1};

void OnTermination(int) {
  int saved = errno;
  char byte = 1;
  ssize_t ignored = ::write(gTerminationPipe[1], &byte, 1);
  (void)ignored;
  errno = saved;
}

}  // namespace

SingleInstance::SingleInstance(std::string dir) : dir_(std::move(dir)) {}

SingleInstance::~SingleInstance() {
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    ::unlink((dir_ + "kzMouse.sock").c_str());
  }
  if (lockFd_ >= 0) ::close(lockFd_);
}

bool SingleInstance::TryAcquire() {
  paths::MakeDirs(dir_, 0700);
  lockFd_ = ::open((dir_ + "kzMouse.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) return true;  // without a usable lock folder we cannot tell; run rather than refuse
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(lockFd_);
    lockFd_ = -1;
    return false;
  }
  return true;
}

bool SingleInstance::Listen() {
  if (lockFd_ < 0 || listenFd_ >= 0) return listenFd_ >= 0;
  // The lock is ours, so any socket file left there is stale.
  std::string socketPath = dir_ + "kzMouse.sock";
  ::unlink(socketPath.c_str());
  sockaddr_un address;
  if (!SocketAddress(socketPath, address)) return false;
  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listenFd_ >= 0 && (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
                         ::listen(listenFd_, 4) != 0)) {
    ::close(listenFd_);
    listenFd_ = -1;
  }
  return listenFd_ >= 0;
}

bool SingleInstance::TakeShowRequest() {
  if (listenFd_ < 0) return false;
  int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0) return false;
  // The asker writes its request right after connecting; a short wait keeps a silent peer from
  // blocking the window.
  timeval timeout{1, 0};
  ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  char buffer[16] = {};
  ssize_t n = ::recv(client, buffer, sizeof buffer - 1, 0);
  ::close(client);
  return n > 0 && std::strncmp(buffer, kShowRequest, std::strlen(kShowRequest)) == 0;
}

bool SingleInstance::AskFirstToShow(const std::string& dir) {
  sockaddr_un address;
  if (!SocketAddress(dir + "kzMouse.sock", address)) return false;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::send(fd, kShowRequest, std::strlen(kShowRequest), MSG_NOSIGNAL) > 0;
  ::close(fd);
  return ok;
}

int InstallTerminationPipe() {
  if (gTerminationPipe[0] >= 0) return gTerminationPipe[0];
  if (::pipe2(gTerminationPipe, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  struct sigaction action {};
  action.sa_handler = OnTermination;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  // A closed terminal (SIGHUP) and Ctrl+\ (SIGQUIT) would otherwise end the program before the
  // shutdown writes the user and profile back, and SIGQUIT would leave a core dump besides.
  for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) ::sigaction(signal, &action, nullptr);
  return gTerminationPipe[0];
}

}  // namespace kz::app
