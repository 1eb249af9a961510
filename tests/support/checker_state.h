// Setting up the checker's process-wide state for unit tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "support/process.h"
#include "tsuka/driver/run.h"
#include "tsuka/platform/platform.h"
#include "tsuka/problem/reader.h"

// Empties the problem and names the program "tsuka", as at process start.
inline void resetChecker() {
  resetProblem();
  std::snprintf(programName, sizeof programName, "tsuka");
}

// The second line of the checker's report of a system error: the C
// library's error number and the system's text for its own code.
inline std::string systemErrorLine(SystemFailure failure) {
  return "tsuka: (" + std::to_string(failure.errorNumber) + ") " +
         withoutCarriageReturns(platform::errorText(failure.code)) + "\n";
}

// Matches a text equal to `expected` once the CR that text mode adds before
// each LF on some systems is taken out.
class SameText : public testing::MatcherInterface<const std::string&> {
 public:
  explicit SameText(std::string expected) : expected_(std::move(expected)) {}
  bool MatchAndExplain(const std::string& text, testing::MatchResultListener*) const override {
    return withoutCarriageReturns(text) == expected_;
  }
  void DescribeTo(std::ostream* os) const override { *os << "is equal to " << testing::PrintToString(expected_); }

 private:
  std::string expected_;
};

// The statement ends the process with status 1, having printed exactly
// `message` and the closing "...".
#define EXPECT_FAILS_WITH(statement, message) \
  EXPECT_EXIT(statement, testing::ExitedWithCode(1), testing::MakeMatcher(new SameText(std::string(message) + "...")))
