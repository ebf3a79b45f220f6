// The property check of the fuzz targets: a failure prints what failed and aborts, so that
// libFuzzer saves the input that shows it.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzzing {

[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "property failed at %s:%d: %s\n", file, line, what);
  std::abort();
}

}  // namespace fuzzing
#define FUZZ_CHECK(condition)                                          \
  do {                                                                 \
    if (!(condition)) ::fuzzing::Fail(__FILE__, __LINE__, #condition); \
  } while (0)
