#pragma once
// How the sync threads reach the thread that owns the database and the pages. A task handed to
// the queue runs on that thread: in its event loop through the dispatcher, or inside Pump while
// the owner waits for the threads at shutdown (when its event loop no longer turns), so a thread
// that waits for the owner's answer is never left waiting for a loop that has stopped. After
// Close nothing runs any more and every waiting Call returns false.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "base/dispatcher.h"

namespace kz::cloud {

class OwnerQueue {
 public:
  explicit OwnerQueue(Dispatcher& dispatcher);
  ~OwnerQueue();
  OwnerQueue(const OwnerQueue&) = delete;
  OwnerQueue& operator=(const OwnerQueue&) = delete;

  // Any thread: runs `task` on the owner's thread later, in the order handed over. Dropped once
  // the queue is closed.
  void Post(std::function<void()> task);
  // A worker thread: runs `task` on the owner's thread and waits for it. False when the queue was
  // closed before the task ran (it then never runs). On the owner's thread it runs at once.
  bool Call(const std::function<void()>& task);
  // Wakes a Pump so that it looks at its condition again.
  void Notify();

  // The owner's thread: runs what is queued (not again while it is already running them, so a
  // message box opened by one task does not run the next inside it). How many ran.
  int RunPending();
  // The owner's thread: runs handed-over tasks until `done` holds or `timeout` has passed; true
  // when `done` holds.
  bool Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // The owner's thread: nothing runs any more; waiting Calls return false.
  void Close();
  bool Closed() const;

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void()>> tasks;
    bool closed = false;
    bool running = false;
  };
  static int Drain(State& state);

  Dispatcher& dispatcher_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace kz::cloud
