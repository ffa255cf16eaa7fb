#pragma once
// Marks data that belongs to one thread (the database connection, the models). Builds with thread
// checks (debug and sanitizer builds) stop at once when another thread reaches it, which is how a
// missing hand-off to the window thread shows up in a test instead of as a rare corruption.
#include <thread>

namespace kz {

class ThreadOwner {
 public:
  ThreadOwner() : owner_(std::this_thread::get_id()) {}
  // The calling thread becomes the owner (a connection opened on the thread that will use it).
  void Bind() { owner_ = std::this_thread::get_id(); }
#if defined(KZ_THREAD_CHECKS) || !defined(NDEBUG)
  void Check(const char* what) const {
    if (std::this_thread::get_id() != owner_) Violation(what);
  }
#else
  void Check(const char*) const {}
#endif

 private:
  [[noreturn]] static void Violation(const char* what);
  std::thread::id owner_;
};

}  // namespace kz
