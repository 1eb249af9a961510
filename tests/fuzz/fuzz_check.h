// What the fuzz targets hold besides the sanitizers' own checks: a property
// that fails prints what failed and aborts, which libFuzzer reports as a
// crash (and keeps the input) and the replay test as a failure.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void fuzzCheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
  std::abort();
}

#define FUZZ_CHECK(condition) ((condition) ? void(0) : fuzzCheckFailed(#condition, __FILE__, __LINE__))
