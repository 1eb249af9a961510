#include "support/random_position.h"

#include "shogi/movegen.h"

namespace random_position {

using namespace shogi;

namespace {

const int kFullSet[8] = {0, 18, 4, 4, 4, 4, 2, 2};

int pick(std::mt19937& rng, int n) { return int(rng() % unsigned(n)); }

Square randomSquare(std::mt19937& rng) { return square(1 + pick(rng, 9), 1 + pick(rng, 9)); }

}  // namespace

bool tryPlace(Position& pos, std::mt19937& rng, int used[8], Color c, Square s) {
  if (pos.at(s) != EMPTY) return false;
  const int kind = 1 + pick(rng, 7);
  if (used[kind] >= kFullSet[kind]) return false;
  PieceType t = PieceType(kind);
  if (kind != GOLD && pick(rng, 4) == 0) t = PieceType(kind + PROMOTION);
  if (t == PAWN && pos.hasPawnOnFile(c, fileOf(s))) return false;
  if (relativeRank(c, rankOf(s)) <= pieceRules[t].deadRanks) return false;
  pos.put(s, makePiece(c, t));
  ++used[kind];
  return true;
}

void addSmallHands(Position& pos, std::mt19937& rng, int used[8]) {
  for (Color c : {BLACK, WHITE}) {
    for (int k = pick(rng, 3); k > 0; --k) {
      const int kind = 1 + pick(rng, 7);
      if (used[kind] < kFullSet[kind] && pos.hand(c, PieceType(kind)) == 0) {
        pos.setHand(c, PieceType(kind), 1);
        ++used[kind];
      }
    }
  }
}

Position general(std::mt19937& rng) {
  for (;;) {
    Position pos;
    int used[8] = {};
    pos.put(randomSquare(rng), makePiece(WHITE, KING));
    if (pick(rng, 2)) {
      const Square s = randomSquare(rng);
      if (pos.at(s) == EMPTY) pos.put(s, makePiece(BLACK, KING));
    }
    const int pieces = 3 + pick(rng, 14);
    for (int i = 0; i < pieces; ++i) tryPlace(pos, rng, used, pick(rng, 2) ? BLACK : WHITE, randomSquare(rng));
    addSmallHands(pos, rng, used);
    pos.setSideToMove(pick(rng, 2) ? BLACK : WHITE);
    if (!pos.inCheck(~pos.sideToMove())) return pos;
  }
}

Position tsume(std::mt19937& rng, bool smallHands) {
  for (;;) {
    Position pos;
    int used[8] = {};
    const int kingFile = 1 + pick(rng, 9), kingRank = 1 + pick(rng, 4);
    pos.put(square(kingFile, kingRank), makePiece(WHITE, KING));
    const int pieces = 2 + pick(rng, 6);
    for (int i = 0; i < pieces; ++i) {
      const int f = kingFile + pick(rng, 7) - 3, r = kingRank + pick(rng, 6) - 2;
      if (f < 1 || f > 9 || r < 1 || r > 9) continue;
      tryPlace(pos, rng, used, pick(rng, 3) ? BLACK : WHITE, square(f, r));
    }
    // A few pieces for the attacker; the rest, or part of it, for the
    // defender, fewer when `smallHands` keeps the trees small.
    int attackerPieces = 0;
    for (int kind = PAWN; kind <= ROOK; ++kind) {
      const int rest = kFullSet[kind] - used[kind];
      int black = pick(rng, 4) == 0 ? std::min(rest, 1 + pick(rng, 2)) : 0;
      black = std::min(black, 3 - attackerPieces);
      attackerPieces += black;
      pos.setHand(BLACK, PieceType(kind), black);
      const int white = pick(rng, 2) ? rest - black : std::min(rest - black, pick(rng, 3));
      pos.setHand(WHITE, PieceType(kind), smallHands ? std::min(white, 1) : white);
    }
    pos.setSideToMove(BLACK);
    if (!pos.inCheck(WHITE)) return pos;
  }
}

Position pawnDropMate(std::mt19937& rng) {
  for (;;) {
    Position pos = tsume(rng, true);
    // At most one kind in White's hand keeps its drops few.
    const int keep = 1 + pick(rng, 7);
    for (int kind = PAWN; kind <= ROOK; ++kind) {
      if (kind != keep) pos.setHand(WHITE, PieceType(kind), 0);
    }
    // Give Black a pawn, taken from White's hand when the set has no other.
    if (pos.hand(BLACK, PAWN) == 0) {
      if (pos.hand(WHITE, PAWN) > 0) pos.setHand(WHITE, PAWN, pos.hand(WHITE, PAWN) - 1);
      int onBoard = 0;
      for (int f = 1; f <= 9; ++f)
        for (int r = 1; r <= 9; ++r) onBoard += typeOf(pos.at(square(f, r))) == PAWN || typeOf(pos.at(square(f, r))) == PRO_PAWN;
      if (onBoard + pos.hand(WHITE, PAWN) >= 18) continue;
      pos.setHand(BLACK, PAWN, 1);
    }
    const Square king = pos.kingSquare(WHITE);
    const Square front = king + 1;  // one rank toward Black
    if (pos.at(front) != EMPTY || pos.hasPawnOnFile(BLACK, fileOf(front))) continue;
    const Move drop = Move::drop(PAWN, front);
    pos.doMove(drop);
    const bool mates = pos.inCheck() && !hasLegalMove(pos);
    pos.undoMove(drop);
    if (mates) return pos;
  }
}

}  // namespace random_position
