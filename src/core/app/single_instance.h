#pragma once
// One running copy per user: the first start holds a lock file and listens on a local socket; a
// later start finds the lock taken, asks the first one to show its window, and ends.
#include <string>

namespace kz::app {

class SingleInstance {
 public:
  // `dir` ends in "/": the lock "kzMouse.lock" and the socket "kzMouse.sock" live there. When the
  // socket's path does not fit a socket address (107 bytes), the socket is an abstract one whose
  // name is made from that path and the user id, so every start still finds the same one.
  explicit SingleInstance(std::string dir);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process is the first copy. False either because another copy holds the lock
  // (Problem() is then empty) or because the lock could not be used at all (Problem() says why:
  // no folder, a link or special file at the lock's path, a lock file of another user).
  bool TryAcquire();
  std::string Problem() const { return problem_; }
  // Starts taking show requests; called once the window exists, so a start that comes while the
  // first copy is still starting finds nobody to ask and simply ends.
  bool Listen();
  // The listening socket (non-blocking) to watch for readability, or -1.
  int ListenFd() const { return listenFd_; }
  // Takes one waiting request; true when it asked for the window to be shown.
  bool TakeShowRequest();

  // Asks the running copy to show its window. False when none answers.
  static bool AskFirstToShow(const std::string& dir);

 private:
  std::string dir_;
  std::string problem_;
  int lockFd_ = -1;
  int listenFd_ = -1;
};

// A pipe that becomes readable when SIGTERM, SIGINT, SIGHUP or SIGQUIT arrives, so the window
// program closes the way its quit button does (user and profile written back, socket removed)
// whether it is stopped, interrupted or loses its terminal. Returns the read end (installed once
// per process).
int InstallTerminationPipe();

}  // namespace kz::app
