#pragma once
// The device reader: one thread that asks the mouse for its state ("03F9"), then reads reports until
// the connection ends, and hands every status report to a callback.
//
// The callbacks run on the reader thread. They must not touch pages or the database; the window
// program hands the report to its user-interface thread. Neither callback may call Start or Join.
//
// Stopping is cooperative: Stop closes the HID connection, which makes the blocked read return 0,
// and the thread ends on its own. The reader also ends by itself when a read returns 0 or an error
// (the mouse was unplugged); it always closes the connection as it ends, so the next sender or
// reader opens it afresh.
#include "device/status_report.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kz::device {

class DeviceReader {
 public:
  using StatusCallback = std::function<void(const StatusReport& report)>;
  using EndCallback = std::function<void()>;

  explicit DeviceReader(StatusCallback onStatus, EndCallback onEnd = {});
  ~DeviceReader();  // stops and joins
  DeviceReader(const DeviceReader&) = delete;
  DeviceReader& operator=(const DeviceReader&) = delete;

  // Starts the thread; false (and nothing started) while one is running.
  bool Start();
  bool IsRunning() const;
  // Asks the running thread to end by closing the connection; returns at once.
  void Stop();
  // Waits for the thread to end (after Stop, or after it ended by itself).
  void Join();

 private:
  void Run();

  StatusCallback onStatus_;
  EndCallback onEnd_;
  mutable std::mutex mutex_;  // guards thread_, stopping_, running_
  std::condition_variable ended_;
  std::thread thread_;
  bool stopping_ = false;
  bool running_ = false;
};

}  // namespace kz::device
