#pragma once
// Attempts per key (a user name, a client address) within a fixed window that starts with the
// key's first attempt. Past the limit every attempt is refused until that window is over.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace kzsvc {

class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;

  // A limit of 0 lets everything through. `now` is injectable so tests need not wait a minute.
  RateLimiter(unsigned limit, std::chrono::seconds window, Now now = &Clock::now);

  // Counts one attempt for `key`; false when the key has used up its window.
  bool Allow(const std::string& key);
  // Seconds until the key's window is over (0 when it has none running).
  long SecondsLeft(const std::string& key);
  std::size_t TrackedKeys();

 private:
  struct Window {
    Clock::time_point start;
    unsigned count = 0;
  };
  void DropFinished(Clock::time_point now);

  const unsigned limit_;
  const std::chrono::seconds window_;
  const Now now_;
  std::mutex mutex_;
  std::unordered_map<std::string, Window> windows_;
  std::size_t nextSweep_ = 1024;
};

}  // namespace kzsvc
