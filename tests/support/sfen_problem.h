// Test helper: a position given as SFEN, written as a solver input file of
// a step check or a whole-problem check, with the side to move attacking.
#pragma once

#include <string>
#include <vector>

namespace sfen_problem {

// The position with the side to move as the attacker, turned round when
// White attacks, so that the attacker plays toward rank 1. Returns the
// attacker's board line and the defender's board line (defender's hand
// written explicitly), or an empty vector with *error set.
std::vector<std::string> positionLines(const std::string& sfen, std::string* error);

// A step check with nothing to exclude: the excluded move is one that cannot
// be played, so the solver's answer is whether a mate within `plies` exists.
std::string openStepCheck(const std::string& sfen, int plies, const std::string& rule, std::string* error);

// A whole-problem check of USI moves.
std::string wholeCheck(const std::string& sfen, const std::vector<std::string>& usiMoves, const std::string& rule,
                       std::string* error);

}  // namespace sfen_problem
