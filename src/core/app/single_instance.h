#pragma once
// One running copy per user: the first start holds a lock file and listens on a local socket; a
// later start finds the lock taken, asks the first one to show its window, and ends.
#include <string>

namespace kz::app {

class SingleInstance {
 public:
  // `dir` ends in "/": the lock "kzMouse.lock" and the socket "kzMouse.sock" live there.
  explicit SingleInstance(std::string dir);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process is the first copy.
  bool TryAcquire();
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
  int lockFd_ = -1;
  int listenFd_ = -1;
};

// A pipe that becomes readable when SIGTERM, SIGINT, SIGHUP or SIGQUIT arrives, so the window
// program closes the way its quit button does (user and profile written back, socket removed)
// whether it is stopped, interrupted or loses its terminal. Returns the read end (installed once
// per process).
int InstallTerminationPipe();

}  // namespace kz::app
