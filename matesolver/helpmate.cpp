#include "matesolver/helpmate.h"

#include "matesolver/memory.h"

#include <algorithm>

namespace matesolver {

using namespace shogi;

HelpmateSearch::HelpmateSearch(size_t megabytes) {
  const size_t bytes = std::max<size_t>(megabytes, 1) << 20;
  size_t n = 1;
  while (n * 2 * sizeof(Entry) <= bytes) n *= 2;
  // Zeroed memory from calloc: a large table costs nothing until used.
  table_.reset(static_cast<Entry*>(allocateTable(n * sizeof(Entry))));
  if (!table_) throw std::bad_alloc();
  mask_ = n - 1;
}

bool HelpmateSearch::search(Position& pos, int depth, Move excluded, std::vector<Move>& line) {
  const bool attackerToMove = pos.sideToMove() == BLACK;
  // The goal: the side that is to be mated is to move and mated.
  if (attackerToMove == selfmate && pos.inCheck() && !hasLegalMove(pos)) return true;
  if (depth <= 0) return false;
  if (++nodes >= nextLimitCheck_) {
    nextLimitCheck_ = nodes + 4096;
    limits.poll(nodes);
  }
  const uint64_t key = pos.key() | 1;
  if (excluded.isNull() && key == rootKey_) return false;  // back where the check started
  Entry& e = slot(key);
  if (excluded.isNull() && e.key == key && e.failedBelow > depth) return false;

  MoveList moves;
  if (attackerToMove) {
    generateChecks(pos, moves);
  } else {
    generateLegal(pos, moves);
  }
  for (Move m : moves) {
    if (m.plain() == excluded) continue;
    pos.doMove(m);
    // In helpselfmates a check that mates the defender ends the line
    // without the goal.
    if (selfmate && attackerToMove && !hasLegalMove(pos)) {
      pos.undoMove(m);
      continue;
    }
    line.push_back(m);
    const bool found = search(pos, depth - 1, Move{}, line);
    pos.undoMove(m);
    if (found) return true;
    line.pop_back();
  }
  if (excluded.isNull()) {
    Entry& again = slot(key);  // deeper searches may have replaced it
    if (again.key != key || again.failedBelow <= depth) again = Entry{key, int16_t(depth + 1)};
  }
  return false;
}

bool HelpmateSearch::find(Position& pos, int bound, Move excluded, std::vector<Move>* line) {
  Position work = pos;
  rootKey_ = excluded.isNull() ? 0 : work.key() | 1;
  // The last ply is the attacker's (the defender's in helpselfmates): an odd
  // number of plies when that side moves first, an even number otherwise.
  const bool lastMoverFirst = (work.sideToMove() == BLACK) != selfmate;
  const int first = lastMoverFirst ? 1 : 2;
  for (int depth = first; depth <= bound; depth += 2) {
    std::vector<Move> found;
    if (search(work, depth, excluded, found)) {
      if (line != nullptr) *line = found;
      return true;
    }
  }
  return false;
}

}  // namespace matesolver
