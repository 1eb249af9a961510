// Time limits and the progress line. Kept apart from the code that holds
// code page 932 literals: the standard <chrono> header of this compiler
// cannot be compiled with that execution character set.
#include <chrono>
#include <cstdio>

#include "matesolver/dfpn.h"

namespace matesolver {

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point processStart = Clock::now();
int64_t lastProgress = 0;
bool progressShown = false;

}  // namespace

int64_t monotonicMillis() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - processStart).count() + 1;
}

void Limits::poll(uint64_t nodes) const {
  if (stop != nullptr && *stop) throw Interrupted{};
  if (nodeLimit != 0 && nodes >= nodeLimit) throw Interrupted{};
  const int64_t now = monotonicMillis();
  if (deadline != 0 && now >= deadline) throw Interrupted{};
  if (showProgress && now - lastProgress >= 500) {
    lastProgress = now;
    const double seconds = double(now) / 1000;
    std::fprintf(stderr, "\r%8.1f s %14llu nodes %10.0f nodes/s ", seconds, static_cast<unsigned long long>(nodes),
                 double(nodes) / seconds);
    std::fflush(stderr);
    progressShown = true;
  }
}

void clearProgress() {
  if (!progressShown) return;
  std::fprintf(stderr, "\r%60s\r", "");
  std::fflush(stderr);
  progressShown = false;
}

}  // namespace matesolver
