#include "fuzz/solver_lines.h"

#include <algorithm>

#include "matesolver/notation.h"
#include "shogi/movegen.h"

using namespace shogi;

bool playLine(Position& pos, const std::vector<Move>& line, bool attackerChecks) {
  for (Move m : line) {
    MoveList legal;
    generateLegal(pos, legal);
    if (std::find(legal.begin(), legal.end(), m) == legal.end()) return false;
    if (attackerChecks && pos.sideToMove() == BLACK && !givesCheck(pos, m)) return false;
    pos.doMove(m);
  }
  return true;
}

bool playText(Position& pos, const std::string& text, const matesolver::Names& names, std::vector<Move>* moves) {
  const char* cursor = text.c_str();
  Square previous = NO_SQUARE;
  for (;;) {
    while (*cursor == ' ') ++cursor;
    if (*cursor == '\0') return true;
    const Move m = matesolver::parseMove(pos, cursor, previous, nullptr, names);
    if (m.isNull() || !playLine(pos, {m})) return false;
    moves->push_back(m);
    previous = m.to();
  }
}

bool reachesGoal(Position& pos, matesolver::Rule rule) {
  const Color mated = matesolver::isSelfmateRule(rule) ? BLACK : WHITE;
  if (pos.sideToMove() != mated || !pos.inCheck()) return false;
  MoveList replies;
  generateLegal(pos, replies);
  if (rule != matesolver::Rule::Standard) return replies.size == 0;
  return std::all_of(replies.begin(), replies.end(), [](Move m) { return m.isDrop(); });
}
