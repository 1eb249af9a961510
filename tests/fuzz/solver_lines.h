// Checks of what the solver answers, made with the rules core alone: a line
// of moves it writes reads back, every move is legal where it stands, every
// attacker move checks, and a mate line ends in the rule's goal.
#pragma once

#include <string>
#include <vector>

#include "matesolver/input.h"
#include "shogi/position.h"

// Plays `line` from pos: false when a move is not legal or, with
// `attackerChecks`, an attacker move does not check. pos is left after the
// moves that were played.
bool playLine(shogi::Position& pos, const std::vector<shogi::Move>& line, bool attackerChecks = true);

// Reads the moves written in `text` (blank-separated, as the solver writes
// them) from pos and plays them; false when one does not read or fails as
// in playLine. The moves read go to *moves.
bool playText(shogi::Position& pos, const std::string& text, const matesolver::Names& names,
              std::vector<shogi::Move>* moves);

// Whether the position after a mate line is the rule's goal: the side the
// rule mates is to move and in check with no legal move, where a standard
// problem's defender may still have drops (futile interpositions, which a
// mate line does not play).
bool reachesGoal(shogi::Position& pos, matesolver::Rule rule);
