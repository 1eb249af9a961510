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

// How a diagram states each side's hand: at all, and as "all remaining
// pieces" (残り全部, 00AL).
struct HandsStated {
  bool stated[2] = {false, false};
  bool allRemaining[2] = {false, false};
  // The hand holds every piece placed nowhere else: so stated, or not stated.
  bool remaining(shogi::Color c) const { return !stated[c] || allRemaining[c]; }
};

// Completes the hands of a diagram once read: a side stated as holding all
// remaining pieces gets them, and so does the defender (the side not to
// move) when its hand is not stated. Sets the side to move. False when the
// position holds more of a kind than the set has.
bool completeHands(shogi::Position& pos, shogi::Color toMove, const HandsStated& hands);

// Whether the position can be a problem whose defender is the side not to
// move: neither side has two kings, no kind has more pieces than the set,
// the defender has a king and is not in check. False with *why otherwise.
bool checkDefender(const shogi::Position& start, std::string* why);

// Sets the problem's start, moves and defender's hand from a position with
// the attacker to move and the moves played from it; a position where White
// attacks is turned round, and its moves with it. The defender's hand is
// written as all remaining pieces when `defenderRemaining`, else as なし
// when empty, else explicitly.
void setStart(Problem& problem, shogi::Position start, const std::vector<shogi::Move>& moves,
              bool defenderRemaining);

// Input text (UTF-8) quoted in a message: at most 40 bytes, cut on a
// character boundary, "..." where it was cut (a line may be megabytes long).
std::string quoted(const std::string& utf8);

// Whether a move read from an input is legal in the position.
bool isLegalMove(shogi::Position& pos, shogi::Move m);

// Puts every piece of the set that is neither on the board nor in the other
// side's hand into the hand of `side` (the kings excluded). False when the
// position holds more of a kind than the set has.
bool giveRemainingPieces(shogi::Position& pos, shogi::Color side);

}  // namespace converter
