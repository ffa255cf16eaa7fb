#pragma once
// Hands work to the thread that owns the window (or, in the command-line tool and the tests, the
// one thread that owns the database and the models). Worker threads never touch pages, models or
// the database themselves: they post a task, and the owning thread runs it in its own time.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kz {

class Dispatcher {
 public:
  virtual ~Dispatcher() = default;
  // Runs `task` later on the owning thread, in the order posted. Safe from any thread.
  virtual void Post(std::function<void()> task) = 0;
  bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

 protected:
  // The constructing thread is the owner.
  Dispatcher() : owner_(std::this_thread::get_id()) {}

 private:
  const std::thread::id owner_;
};

// A queue that the owning thread empties when it chooses to (the command-line tool, tests).
class QueueDispatcher : public Dispatcher {
 public:
  void Post(std::function<void()> task) override;
  // Runs every task that is queued, including those posted while running; returns how many ran.
  int RunPending();
  // Runs tasks until `done` holds or `timeout` has passed; true when `done` holds.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace kz
