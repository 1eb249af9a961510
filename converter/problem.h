// A mating problem as the converter reads it from any input format and
// writes it as a problem file.
#pragma once

#include <string>
#include <vector>

#include "shogi/position.h"

namespace converter {

struct Problem {
  // The attacker plays Black toward rank 1 and is to move; an input whose
  // attacker is White has been turned round.
  shogi::Position start;
  std::vector<shogi::Move> moves;  // the stated solution, legal from `start`
  // Code page 932 texts; an empty rule is written as 詰将棋.
  std::string rule, conditions;
  // The kings' names as the input writes them (王 or 玉), code page 932,
  // attacker first; empty: 王 for the attacker, 玉 for the defender.
  std::string kingNames[2];
  enum class DefenderHand { Explicit, None, Remaining };
  DefenderHand defenderHand = DefenderHand::Explicit;
};

// Why an input cannot be converted, with its line (1-based; 0: the whole file).
struct InputError {
  int line = 0;
  std::string message;
};

// The position seen from the other side (the side to move changes colour
// with it), and a move seen so.
shogi::Position turnedRound(const shogi::Position& pos);
shogi::Move turnedMove(shogi::Move m);

// Sets the problem's start and moves from a position with the attacker to
// move and the moves played from it; a position where White attacks is
// turned round, and its moves with it.
void setStart(Problem& problem, const shogi::Position& start, const std::vector<shogi::Move>& moves);

// Whether a move read from an input is legal in the position.
bool isLegalMove(shogi::Position& pos, shogi::Move m);

// Puts every piece of the set that is neither on the board nor in the other
// side's hand into the hand of `side` (the kings excluded). False when the
// position holds more of a kind than the set has.
bool giveRemainingPieces(shogi::Position& pos, shogi::Color side);

}  // namespace converter
