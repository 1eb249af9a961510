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

// The step's delta on the mailbox for a colour (White's moves are Black's
// turned half round).
inline int stepDelta(Color c, const PieceRules::Step& s) {
  return c == BLACK ? delta(s.df, s.dr) : delta(-s.df, -s.dr);
}

// Fills the tables; safe to call more than once.
void initRules();

}  // namespace shogi
