#pragma once
// A broken invariant must end the run the way a sanitizer report does, so that libFuzzer keeps the
// input; assert() would vanish in a release build.
#include <cstdio>
#include <cstdlib>

#define KZ_FUZZ_CHECK(condition)                                                              \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                           \
    }                                                                                         \
  } while (0)
