// A plain exhaustive mate search, written straight from the rules that the
// df-pn solver implements, to check it on small depths: every attacker move
// checks, mate is check with no legal reply, and (when asked) a drop between
// the king and a single checking ranged piece is futile when, with the
// checker capturing there and the captured piece thrown away, no reply of
// the defender takes the capturer back and the defender is still mated
// within the same number of plies; futile drops are no reply at any depth.
#pragma once

#include <map>
#include <utility>

#include "shogi/movegen.h"

class BruteMate {
 public:
  explicit BruteMate(bool futileRule) : futileRule_(futileRule) {}
  // Black to move: a mate within `plies`?
  bool attackerMates(shogi::Position& pos, int plies);
  // White to move: mated within `plies`?
  bool defenderMated(shogi::Position& pos, int plies);
  // The smallest odd number of plies up to `limit` with a mate; 0 for none.
  int shortest(shogi::Position& pos, int limit);

 private:
  bool futile(shogi::Position& pos, shogi::Move drop, int plies);
  bool futileRule_;
  std::map<std::pair<uint64_t, int>, bool> memo_;
};
