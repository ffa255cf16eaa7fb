#pragma once
// A signal between threads with the two reset kinds the sync threads rely on: a manual-reset event
// stays set until Reset; an auto-reset event lets exactly one waiter through and clears itself.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kz {

class Event {
 public:
  enum class Reset { Manual, Auto };
  explicit Event(Reset kind) : kind_(kind) {}

  void Set() {
    {
      std::lock_guard lock(mutex_);
      set_ = true;
    }
    if (kind_ == Reset::Manual)
      changed_.notify_all();
    else
      changed_.notify_one();
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    set_ = false;
  }
  bool IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
  }
  // True when the event was (or became) set within `timeout`; an auto-reset event is cleared then.
  bool Wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [this] { return set_; })) return false;
    if (kind_ == Reset::Auto) set_ = false;
    return true;
  }

 private:
  const Reset kind_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool set_ = false;
};

}  // namespace kz
