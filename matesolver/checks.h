// What one check means and what it reports: the whole-problem check of a
// stated solution, and the step check of a position with the stated move
// excluded, for standard problems and helpmates.
#pragma once

#include <string>
#include <vector>

#include "matesolver/dfpn.h"
#include "matesolver/helpmate.h"
#include "matesolver/input.h"

namespace matesolver {

struct CheckOutcome {
  // Lines for the output file, before the time line.
  std::vector<std::string> lines;
  // What the time line adds: "手順成立", "全検完了" or nothing.
  std::string timeSuffix;
  bool interrupted = false;
};

struct CheckOptions {
  int level = 0;  // the /L tolerance level
};

CheckOutcome runCheck(const CheckInput& input, const CheckOptions& options, MateSearch& mate,
                      HelpmateSearch& helpmate);

}  // namespace matesolver
