// Setting up the checker's process-wide state for unit tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tsuka/driver/run.h"
#include "tsuka/problem/reader.h"

// Empties the problem and names the program "tsuka", as at process start.
inline void resetChecker() {
  resetProblem();
  std::snprintf(programName, sizeof programName, "tsuka");
}

// The statement ends the process with status 1, having printed exactly
// `message` and the closing "...".
#define EXPECT_FAILS_WITH(statement, message) \
  EXPECT_EXIT(statement, testing::ExitedWithCode(1), testing::Eq(std::string(message) + "..."))
