// Move generation and the legality rules: no move that leaves one's own
// king in check, no doubled pawn, no piece where it would have no move,
// promotion only into, out of or inside the zone, no pawn drop that mates.
#pragma once

#include "shogi/position.h"

namespace shogi {

struct MoveList {
  static constexpr int CAPACITY = 1024;
  // Left uninitialised: only the first `size` entries are ever read.
  union {
    Move moves[CAPACITY];
  };
  int size = 0;
  MoveList() {}
  void add(Move m) { moves[size++] = m; }
  const Move* begin() const { return moves; }
  const Move* end() const { return moves + size; }
};

// Ranks 1 to 3 from the mover's side are its promotion zone.
inline bool inPromotionZone(Color c, Square s) { return relativeRank(c, rankOf(s)) <= 3; }

// Moves of the side to move that obey every rule but the king's safety and
// the pawn-drop mate.
void generatePseudoLegal(const Position& pos, MoveList& list);

// Whether a pseudo-legal move is legal.
bool isLegal(Position& pos, Move m);

void generateLegal(Position& pos, MoveList& list);
// The first legal move found, a null move when there is none. Drops come
// after every board move: when the first is a drop, every legal move is.
Move firstLegalMove(Position& pos);
inline bool hasLegalMove(Position& pos) { return !firstLegalMove(pos).isNull(); }

// The same for a side to move known to be in check (after a checking
// move), without testing the check again.
void generateReplies(Position& pos, MoveList& list);
Move firstReply(Position& pos);

// Whether a legal move checks the opponent's king.
bool givesCheck(Position& pos, Move m);

// The legal moves that check the opponent's king.
void generateChecks(Position& pos, MoveList& list);

// Whether the side to move is checkmated: in check with no legal move.
inline bool isCheckmated(Position& pos) { return pos.inCheck() && !hasLegalMove(pos); }

// Number of leaf nodes of the legal-move tree to a depth.
uint64_t perft(Position& pos, int depth);

}  // namespace shogi
