// A position of the stated solution: the board and both hands, built from
// the problem texts, moved on by the stated moves, written back as text.
#pragma once

#include <cstdint>

// Cells indexed by square number (file * 10 + rank; 11 to 99 are the
// squares): 0 empty, else a piece code, plus 32 for the defender's pieces.
constexpr uint16_t DEFENDER_PIECE = 32;
constexpr uint16_t PROMOTED_PIECE = 16;

struct Board {
  uint16_t cells[111];
};

// Counts indexed by piece code; kinds 1 to 7 are used.
struct Hand {
  int16_t counts[8];
};

// The four texts of a position in the notation of the problem file.
struct PositionTexts {
  char attackerBoard[512];
  char defenderBoard[512];
  char attackerHand[128];
  char defenderHand[128];
  bool fullSet;  // the board and both hands hold the full set of kinds 1 to 7
};

// The problem's initial position; the defender's hand is completed from the
// full set when the problem does not state it. Ends the process on a text
// it cannot read.
void setUpPosition(Board& board, Hand& attacker, Hand& defender);

// Plays move number `moveNumber` of the stated solution as recorded:
// capture, promotion and the rebirth of the conditions.
void applyMove(int moveNumber, Board& board, Hand& attacker, Hand& defender);

// Writes the position as text. The defender's hand text stays empty when
// the full set is accounted for ("all remaining pieces").
void writePositionText(const Board& board, const Hand& attacker, const Hand& defender,
                       PositionTexts& texts);
