#include "base/thread_owner.h"

#include <cstdio>
#include <cstdlib>

namespace kz {

void ThreadOwner::Violation(const char* what) {
  std::fprintf(stderr, "kzMouse: %s used off its owning thread\n", what);
  std::abort();
}

}  // namespace kz
