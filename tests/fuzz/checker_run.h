// The checker's state for one input of a checker target: its program name,
// its program directory in the target's work directory, and a failure it
// reports ending the input (by throwing FailedRun) instead of the process.
#pragma once

#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/work_directory.h"
#include "tsuka/driver/diagnostics.h"
#include "tsuka/driver/run.h"

struct FailedRun {};

inline void startCheckerRun() {
  failedRunEnd = [](int) { throw FailedRun{}; };
  std::strcpy(programName, "tsuka");
  const std::string& directory = fuzzWorkDirectory();
  FUZZ_CHECK(directory.size() < sizeof programDirectory);
  std::strcpy(programDirectory, directory.c_str());
}
