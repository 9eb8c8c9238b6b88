// Failing checks in the fuzz targets: report on standard error and abort,
// so that the fuzzer keeps the input and a replay fails.
#ifndef ORVEX_FUZZ_FUZZ_CHECK_H
#define ORVEX_FUZZ_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>

#include "reference_archive.h"

namespace orvex::fuzz {

[[noreturn]] inline void fail(const char* what, const std::string& expected,
                              const std::string& actual) {
  std::fprintf(stderr, "invariant failed: %s\n  expected: %s\n  actual:   %s\n", what,
               escaped(expected).c_str(), escaped(actual).c_str());
  std::abort();
}

template <typename T>
void checkEqual(const char* what, const T& expected, const T& actual) {
  if (!(expected == actual)) {
    if constexpr (std::is_convertible_v<T, std::string>) {
      fail(what, expected, actual);
    } else {
      fail(what, std::to_string(expected), std::to_string(actual));
    }
  }
}

}  // namespace orvex::fuzz

#endif  // ORVEX_FUZZ_FUZZ_CHECK_H
