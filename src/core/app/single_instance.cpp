#include "app/single_instance.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "base/paths.h"

namespace kz::app {
namespace {

constexpr const char* kShowRequest = "show\n";

// The length to hand to bind and connect with the address.
using AddressLength = socklen_t;

// A path that fits goes into the address as it is. A longer one (a deep runtime or data folder)
// becomes a name in the abstract namespace: no file, so no length limit of its own, and derived
// from the full path and the user id so that every start of this user with this folder, and only
// those, meet on it. Anyone may bind an abstract name, hence the peer checks below.
AddressLength SocketAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() < sizeof address.sun_path) {
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return sizeof address;
  }
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a: the same in every build and process
  for (unsigned char c : path) hash = (hash ^ c) * 1099511628211ull;
  char name[64];
  int length = std::snprintf(name, sizeof name, "kzMouse-%016llx-%u", static_cast<unsigned long long>(hash),
                             static_cast<unsigned>(::geteuid()));
  std::memcpy(address.sun_path + 1, name, static_cast<size_t>(length));  // sun_path[0] stays '\0'
  return static_cast<AddressLength>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(length));
}

bool IsAbstract(const sockaddr_un& address) { return address.sun_path[0] == '\0'; }

// Only this user's own starts may ask, and a start only asks a copy of this user.
bool PeerIsThisUser(int fd) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
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
    sockaddr_un address;
    SocketAddress(dir_ + "kzMouse.sock", address);
    if (!IsAbstract(address)) ::unlink((dir_ + "kzMouse.sock").c_str());
  }
  if (lockFd_ >= 0) ::close(lockFd_);
}

bool SingleInstance::TryAcquire() {
  problem_.clear();
  // Running anyway when the lock cannot be used would let every start run, and ending quietly
  // would look like a program that does not start: either way the user must hear why.
  if (dir_.empty()) {
    problem_ = "cannot take the single-instance lock: " + paths::NoHomeText();
    return false;
  }
  std::string why;
  if (!paths::MakeOwnDir(dir_, &why)) {
    problem_ = "cannot take the single-instance lock: " + why;
    return false;
  }
  const std::string path = dir_ + "kzMouse.lock";
  lockFd_ = paths::OpenOwnFile(path, O_RDWR | O_CREAT, 0600, &why);
  if (lockFd_ < 0) {
    problem_ = "cannot take the single-instance lock: " + path + " " + why;
    return false;
  }
  struct stat st{};
  if (::fstat(lockFd_, &st) != 0 || st.st_uid != ::geteuid()) {
    // Someone else's file could be held by them for ever, keeping this user's program from starting.
    problem_ = "cannot take the single-instance lock: " + path + " belongs to user " + std::to_string(st.st_uid);
    ::close(lockFd_);
    lockFd_ = -1;
    return false;
  }
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    ::close(lockFd_);
    lockFd_ = -1;
    if (error != EWOULDBLOCK) problem_ = "cannot take the single-instance lock: " + path + ": " + std::strerror(error);
    return false;
  }
  return true;
}

bool SingleInstance::Listen() {
  if (lockFd_ < 0 || listenFd_ >= 0) return listenFd_ >= 0;
  std::string socketPath = dir_ + "kzMouse.sock";
  sockaddr_un address;
  AddressLength length = SocketAddress(socketPath, address);
  // The lock is ours, so any socket file left there is stale.
  if (!IsAbstract(address)) ::unlink(socketPath.c_str());
  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listenFd_ >= 0 && (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
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
  if (!PeerIsThisUser(client)) {
    ::close(client);
    return false;
  }
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
  if (dir.empty()) return false;
  sockaddr_un address;
  AddressLength length = SocketAddress(dir + "kzMouse.sock", address);
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 && PeerIsThisUser(fd) &&
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
