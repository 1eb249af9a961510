// A deliberately plain reference for the fairy rules, for the tests only:
// its own board, its own move generator for the fairy kings and the
// rebirths of the Circe family, and exhaustive searches for each rule. It
// shares no code with the solver, so that the two can be compared.
//
// Squares are (file, rank), file 1 the right-hand file, rank 1 the top.
// Black (the attacker) plays up the board, toward rank 1.
#pragma once

#include <cstdint>
#include <string>

namespace fairy_reference {

// How a king moves.
enum class King {
  Normal,       // one step in any direction
  Queen,        // rook and bishop lines
  Nightrider,   // the knight's leap repeated along its line through empty stops
  Knight,       // leaps (1,2)
  Lion,         // leaps to any square of the 5x5 block around it
  Camel,        // leaps (1,3)
  Zebra,        // leaps (2,3)
  Kirin,        // one step diagonally, or a leap of two orthogonally
  Phoenix,      // one step orthogonally, or a leap of two diagonally
  Giraffe,      // leaps (1,4)
  FiveLeaper,   // leaps (0,5) and (3,4)
  Root50Leaper, // leaps (1,7) and (5,5)
  Grasshopper,  // along rook and bishop lines over exactly one piece, landing right behind it
};

enum class Rebirth { None, Circe, AntiCirce, Pwc };

enum class Goal {
  Mate,          // the defender resists, every interposition counts (no futile rule)
  Helpmate,      // both cooperate toward the defender's mate
  Selfmate,      // the attacker forces its own king to be mated; the defender resists
  Helpselfmate,  // both cooperate toward the attacker's king being mated
};

struct Problem {
  // SFEN: board, side to move, hands ("- " for none), move number optional.
  // Kings are K / k; they move as kings[0] (Black's) and kings[1] (White's).
  std::string sfen;
  King kings[2] = {King::Normal, King::Normal};
  Rebirth rebirth = Rebirth::None;
};

// Number of leaf nodes of the legal-move tree to `depth` plies. A capture
// on file 5 whose rebirth the capturer may place on either of two squares
// counts as two moves.
uint64_t perft(const Problem& problem, int depth);

// Whether the goal is reached within `plies` plies, the side to move in the
// SFEN beginning. For Mate and Selfmate the attacker (Black) must be to move.
bool reaches(const Problem& problem, Goal goal, int plies);

}  // namespace fairy_reference
