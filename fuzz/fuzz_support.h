// The property check of the fuzz targets: a failure prints what failed and aborts, so that
// libFuzzer saves the input that shows it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzing {

[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "property failed at %s:%d: %s\n", file, line, what);
  std::abort();
}

// A short decimal text: sign, at most 15 digits in all, an optional fraction (one that a
// double holds exactly enough to compare with strtod).
inline bool ShortDecimal(const std::string& text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  int digits = 0;
  int dots = 0;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      ++digits;
    } else if (text[i] == '.' && dots == 0) {
      ++dots;
    } else {
      return false;
    }
  }
  return digits > 0 && digits <= 15;
}

}  // namespace fuzzing
#define FUZZ_CHECK(condition)                                          \
  do {                                                                 \
    if (!(condition)) ::fuzzing::Fail(__FILE__, __LINE__, #condition); \
  } while (0)
