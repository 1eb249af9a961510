// The checker's reading of a problem file, in-process as the checker reads
// it: the header lines, the remarks and their fairy piece, the stated
// solution through the notation parser and the piece table. What the
// checker then writes from it follows: the whole-problem input file and the
// step input files of the last moves, each of which sets the position up,
// replays the stated moves before its own and writes the position back as
// text. A failure the checker reports ends the input instead of the process.
#include <cstdint>
#include <cstring>

#include "fuzz/checker_run.h"
#include "tsuka/problem/locate.h"
#include "tsuka/problem/notation.h"
#include "tsuka/problem/reader.h"
#include "tsuka/solver/input_files.h"

namespace {

// Step files written per input: each replays the moves before its own, so
// the last ones replay nearly all of them.
constexpr int32_t kStepFiles = 12;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  startCheckerRun();
  const std::string path = writeWorkFile("PROBLEM.KDB", data, size);
  std::strcpy(databasePath, path.c_str());

  resetProblem();
  try {
    readProblemFile();
    // A count of one or more was read with its moves: one record each, and
    // an empty one on either side.
    if (problem.moveCount >= 1) {
      FUZZ_CHECK(problem.hasStatedSolution);
      FUZZ_CHECK(moveRecords.size() == size_t(problem.moveCount) + 2);
    }
    checkNumber = 0;
    writeWholeProblemFile();
    const int32_t count = problem.moveCount;
    for (checkNumber = 1; checkNumber <= count && checkNumber <= kStepFiles; ++checkNumber) {
      writeStepFile(count - checkNumber + 1);
    }
  } catch (const FailedRun&) {
  }
  return 0;
}
