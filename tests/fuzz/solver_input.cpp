// The solver's reading of its input file, and the check it then makes with
// a small table and a node limit: an accepted input is a legal position
// with its defender's king, the check ends with an answer or 中断 within the
// limit, and every line of moves the answer writes reads back as legal
// moves from the check's position; a mate line ends in the rule's goal.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/solver_lines.h"
#include "matesolver/checks.h"
#include "matesolver/input.h"

namespace {

using namespace matesolver;
using namespace shogi;

// A search looks at its limits every 4096 nodes: it stops within 4096
// nodes past the limit.
constexpr uint64_t kNodeLimit = 4096;
constexpr uint64_t kLimitSlack = 4096;

// The text after "<label>：" when the line starts so, else null.
const char* after(const std::string& line, const std::string& label) {
  const std::string head = label + "：";
  return line.compare(0, head.size(), head) == 0 ? line.c_str() + head.size() : nullptr;
}

void checkOutcome(const CheckInput& input, const CheckOutcome& outcome) {
  FUZZ_CHECK(!outcome.lines.empty());
  FUZZ_CHECK(outcome.interrupted == (outcome.lines[0] == "中断"));
  for (const std::string& line : outcome.lines) {
    Position pos = input.position;
    std::vector<Move> moves;
    if (line == "判定：作意どおり詰む") {
      FUZZ_CHECK(int(input.statedMoves.size()) == input.plies);
      FUZZ_CHECK(playLine(pos, input.statedMoves));
      FUZZ_CHECK(reachesGoal(pos, input.rule));
      continue;
    }
    // Mate lines: a solution, or an alternative to the excluded move.
    for (const char* label : {"解", "余詰", "最終手余詰", "非限定"}) {
      if (const char* text = after(line, label)) {
        FUZZ_CHECK(playText(pos, text, input.names, &moves));
        FUZZ_CHECK(!moves.empty() && int(moves.size()) <= input.plies);
        FUZZ_CHECK(reachesGoal(pos, input.rule));
        if (input.hasExcluded) FUZZ_CHECK(moves[0].plain() != input.excluded.plain());
      }
    }
    // A defence the stated move did not take, and the mate after it if any.
    for (const char* label : {"変長", "変同", "逃れ"}) {
      if (const char* text = after(line, label)) {
        FUZZ_CHECK(playText(pos, text, input.names, &moves));
        FUZZ_CHECK(!moves.empty());
        if (moves.size() > 1) FUZZ_CHECK(reachesGoal(pos, input.rule));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckInput input;
  std::string error;
  if (!parseCheckInput(text, input, &error)) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  const Position& start = input.position;
  FUZZ_CHECK(input.plies >= 0 && input.plies <= kMostPlies);
  FUZZ_CHECK(start.kingSquare(WHITE) != NO_SQUARE);
  FUZZ_CHECK(!start.inCheck(~start.sideToMove()));
  FUZZ_CHECK(int(input.statedMoves.size()) <= input.plies);
  Position replay = start;
  FUZZ_CHECK(playLine(replay, input.statedMoves, false));

  // The tolerance level changes only the step checks of 詰将棋.
  const bool levels = input.stepCheck && input.rule == Rule::Standard;
  for (int level : {0, 2}) {
    if (level == 2 && !levels) break;
    MateSearch mate(1);
    HelpmateSearch helpmate(1);
    mate.limits.nodeLimit = kNodeLimit;
    helpmate.limits.nodeLimit = kNodeLimit;
    const CheckOutcome outcome = runCheck(input, CheckOptions{level}, mate, helpmate);
    FUZZ_CHECK(mate.nodes <= kNodeLimit + kLimitSlack);
    FUZZ_CHECK(helpmate.nodes <= kNodeLimit + kLimitSlack);
    FUZZ_CHECK(mate.table().used() <= mate.table().capacity());
    checkOutcome(input, outcome);
  }
  return 0;
}
