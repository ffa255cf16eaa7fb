#include "rate_limiter.h"

namespace kzsvc {

RateLimiter::RateLimiter(unsigned limit, std::chrono::seconds window, Now now)
    : limit_(limit), window_(window), now_(std::move(now)) {}

bool RateLimiter::Allow(const std::string& key) {
  if (limit_ == 0) return true;
  std::lock_guard<std::mutex> lock(mutex_);
  const Clock::time_point now = now_();
  // Someone trying many names must not make the table grow without bound: finished windows are
  // swept whenever the table has doubled since the last sweep.
  if (windows_.size() >= nextSweep_) {
    DropFinished(now);
    nextSweep_ = std::max<std::size_t>(1024, windows_.size() * 2);
  }
  auto [it, added] = windows_.try_emplace(key, Window{now, 0});
  Window& w = it->second;
  if (!added && now - w.start >= window_) w = Window{now, 0};
  if (w.count >= limit_) return false;
  ++w.count;
  return true;
}

long RateLimiter::SecondsLeft(const std::string& key) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = windows_.find(key);
  if (it == windows_.end()) return 0;
  const auto left = it->second.start + window_ - now_();
  if (left <= Clock::duration::zero()) return 0;
  // Rounded up: "0 seconds" while still refused would read as a fault.
  return static_cast<long>(std::chrono::ceil<std::chrono::seconds>(left).count());
}

std::size_t RateLimiter::TrackedKeys() {
  std::lock_guard<std::mutex> lock(mutex_);
  return windows_.size();
}

void RateLimiter::DropFinished(Clock::time_point now) {
  for (auto it = windows_.begin(); it != windows_.end();) {
    if (now - it->second.start >= window_) {
      it = windows_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace kzsvc
