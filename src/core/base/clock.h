#pragma once
// Time as the program reads it; tests put a clock of their own in its place.
#include <chrono>
#include <ctime>
#include <functional>

namespace kz {

struct Clock {
  // Seconds since 1970 (stored times, the last upload time).
  std::function<std::time_t()> now = [] { return std::time(nullptr); };
  // Intervals (recorded pauses, time-outs).
  std::function<std::chrono::steady_clock::time_point()> steady = [] { return std::chrono::steady_clock::now(); };
};

}  // namespace kz
