#pragma once
// Notices the mouse being plugged in while the program runs.
//
// Start() opens a libudev monitor (or, when the current backend is the simulated mouse, listens to
// the simulator's Plug). Fd() is readable while events wait: a window program watches it with a
// socket notifier and calls ProcessPendingEvents(), which reads every waiting event without
// blocking and calls the callback once per arrival of the mouse (after the log line "mouse insert").
// Only arrivals count; removals and other devices are read and dropped. The callback runs on the
// thread that calls ProcessPendingEvents.
#include <functional>
#include <memory>
#include <string>

struct udev;
struct udev_monitor;

namespace kz::device {

class SimulatedMouse;

class ArrivalMonitor {
 public:
  using Callback = std::function<void(const std::string& identifier)>;

  explicit ArrivalMonitor(Callback onMouseArrival);
  ~ArrivalMonitor();
  ArrivalMonitor(const ArrivalMonitor&) = delete;
  ArrivalMonitor& operator=(const ArrivalMonitor&) = delete;

  // False when no monitor could be made; the presence test at start-up still finds the mouse.
  bool Start();
  int Fd() const;  // -1 before a successful Start
  // Handles every waiting event; returns the number of arrivals of the mouse.
  int ProcessPendingEvents();
  // Waits up to `timeoutMs` for Fd() to become readable (-1: without limit); true when it is.
  bool WaitForEvents(int timeoutMs) const;

 private:
  struct SimulatedSource;
  int ProcessUdev();
  int ProcessSimulated();
  void Arrived(const std::string& identifier);

  Callback onMouseArrival_;
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  std::shared_ptr<SimulatedSource> simulated_;
};

}  // namespace kz::device
