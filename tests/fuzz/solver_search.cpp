// The solver's searches on positions built from the fuzz input: a rule, a
// rebirth rule, kings of any kind, both hands and up to 32 pieces, a bound
// of 1 to 7 plies. The position is written as a solver input file and read
// back by the solver's reader, so that only positions it accepts are
// searched. Each search runs with a 1 MB table and a node limit and must end
// with an answer or be interrupted within the limit; a mate it finds must
// hold when played out, and on 3 plies or fewer its answer must be that of
// a plain exhaustive search (詰将棋 without fairy rules, and the
// cooperative rules).
#include <cstdint>
#include <string>
#include <vector>

#include "common/piece_names.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/solver_lines.h"
#include "matesolver/dfpn.h"
#include "matesolver/helpmate.h"
#include "matesolver/input.h"
#include "matesolver/notation.h"
#include "shogi/movegen.h"
#include "support/brute_mate.h"

namespace {

using namespace matesolver;
using namespace shogi;

// A search looks at its limits every 4096 nodes: it stops within 4096
// nodes past the limit.
constexpr uint64_t kNodeLimit = 4096;
constexpr uint64_t kLimitSlack = 4096;
constexpr int kPlayedFairyKings = 12;

struct Bytes {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t take() { return at < size ? data[at++] : 0; }
};

const char* const kRuleWords[] = {"詰将棋", "ばか詰", "自玉詰", "協力自玉詰"};
const char* const kRebirths[] = {"", "キルケ", "アンチキルケ", "PWC"};

// The symbol a king is written with: 王 / 玉, or a fairy king's.
std::string kingSymbol(int row, Color c) {
  if (row < 0) return c == BLACK ? "王" : "玉";
  return pieces::fairyKings[row].symbol;
}

// The position as a solve request of the solver input file.
std::string inputText(Bytes& in, int& bound) {
  const uint8_t ruleByte = in.take(), kingByte = in.take(), boundByte = in.take();
  const int rule = ruleByte & 3;
  std::string conditions = kRebirths[(ruleByte >> 2) & 3];
  int kingRow[2] = {-1, -1};  // per colour: -1 the king's own move, else a fairy king
  switch (kingByte & 3) {
    case 2:
      conditions += pieces::fairyKings[(kingByte >> 2) % kPlayedFairyKings].condition;
      break;
    case 3:
      kingRow[WHITE] = (kingByte >> 2) % (kPlayedFairyKings + 1) - 1;
      kingRow[BLACK] = (kingByte >> 6) % (kPlayedFairyKings + 1) - 1;
      conditions += "異王（" + kingSymbol(kingRow[BLACK], BLACK) + "／" + kingSymbol(kingRow[WHITE], WHITE) + "）";
      break;
  }
  bound = 1 + (boundByte & 7) % 7;
  const bool blackKing = (boundByte & 8) != 0 || rule >= 2;
  // The defender's hand: all remaining pieces (as problems mostly give it),
  // none, or some kinds.
  const int defenderHand = (boundByte >> 4) & 3;
  const uint8_t blackHand = in.take(), whiteHand = in.take();

  std::string board[2];
  bool taken[100] = {};
  auto place = [&](uint8_t squareByte, const std::string& name, Color c) {
    const int s = 11 + (squareByte % 81) / 9 * 10 + (squareByte % 81) % 9;
    if (taken[s]) return;
    taken[s] = true;
    board[c] += std::to_string(s) + name;
  };
  place(in.take(), kingSymbol(kingRow[WHITE], WHITE), WHITE);
  const uint8_t blackKingSquare = in.take();
  if (blackKing) place(blackKingSquare, kingSymbol(kingRow[BLACK], BLACK), BLACK);
  const Names plain;
  for (int pieces = 0; pieces < 32 && in.more(); ++pieces) {
    const uint8_t squareByte = in.take(), pieceByte = in.take();
    PieceType t = PieceType(1 + pieceByte % 7);
    if ((pieceByte & 0x10) && t != GOLD) t = PieceType(t + PROMOTION);
    const Color c = (pieceByte & 0x20) ? WHITE : BLACK;
    place(squareByte, nameOf(t, c, plain), c);
  }
  auto hand = [&](uint8_t bits) {
    std::string text;
    for (int t = PAWN; t <= ROOK; ++t) {
      if (bits & (1 << (t - 1))) text += nameOf(PieceType(t), BLACK, plain) + ((bits & 0x80) ? "2" : "");
    }
    return text;
  };
  std::string text = conditions + kRuleWords[rule] + " @@\n";
  text += board[BLACK] + (blackHand & 0x7F ? " +" + hand(blackHand) : "") + ",\n";
  text += board[WHITE];
  if (defenderHand == 1) text += " @+";
  if (defenderHand >= 2) text += " @+" + hand(whiteHand);
  return text + "\n#" + std::to_string(bound) + "\n";
}

// A cooperative line of at most `plies` to the rule's goal, by trying every
// line.
bool helpmateExists(Position& pos, int plies, bool selfmate) {
  const bool attackerToMove = pos.sideToMove() == BLACK;
  if (attackerToMove == selfmate && isCheckmated(pos)) return true;
  if (plies == 0) return false;
  MoveList moves;
  if (attackerToMove) {
    generateChecks(pos, moves);
  } else {
    generateLegal(pos, moves);
  }
  for (Move m : moves) {
    pos.doMove(m);
    // A check that mates the defender ends a helpselfmate's line short.
    const bool found = !(selfmate && attackerToMove && !hasLegalMove(pos)) && helpmateExists(pos, plies - 1, selfmate);
    pos.undoMove(m);
    if (found) return true;
  }
  return false;
}

void searchMate(const CheckInput& input, int bound) {
  Position pos = input.position;
  MateSearch mate(1);
  mate.setSelfmate(input.rule == Rule::Selfmate);
  mate.limits.nodeLimit = kNodeLimit;
  const bool attackerToMove = pos.sideToMove() == BLACK;
  bool mated = false;
  std::vector<Move> line;
  try {
    mated = attackerToMove ? mate.attackerMates(pos, bound) : mate.defenderMated(pos, bound);
    if (mated) line = mate.mateLine(pos, bound);
  } catch (const Interrupted&) {
    FUZZ_CHECK(mate.nodes >= kNodeLimit && mate.nodes <= kNodeLimit + kLimitSlack);
    return;
  }
  FUZZ_CHECK(mate.nodes <= kNodeLimit + kLimitSlack);
  FUZZ_CHECK(mate.table().used() <= mate.table().capacity());
  if (mated) {
    Position played = pos;
    FUZZ_CHECK(int(line.size()) <= bound);
    FUZZ_CHECK(playLine(played, line));
    FUZZ_CHECK(reachesGoal(played, input.rule));
  }
  if (input.rule == Rule::Standard && !pos.fairy() && attackerToMove && bound <= 3) {
    BruteMate brute(true);
    FUZZ_CHECK(brute.attackerMates(pos, bound) == mated);
  }
}

void searchHelpmate(const CheckInput& input, int bound) {
  Position pos = input.position;
  HelpmateSearch helpmate(1);
  helpmate.selfmate = input.rule == Rule::Helpselfmate;
  helpmate.limits.nodeLimit = kNodeLimit;
  bool found = false;
  std::vector<Move> line;
  try {
    found = helpmate.find(pos, bound, Move{}, &line);
  } catch (const Interrupted&) {
    FUZZ_CHECK(helpmate.nodes >= kNodeLimit && helpmate.nodes <= kNodeLimit + kLimitSlack);
    return;
  }
  FUZZ_CHECK(helpmate.nodes <= kNodeLimit + kLimitSlack);
  if (found) {
    Position played = pos;
    FUZZ_CHECK(int(line.size()) <= bound);
    FUZZ_CHECK(playLine(played, line));
    FUZZ_CHECK(reachesGoal(played, input.rule));
  }
  if (bound <= 3) FUZZ_CHECK(helpmateExists(pos, bound, helpmate.selfmate) == found);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes in{data, size};
  int bound = 1;
  const std::string text = inputText(in, bound);
  CheckInput input;
  std::string error;
  if (!parseCheckInput(text, input, &error)) return 0;
  FUZZ_CHECK(input.solveRequest && input.plies == bound);
  if (input.rule == Rule::Helpmate || input.rule == Rule::Helpselfmate) {
    searchHelpmate(input, bound);
  } else {
    searchMate(input, bound);
  }
  return 0;
}
