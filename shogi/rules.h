// How each piece type moves, as data: the move generator and the attack
// test read these tables, so a further piece kind is a further row.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "shogi/types.h"

namespace shogi {

struct PieceRules {
  struct Step {
    int8_t df, dr;  // seen from Black: dr = -1 is one rank forward
    bool slide;     // repeats until blocked
  };
  Step steps[16];
  int stepCount = 0;
  PieceType promoted = NO_PIECE_TYPE;    // what it promotes to, if it can
  PieceType handType = NO_PIECE_TYPE;    // what a capture of it puts in hand
  bool royal = false;                    // a king: must not be left in check
  bool slides = false;                   // some step repeats
  int deadRanks = 0;                     // far ranks where it would have no move
  // Fairy moves, on file and rank coordinates (they may reach past the
  // mailbox's border): a leap, a ride that repeats the leap over empty
  // stops, or a hop over the first piece on a line to the square behind.
  enum Motion : uint8_t { LEAP, RIDE, HOP };
  struct FairyStep {
    int8_t df, dr;
    Motion motion;
  };
  FairyStep fairySteps[24];
  int fairyStepCount = 0;
};

extern PieceRules pieceRules[PIECE_TYPE_COUNT];

// For the attack test: for every direction a piece can attack along, which
// types attack one step along it and which slide along it, per colour.
struct AttackRay {
  int delta;           // from the attacker to the attacked square
  uint32_t stepMask;   // bit t: type t attacks one step along delta
  uint32_t slideMask;  // bit t: type t slides along delta
};
constexpr int MAX_RAYS = 16;
extern AttackRay attackRays[2][MAX_RAYS];
extern int attackRayCount[2];

// The attack tables again, by line out of the attacked square (LINES of
// bitboard.h): the types of a colour that attack it from the nearest piece
// along line i when that piece is farther than a step (a step away,
// stepAttackers below tells); and the rays no line holds (the knight's
// leaps).
struct LineAttack {
  uint32_t far;
};
extern LineAttack lineAttacks[2][8];
extern AttackRay leapRays[2][MAX_RAYS];
extern int leapRayCount[2];

// The types of colour c that attack one step (a neighbour or a knight's
// leap) from the attacker's square to a square `d` further on the mailbox,
// by d + STEP_ATTACK_OFFSET.
constexpr int STEP_ATTACK_OFFSET = 32;
extern uint32_t stepAttackers[2][2 * STEP_ATTACK_OFFSET];
// Bit t: type t slides along some line (a ranged piece).
extern uint32_t rangedTypes;

// The step's delta on the mailbox for a colour (White's moves are Black's
// turned half round).
inline int stepDelta(Color c, const PieceRules::Step& s) {
  return c == BLACK ? delta(s.df, s.dr) : delta(-s.df, -s.dr);
}

// Fills the tables; safe to call more than once.
void initRules();

// The kind a piece's initial squares are those of: its unpromoted kind, the
// king for every royal piece.
inline PieceType baseType(PieceType t) { return pieceRules[t].royal ? KING : pieceRules[t].handType; }

// The initial squares of a piece kind of colour c nearest to file `file`
// (the standard setup, Black on ranks 7 to 9): one, or on file 5 two for
// lance, knight, silver and gold, the right-hand one (files 1 to 4) first.
// Returns how many.
int initialSquares(Color c, PieceType base, int file, Square out[2]);

}  // namespace shogi
